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

std::vector<KeyEvent> TranslateKeyRelease(const QKeyEvent& event) {
    return {{KeyEvent::Kind::kKeyUp, VirtualKeyOf(event), 0, false}};
}

}  // namespace quenlix::app
