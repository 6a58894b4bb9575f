// What the keyboard asks of the session beyond the host's answers: holding
// back host data while the operator types a system request (the connection
// endpoint stops and restarts its socket notifications), and connecting
// again after the host ended the session. The do-nothing base serves front
// ends without a connection.
#pragma once

namespace quenlix {

class NotificationControl {
public:
    virtual ~NotificationControl() = default;
    /// Host data waits until ResumeNotifications.
    virtual void SuspendNotifications() {}
    virtual void ResumeNotifications() {}
    /// Enter on the blank screen of a session the host ended: connect again.
    virtual void ReconnectRequested() {}
};

}  // namespace quenlix
