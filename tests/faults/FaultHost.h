// A misbehaving TN5250 host for the fault tests: listens on 127.0.0.1 and
// plays a script on its own thread against one terminal. Besides sending and
// reading it can trickle bytes one per packet, send while draining what the
// terminal answers, hang up in an orderly way or reset the connection.
// Every wait is bounded, so a terminal that misbehaves fails a test instead
// of hanging it.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "support/LoopbackListener.h"

namespace quenlix::testing {

using Bytes = std::vector<std::uint8_t>;

class FaultHost {
public:
    /// `backlog` is the listen queue; 0 lets the kernel queue a single
    /// connection, which the backlog-full test relies on.
    explicit FaultHost(int backlog = 1) {
        listener_ = ListenOnLoopback(backlog, port_);
    }
    ~FaultHost() {
        stop = true;
        Join();
        if (client_ >= 0) ::close(client_);
        ::close(listener_);
    }
    FaultHost(const FaultHost&) = delete;
    FaultHost& operator=(const FaultHost&) = delete;

    int port() const { return port_; }
    int listener() const { return listener_; }

    /// Accepts one terminal (waiting at most 5 s) and runs `script` on the
    /// host's thread.
    void Play(std::function<void(FaultHost&)> script) {
        thread_ = std::thread([this, script] {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) return;
            client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client_ < 0) return;
            script(*this);
        });
    }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

    /// Sends everything (waiting at most 5 s for room); false when the
    /// terminal has gone or stopped reading.
    bool Send(const Bytes& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            pollfd p{client_, POLLOUT, 0};
            if (::poll(&p, 1, 5000) <= 0) return false;
            const ssize_t n =
                ::send(client_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    /// One byte per TCP segment, with a pause after each so the terminal
    /// sees them arrive one at a time.
    bool Trickle(const Bytes& bytes, std::chrono::microseconds pause = std::chrono::microseconds(300)) {
        int one = 1;
        ::setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        for (std::uint8_t b : bytes) {
            if (!Send(Bytes{b})) return false;
            std::this_thread::sleep_for(pause);
        }
        return true;
    }

    /// Sends `bytes` while reading whatever the terminal answers meanwhile
    /// (appended to `answers`), so neither side can block the other however
    /// much the terminal has to say. False when the terminal has gone.
    bool SendDraining(const Bytes& bytes, Bytes& answers, int timeoutMs = 20000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t done = 0;
        while (done < bytes.size() && std::chrono::steady_clock::now() < end) {
            pollfd p{client_, POLLIN | POLLOUT, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            if (p.revents & POLLIN) {
                if (!DrainOnce(answers)) return false;
            }
            if (p.revents & POLLOUT) {
                const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, 16384);
                const ssize_t n =
                    ::send(client_, bytes.data() + done, chunk, MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
                if (n <= 0) return false;
                done += static_cast<std::size_t>(n);
            }
        }
        return done == bytes.size();
    }

    /// Reads until `count` bytes came or the time ran out.
    Bytes Read(std::size_t count, int timeoutMs = 5000) {
        Bytes out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd p{client_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            std::uint8_t chunk[4096];
            const ssize_t n = ::recv(client_, chunk, std::min(sizeof chunk, count - out.size()), 0);
            if (n <= 0) break;
            out.insert(out.end(), chunk, chunk + n);
        }
        return out;
    }
    /// Reads up to and including the next IAC `last` (EOR 0xEF or SE 0xF0).
    Bytes ReadThrough(std::uint8_t last, int timeoutMs = 5000) {
        Bytes out;
        while (out.size() < 2 || out[out.size() - 2] != 0xFF || out.back() != last) {
            const Bytes one = Read(1, timeoutMs);
            if (one.empty()) break;
            out.push_back(one[0]);
        }
        return out;
    }
    /// Everything that arrives until the terminal has been quiet for `quietMs`.
    Bytes ReadQuiet(int quietMs = 200) {
        Bytes out;
        for (;;) {
            pollfd p{client_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0 || !DrainOnce(out)) return out;
        }
    }

    /// An orderly hang-up (FIN).
    void Close() {
        ::shutdown(client_, SHUT_RDWR);
        ::close(client_);
        client_ = -1;
    }
    /// An abortive close: SO_LINGER with a zero time makes close() send RST.
    void Reset() {
        linger l{1, 0};
        ::setsockopt(client_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        ::close(client_);
        client_ = -1;
    }

    /// Raised by the test (and the destructor) to end an endless script.
    std::atomic<bool> stop{false};
    /// What the script saw, for the test thread to check after Join.
    std::vector<Bytes> received;

private:
    bool DrainOnce(Bytes& out) {
        std::uint8_t chunk[16384];
        const ssize_t n = ::recv(client_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n < 0) return errno == EAGAIN || errno == EINTR;
        if (n == 0) return false;
        out.insert(out.end(), chunk, chunk + n);
        return true;
    }

    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// The telnet bytes of a host's negotiation.
inline constexpr std::uint8_t kIac = 0xFF;
inline constexpr std::uint8_t kSb = 0xFA;
inline constexpr std::uint8_t kSe = 0xF0;
inline constexpr std::uint8_t kEor = 0xEF;

inline const Bytes kDoTerminalType = {kIac, 0xFD, 0x18};
inline const Bytes kTerminalTypeSend = {kIac, kSb, 0x18, 0x01, kIac, kSe};
inline const Bytes kDoEnviron = {kIac, 0xFD, 0x27};
inline const Bytes kEnvironSend = {kIac, kSb, 0x27, 0x01, 0x03, 'D', 'E', 'V', 'N', 'A', 'M', 'E',
                                   kIac, kSe};
inline const Bytes kBinaryAndEor = {kIac, 0xFD, 0x19, kIac, 0xFB, 0x19,
                                    kIac, 0xFD, 0x00, kIac, 0xFB, 0x00};
inline const Bytes kBinaryAndEorAnswer = {kIac, 0xFB, 0x19, kIac, 0xFD, 0x19,
                                          kIac, 0xFB, 0x00, kIac, 0xFD, 0x00};

/// The host's side of a normal negotiation; each step waits for the
/// terminal's answer and keeps it in `received`. With `trickle` every
/// command goes one byte per packet. With `untilEnvironment` it stops after
/// the environment answer, where a host that refuses the display name
/// closes the connection.
inline void Negotiate(FaultHost& h, bool trickle = false, bool untilEnvironment = false) {
    auto send = [&](const Bytes& b) { return trickle ? h.Trickle(b) : h.Send(b); };
    send(kDoTerminalType);
    h.received.push_back(h.Read(3));
    send(kTerminalTypeSend);
    h.received.push_back(h.ReadThrough(kSe));
    send(kDoEnviron);
    h.received.push_back(h.Read(3));
    send(kEnvironSend);
    h.received.push_back(h.ReadThrough(kSe));
    if (untilEnvironment) return;
    send(kBinaryAndEor);
    h.received.push_back(h.Read(kBinaryAndEorAnswer.size()));
}

}  // namespace quenlix::testing
