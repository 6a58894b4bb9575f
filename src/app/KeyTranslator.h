// Turns Qt key events into the keyboard events the terminal's keyboard
// mapping takes: key-down / system-key-down / key-up with virtual-key codes,
// and character events with the PC character and the key's scan code.
#pragma once

#include <QKeyEvent>
#include <QString>
#include <optional>
#include <vector>

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
