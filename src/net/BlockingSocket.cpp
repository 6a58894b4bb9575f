// POSIX implementation of the host socket. Each failure is thrown with the
// errno of the call that failed, read before anything else can change it.
#include "net/BlockingSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quenlix {

namespace {

std::string FormatErrorText(const char* operation, int errorCode) {
    char text[64];
    if (errorCode != 0) {
        std::snprintf(text, sizeof text, "%s error #%d", operation, errorCode);
    } else {
        std::snprintf(text, sizeof text, "%s error", operation);
    }
    return text;
}

[[noreturn]] void Fail(const char* operation, int errorCode) {
    throw CBlockingSocketException(operation, errorCode);
}

bool SetNonBlocking(int fd, bool on) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0) return false;
    const int wanted = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return wanted == flags || fcntl(fd, F_SETFL, wanted) == 0;
}

// Waits until `fd` can be written (a connect in progress has completed, or a
// full send queue has room) or the timeout runs out; returns the socket's
// pending error as an errno value (0 when there is none), ETIMEDOUT on timeout.
int AwaitWritable(int fd, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return ETIMEDOUT;
        pollfd p{fd, POLLOUT, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (ready == 0) return ETIMEDOUT;
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
        return error;
    }
}

}  // namespace

CBlockingSocketException::CBlockingSocketException(const char* operation, int errorCode)
    : operation_(operation), errorCode_(errorCode), text_(FormatErrorText(operation, errorCode)) {}

bool CBlockingSocketException::ErrorText(char* buffer, std::size_t size) const {
    if (buffer == nullptr || size == 0) return true;
    const std::size_t length = std::min(text_.size(), size - 1);
    std::memcpy(buffer, text_.data(), length);
    buffer[length] = '\0';
    return true;
}

void CBlockingSocket::Create(int type, int family) {
    const int fd = socket(family, type | SOCK_CLOEXEC, 0);
    if (fd < 0) Fail("Create", errno);
    handle_ = fd;
}

void CBlockingSocket::Connect(const Address& address) {
    Endpoint endpoint;
    std::memcpy(&endpoint.storage, &address, sizeof address);
    endpoint.length = sizeof address;
    Connect(endpoint);
}

void CBlockingSocket::Connect(const Endpoint& endpoint) {
    if (!SetNonBlocking(handle_, true)) Fail("Connect", errno);
    int error = 0;
    if (connect(handle_, reinterpret_cast<const sockaddr*>(&endpoint.storage), endpoint.length) !=
        0) {
        error = errno;
        // EINTR leaves the connect going on in the background, like EINPROGRESS.
        if (error == EINPROGRESS || error == EINTR) error = AwaitWritable(handle_, connectTimeout_);
    }
    if (error != 0) Fail("Connect", error);
    // Back to blocking so that Send waits until the kernel has taken every byte.
    if (!SetNonBlocking(handle_, false)) Fail("Connect", errno);
}

void CBlockingSocket::Send(const std::uint8_t* bytes, std::size_t count) {
    std::size_t sent = 0;
    while (sent < count) {
        // MSG_DONTWAIT, and a bounded wait for room: a host that has stopped
        // reading must not freeze the caller's thread for ever.
        const ssize_t n = send(handle_, bytes + sent, count - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) Fail("Send", errno);
        const int error = AwaitWritable(handle_, sendTimeout_);
        if (error != 0) Fail("Send", error);
    }
}

std::size_t CBlockingSocket::SendSome(const std::uint8_t* bytes, std::size_t count) {
    std::size_t sent = 0;
    while (sent < count) {
        const ssize_t n = send(handle_, bytes + sent, count - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) break;
        Fail("Send", errno);
    }
    return sent;
}

void CBlockingSocket::EnableKeepAlive() {
    const int on = 1;
    const int idle = kKeepAliveIdleSeconds;
    const int interval = kKeepAliveIntervalSeconds;
    const int probes = kKeepAliveProbes;
    setsockopt(handle_, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
#ifdef TCP_KEEPIDLE
    setsockopt(handle_, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(handle_, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(handle_, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
#endif
#ifdef TCP_USER_TIMEOUT
    // Keep-alive probes only go out on an idle connection; data sent to a
    // host that has vanished is given up after the same time.
    const unsigned int userTimeout = static_cast<unsigned int>(idle + interval * probes) * 1000u;
    setsockopt(handle_, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeout, sizeof userTimeout);
#endif
}

std::size_t CBlockingSocket::Receive(std::uint8_t* buffer, std::size_t size) {
    for (;;) {
        // MSG_DONTWAIT: a readiness report that turns out to be stale must not
        // freeze the caller's thread.
        const ssize_t n = recv(handle_, buffer, size, MSG_DONTWAIT);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EINTR) continue;
        Fail("Receive", errno);
    }
}

void CBlockingSocket::Close() {
    if (handle_ == kNoSocket) return;
    close(handle_);
    handle_ = kNoSocket;
}

std::string CBlockingSocket::ResolveHost(const std::string& host) {
    in_addr parsed{};
    if (inet_pton(AF_INET, host.c_str(), &parsed) == 1) return host;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return host;
    std::string result = host;
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        if (a->ai_family != AF_INET || a->ai_addr == nullptr) continue;
        char text[INET_ADDRSTRLEN];
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        if (inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text) != nullptr) result = text;
        break;
    }
    freeaddrinfo(found);
    return result;
}

CBlockingSocket::Address CBlockingSocket::MakeAddress(const std::string& host, std::uint16_t port) {
    Address address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, ResolveHost(host).c_str(), &address.sin_addr) != 1) {
        address.sin_addr.s_addr = INADDR_NONE;
    }
    return address;
}

std::string CBlockingSocket::Endpoint::AddressText() const {
    char text[INET6_ADDRSTRLEN] = "";
    if (family() == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&storage);
        if (inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text) == nullptr) return {};
    } else if (family() == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&storage);
        if (inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text) == nullptr) return {};
    }
    return text;
}

int CBlockingSocket::Endpoint::Port() const {
    if (family() == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_port);
    if (family() == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(&storage)->sin_port);
    return 0;
}

std::string CBlockingSocket::BareHost(const std::string& host) {
    if (host.size() < 3 || host.front() != '[' || host.back() != ']') return host;
    const std::string inner = host.substr(1, host.size() - 2);
    in6_addr parsed{};
    return inet_pton(AF_INET6, inner.c_str(), &parsed) == 1 ? inner : host;
}

std::vector<CBlockingSocket::Endpoint> CBlockingSocket::ResolveEndpoints(const std::string& host,
                                                                         std::uint16_t port) {
    std::vector<Endpoint> found;
    const std::string bare = BareHost(host);
    if (bare.empty()) return found;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(bare.c_str(), nullptr, &hints, &list) != 0) return found;
    for (const addrinfo* a = list; a != nullptr && found.size() < kMaxEndpoints; a = a->ai_next) {
        if (a->ai_addr == nullptr) continue;
        Endpoint e;
        if (a->ai_family == AF_INET && a->ai_addrlen >= sizeof(sockaddr_in)) {
            auto* v4 = reinterpret_cast<sockaddr_in*>(&e.storage);
            std::memcpy(v4, a->ai_addr, sizeof(sockaddr_in));
            v4->sin_port = htons(port);
            e.length = sizeof(sockaddr_in);
        } else if (a->ai_family == AF_INET6 && a->ai_addrlen >= sizeof(sockaddr_in6)) {
            auto* v6 = reinterpret_cast<sockaddr_in6*>(&e.storage);
            std::memcpy(v6, a->ai_addr, sizeof(sockaddr_in6));
            v6->sin6_port = htons(port);
            e.length = sizeof(sockaddr_in6);
        } else {
            continue;
        }
        const bool seen = std::any_of(found.begin(), found.end(), [&](const Endpoint& f) {
            return f.length == e.length && std::memcmp(&f.storage, &e.storage, e.length) == 0;
        });
        if (!seen) found.push_back(e);
    }
    freeaddrinfo(list);
    return found;
}

std::string CBlockingSocket::EndpointText(const std::string& address, int port) {
    const bool v6 = address.find(':') != std::string::npos;
    return (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

}  // namespace quenlix
