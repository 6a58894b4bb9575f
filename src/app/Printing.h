// Printing the screen on one page, its preview, and the printer choice kept
// in the preferences ("Print": PrinterName, Orientation, PaperSize, Source).
//
// The three numbers are the device-settings codes the preferences have
// always held; they map onto Qt's printer as follows:
//  - Orientation: 1 portrait, 2 landscape; any other value leaves the
//    printer's own orientation.
//  - PaperSize: the paper-size code Qt itself knows as a page size's
//    "Windows id" (1 Letter, 5 Legal, 8 A3, 9 A4, 11 A5, ...); 0 or a code
//    Qt does not know leaves the printer's own size.
//  - Source: the paper-bin code (1 upper / only one, 2 lower, 3 middle,
//    4 manual, 5 envelope, 6 manual envelope, 7 automatic, 8 tractor,
//    9 small format, 10 large format, 11 large capacity, 14 cassette,
//    15 form source) onto QPrinter::PaperSource; other codes leave the
//    printer's own source.
#pragma once

#include <QRect>
#include <cstdint>
#include <functional>
#include <optional>

#include <QPageLayout>
#include <QPrinter>

#include "prefs/UserSettings.h"

namespace quenlix::app {

class CTelnetView;
class DialogContext;

/// Where the screen goes on a page whose printable area is `printable`
/// (device pixels): at the printable area's top-left corner, as wide as it,
/// and as high as the smaller of its height and three quarters of its width.
QRect ScreenRectOnPage(const QSize& printable);

/// Paints the screen on the printer's page under the paper rules; the
/// window's cell size, font and cursor are as before afterwards. False when
/// the printer cannot be painted on.
bool PrintScreenPage(CTelnetView& view, QPrinter& printer);

std::optional<QPageLayout::Orientation> OrientationFromCode(int code);
int OrientationCode(QPageLayout::Orientation orientation);
std::optional<QPrinter::PaperSource> PaperSourceFromCode(std::uint16_t code);
/// 0 for a source without a code.
std::uint16_t PaperSourceCode(QPrinter::PaperSource source);

/// Writes the stored codes into the printer (see the table above).
void ApplyPrinterCodes(QPrinter& printer, int orientation, std::uint16_t paperSize,
                       std::uint16_t source);
/// Printer Setup's OK: the chosen printer's name, orientation, paper size
/// and source into the preferences.
void TakePrinterSettings(const QPrinter& printer, UserSettings& settings);
/// Makes the stored printer, with its stored codes, the printer's choice.
/// False, leaving the printer as it was (the system default), when no
/// printer is stored or the stored one is not installed.
bool RestoreStoredPrinter(const UserSettings& settings, QPrinter& printer,
                          const std::function<bool(const QString&)>& printerExists);

/// The commands: Print (print dialog, then the page), Print Preview, and
/// Printer Setup. Each returns whether it went through (not cancelled).
bool PrintCommand(DialogContext& context);
void PrintPreviewCommand(DialogContext& context);
bool PrinterSetupCommand(DialogContext& context);

}  // namespace quenlix::app
