// Plain text from a server that speaks no telnet, on the screen.
#include "net/TerminalConnectionDisplay.h"

namespace quenlix {

void TerminalConnectionDisplay::BeginPlainText() {
    position_ = terminal_.PixelToPosition(0, terminal_.state.cursorY);
}

void TerminalConnectionDisplay::PlainTextCharacter(std::uint8_t character) {
    if (position_ >= 0 && position_ <= kPlainTextLastPosition &&
        position_ < terminal_.cellCount()) {
        terminal_.SetCellCharacter(position_, character);
        ++position_;
    }
}

void TerminalConnectionDisplay::PlainTextReturn() {
    TerminalState& state = terminal_.state;
    // The cursor goes down at most to the system request line, the row
    // below the screen.
    if (terminal_.CursorRow() < terminal_.rows()) {
        terminal_.SetCursorPixels(state.cursorX, state.cursorY + state.cellHeight);
    }
    position_ = terminal_.PixelToPosition(0, state.cursorY);
}

}  // namespace quenlix
