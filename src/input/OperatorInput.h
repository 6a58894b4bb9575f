// The operator-input facade for front ends: owns the keyboard mapping, the
// field editor, the type-ahead queue, the mouse selection and the clipboard
// commands, and offers named keys and text. The headless CLI calls only this;
// the desktop view also reaches the parts for its raw events.
//
// Key names (PressKey), case-sensitive, with optional "Shift+", "Ctrl+" and
// "Alt+" prefixes in any order:
//   Enter, Tab, Backtab, Backspace, Esc, F1..F24 (F13..F24 = Shift+F1..F12),
//   PageUp, PageDown, Home, End, Left, Right, Up, Down, Insert, Delete,
//   FieldPlus / KeypadPlus, FieldMinus / KeypadMinus, Shift, Ctrl, CapsLock,
//   WheelUp, WheelDown, and the special key bar: SysReq, Attn, Help, Print,
//   Refresh, Next, Previous, PA1, PA2, PA3, DeleteFields.
// The key map's key names (KeyChord.h) are keys too: the keypad keys, Space,
// letters and digits with Ctrl or Alt, Pause, ScrollLock, PrintScreen and the
// left and right modifier keys. A key the session's map binds to something
// other than today's mapping does the map's function. The names of the
// keyboard functions (KeyFunction.h) that are not key names do their
// function: FieldExit, Reset, Dup, FieldMark, EraseEOF, EraseInput,
// NewLine, HomePosition, RollUp, RollDown, Clear, WordLeft, WordRight.
// Accelerators act at once, even while input is inhibited: Shift+Esc
// (SysReq), Ctrl+C / Ctrl+Insert (copy the selection), Ctrl+V / Shift+Insert
// (paste the clipboard), Ctrl+A (select all); Ctrl+L, Ctrl+U, Ctrl+Z,
// Alt+Backspace and Shift+Delete do nothing. Application accelerators
// (Alt+F4, Ctrl+F1..F4, Ctrl+B/D/F/N/O/P/R/S/T/X) are not input keys:
// PressKey returns false for them, as for unknown names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "input/ClipboardActions.h"
#include "input/FieldEditor.h"
#include "input/KeyMap.h"
#include "input/KeyboardMapper.h"
#include "input/MouseSelection.h"
#include "input/TypeAheadQueue.h"

namespace quenlix {

/// One keyboard event as the keyboard mapping receives it.
struct KeyEvent {
    /// kFunction: a keyboard function a key map bound the key to.
    enum class Kind : std::uint8_t { kKeyDown, kKeyUp, kSystemKeyDown, kCharacter, kFunction };
    Kind kind = Kind::kKeyDown;
    int code = 0;              ///< virtual-key code, character code, or KeyFunction
    std::uint8_t scanCode = 0; ///< character events
    bool ctrl = false;         ///< Ctrl held (word moves)
    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

/// A key-down presses its virtual key and a key-up releases it; a full
/// type-ahead queue still takes the release of a press it holds.
template <>
struct TypeAheadKeys<KeyEvent> {
    static KeyTransition Of(const KeyEvent& e) {
        switch (e.kind) {
            case KeyEvent::Kind::kKeyDown: return {KeyTransition::Kind::kPress, e.code};
            case KeyEvent::Kind::kKeyUp: return {KeyTransition::Kind::kRelease, e.code};
            default: return {};
        }
    }
};

class OperatorInput {
public:
    /// `links.input` holds the keyboard state; the clipboard and options
    /// must outlive the object.
    OperatorInput(const InputLinks& links, Clipboard& clipboard, ClipboardOptions& options);

    /// Presses and releases a named key (see above). False for an unknown
    /// name or an application accelerator. Keys go through type-ahead.
    bool PressKey(std::string_view name);
    /// True for the names of the application accelerators PressKey leaves
    /// to the main window.
    static bool IsApplicationCommand(std::string_view name);
    /// Types PC characters, each as its key-down, character and key-up
    /// events (CR, TAB, BS and ESC act as Enter, Tab, Backspace and Esc).
    void Type(std::string_view pcText);
    /// Pastes UTF-8 text at the cursor at once, even while input is inhibited.
    void Paste(std::string_view utf8);
    /// The text of a rectangle of 0-based cells (right and bottom exclusive).
    std::string Copy(CellRect rect, bool trim) const;
    /// Selects the word at a 0-based row and column, as a double-click does.
    void SelectWord(int row, int column);
    void SetInsertMode(bool on);

    /// The session's key map (the Standard map until set).
    void SetKeyMap(KeyMap map) { keyMap_ = std::move(map); }
    const KeyMap& keyMap() const { return keyMap_; }
    /// What the map makes a key do instead of today's mapping; empty when
    /// the key takes today's path.
    std::optional<KeyFunction> MappedFunction(const KeyChord& key) const {
        return keyMap_.Override(key);
    }
    /// A function as one key press through type-ahead.
    void PerformFunction(KeyFunction function);

    /// One event through type-ahead: handled now, held, or dropped with the
    /// alarm when the queue is full. Runs the replay check first.
    void Submit(const KeyEvent& event);
    /// The replay check: call after host data may have lifted the lock.
    void CheckTypeAhead();
    /// Host data arrived during system request mode (the view's
    /// EndSysReqLine).
    void LeaveSysReqModeForHostData() { keyboard_.LeaveSysReqModeForHostData(); }

    KeyboardMapper& keyboard() { return keyboard_; }
    FieldEditor& editor() { return editor_; }
    MouseSelection& mouse() { return mouse_; }
    ClipboardActions& clipboard() { return clipboard_; }
    TypeAheadQueue<KeyEvent>& typeAhead() { return typeAhead_; }
    InputState& state() { return links_.input; }
    const InputLinks& links() const { return links_; }

private:
    void Dispatch(const KeyEvent& event);
    void Offer(const KeyEvent& event);

    InputLinks links_;
    FieldEditor editor_;
    KeyboardMapper keyboard_;
    MouseSelection mouse_;
    ClipboardActions clipboard_;
    TypeAheadQueue<KeyEvent> typeAhead_;
    KeyMap keyMap_;
};

}  // namespace quenlix
