// Key chord names.
#include "input/KeyChord.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace quenlix {

namespace {

constexpr std::array<std::string_view, 87> kKeys = {
    "Enter", "Tab", "Backspace", "Esc", "Space", "PageUp", "PageDown", "Home", "End",
    "Left", "Right", "Up", "Down", "Insert", "Delete",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "Minus", "Plus",
    "Pause", "ScrollLock", "PrintScreen",
    "Keypad0", "Keypad1", "Keypad2", "Keypad3", "Keypad4", "Keypad5", "Keypad6", "Keypad7",
    "Keypad8", "Keypad9", "KeypadPlus", "KeypadMinus", "KeypadEnter",
    "LeftCtrl", "RightCtrl", "LeftShift", "RightShift", "LeftAlt", "AltGr",
};

constexpr std::array<std::string_view, 6> kModifierKeys = {
    "LeftCtrl", "RightCtrl", "LeftShift", "RightShift", "LeftAlt", "AltGr",
};

struct Prefix {
    std::string_view text;
    std::uint8_t bit;
};
constexpr std::array<Prefix, 4> kPrefixes = {{
    {"Ctrl+", KeyChord::kCtrl},
    {"Alt+", KeyChord::kAlt},
    {"AltGr+", KeyChord::kAltGr},
    {"Shift+", KeyChord::kShift},
}};

bool IsKnownKey(std::string_view key) {
    return std::find(kKeys.begin(), kKeys.end(), key) != kKeys.end();
}

/// 13..24 for "F13".."F24", else 0.
int HighFunctionKey(std::string_view key) {
    if (key.size() != 3 || key[0] != 'F') return 0;
    int n = 0;
    const auto [end, error] = std::from_chars(key.data() + 1, key.data() + key.size(), n);
    if (error != std::errc() || end != key.data() + key.size()) return 0;
    return n >= 13 && n <= 24 ? n : 0;
}

}  // namespace

std::span<const std::string_view> KeyChordKeys() { return kKeys; }

bool IsModifierKey(std::string_view key) {
    return std::find(kModifierKeys.begin(), kModifierKeys.end(), key) != kModifierKeys.end();
}

std::optional<KeyChord> ParseKeyChord(std::string_view text) {
    KeyChord chord;
    // Each prefix at most once, so the loop ends after four rounds.
    for (bool more = true; more;) {
        more = false;
        for (const Prefix& p : kPrefixes) {
            // "AltGr+" starts with "Alt" but not with "Alt+": no prefix hides another.
            if (!text.starts_with(p.text)) continue;
            if (chord.modifiers & p.bit) return std::nullopt;
            chord.modifiers |= p.bit;
            text.remove_prefix(p.text.size());
            more = true;
        }
    }
    if (text == "Backtab") {
        if (chord.modifiers & KeyChord::kShift) return std::nullopt;
        chord.modifiers |= KeyChord::kShift;
        text = "Tab";
    } else if (text == "FieldPlus") {
        text = "KeypadPlus";
    } else if (text == "FieldMinus") {
        text = "KeypadMinus";
    }
    std::string key(text);
    if (const int n = HighFunctionKey(text); n > 0) {
        if (chord.modifiers & KeyChord::kShift) return std::nullopt;
        chord.modifiers |= KeyChord::kShift;
        key = "F" + std::to_string(n - 12);
    }
    if (!IsKnownKey(key)) return std::nullopt;
    if (IsModifierKey(key) && chord.modifiers != 0) return std::nullopt;
    chord.key = std::move(key);
    return chord;
}

std::string FormatKeyChord(const KeyChord& chord) {
    std::string out;
    for (const Prefix& p : kPrefixes) {
        if (chord.modifiers & p.bit) out += p.text;
    }
    return out + chord.key;
}

bool IsMainWindowShortcut(const KeyChord& c) {
    const std::uint8_t m = c.modifiers;
    const bool ctrlOnly = m == KeyChord::kCtrl;
    const std::string_view k = c.key;
    const bool letter = k.size() == 1 && k[0] >= 'A' && k[0] <= 'Z';
    if (ctrlOnly && letter && std::string_view("ABCDFLNOPRSTUVXZ").find(k[0]) != std::string_view::npos) {
        return true;
    }
    // The reading commands for screen readers.
    if (m == (KeyChord::kCtrl | KeyChord::kShift) && letter &&
        std::string_view("FGLMS").find(k[0]) != std::string_view::npos) {
        return true;
    }
    if (ctrlOnly && (k == "Insert" || k == "F1" || k == "F2" || k == "F3" || k == "F4")) return true;
    if (m == KeyChord::kShift && (k == "Insert" || k == "Delete" || k == "Esc")) return true;
    if (m == KeyChord::kAlt && (k == "F4" || k == "Backspace" || k == "Plus")) return true;
    return false;
}

bool IsSessionSwitchKey(const KeyChord& c) {
    const std::string_view k = c.key;
    if (c.modifiers == KeyChord::kCtrl && (k == "PageUp" || k == "PageDown")) return true;
    return c.modifiers == KeyChord::kAlt && k.size() == 1 && k[0] >= '1' && k[0] <= '9';
}

}  // namespace quenlix
