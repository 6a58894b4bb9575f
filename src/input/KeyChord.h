// A PC key with the modifiers held, as key maps name it: "Ctrl+Enter",
// "Shift+F3", "KeypadEnter", "RightCtrl". The names are the CLI's key names
// plus the keypad keys and the left and right modifier keys.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quenlix {

struct KeyChord {
    enum Modifier : std::uint8_t { kShift = 1, kCtrl = 2, kAlt = 4, kAltGr = 8 };

    std::string key;            ///< one of KeyChordKeys(), e.g. "F3", "A", "KeypadEnter"
    std::uint8_t modifiers = 0; ///< Modifier bits; none for a modifier key itself

    friend auto operator<=>(const KeyChord&, const KeyChord&) = default;
};

/// Every key name a chord can hold (F1..F12 only: F13..F24 are Shift+F1..F12).
std::span<const std::string_view> KeyChordKeys();
/// True for LeftCtrl, RightCtrl, LeftShift, RightShift, LeftAlt and AltGr:
/// keys that do their function when pressed and released alone.
bool IsModifierKey(std::string_view key);

/// Reads "Shift+Ctrl+Alt+AltGr+Key" with the prefixes in any order. Backtab
/// is Shift+Tab, F13..F24 are Shift+F1..F12, FieldPlus and FieldMinus are
/// the keypad's + and -. Empty for an unknown key, a repeated prefix, or a
/// modifier key with prefixes.
std::optional<KeyChord> ParseKeyChord(std::string_view text);
/// The chord's name, prefixes in the order Ctrl, Alt, AltGr, Shift.
std::string FormatKeyChord(const KeyChord& chord);

/// True for the keys the main window takes as its own shortcuts (copy,
/// paste, the Ctrl+letter commands, Alt+F4, ...): a key map cannot bind
/// them. Shift+Esc is one (System Request).
bool IsMainWindowShortcut(const KeyChord& chord);
/// True for the keys that switch between a window's sessions: Ctrl+PageDown,
/// Ctrl+PageUp and Alt+1..Alt+9. No built-in map binds them; a user's map
/// may, and its binding is used only when the operator lets the map take them.
bool IsSessionSwitchKey(const KeyChord& chord);

}  // namespace quenlix
