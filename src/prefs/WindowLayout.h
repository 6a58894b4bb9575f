// The main window's stored layout: its placement ("WindowPos") and the
// docking of its tool bars, as plain data the window hands over at close
// and takes back when it is created.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "prefs/SettingsStore.h"

namespace quenlix {

/// Show commands a placement carries (the stored numbers).
inline constexpr std::uint32_t kShowHidden = 0;
inline constexpr std::uint32_t kShowNormal = 1;
inline constexpr std::uint32_t kShowMinimized = 2;
inline constexpr std::uint32_t kShowMaximized = 3;

/// Where the main window stands: flags, show command, the minimised and
/// maximised positions and the normal (restored) rectangle, all in screen
/// pixels; right and bottom exclusive.
struct WindowPlacement {
    std::uint32_t flags = 0;
    std::uint32_t showCmd = kShowNormal;
    int minX = -1;
    int minY = -1;
    int maxX = -1;
    int maxY = -1;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

/// Value "WindowPos" in the program's key (the empty section).
inline constexpr std::string_view kWindowPosName = "WindowPos";

/// The placement as "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d": flags, show command,
/// minimised x and y, maximised x and y, left, top, right, bottom.
std::string FormatWindowPos(const WindowPlacement& placement);
/// The placement the text holds, or empty when the text is not exactly ten
/// comma-separated decimal numbers (the first two unsigned 32-bit, the
/// others signed 32-bit, no blanks, nothing after the tenth) or when its
/// normal rectangle is inverted (right < left or bottom < top).
std::optional<WindowPlacement> ParseWindowPos(std::string_view text);

/// The stored placement, or empty when there is none or it is malformed.
std::optional<WindowPlacement> LoadWindowPlacement(const SettingsStore& store);
void SaveWindowPlacement(SettingsStore& store, const WindowPlacement& placement);

/// A rectangle of screen pixels; right and bottom exclusive.
struct ScreenArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const ScreenArea&, const ScreenArea&) = default;
};

/// Where a stored placement puts the normal window on these screens (their
/// work areas, the primary screen first). "WindowPos" may hold any 32-bit
/// numbers, so the size is worked out in 64 bits and cut to the bounding
/// box of all screens; a rectangle that then meets no screen moves to the
/// primary screen's top-left corner, cut to that screen. Empty when the
/// stored rectangle has no area or there is no screen: the window keeps
/// its default size and position.
std::optional<ScreenArea> FitNormalRectangle(const WindowPlacement& placement,
                                             const std::vector<ScreenArea>& screens);

/// The show command start-up shows the main window with: normal when no
/// placement was stored or full-screen mode was entered, else the stored one
/// reduced to normal, minimised or maximised. A stored "hidden" (or any
/// command the window cannot start with) starts it normally, so the program
/// never comes up invisible.
std::uint32_t StartupShowCommand(const std::optional<WindowPlacement>& stored, bool fullScreen);

/// The edge a tool bar docks on (the one it returns to when it floats).
enum class DockArea : int { Top = 0, Bottom = 1, Left = 2, Right = 3 };

/// One tool bar's docking. A docked bar sits in line `row` of its edge
/// (0 nearest the window's border) at offset (x, y) within the dock area;
/// a floating bar's (x, y) is its frame's top-left corner on the screen.
struct ToolBarRecord {
    int id = 0;  ///< the bar's identifier (101 command, 102 special keys, 103 help); > 0
    DockArea area = DockArea::Top;
    bool visible = true;
    bool floating = false;
    int row = 0;  ///< 0..kMaxToolBars-1
    int x = 0;
    int y = 0;
    friend bool operator==(const ToolBarRecord&, const ToolBarRecord&) = default;
};

/// Most bar records stored or loaded; the program has three bars, the
/// bound keeps a damaged count from driving the load or the window.
inline constexpr std::size_t kMaxToolBars = 16;

/// Section of the tool-bar layout: "Bars" (the record count) and "Bar1" to
/// "Bar<n>", each "id,area,visible,floating,row,x,y".
inline constexpr std::string_view kToolBarSection = "ToolBars/Tool";

std::string FormatToolBarRecord(const ToolBarRecord& bar);
/// The record the text holds, or empty when it is not seven comma-separated
/// 32-bit decimal numbers with id > 0, area 0..3, visible and floating 0 or
/// 1 and row 0..kMaxToolBars-1.
std::optional<ToolBarRecord> ParseToolBarRecord(std::string_view text);

/// The stored layout in stored order. Empty when none was saved or "Bars"
/// is not 1..kMaxToolBars; malformed records and repeats of an id already
/// read are skipped, so the window docks those bars its own way.
std::vector<ToolBarRecord> LoadToolBarLayout(const SettingsStore& store);
/// Replaces the stored layout with the first kMaxToolBars records.
void SaveToolBarLayout(SettingsStore& store, const std::vector<ToolBarRecord>& bars);

/// What the main window hands over at close to be stored.
struct WindowLayout {
    std::optional<WindowPlacement> placement;  ///< empty while minimised: not stored
    std::vector<ToolBarRecord> toolBars;
};

/// Stores the placement (when there is one), then the tool-bar layout.
void SaveWindowLayout(SettingsStore& store, const WindowLayout& layout);

}  // namespace quenlix
