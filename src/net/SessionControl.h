// What the connection endpoint asks of the session around it: ending the
// session when the host closes the connection, the wait cursor shown while a
// connect is under way, and leaving system request mode when host data
// arrives.
#pragma once

namespace quenlix {

class SessionControl {
public:
    virtual ~SessionControl() = default;
    /// Ends the session as the operator's Disconnect does (sign-off when
    /// connected, blank screen, clear the fields, close the connection).
    /// Called from the endpoint's socket handler.
    virtual void EndSession() = 0;
    /// The host closed the connection, reset it or stopped answering: the
    /// session ends as EndSession does, except that a session may keep the
    /// last screen for the operator to read and copy.
    virtual void HostEndedSession() { EndSession(); }
    /// The wait cursor, shown for the length of a connect.
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}
    /// Host data arrived while the operator typed a system request: the
    /// keyboard leaves the mode (its cursor and lock come back). The
    /// endpoint then clears the mode and resumes its notifications.
    virtual void LeaveSysReqModeForHostData() {}
};

/// Does nothing.
class NullSessionControl : public SessionControl {
public:
    void EndSession() override {}
};

}  // namespace quenlix
