// Lets the keyboard hold back host data while the operator types a system
// request: the connection endpoint stops and restarts its socket
// notifications. The do-nothing base serves front ends without a connection.
#pragma once

namespace quenlix {

class NotificationControl {
public:
    virtual ~NotificationControl() = default;
    /// Host data waits until ResumeNotifications.
    virtual void SuspendNotifications() {}
    virtual void ResumeNotifications() {}
};

}  // namespace quenlix
