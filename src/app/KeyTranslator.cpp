// Qt keys to virtual-key codes, scan codes and PC characters.
#include "app/KeyTranslator.h"

#include "input/KeyCodes.h"

namespace quenlix::app {

using namespace keys;

int VirtualKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    switch (key) {
        case Qt::Key_Shift: return kVkShift;
        case Qt::Key_Control: return kVkControl;
        case Qt::Key_CapsLock: return kVkCapsLock;
        case Qt::Key_Backspace: return kVkBackspace;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return kVkTab;
        case Qt::Key_Return:
        case Qt::Key_Enter: return kVkEnter;
        case Qt::Key_Escape: return kVkEscape;
        case Qt::Key_Space: return kVkSpace;
        case Qt::Key_PageUp: return kVkPageUp;
        case Qt::Key_PageDown: return kVkPageDown;
        case Qt::Key_End: return kVkEnd;
        case Qt::Key_Home: return kVkHome;
        case Qt::Key_Left: return kVkLeft;
        case Qt::Key_Up: return kVkUp;
        case Qt::Key_Right: return kVkRight;
        case Qt::Key_Down: return kVkDown;
        case Qt::Key_Insert: return kVkInsert;
        case Qt::Key_Delete: return kVkDelete;
        case Qt::Key_Plus: return keypad ? kVkKeypadPlus : kVkOemPlus;
        case Qt::Key_Minus: return keypad ? kVkKeypadMinus : kVkOemMinus;
        default: break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return kVkF1 + (key - Qt::Key_F1);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // same codes as the virtual keys
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;
    return kVkOther;
}

namespace {

std::uint8_t ScanCodeOf(const QKeyEvent& event) {
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    switch (event.key()) {
        case Qt::Key_Plus: return keypad ? kScanKeypadPlus : kScanPlus;
        case Qt::Key_Minus: return keypad ? kScanKeypadMinus : kScanMinus;
        case Qt::Key_Escape: return kScanEscape;
        case Qt::Key_Backspace: return kScanBackspace;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return kScanTab;
        case Qt::Key_Return:
        case Qt::Key_Enter: return kScanEnter;
        default: return 0;
    }
}

/// The character code a key produces, or -1 for none.
int CharacterOf(const QKeyEvent& event, const PcCharset& charset) {
    switch (event.key()) {
        case Qt::Key_Backspace: return kCharBackspace;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return kCharTab;
        case Qt::Key_Return:
        case Qt::Key_Enter: return kCharEnter;
        case Qt::Key_Escape: return kCharEscape;
        default: break;
    }
    // Ctrl combinations type nothing; AltGr (Ctrl+Alt) still types its character.
    const Qt::KeyboardModifiers mods = event.modifiers();
    const bool altGr = (mods & Qt::ControlModifier) && (mods & Qt::AltModifier);
    if ((mods & Qt::ControlModifier) && !altGr) return -1;
    const QString text = event.text();
    if (text.isEmpty()) return -1;
    const char32_t ch = text.toUcs4().value(0);
    if (ch < 0x20) return -1;
    const auto pc = charset.FromUnicode(ch);
    return pc ? *pc : -1;
}

}  // namespace

std::vector<KeyEvent> TranslateKeyPress(const QKeyEvent& event, const PcCharset& charset,
                                        bool shiftDown) {
    std::vector<KeyEvent> out;
    const int vk = VirtualKeyOf(event);
    const Qt::KeyboardModifiers mods = event.modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    if (vk != kVkShift && shift != shiftDown) {
        out.push_back({shift ? KeyEvent::Kind::kKeyDown : KeyEvent::Kind::kKeyUp, kVkShift, 0,
                       false});
    }
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = (mods & Qt::AltModifier) && !ctrl;
    // F10 and Alt combinations arrive as system keys.
    const bool system = alt || vk == kVkF10;
    out.push_back({system ? KeyEvent::Kind::kSystemKeyDown : KeyEvent::Kind::kKeyDown, vk, 0, ctrl});
    if (!system) {
        const int ch = CharacterOf(event, charset);
        if (ch >= 0) out.push_back({KeyEvent::Kind::kCharacter, ch, ScanCodeOf(event), ctrl});
    }
    return out;
}

std::vector<KeyEvent> TranslateCommittedText(const QString& text, const PcCharset& charset) {
    std::vector<KeyEvent> out;
    for (const char32_t ch : text.toUcs4()) {
        if (ch < 0x20) continue;
        const auto pc = charset.FromUnicode(ch);
        if (!pc) continue;
        out.push_back({KeyEvent::Kind::kKeyDown, kVkOther, 0, false});
        out.push_back({KeyEvent::Kind::kCharacter, *pc, 0, false});
        out.push_back({KeyEvent::Kind::kKeyUp, kVkOther, 0, false});
    }
    return out;
}

bool CapsLockTracker::Note(const QKeyEvent& event) {
    const bool before = on();
    const int key = event.key();
    if (key == Qt::Key_CapsLock) {
        if (on_) on_ = !*on_;
    } else if (key >= Qt::Key_A && key <= Qt::Key_Z && event.text().size() == 1 &&
               event.text().at(0).isLetter()) {
        const bool shift = event.modifiers() & Qt::ShiftModifier;
        on_ = event.text().at(0).isUpper() != shift;
    }
    return on() != before;
}

namespace {

// X11 key symbols of the modifier keys (Wayland reports the same).
constexpr quint32 kSymShiftLeft = 0xFFE1, kSymShiftRight = 0xFFE2;
constexpr quint32 kSymControlLeft = 0xFFE3, kSymControlRight = 0xFFE4;
constexpr quint32 kSymAltLeft = 0xFFE9, kSymAltRight = 0xFFEA;
constexpr quint32 kSymIsoLevel3Shift = 0xFE03;  // AltGr on most layouts
// X11 keycodes (evdev codes + 8) of the same keys.
constexpr quint32 kScanShiftLeft = 50, kScanShiftRight = 62;
constexpr quint32 kScanControlLeft = 37, kScanControlRight = 105;
constexpr quint32 kScanAltLeft = 64, kScanAltRight = 108;

/// "LeftCtrl" etc. for a modifier key pressed alone, empty when the
/// platform does not say which one.
std::string_view ModifierKeyName(const QKeyEvent& event) {
    const quint32 sym = event.nativeVirtualKey();
    const quint32 scan = event.nativeScanCode();
    switch (event.key()) {
        case Qt::Key_Control:
            if (sym == kSymControlLeft || (sym == 0 && scan == kScanControlLeft)) return "LeftCtrl";
            if (sym == kSymControlRight || (sym == 0 && scan == kScanControlRight)) return "RightCtrl";
            return {};
        case Qt::Key_Shift:
            if (sym == kSymShiftLeft || (sym == 0 && scan == kScanShiftLeft)) return "LeftShift";
            if (sym == kSymShiftRight || (sym == 0 && scan == kScanShiftRight)) return "RightShift";
            return {};
        case Qt::Key_Alt:
            if (sym == kSymAltLeft || (sym == 0 && scan == kScanAltLeft)) return "LeftAlt";
            if (sym == kSymAltRight || sym == kSymIsoLevel3Shift || (sym == 0 && scan == kScanAltRight)) {
                return "AltGr";
            }
            return {};
        case Qt::Key_AltGr: return "AltGr";
        default: break;
    }
    return {};
}

/// The chord's key for a non-modifier key, empty when maps cannot name it.
std::string KeyNameOf(const QKeyEvent& event, std::uint8_t& modifiers) {
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9) {
        return "Keypad" + std::string(1, static_cast<char>('0' + key - Qt::Key_0));
    }
    switch (key) {
        case Qt::Key_Return: return "Enter";
        case Qt::Key_Enter: return "KeypadEnter";  // Qt's name for the keypad's Enter
        case Qt::Key_Tab: return "Tab";
        case Qt::Key_Backtab:
            modifiers |= KeyChord::kShift;
            return "Tab";
        case Qt::Key_Backspace: return "Backspace";
        case Qt::Key_Escape: return "Esc";
        case Qt::Key_Space: return "Space";
        case Qt::Key_PageUp: return "PageUp";
        case Qt::Key_PageDown: return "PageDown";
        case Qt::Key_Home: return "Home";
        case Qt::Key_End: return "End";
        case Qt::Key_Left: return "Left";
        case Qt::Key_Right: return "Right";
        case Qt::Key_Up: return "Up";
        case Qt::Key_Down: return "Down";
        case Qt::Key_Insert: return "Insert";
        case Qt::Key_Delete: return "Delete";
        case Qt::Key_Plus: return keypad ? "KeypadPlus" : "Plus";
        case Qt::Key_Minus: return keypad ? "KeypadMinus" : "Minus";
        case Qt::Key_Pause: return "Pause";
        case Qt::Key_ScrollLock: return "ScrollLock";
        case Qt::Key_Print: return "PrintScreen";
        default: break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return "F" + std::to_string(key - Qt::Key_F1 + 1);
    if (key >= Qt::Key_F13 && key <= Qt::Key_F24 && !(modifiers & KeyChord::kShift)) {
        modifiers |= KeyChord::kShift;
        return "F" + std::to_string(key - Qt::Key_F13 + 1);
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return std::string(1, static_cast<char>(key));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return std::string(1, static_cast<char>(key));
    return {};
}

}  // namespace

std::optional<KeyChord> ChordOf(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Control:
        case Qt::Key_Shift:
        case Qt::Key_Alt:
        case Qt::Key_AltGr: {
            const std::string_view name = ModifierKeyName(event);
            if (name.empty()) return std::nullopt;
            return KeyChord{std::string(name), 0};
        }
        default: break;
    }
    const Qt::KeyboardModifiers mods = event.modifiers();
    std::uint8_t modifiers = 0;
    if (mods & Qt::ShiftModifier) modifiers |= KeyChord::kShift;
    if (mods & Qt::ControlModifier) modifiers |= KeyChord::kCtrl;
    if (mods & Qt::AltModifier) modifiers |= KeyChord::kAlt;
    if (mods & Qt::GroupSwitchModifier) modifiers |= KeyChord::kAltGr;
    std::string key = KeyNameOf(event, modifiers);
    if (key.empty()) return std::nullopt;
    return KeyChord{std::move(key), modifiers};
}

std::vector<KeyEvent> TranslateMappedPress(const QKeyEvent& event, KeyFunction function,
                                           bool shiftDown) {
    std::vector<KeyEvent> out;
    const bool shift = event.modifiers() & Qt::ShiftModifier;
    if (event.key() != Qt::Key_Shift && shift != shiftDown) {
        out.push_back({shift ? KeyEvent::Kind::kKeyDown : KeyEvent::Kind::kKeyUp, kVkShift, 0,
                       false});
    }
    out.push_back({KeyEvent::Kind::kFunction, static_cast<int>(function), 0, false});
    return out;
}

void ModifierTap::Pressed(int qtKey, std::optional<KeyFunction> function) {
    // Auto-repeat of the held modifier keeps the tap.
    if (function_ && qtKey == key_ && function == function_) return;
    function_ = function;
    key_ = qtKey;
}

std::optional<KeyFunction> ModifierTap::Released(int qtKey) {
    if (!function_ || qtKey != key_) return std::nullopt;
    const std::optional<KeyFunction> done = function_;
    function_.reset();
    return done;
}

std::vector<KeyEvent> TranslateKeyRelease(const QKeyEvent& event) {
    return {{KeyEvent::Kind::kKeyUp, VirtualKeyOf(event), 0, false}};
}

}  // namespace quenlix::app
