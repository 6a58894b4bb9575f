// What the connection endpoint asks of the application shell: ending the
// session when the host closes the connection, and the wait cursor shown
// while a connect is under way.
#pragma once

namespace quenlix {

class SessionControl {
public:
    virtual ~SessionControl() = default;
    /// Ends the session as the operator's Disconnect does (sign-off when
    /// connected, blank screen, clear the fields, close the connection).
    /// Called from the endpoint's socket handler.
    virtual void EndSession() = 0;
    /// The wait cursor, shown for the length of a connect.
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}
};

/// Does nothing.
class NullSessionControl : public SessionControl {
public:
    void EndSession() override {}
};

}  // namespace quenlix
