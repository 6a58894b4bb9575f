// One TCP socket to the host on POSIX sockets, and the exception that
// reports the failure of any of its operations. No buffering, no framing.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "net/ByteChannel.h"

namespace quenlix {

/// The failure of a socket operation: the operation's name ("Create",
/// "Connect", "Send" or "Receive") and the errno value at the time of the
/// failure (0 when there was none to report). Thrown by value.
class CBlockingSocketException : public std::exception {
public:
    CBlockingSocketException(const char* operation, int errorCode);

    const char* operation() const { return operation_; }
    int errorCode() const { return errorCode_; }

    /// Writes "<operation> error #<code>", or "<operation> error" when the
    /// code is 0, into `buffer`, cut to `size` - 1 characters and always
    /// terminated (nothing is written when `size` is 0). Always true.
    bool ErrorText(char* buffer, std::size_t size) const;

    /// The same text, uncut.
    const char* what() const noexcept override { return text_.c_str(); }

private:
    const char* operation_;
    int errorCode_;
    std::string text_;
};

/// A stream socket to the host. Despite the name it is only read when the
/// caller knows data (or the close) is waiting, so no call waits for the host
/// except Connect (bounded by the connect timeout) and Send (bounded by the
/// send timeout). As a ByteChannel it is the plain TCP stream.
class CBlockingSocket : public ByteChannel {
public:
    /// The IPv4 socket address of a connect: family AF_INET, port and address
    /// in network byte order, the rest zero (16 bytes).
    using Address = sockaddr_in;

    /// A socket address of either family (IPv4 or IPv6), with its port.
    struct Endpoint {
        sockaddr_storage storage{};
        socklen_t length = 0;

        int family() const { return storage.ss_family; }
        /// The address alone: "127.0.0.1", "::1".
        std::string AddressText() const;
        /// The port, in host byte order.
        int Port() const;
    };

    /// Most addresses a host name is tried at: a name server's answer is
    /// outside data and may list any number of them.
    static constexpr std::size_t kMaxEndpoints = 16;

    static constexpr int kNoSocket = -1;
    /// How long Connect waits for the host to answer before it gives up.
    static constexpr std::chrono::milliseconds kDefaultConnectTimeout{15000};
    /// How long Send waits for room while the host takes none of the bytes.
    /// Records are small, so only a host that has stopped reading gets here.
    static constexpr std::chrono::milliseconds kDefaultSendTimeout{15000};

    CBlockingSocket() = default;
    ~CBlockingSocket() override { Close(); }
    CBlockingSocket(const CBlockingSocket&) = delete;
    CBlockingSocket& operator=(const CBlockingSocket&) = delete;

    /// Creates a socket of `type` (SOCK_STREAM for the host) in `family`
    /// (AF_INET or AF_INET6) with the default protocol. Throws "Create". The
    /// previous socket, if any, must have been closed.
    void Create(int type, int family = AF_INET);

    /// Connects to `address`. Waits at most the connect timeout; a host that
    /// does not answer in time gives "Connect" with ETIMEDOUT. Throws "Connect".
    void Connect(const Address& address);
    /// The same for an address of either family; the socket must have been
    /// created in its family.
    void Connect(const Endpoint& endpoint);

    /// Transmits every byte, looping over partial sends and interruptions;
    /// returns when the kernel has taken them all. A peer that has gone gives
    /// an exception, never SIGPIPE. When the kernel takes nothing for the
    /// send timeout it gives "Send" with ETIMEDOUT; part of the bytes may have
    /// gone by then. Throws "Send".
    void Send(const std::uint8_t* bytes, std::size_t count);

    /// Hands the kernel as many of the bytes as it takes now, without
    /// waiting; returns how many that was (0 when its queue is full). A peer
    /// that has gone gives an exception, never SIGPIPE. Throws "Send".
    std::size_t SendSome(const std::uint8_t* bytes, std::size_t count) override;

    /// Turns on TCP keep-alive with intervals that notice a vanished host
    /// (a laptop that slept, a dropped VPN) within about a minute, and bounds
    /// how long sent data may stay unacknowledged the same way. Best effort:
    /// an option the system lacks is skipped.
    void EnableKeepAlive();

    /// One receive of at most `size` bytes; returns how many arrived, 0 when
    /// the peer has closed the connection. Does not wait: with nothing to
    /// read it throws "Receive" with EAGAIN/EWOULDBLOCK. Throws "Receive".
    std::size_t Receive(std::uint8_t* buffer, std::size_t size) override;

    /// Closes the socket when there is one; a second call does nothing.
    void Close();

    bool IsOpen() const { return handle_ != kNoSocket; }
    /// The file descriptor, kNoSocket when closed.
    int Handle() const { return handle_; }

    void SetConnectTimeout(std::chrono::milliseconds timeout) { connectTimeout_ = timeout; }
    std::chrono::milliseconds connectTimeout() const { return connectTimeout_; }

    /// Dotted IPv4 text is returned unchanged without a lookup; a name is
    /// looked up and its first IPv4 address returned in dotted form; when the
    /// lookup fails the text comes back unchanged.
    static std::string ResolveHost(const std::string& host);

    /// The address record for `host` (through ResolveHost) and `port`. A host
    /// that cannot be resolved gives the "no address" value 255.255.255.255,
    /// to which Connect then fails.
    static Address MakeAddress(const std::string& host, std::uint16_t port);

    /// `host` without the brackets around a literal IPv6 address ("[::1]"
    /// gives "::1"); any other text comes back unchanged.
    static std::string BareHost(const std::string& host);

    /// Every address of `host` (a name, dotted IPv4, or IPv6 with or without
    /// brackets) with `port`, IPv6 and IPv4 alike, in the order the system's
    /// resolver gives them, at most kMaxEndpoints, none twice. Empty when the
    /// name does not resolve.
    static std::vector<Endpoint> ResolveEndpoints(const std::string& host, std::uint16_t port);

    /// "127.0.0.1:23", "[::1]:23": an address and port as messages show them.
    static std::string EndpointText(const std::string& address, int port);

    /// Keep-alive timing (EnableKeepAlive): first probe after this much
    /// silence, then one every interval, given up after the count.
    static constexpr int kKeepAliveIdleSeconds = 30;
    static constexpr int kKeepAliveIntervalSeconds = 10;
    static constexpr int kKeepAliveProbes = 3;

private:
    int handle_ = kNoSocket;
    std::chrono::milliseconds connectTimeout_ = kDefaultConnectTimeout;
    std::chrono::milliseconds sendTimeout_ = kDefaultSendTimeout;
};

}  // namespace quenlix
