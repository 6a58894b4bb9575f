// Turns Qt key events into the keyboard events the terminal's keyboard
// mapping takes: key-down / system-key-down / key-up with virtual-key codes,
// and character events with the PC character and the key's scan code.
#pragma once

#include <QKeyEvent>
#include <QString>
#include <optional>
#include <vector>

#include "input/KeyChord.h"
#include "input/OperatorInput.h"
#include "terminal/Languages.h"

namespace quenlix::app {

/// `shiftDown` is the keyboard state's Shift flag: when the event's
/// modifiers disagree with it (a press the view never saw), a Shift
/// key-down or key-up goes first.
std::vector<KeyEvent> TranslateKeyPress(const QKeyEvent& event, const PcCharset& charset,
                                        bool shiftDown);
std::vector<KeyEvent> TranslateKeyRelease(const QKeyEvent& event);

/// The virtual-key code of a Qt key, or 0 for none.
int VirtualKeyOf(const QKeyEvent& event);

/// The events of text an input method commits (a dead key or compose
/// sequence): each character as the key-down, character and key-up a typed
/// key gives, so it edits and clears a pending field exit the same way.
/// Characters the session's character set lacks are left out.
std::vector<KeyEvent> TranslateCommittedText(const QString& text, const PcCharset& charset);

/// The key map's name of a pressed key, or empty for a key maps cannot
/// name. The keypad's keys are told from the main keyboard's by
/// Qt::KeypadModifier. Left and right Ctrl, Shift and Alt pressed alone are
/// told apart by the native key symbol (X11 and Wayland report it) or, failing
/// that, the X11 / evdev scan code; where the platform reports neither (the
/// offscreen platform, some remote sessions) a modifier key has no name and
/// takes today's path. AltGr is the AltGr key or Qt::GroupSwitchModifier.
std::optional<KeyChord> ChordOf(const QKeyEvent& event);

/// The events of a key the map binds to `function`: the Shift key-down or
/// key-up that brings the keyboard state in step (as TranslateKeyPress),
/// then the function.
std::vector<KeyEvent> TranslateMappedPress(const QKeyEvent& event, KeyFunction function,
                                           bool shiftDown);

/// A modifier key bound to a function (Right Ctrl as Enter) does it when
/// released without any other key pressed since its press, so Ctrl+C with
/// that Ctrl still copies.
class ModifierTap {
public:
    /// A key was pressed; `function` is what the map binds it to when it is
    /// a bound modifier key, else empty (which cancels a tap in progress).
    void Pressed(int qtKey, std::optional<KeyFunction> function);
    /// A key was released: the function to do now, if it ends a tap.
    std::optional<KeyFunction> Released(int qtKey);

private:
    std::optional<KeyFunction> function_;
    int key_ = 0;
};

/// Caps Lock as far as the key events tell it: the toolkit offers no query
/// for the lock state on X11 or Wayland. A letter settles it (upper case
/// without Shift, or lower case with it, means on); the Caps Lock key flips
/// a known state and leaves an unknown one unknown.
class CapsLockTracker {
public:
    /// Notes a key press; true when the state shown changed.
    bool Note(const QKeyEvent& event);
    bool on() const { return on_.value_or(false); }
    std::optional<bool> state() const { return on_; }

private:
    std::optional<bool> on_;
};

}  // namespace quenlix::app
