// The sign-on server's attribute exchange on loopback. Every read and write
// is bounded by a short poll(), so a terminal that stalls holds the service
// for at most a few seconds.
#include "demohost/SignOnService.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "signon/ClientSeed.h"
#include "signon/SignOnServerExchange.h"

namespace quenlix::demohost {

namespace {

constexpr int kWaitMilliseconds = 2000;

void PutU16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutU16(out, v >> 16);
    PutU16(out, v & 0xFFFF);
}
std::uint32_t U32At(const std::uint8_t* b) {
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
           b[3];
}
unsigned U16At(const std::uint8_t* b) { return (unsigned{b[0]} << 8) | b[1]; }

/// Reads `count` bytes, false when the peer closes or stalls first.
bool ReadAll(int fd, std::uint8_t* out, std::size_t count) {
    std::size_t have = 0;
    while (have < count) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kWaitMilliseconds) <= 0) return false;
        const ssize_t n = ::recv(fd, out + have, count - have, 0);
        if (n <= 0) return false;
        have += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> ExchangeAttributesReply(const std::uint8_t* request, std::size_t count,
                                                  int passwordLevel) {
    if (count < signon::kHeaderLength || U32At(request) != count ||
        U16At(request + 6) != signon::kSignOnServerId ||
        U16At(request + 18) != signon::kExchangeAttributesRequestId) {
        return {};
    }
    std::vector<std::uint8_t> out;
    PutU32(out, 0);  // the length, set below
    PutU16(out, 0);
    PutU16(out, signon::kSignOnServerId);
    PutU32(out, 0);
    PutU32(out, U32At(request + 12));  // the request's correlation
    PutU16(out, 4);
    PutU16(out, signon::kExchangeAttributesReplyId);
    PutU32(out, 0);  // return code: OK
    PutU32(out, 10);
    PutU16(out, signon::kVersionParameter);
    PutU32(out, 0x00070500);
    PutU32(out, 8);
    PutU16(out, signon::kDatastreamLevelParameter);
    PutU16(out, 15);
    const std::optional<signon::Seed> seed = signon::NewClientSeed();
    PutU32(out, 14);
    PutU16(out, signon::kSeedParameter);
    for (const std::uint8_t b : seed.value_or(signon::Seed{})) out.push_back(b);
    PutU32(out, 7);
    PutU16(out, signon::kPasswordLevelParameter);
    out.push_back(static_cast<std::uint8_t>(passwordLevel));
    const auto length = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    return out;
}

SignOnService::SignOnService(std::string bindAddress, std::uint16_t port, int passwordLevel)
    : bindAddress_(std::move(bindAddress)), port_(port), passwordLevel_(passwordLevel) {}

SignOnService::~SignOnService() { Stop(); }

bool SignOnService::Start(std::string& error) {
    sockaddr_storage address{};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (::inet_pton(AF_INET, bindAddress_.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port_);
        length = sizeof *v4;
    } else if (::inet_pton(AF_INET6, bindAddress_.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(port_);
        length = sizeof *v6;
    } else {
        error = "sign-on server: not an address: " + bindAddress_;
        return false;
    }
    listenFd_ = ::socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (listenFd_ < 0 || ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listenFd_, 8) != 0) {
        error = std::string("sign-on server: cannot listen: ") + std::strerror(errno);
        if (listenFd_ >= 0) ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    sockaddr_storage bound{};
    socklen_t boundLength = sizeof bound;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &boundLength);
    port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                              : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void SignOnService::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
}

void SignOnService::Serve() {
    while (!stop_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        Answer(fd);
        ::close(fd);
    }
}

void SignOnService::Answer(int fd) {
    std::uint8_t request[kMaxRequest];
    if (!ReadAll(fd, request, 4)) return;
    const std::uint32_t length = U32At(request);
    if (length < signon::kHeaderLength || length > kMaxRequest) return;
    if (!ReadAll(fd, request + 4, length - 4)) return;
    const std::vector<std::uint8_t> reply =
        ExchangeAttributesReply(request, length, passwordLevel_);
    std::size_t sent = 0;
    while (sent < reply.size()) {
        const ssize_t n = ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

}  // namespace quenlix::demohost
