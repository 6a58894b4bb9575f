// What the screen offers to be clicked: function-key labels ("F3=Exit"),
// menu item numbers and option legends ("1. User tasks", "2=Change"), the
// "More..." and "Bottom" markers of a list, and web and mail addresses.
// Found on the protected text of the screen as a screen reader reads it
// (input fields and non-display text never), so the desktop program can
// underline them under the mouse and the CLI can list and click them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/KeyFunction.h"
#include "terminal/TerminalState.h"

namespace quenlix {

enum class HotspotKind : std::uint8_t {
    kAid,     ///< a function-key label: the key is pressed
    kOption,  ///< a menu item or option number: it is typed into a field
    kMore,    ///< a list's "More..." or "Bottom": the list rolls
    kUrl,     ///< a web or mail address: the desktop opens it
};

/// "aid", "option", "more", "url".
std::string_view HotspotKindName(HotspotKind kind);

struct Hotspot {
    int row = 0;     ///< 0-based
    int column = 0;  ///< 0-based, first cell of the text
    int length = 0;  ///< cells, on one row
    HotspotKind kind = HotspotKind::kAid;
    std::string text;    ///< as the screen shows it (PC characters)
    std::string action;  ///< the function's name ("F3", "RollUp"), the text typed, or the address
    /// kAid and kMore: the function a click performs (never through the key
    /// map: a remapped keyboard does not change what a click means).
    std::optional<KeyFunction> function;
    /// kOption: the FormatTable index of the field the text is typed into,
    /// and whether Enter follows (only for a command line).
    int field = -1;
    bool enter = false;
};

/// At most this many on one screen; a host cannot make the list unbounded.
inline constexpr std::size_t kMaxHotspots = 256;

/// Every hotspot of the screen, in screen order (row, then column), none
/// overlapping another.
std::vector<Hotspot> FindHotspots(const Terminal& t);

/// The hotspot covering the 0-based cell, if any.
const Hotspot* HotspotAt(const std::vector<Hotspot>& hotspots, int row, int column);

}  // namespace quenlix
