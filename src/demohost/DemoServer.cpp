// poll() loop of the demo host.
#include "demohost/DemoServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "net/BlockingSocket.h"

namespace quenlix::demohost {

namespace {
void SetNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}
}  // namespace

bool DemoServer::Buffered(const Client& c) const {
    return c.tls && c.tls->handshakeDone() && c.tls->HasBufferedInput() &&
           c.out.size() - c.sent < kMaxQueuedOutput && !c.session->closeRequested();
}

DemoServer::DemoServer(ServerOptions options) : options_(std::move(options)) {}

DemoServer::~DemoServer() {
    for (Client& c : clients_) {
        if (c.fd >= 0) close(c.fd);
    }
    if (listenFd_ >= 0) close(listenFd_);
    if (log_) std::fclose(log_);
}

bool DemoServer::Open(std::string& error) {
    if (!options_.logPath.empty()) {
        log_ = std::fopen(options_.logPath.c_str(), "w");
        if (!log_) {
            error = "cannot open log file " + options_.logPath + ": " + std::strerror(errno);
            return false;
        }
    }
    // An IPv4 or an IPv6 address (with or without brackets), numeric only.
    const std::string host = CBlockingSocket::BareHost(options_.bindAddress);
    sockaddr_storage address{};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(options_.port);
        length = sizeof *v4;
    } else if (inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(options_.port);
        length = sizeof *v6;
    } else {
        error = "not an IPv4 or IPv6 address: " + options_.bindAddress;
        return false;
    }
    listenFd_ = socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int yes = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (address.ss_family == AF_INET6) {
        // Only the address given: an IPv6 listener takes no IPv4 on the side.
        setsockopt(listenFd_, IPPROTO_IPV6, IPV6_V6ONLY, &yes, sizeof yes);
    }
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        error = "bind " + CBlockingSocket::EndpointText(host, options_.port) + ": " +
                std::strerror(errno);
        return false;
    }
    if (listen(listenFd_, 16) != 0) {
        error = std::string("listen: ") + std::strerror(errno);
        return false;
    }
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.ss_family == AF_INET6 ? v6->sin6_port : v4->sin_port);
    SetNonBlocking(listenFd_);
    if (options_.signOnPort) {
        signOn_ = std::make_unique<SignOnService>(options_.bindAddress, *options_.signOnPort,
                                                  options_.passwordLevel);
        if (!signOn_->Start(error)) return false;
    }
    return true;
}

bool DemoServer::Stopping() const {
    return stop_ || (externalStop_ && *externalStop_) ||
           (options_.once && servedOne_ && clients_.empty());
}

void DemoServer::WriteLog(int client, const std::string& line) {
    if (!log_) return;
    std::fprintf(log_, "[%d] %s\n", client, line.c_str());
    std::fflush(log_);
}

void DemoServer::WriteTraffic(const Client& c, const std::vector<std::string>& lines) {
    const std::string_view sent = TrafficTracer::kReceivedPrefix;  // the terminal received it
    const std::string_view received = TrafficTracer::kSentPrefix;  // the terminal sent it
    for (const std::string& line : lines) {
        const std::string_view text = line;
        if (text.substr(0, sent.size()) == sent) {
            WriteLog(c.number, "-> " + line.substr(sent.size()));
        } else if (text.substr(0, received.size()) == received) {
            WriteLog(c.number, "<- " + line.substr(received.size()));
        } else {
            WriteLog(c.number, line);
        }
    }
}

void DemoServer::Collect(Client& c) {
    for (const std::string& line : c.session->TakeLog()) WriteLog(c.number, line);
    for (const std::string& line : c.session->TakeReports()) {
        std::fprintf(stderr, "quenlix-demo-host: [%d] %s\n", c.number, line.c_str());
    }
    Bytes more = c.session->TakeOutput();
    if (c.sent > 0 && c.sent == c.out.size()) {
        c.out.clear();
        c.sent = 0;
    }
    if (c.tracer && !more.empty()) WriteTraffic(c, c.tracer->Received(more.data(), more.size()));
    if (options_.answerDelay.count() > 0 && !more.empty()) {
        if (c.held.empty()) c.heldUntil = std::chrono::steady_clock::now() + options_.answerDelay;
        c.held.insert(c.held.end(), more.begin(), more.end());
    } else {
        c.out.insert(c.out.end(), more.begin(), more.end());
    }
    if (!c.session->awaitingQueryReply()) {
        c.queryDeadline.reset();
    } else if (!c.queryDeadline) {
        c.queryDeadline = std::chrono::steady_clock::now() + options_.queryReplyWait;
    }
}

int DemoServer::ExpireQueryWaits() {
    using namespace std::chrono;
    const steady_clock::time_point now = steady_clock::now();
    milliseconds next(kPollMilliseconds);
    for (Client& c : clients_) {
        if (c.fd < 0 || !c.queryDeadline) continue;
        if (*c.queryDeadline <= now) {
            c.session->QueryReplyTimedOut();
            Collect(c);
            WriteTo(c);
        } else {
            // Rounded up, so the loop never wakes just before the deadline.
            next = std::min(next, ceil<milliseconds>(*c.queryDeadline - now));
        }
    }
    return static_cast<int>(next.count());
}

int DemoServer::ReleaseHeld() {
    using namespace std::chrono;
    const steady_clock::time_point now = steady_clock::now();
    milliseconds next(kPollMilliseconds);
    for (Client& c : clients_) {
        if (c.fd < 0 || c.held.empty()) continue;
        if (c.heldUntil <= now) {
            c.out.insert(c.out.end(), c.held.begin(), c.held.end());
            c.held.clear();
            WriteTo(c);
        } else {
            next = std::min(next, ceil<milliseconds>(c.heldUntil - now));
        }
    }
    return static_cast<int>(next.count());
}

void DemoServer::ExpireHandshakes() {
    const auto now = std::chrono::steady_clock::now();
    for (Client& c : clients_) {
        if (c.fd >= 0 && c.handshakeDeadline && *c.handshakeDeadline <= now) {
            Drop(c, "no TLS handshake in time");
        }
    }
}

void DemoServer::Accept() {
    for (;;) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;  // EAGAIN: no more waiting
        if (clients_.size() >= kMaxClients) {
            close(fd);
            continue;
        }
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        Client c;
        c.fd = fd;
        c.number = nextNumber_++;
        if (options_.tls) {
            c.tls = std::make_unique<TlsStream>(options_.tls->context(), fd, false);
            if (c.tls->ssl() == nullptr) {
                close(fd);
                continue;
            }
            c.handshakeDeadline = std::chrono::steady_clock::now() + options_.handshakeWait;
        }
        HostConfig config;
        config.scenario = options_.scenario;
        config.burstCount = options_.burstCount;
        config.clientNumber = c.number;
        config.tables = options_.tables;
        config.passwordLevel = options_.passwordLevel;
        config.password = options_.password;
        config.allowPlain = options_.allowPlain;
        config.printerRefuseCode = options_.printerRefuseCode;
        config.printReport = [this](int pages, std::string& device) {
            return PrintReport(pages, device);
        };
        c.session = std::make_unique<HostSession>(config);
        if (log_) {
            c.tracer = std::make_unique<TrafficTracer>(ScreenMemory());
            c.tracer->SetTextTables(options_.tables.ETOA,
                                    PcCharset::ForCodePage(options_.tables.codePage));
        }
        WriteLog(c.number, c.tls ? "connected, TLS handshake" : "connected");
        // The session's first output waits in `out` until the handshake ends.
        c.session->Start();
        Collect(c);
        clients_.push_back(std::move(c));
        servedOne_ = true;
    }
}

bool DemoServer::PrintReport(int pages, std::string& device) {
    for (Client& printer : clients_) {
        if (!printer.session->printerReady()) continue;
        printer.session->QueueReport(pages);
        device = printer.session->deviceName();
        Collect(printer);
        return true;
    }
    return false;
}

bool DemoServer::StepHandshake(Client& c) {
    switch (c.tls->Handshake()) {
        case TlsStream::Step::kDone:
            c.handshakeDeadline.reset();
            WriteLog(c.number, c.tls->Version() + " set up");
            return WriteTo(c);
        case TlsStream::Step::kWantRead:
        case TlsStream::Step::kWantWrite:
            return true;
        case TlsStream::Step::kFailed:
            break;
    }
    const std::string why =
        "TLS handshake failed" +
        (c.tls->failureText().empty() ? std::string() : ": " + c.tls->failureText());
    Drop(c, why.c_str());
    return false;
}

long DemoServer::ReceiveSome(Client& c, std::uint8_t* buffer, std::size_t size,
                             std::string& why) {
    if (c.tls) {
        try {
            return static_cast<long>(c.tls->Receive(buffer, size));
        } catch (const CBlockingSocketException& e) {
            if (e.errorCode() == EAGAIN) return -1;
            why = c.tls->failureText().empty() ? std::strerror(e.errorCode())
                                               : "TLS: " + c.tls->failureText();
            return -2;
        }
    }
    const ssize_t n = recv(c.fd, buffer, size, 0);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return -1;
    why = std::strerror(errno);
    return -2;
}

long DemoServer::SendSome(Client& c, const std::uint8_t* bytes, std::size_t count,
                          std::string& why) {
    if (c.tls) {
        try {
            return static_cast<long>(c.tls->SendSome(bytes, count));
        } catch (const CBlockingSocketException& e) {
            why = c.tls->failureText().empty() ? std::strerror(e.errorCode())
                                               : "TLS: " + c.tls->failureText();
            return -1;
        }
    }
    const ssize_t n = send(c.fd, bytes, count, MSG_NOSIGNAL);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return 0;
    why = std::strerror(errno);
    return -1;
}

bool DemoServer::ReadFrom(Client& c) {
    // Decrypted bytes a TLS session holds are read at once, a few buffers
    // a round, while the terminal's output queue has room.
    constexpr int kRounds = 8;
    for (int round = 0; round < kRounds; ++round) {
        std::uint8_t buffer[8192];
        std::string why;
        const long n = ReceiveSome(c, buffer, sizeof buffer, why);
        if (n == 0) {
            Drop(c, "terminal closed the connection");
            return false;
        }
        if (n == -1) return true;
        if (n < 0) {
            Drop(c, why.c_str());
            return false;
        }
        if (c.tracer) WriteTraffic(c, c.tracer->Sent(buffer, static_cast<std::size_t>(n)));
        c.session->Receive(buffer, static_cast<std::size_t>(n));
        Collect(c);
        if (!c.tls || !c.tls->HasBufferedInput() || c.out.size() - c.sent >= kMaxQueuedOutput) {
            return true;
        }
    }
    return true;
}

short DemoServer::EventsOf(const Client& c) const {
    if (c.tls && !c.tls->handshakeDone()) {
        return c.tls->handshakeWantsWrite() ? POLLOUT : POLLIN;
    }
    short events = 0;
    const bool waiting = c.sent < c.out.size();
    if (c.out.size() - c.sent + c.held.size() < kMaxQueuedOutput && !c.session->closeRequested()) {
        events |= POLLIN;
    }
    if (waiting || (c.session->closeRequested() && c.held.empty())) events |= POLLOUT;
    // A TLS write may need a record read first, a read a write.
    if (c.tls && waiting && c.tls->SendWantsReadable()) events |= POLLIN;
    if (c.tls && c.tls->ReceiveWantsWritable()) events |= POLLOUT;
    return events;
}

bool DemoServer::WriteTo(Client& c) {
    if (c.tls && !c.tls->handshakeDone()) return true;
    while (c.sent < c.out.size()) {
        std::string why;
        const long n = SendSome(c, c.out.data() + c.sent, c.out.size() - c.sent, why);
        if (n < 0) {
            Drop(c, why.c_str());
            return false;
        }
        if (n == 0) return true;
        c.sent += static_cast<std::size_t>(n);
    }
    c.out.clear();
    c.sent = 0;
    // A burst is generated as the socket takes it.
    c.session->Pump();
    Collect(c);
    if (c.out.empty() && c.held.empty() && c.session->closeRequested()) {
        Drop(c, "host closed the connection");
        return false;
    }
    return true;
}

void DemoServer::Drop(Client& c, const char* why) {
    Collect(c);
    if (c.tracer) WriteTraffic(c, c.tracer->Finish());
    WriteLog(c.number, std::string("disconnected: ") + why);
    if (c.tls) c.tls->Shutdown();
    c.tls.reset();
    close(c.fd);
    c.fd = -1;
}

int DemoServer::Run() {
    std::vector<pollfd> fds;
    while (!Stopping()) {
        // A dropped client keeps fd -1 until the sweep below; poll() skips it.
        ExpireHandshakes();
        int timeout = std::min(ExpireQueryWaits(), ReleaseHeld());
        fds.clear();
        fds.push_back({listenFd_, POLLIN, 0});
        for (const Client& c : clients_) {
            fds.push_back({c.fd, c.fd >= 0 ? EventsOf(c) : short(0), 0});
            // Decrypted bytes wait in the TLS session: no waiting in poll().
            if (c.fd >= 0 && Buffered(c)) timeout = 0;
        }
        const int ready = poll(fds.data(), fds.size(), timeout);
        if (ready < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "quenlix-demo-host: poll: %s\n", std::strerror(errno));
            return 1;
        }
        const std::size_t existing = clients_.size();
        for (std::size_t i = 0; i < existing; ++i) {
            Client& c = clients_[i];
            const short revents = fds[i + 1].revents;
            if (c.fd < 0 || (revents == 0 && !Buffered(c))) continue;
            if (c.tls && !c.tls->handshakeDone()) {
                StepHandshake(c);
                continue;
            }
            if ((revents & (POLLIN | POLLHUP | POLLERR)) || Buffered(c)) {
                if (!ReadFrom(c)) continue;
            }
            if (revents & POLLOUT || c.sent < c.out.size() || c.session->closeRequested()) {
                WriteTo(c);
            }
        }
        std::erase_if(clients_, [](const Client& c) { return c.fd < 0; });
        if (fds[0].revents & POLLIN) Accept();
    }
    for (Client& c : clients_) Drop(c, "host stopped");
    clients_.clear();
    return 0;
}

}  // namespace quenlix::demohost
