// The printed screen, the preview and the printer choice.
#include "app/Printing.h"

#include <QDialogButtonBox>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <array>
#include <utility>

#include "app/CMainFrame.h"
#include "app/CTelnetView.h"
#include "app/DialogContext.h"

namespace quenlix::app {

QRect ScreenRectOnPage(const QSize& printable) {
    const int width = std::max(0, printable.width());
    const int height = std::min(std::max(0, printable.height()), width * 3 / 4);
    return QRect(0, 0, width, height);
}

bool PrintScreenPage(CTelnetView& view, QPrinter& printer) {
    QPainter painter(&printer);
    if (!painter.isActive()) return false;
    const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
    view.PaintOnPaper(painter, ScreenRectOnPage(printable.size()));
    return painter.end();
}

namespace {
// Paper-bin codes beside the Qt source they stand for.
constexpr std::array<std::pair<std::uint16_t, QPrinter::PaperSource>, 13> kSources = {{
    {1, QPrinter::OnlyOne},  // also "upper"
    {2, QPrinter::Lower},
    {3, QPrinter::Middle},
    {4, QPrinter::Manual},
    {5, QPrinter::Envelope},
    {6, QPrinter::EnvelopeManual},
    {7, QPrinter::Auto},
    {8, QPrinter::Tractor},
    {9, QPrinter::SmallFormat},
    {10, QPrinter::LargeFormat},
    {11, QPrinter::LargeCapacity},
    {14, QPrinter::Cassette},
    {15, QPrinter::FormSource},
}};
}  // namespace

std::optional<QPageLayout::Orientation> OrientationFromCode(int code) {
    switch (code) {
        case 1: return QPageLayout::Portrait;
        case 2: return QPageLayout::Landscape;
        default: return std::nullopt;
    }
}

int OrientationCode(QPageLayout::Orientation orientation) {
    return orientation == QPageLayout::Landscape ? 2 : 1;
}

std::optional<QPrinter::PaperSource> PaperSourceFromCode(std::uint16_t code) {
    for (const auto& [c, source] : kSources) {
        if (c == code) return source;
    }
    return std::nullopt;
}

std::uint16_t PaperSourceCode(QPrinter::PaperSource source) {
    for (const auto& [c, s] : kSources) {
        if (s == source) return c;
    }
    return 0;
}

void ApplyPrinterCodes(QPrinter& printer, int orientation, std::uint16_t paperSize,
                       std::uint16_t source) {
    if (const auto o = OrientationFromCode(orientation)) printer.setPageOrientation(*o);
    if (paperSize != 0) {
        const QPageSize::PageSizeId id = QPageSize::id(paperSize);
        if (id != QPageSize::Custom) printer.setPageSize(QPageSize(id));
    }
    if (const auto s = PaperSourceFromCode(source)) printer.setPaperSource(*s);
}

void TakePrinterSettings(const QPrinter& printer, UserSettings& settings) {
    settings.PrinterName = printer.printerName().toStdString();
    const QPageLayout layout = printer.pageLayout();
    settings.Orientation = OrientationCode(layout.orientation());
    settings.PaperSize = static_cast<std::uint16_t>(layout.pageSize().windowsId());
    settings.Source = PaperSourceCode(printer.paperSource());
}

bool RestoreStoredPrinter(const UserSettings& settings, QPrinter& printer,
                          const std::function<bool(const QString&)>& printerExists) {
    if (settings.PrinterName.empty()) return false;
    const QString name = QString::fromStdString(settings.PrinterName);
    if (!printerExists || !printerExists(name)) return false;
    printer.setPrinterName(name);
    ApplyPrinterCodes(printer, settings.Orientation, settings.PaperSize, settings.Source);
    return true;
}

bool PrintCommand(DialogContext& context) {
    QPrinter& printer = context.printer();
    QPrintDialog dialog(&printer, &context.frame());
    // One page, always: no page numbers, selection or current page.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) return false;
    return PrintScreenPage(context.view(), printer);
}

void PrintPreviewCommand(DialogContext& context) {
    QPrintPreviewDialog preview(&context.printer(), &context.frame());
    CTelnetView* view = &context.view();
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [view](QPrinter* printer) { PrintScreenPage(*view, *printer); });
    preview.exec();
}

bool PrinterSetupCommand(DialogContext& context) {
    UserSettings& settings = context.settings();
    // The dialog starts on the stored printer with its stored codes, or on
    // the system's default printer.
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    RestoreStoredPrinter(settings, *printer, context.printerExists);
    QPrintDialog dialog(printer.get(), &context.frame());
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    // Setup only: the button confirms the choice, it prints nothing.
    for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>()) {
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("OK"));
    }
    if (dialog.exec() != QDialog::Accepted) return false;
    TakePrinterSettings(*printer, settings);
    context.SelectPrinter(std::move(printer));
    return true;
}

}  // namespace quenlix::app
