// Turns Qt key events into the keyboard events the terminal's keyboard
// mapping takes: key-down / system-key-down / key-up with virtual-key codes,
// and character events with the PC character and the key's scan code.
#pragma once

#include <QKeyEvent>
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

}  // namespace quenlix::app
