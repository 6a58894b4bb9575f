// The connection's state in a display session's terminal model: the
// `connected` flag, the keyboard lock, the notice, system request mode, and
// plain text written on the screen.
#pragma once

#include "net/ConnectionDisplay.h"
#include "terminal/TerminalState.h"

namespace quenlix {

class TerminalConnectionDisplay : public ConnectionDisplay {
public:
    /// The plain-text display writes no further than this position.
    static constexpr int kPlainTextLastPosition = 1920;

    explicit TerminalConnectionDisplay(Terminal& terminal) : terminal_(terminal) {}

    bool Connected() const override { return terminal_.state.connected != 0; }
    void SetKeyboardLocked(bool locked) override { terminal_.SetKeyboardLocked(locked); }
    void SetConnectionNotice(const std::string& notice) override {
        terminal_.SetConnectionNotice(notice);
    }
    bool SysReqMode() const override { return terminal_.state.sysReqMode; }
    void SetSysReqMode(bool on) override { terminal_.SetSysReqMode(on); }
    void BeginPlainText() override;
    void PlainTextCharacter(std::uint8_t character) override;
    void PlainTextReturn() override;

private:
    Terminal& terminal_;
    int position_ = 0;  ///< where plain text goes on
};

}  // namespace quenlix
