// What the connection endpoint shows of the connection, and asks of the
// session's state: whether records may go out, the keyboard held while a
// connect is under way, the notice of a lost connection, leaving system
// request mode, and the text of a server that speaks no telnet. A display
// session keeps these in its terminal model (TerminalConnectionDisplay); a
// printer session has no screen and keeps only what it needs.
#pragma once

#include <cstdint>
#include <string>

namespace quenlix {

class ConnectionDisplay {
public:
    virtual ~ConnectionDisplay() = default;
    /// The session counts as connected: records may be sent.
    virtual bool Connected() const = 0;
    /// Held while a connect is under way, released when it fails or the
    /// connection ends.
    virtual void SetKeyboardLocked(bool /*locked*/) {}
    /// Why the host ended the session; empty clears it (a new connect).
    virtual void SetConnectionNotice(const std::string& /*notice*/) {}
    /// The operator is typing a system request.
    virtual bool SysReqMode() const { return false; }
    virtual void SetSysReqMode(bool /*on*/) {}
    /// Text from a server that speaks no telnet begins a new run: it goes on
    /// at the start of the cursor's row.
    virtual void BeginPlainText() {}
    /// One byte of such text, and a return (the line feed after it dropped).
    virtual void PlainTextCharacter(std::uint8_t /*character*/) {}
    virtual void PlainTextReturn() {}
};

/// A session with no display: connected while `connected` is set.
class FlagConnectionDisplay : public ConnectionDisplay {
public:
    bool Connected() const override { return connected; }
    bool connected = false;
};

}  // namespace quenlix
