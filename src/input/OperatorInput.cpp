// Named keys and text to keyboard events; type-ahead around the mapping.
#include "input/OperatorInput.h"

#include <array>
#include <charconv>

#include "input/KeyCodes.h"
#include "input/SelectionChoice.h"

namespace quenlix {

using namespace keys;

namespace {

struct NamedKey {
    std::string_view name;
    int virtualKey;
    int character;  ///< 0: the key gives no character event
    std::uint8_t scanCode;
};

constexpr std::array<NamedKey, 21> kNamedKeys = {{
    {"Enter", kVkEnter, kCharEnter, kScanEnter},
    {"Tab", kVkTab, kCharTab, kScanTab},
    {"Backspace", kVkBackspace, kCharBackspace, kScanBackspace},
    {"Esc", kVkEscape, kCharEscape, kScanEscape},
    {"PageUp", kVkPageUp, 0, 0},
    {"PageDown", kVkPageDown, 0, 0},
    {"Home", kVkHome, 0, 0},
    {"End", kVkEnd, 0, 0},
    {"Left", kVkLeft, 0, 0},
    {"Right", kVkRight, 0, 0},
    {"Up", kVkUp, 0, 0},
    {"Down", kVkDown, 0, 0},
    {"Insert", kVkInsert, 0, 0},
    {"Delete", kVkDelete, 0, 0},
    {"FieldPlus", kVkKeypadPlus, '+', kScanKeypadPlus},
    {"KeypadPlus", kVkKeypadPlus, '+', kScanKeypadPlus},
    {"FieldMinus", kVkKeypadMinus, '-', kScanKeypadMinus},
    {"KeypadMinus", kVkKeypadMinus, '-', kScanKeypadMinus},
    {"Shift", kVkShift, 0, 0},
    {"Ctrl", kVkControl, 0, 0},
    {"CapsLock", kVkCapsLock, 0, 0},
}};

struct NamedCommand {
    std::string_view name;
    int command;
};

constexpr std::array<NamedCommand, 11> kNamedCommands = {{
    {"SysReq", kCmdSystemRequest},
    {"Attn", kCmdAttention},
    {"Help", kCmdHelp},
    {"Print", kCmdPrint},
    {"Refresh", kCmdRefresh},
    {"Next", kCmdNext},
    {"Previous", kCmdPrevious},
    {"PA1", kCmdPa1},
    {"PA2", kCmdPa2},
    {"PA3", kCmdPa3},
    {"DeleteFields", kCmdDeleteFields},
}};

/// 1..24 for "F1".."F24", else 0.
int FunctionKeyNumber(std::string_view name) {
    if (name.size() < 2 || name.size() > 3 || name[0] != 'F') return 0;
    int n = 0;
    const auto [end, error] = std::from_chars(name.data() + 1, name.data() + name.size(), n);
    if (error != std::errc() || end != name.data() + name.size()) return 0;
    return n >= 1 && n <= 24 ? n : 0;
}

bool IsOneOf(std::string_view name, std::string_view letters) {
    return name.size() == 1 && letters.find(name[0]) != std::string_view::npos;
}

/// A key name split into its modifiers and the key; "Backtab" is Shift+Tab
/// and F13..F24 are Shift+F1..F12.
struct KeyName {
    bool shift = false, ctrl = false, alt = false;
    std::string_view key;
    int functionKey = 0;  ///< 1..12, 0 for other keys
};

KeyName ParseKeyName(std::string_view name) {
    KeyName k;
    for (;;) {
        if (name.starts_with("Shift+")) {
            k.shift = true;
            name.remove_prefix(6);
        } else if (name.starts_with("Ctrl+")) {
            k.ctrl = true;
            name.remove_prefix(5);
        } else if (name.starts_with("Alt+")) {
            k.alt = true;
            name.remove_prefix(4);
        } else {
            break;
        }
    }
    if (name == "Backtab") {
        k.shift = true;
        name = "Tab";
    }
    k.key = name;
    k.functionKey = FunctionKeyNumber(name);
    if (k.functionKey > 12) {
        k.shift = true;
        k.functionKey -= 12;
    }
    return k;
}

/// The main window's own accelerators: Alt+F4, Ctrl+F1..F4, Ctrl+B/D/F/N/O/P/R/S/T/X.
bool IsApplicationKey(const KeyName& k) {
    return (k.alt && k.functionKey == 4) || (k.ctrl && k.functionKey >= 1 && k.functionKey <= 4) ||
           (k.ctrl && IsOneOf(k.key, "BDFNOPRSTX"));
}

/// A name today's PressKey takes as a key or a special key bar command:
/// it stays that when a keyboard function has the same name.
bool IsKnownKeyName(std::string_view name) {
    const KeyName k = ParseKeyName(name);
    if (k.functionKey > 0 || k.key == "WheelUp" || k.key == "WheelDown") return true;
    for (const NamedKey& n : kNamedKeys) {
        if (n.name == k.key) return true;
    }
    for (const NamedCommand& c : kNamedCommands) {
        if (c.name == k.key) return true;
    }
    return false;
}

KeyEvent Down(int vk, bool ctrl = false) { return {KeyEvent::Kind::kKeyDown, vk, 0, ctrl}; }
KeyEvent Up(int vk) { return {KeyEvent::Kind::kKeyUp, vk, 0, false}; }

}  // namespace

OperatorInput::OperatorInput(const InputLinks& links, Clipboard& clipboard,
                             ClipboardOptions& options)
    : links_(links),
      editor_(links_),
      keyboard_(links_, editor_),
      mouse_(links_),
      clipboard_(links_, editor_, clipboard, options) {}

void OperatorInput::Dispatch(const KeyEvent& event) {
    constexpr int kVirtualKeyReturn = 0x0D;
    const bool enter = (event.kind == KeyEvent::Kind::kKeyDown && event.code == kVirtualKeyReturn &&
                        !event.ctrl) ||
                       (event.kind == KeyEvent::Kind::kFunction &&
                        event.code == static_cast<int>(KeyFunction::kEnter));
    if (enter) ChooseAtCursorBeforeEnter(links_);
    switch (event.kind) {
        case KeyEvent::Kind::kKeyDown:
            keyboard_.KeyDown(event.code, event.ctrl);
            break;
        case KeyEvent::Kind::kKeyUp:
            keyboard_.KeyUp(event.code);
            break;
        case KeyEvent::Kind::kSystemKeyDown:
            keyboard_.SystemKeyDown(event.code);
            break;
        case KeyEvent::Kind::kCharacter:
            keyboard_.Character(event.code, event.scanCode);
            break;
        case KeyEvent::Kind::kFunction:
            keyboard_.Perform(static_cast<KeyFunction>(event.code));
            break;
    }
}

void OperatorInput::PerformFunction(KeyFunction function) {
    Submit({KeyEvent::Kind::kFunction, static_cast<int>(function), 0, false});
}

void OperatorInput::Offer(const KeyEvent& event) {
    switch (typeAhead_.Offer(event, links_.terminal.state)) {
        case TypeAhead::kDispatch:
            Dispatch(event);
            break;
        case TypeAhead::kHeld:
            break;
        case TypeAhead::kDropped:
            links_.messages.Alarm();
            break;
    }
}

void OperatorInput::CheckTypeAhead() {
    typeAhead_.Check(links_.terminal.state, [this](const KeyEvent& e) { Offer(e); });
}

void OperatorInput::Submit(const KeyEvent& event) {
    CheckTypeAhead();
    Offer(event);
}

bool OperatorInput::IsApplicationCommand(std::string_view keyName) {
    return IsApplicationKey(ParseKeyName(keyName));
}

bool OperatorInput::PressKey(std::string_view keyName) {
    if (const auto chord = ParseKeyChord(keyName)) {
        if (const auto function = keyMap_.Override(*chord)) {
            PerformFunction(*function);
            return true;
        }
        // The map's own key names, where today's mapping has them too.
        const std::string_view key = chord->key;
        if (key == "LeftCtrl" || key == "RightCtrl") return PressKey("Ctrl");
        if (key == "LeftShift" || key == "RightShift") return PressKey("Shift");
        if (chord->modifiers == 0) {
            if (key == "KeypadEnter") return PressKey("Enter");
            if (key.size() == 7 && key.starts_with("Keypad")) {
                Type(key.substr(6));
                return true;
            }
        }
    }
    if (const auto function = KeyFunctionByName(keyName);
        function && *function != KeyFunction::kNone && !IsKnownKeyName(keyName)) {
        PerformFunction(*function);
        return true;
    }
    const KeyName parsed = ParseKeyName(keyName);
    const bool shift = parsed.shift, ctrl = parsed.ctrl, alt = parsed.alt;
    const std::string_view name = parsed.key;
    const int fkey = parsed.functionKey;

    // Accelerators of the main window: taken before the keyboard mapping
    // and never held by type-ahead.
    if (shift && !ctrl && !alt && name == "Esc") return keyboard_.SpecialKey(kCmdSystemRequest);
    if (ctrl && !alt && (name == "C" || name == "Insert")) {
        clipboard_.Copy();
        return true;
    }
    if ((ctrl && !alt && name == "V") || (shift && !ctrl && !alt && name == "Insert")) {
        clipboard_.Paste();
        return true;
    }
    if (ctrl && !alt && name == "A") {
        mouse_.SelectAll();
        return true;
    }
    if ((ctrl && IsOneOf(name, "LUZ")) || (alt && name == "Backspace") ||
        (shift && !ctrl && !alt && name == "Delete")) {
        return true;  // bound to commands that nothing handles
    }
    if (IsApplicationKey(parsed)) return false;

    if (!shift && !ctrl && !alt) {
        for (const NamedCommand& c : kNamedCommands) {
            if (c.name == name) return keyboard_.SpecialKey(c.command);
        }
        if (name == "WheelUp" || name == "WheelDown") {
            const int vk = keyboard_.WheelKey(name == "WheelUp" ? 120 : -120);
            if (vk != 0) {
                Submit(Down(vk));
                Submit(Up(vk));
            }
            return true;
        }
    }

    int vk = 0;
    int character = 0;
    std::uint8_t scan = 0;
    if (fkey > 0) {
        vk = kVkF1 + fkey - 1;
    } else {
        for (const NamedKey& k : kNamedKeys) {
            if (k.name == name) {
                vk = k.virtualKey;
                character = k.character;
                scan = k.scanCode;
            }
        }
    }
    if (vk == 0) return false;
    // Ctrl with Enter, Tab, Backspace or Esc makes other characters (or
    // none); they have no meaning here.
    if (ctrl && character != 0 && fkey == 0 && vk != kVkKeypadPlus && vk != kVkKeypadMinus) {
        return false;
    }

    if (shift) Submit(Down(kVkShift));
    if (ctrl) Submit(Down(kVkControl, true));
    if (alt || vk == kVkF10) {
        // F10 and Alt combinations arrive as system keys; Alt with anything
        // but a function key is the platform's menu access.
        if (fkey > 0) Submit({KeyEvent::Kind::kSystemKeyDown, vk, 0, ctrl});
    } else {
        Submit(Down(vk, ctrl));
        if (character != 0 && !ctrl) Submit({KeyEvent::Kind::kCharacter, character, scan, false});
        Submit(Up(vk));
    }
    if (ctrl) Submit(Up(kVkControl));
    if (shift) Submit(Up(kVkShift));
    return true;
}

void OperatorInput::Type(std::string_view pcText) {
    for (const char ch : pcText) {
        const auto c = static_cast<std::uint8_t>(ch);
        int vk = kVkOther;
        std::uint8_t scan = 0;
        switch (c) {
            case kCharBackspace: vk = kVkBackspace; scan = kScanBackspace; break;
            case kCharTab: vk = kVkTab; scan = kScanTab; break;
            case kCharEnter: vk = kVkEnter; scan = kScanEnter; break;
            case kCharEscape: vk = kVkEscape; scan = kScanEscape; break;
            case ' ': vk = kVkSpace; break;
            case '+': vk = kVkOemPlus; scan = kScanPlus; break;
            case '-': vk = kVkOemMinus; scan = kScanMinus; break;
            default:
                if (c >= 'a' && c <= 'z') vk = c - 'a' + 'A';
                else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) vk = c;
                break;
        }
        Submit(Down(vk));
        Submit({KeyEvent::Kind::kCharacter, c, scan, false});
        Submit(Up(vk));
    }
}

void OperatorInput::Paste(std::string_view utf8) {
    if (!links_.terminal.state.connected) return;
    clipboard_.PasteUtf8(utf8);
}

std::string OperatorInput::Copy(CellRect rect, bool trim) const {
    return BuildCopyText(links_.terminal, rect, trim);
}

void OperatorInput::SelectWord(int row, int column) { mouse_.SelectWordAt(row, column); }

void OperatorInput::SetInsertMode(bool on) {
    links_.terminal.SetInsertMode(on);
}

}  // namespace quenlix
