// How the connection endpoint learns that its socket can be read or written.
// The desktop program watches the socket with the toolkit's notifier, the
// headless front end with poll(); either calls Communication::OnSocketEvent
// when data or the close of the connection is waiting, and
// Communication::OnSocketWritable when queued output can go, and calls
// OnSocketEvent once more when asked to (PostReadable).
#pragma once

namespace quenlix {

class SocketNotifier {
public:
    virtual ~SocketNotifier() = default;
    /// Start (or keep) watching `socket`, a file descriptor, for readable data
    /// and for the peer closing the connection. Replaces any earlier socket.
    virtual void Resume(int socket) = 0;
    /// Stop watching; host data waits in the socket until Resume. Also called
    /// before the socket is closed. Calling it twice is harmless.
    virtual void Suspend() = 0;
    /// Also report (through Communication::OnSocketWritable) when `socket`
    /// can take more output, or stop (`on` false). Independent of Resume and
    /// Suspend: output waiting for the host is watched while host data waits.
    virtual void WatchWritable(int /*socket*/, bool /*on*/) {}
    /// Call Communication::OnSocketEvent once, soon, from the event loop,
    /// whether or not the socket is readable: a TLS session holds decrypted
    /// bytes that the socket will not report again. Calls made before it
    /// runs count once; Suspend cancels it.
    virtual void PostReadable() {}
};

/// Watches nothing.
class NullSocketNotifier : public SocketNotifier {
public:
    void Resume(int) override {}
    void Suspend() override {}
};

}  // namespace quenlix
