// The per-user preferences: colours, font, background picture, editing and
// start-up options, full-screen mode and the printer. Read once before the
// main window is created, written back once when it closes; in between they
// are plain values the commands and dialogs change.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "prefs/SettingsStore.h"
#include "prefs/WindowLayout.h"
#include "terminal/ColorTable.h"
#include "terminal/TerminalState.h"

namespace quenlix {

/// Section names of the preferences; the empty section is the program's key.
inline constexpr std::string_view kColorsSection = "Colors";
inline constexpr std::string_view kFontSection = "Font";
inline constexpr std::string_view kBkgndImageSection = "BkgndImage";
/// The picture earlier versions showed when none was named: still taken when
/// the store turns the picture on and names no file.
inline constexpr std::string_view kLegacyImageFile = "bkground.bmp";
inline constexpr std::string_view kOptionsSection = "Options";
inline constexpr std::string_view kPrintSection = "Print";

/// Value names of the nine colours in "Colors", in ColorTable order.
inline constexpr std::array<std::string_view, 9> kColorValueNames = {
    "Cursor", "Black", "Green", "White", "Red", "Turquoise", "Yellow", "Pink", "Blue"};

/// Every preference under its stored value name, with its default. Values
/// are kept as stored, without range checks; their readers cope with any.
struct UserSettings {
    /// "Colors": 0x00BBGGRR each, indexed as ColorTable.
    ColorTable colors = kDefaultColors;

    // "Font"
    int Italic = 0;  ///< non-zero: italic
    int Bold = 450;  ///< font weight, 0..1000 in practice
    std::string Face = "Courier New";

    // "BkgndImage"
    std::string ImageFile;  ///< the picture the operator chose; relative: to the current folder
    int BkgndActive = 0;    ///< non-zero: show the picture
    int BkgndMode = 1;                       ///< 0 tiled, 1 centred, 2 stretched

    // "Options"
    int NbrTabSpace = 4;     ///< blanks a pasted tab stands for
    int TrimBlankRight = 1;  ///< copy trims trailing blanks
    std::string FileName;    ///< the Auto Session file
    int Check = 0;           ///< non-zero: open FileName at start-up
    int CheckRepere = 0;     ///< the cursor-location crosshair
    int BlinkCursor = 1;     ///< the blinking cursor
    int CursorForm = 0;      ///< 0 solid, 1 underscore, 2 vertical bar
    int RefusedKeyAlarm = 1; ///< non-zero: a refused key sounds the alarm
    /// Non-zero: New Session, Open and a recent session replace the session
    /// in front instead of opening a tab of their own.
    int ReplaceSession = 0;
    /// Non-zero: the session files open at the last exit open again at start.
    int ReopenWorkspace = 1;
    /// Non-zero: a key the session's own key map binds goes to the session
    /// even when it is one of the tab keys (Ctrl+PageUp/PageDown, Alt+1..9).
    int MapOverTabKeys = 0;
    /// Non-zero: a function key, menu item or address on the screen is
    /// underlined under the mouse and a click on it acts.
    int Hotspots = 1;

    // The program's key
    int FullScreen = 0;  ///< non-zero: full-screen mode

    // "Print"
    std::string PrinterName;      ///< empty: the system's default printer
    int Orientation = 0;          ///< 1 portrait, 2 landscape, 0 the printer's own
    std::uint16_t PaperSize = 0;  ///< paper size code; the low 16 bits of the stored value
    std::uint16_t Source = 0;     ///< paper source code; the low 16 bits of the stored value

    friend bool operator==(const UserSettings&, const UserSettings&) = default;
};

/// Reads every preference (each missing or unreadable value takes its
/// default). Only reads: nothing is written until the close.
UserSettings LoadUserSettings(const SettingsStore& store);

/// The close's store: every preference in the order "Colors", "Font",
/// "BkgndImage", "Options", "Print"; then, only outside full-screen mode,
/// the window layout (SaveWindowLayout), so the placement and bars of the
/// normal window survive a run that ended in full screen; then
/// "FullScreen". Every value is written, changed or not.
void SaveUserSettings(SettingsStore& store, const UserSettings& settings,
                      const WindowLayout& layout);

/// The close's store when another program may share the store: only the
/// preferences that differ from `readAtStart` (what LoadUserSettings gave
/// this program) are written, in the order above, so a value another
/// program stored meanwhile is not overwritten with one this program merely
/// read (or took as a default). The window layout is written as
/// SaveUserSettings writes it, outside full-screen mode; "FullScreen" only
/// when it changed.
void SaveChangedUserSettings(SettingsStore& store, const UserSettings& readAtStart,
                             const UserSettings& settings, const WindowLayout& layout);

/// Gives the terminal the preferences it holds: the colours, BlinkCursor,
/// CheckRepere and CursorForm.
void ApplyUserSettings(const UserSettings& settings, Terminal& terminal);
/// Takes those same preferences back from the terminal, where the cursor
/// commands and the appearance dialog change them, before the close's save.
void CollectUserSettings(const Terminal& terminal, UserSettings& settings);

}  // namespace quenlix
