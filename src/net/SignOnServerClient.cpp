// The sign-on server's attribute exchange over a plain or TLS socket, with
// poll() bounding every wait by one deadline.
#include "net/SignOnServerClient.h"

#include <poll.h>

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "net/BlockingSocket.h"
#include "net/TlsClient.h"
#include "signon/ClientSeed.h"
#include "signon/PortMapper.h"
#include "signon/SignOnServerExchange.h"

namespace quenlix {

namespace {

using Clock = std::chrono::steady_clock;

/// A failure with the words for the operator.
struct Failure {
    std::string text;
};

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

/// Waits until `fd` is ready for `events`; throws Failure at the deadline.
void WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int left = MillisecondsLeft(deadline);
        if (left == 0) throw Failure{"no answer in time"};
        const int n = ::poll(&p, 1, left);
        if (n > 0) return;
        if (n < 0 && errno != EINTR) throw Failure{"poll failed"};
    }
}

/// One connection: the socket, and a TLS session over it when asked for.
class Link {
public:
    Link(const std::string& host, int port, Clock::time_point deadline) : deadline_(deadline) {
        const auto endpoints =
            CBlockingSocket::ResolveEndpoints(host, static_cast<std::uint16_t>(port));
        if (endpoints.empty()) throw Failure{"the host name does not resolve"};
        for (const CBlockingSocket::Endpoint& endpoint : endpoints) {
            try {
                socket_.Close();
                socket_.SetConnectTimeout(std::chrono::milliseconds(MillisecondsLeft(deadline)));
                socket_.Create(SOCK_STREAM, endpoint.family());
                socket_.Connect(endpoint);
                return;
            } catch (const CBlockingSocketException& e) {
                last_ = e.what();
            }
            if (MillisecondsLeft(deadline) == 0) break;
        }
        throw Failure{"cannot connect (" + last_ + ")"};
    }

    void StartTls(const std::string& host, int port, const std::string& caFile) {
        TlsClientSettings settings;
        settings.host = host;
        settings.port = port;
        settings.caFile = caFile;
        std::string error;
        tls_ = TlsClient::Create(settings, {}, error);
        if (!tls_) throw Failure{error};
        if (!tls_->Attach(socket_.Handle())) throw Failure{"out of memory"};
        for (;;) {
            const TlsStream::Step step = tls_->stream().Handshake();
            if (step == TlsStream::Step::kDone) break;
            if (step == TlsStream::Step::kFailed) throw Failure{tls_->HandshakeFailure()};
            WaitFor(socket_.Handle(), step == TlsStream::Step::kWantRead ? POLLIN : POLLOUT,
                    deadline_);
        }
        // Only a host whose certificate verifies is asked: no question for
        // the operator here, the connection itself asks that.
        if (!tls_->Report().problems.empty())
            throw Failure{"the host's certificate does not verify"};
    }

    void Send(const std::vector<std::uint8_t>& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            try {
                const std::size_t n = channel().SendSome(bytes.data() + sent, bytes.size() - sent);
                sent += n;
                if (n > 0) continue;
            } catch (const CBlockingSocketException& e) {
                throw Failure{e.what()};
            }
            WaitFor(socket_.Handle(), channel().SendWantsReadable() ? POLLIN : POLLOUT, deadline_);
        }
    }

    /// Exactly `count` bytes appended to `out`; throws when the host closes first.
    void Read(std::vector<std::uint8_t>& out, std::size_t count) {
        std::size_t have = 0;
        const std::size_t base = out.size();
        out.resize(base + count);
        while (have < count) {
            try {
                const std::size_t n = channel().Receive(out.data() + base + have, count - have);
                if (n == 0) throw Failure{"the host closed the connection"};
                have += n;
                continue;
            } catch (const CBlockingSocketException& e) {
                if (e.errorCode() != EAGAIN && e.errorCode() != EWOULDBLOCK)
                    throw Failure{e.what()};
            }
            if (channel().HasBufferedInput()) continue;
            WaitFor(socket_.Handle(), channel().ReceiveWantsWritable() ? POLLOUT : POLLIN,
                    deadline_);
        }
    }

    /// Up to `count` bytes, fewer when the host closes first.
    std::vector<std::uint8_t> ReadUpTo(std::size_t count) {
        std::vector<std::uint8_t> out(count);
        std::size_t have = 0;
        while (have < count) {
            try {
                const std::size_t n = channel().Receive(out.data() + have, count - have);
                if (n == 0) break;
                have += n;
                continue;
            } catch (const CBlockingSocketException& e) {
                if (e.errorCode() != EAGAIN && e.errorCode() != EWOULDBLOCK) break;
            }
            WaitFor(socket_.Handle(), POLLIN, deadline_);
        }
        out.resize(have);
        return out;
    }

private:
    ByteChannel& channel() {
        if (tls_) return tls_->stream();
        return socket_;
    }

    Clock::time_point deadline_;
    CBlockingSocket socket_;
    std::unique_ptr<TlsClient> tls_;
    std::string last_;
};

int AskPortMapper(const SignOnServerQuery& query, Clock::time_point deadline) {
    Link link(query.host, query.portMapperPort, deadline);
    link.Send(signon::BuildPortMapperRequest(query.tls ? signon::kSignOnTlsService
                                                       : signon::kSignOnService));
    const std::vector<std::uint8_t> reply = link.ReadUpTo(signon::kPortMapperReplyLength);
    const signon::PortOutcome outcome = signon::ParsePortMapperReply(reply.data(), reply.size());
    if (!outcome.port) throw Failure{"the port mapper: " + outcome.refusal};
    return *outcome.port;
}

}  // namespace

PasswordLevelAnswer AskPasswordLevel(const SignOnServerQuery& query) {
    const Clock::time_point deadline = Clock::now() + query.timeout;
    int port = query.port;
    std::string where = query.host;
    try {
        if (port == 0 && query.portMapper) port = AskPortMapper(query, deadline);
        if (port == 0) port = query.tls ? signon::kSignOnServerTlsPort : signon::kSignOnServerPort;
        where = CBlockingSocket::EndpointText(CBlockingSocket::BareHost(query.host), port);
        Link link(query.host, port, deadline);
        if (query.tls) link.StartTls(query.host, port, query.caFile);
        const std::optional<signon::Seed> seed = signon::NewClientSeed();
        if (!seed) throw Failure{"no random client seed could be made"};
        link.Send(signon::BuildExchangeAttributesRequest(*seed));
        std::vector<std::uint8_t> reply;
        link.Read(reply, 4);
        const std::optional<std::size_t> length = signon::ReplyLengthFromPrefix(reply.data());
        if (!length) throw Failure{"the reply's length is refused"};
        link.Read(reply, *length - 4);
        const signon::AttributesOutcome outcome =
            signon::ParseExchangeAttributesReply(reply.data(), reply.size());
        if (!outcome.attributes) throw Failure{"the reply is refused: " + outcome.refusal};
        return {outcome.attributes->passwordLevel, "sign-on server " + where};
    } catch (const Failure& failure) {
        return {std::nullopt,
                "no answer from the sign-on server at " + where + ": " + failure.text};
    } catch (const CBlockingSocketException& e) {
        return {std::nullopt, "no answer from the sign-on server at " + where + ": " + e.what()};
    }
}

namespace {

std::mutex memoryLock;
std::map<std::pair<std::string, int>, std::pair<int, std::string>>& Memory() {
    static std::map<std::pair<std::string, int>, std::pair<int, std::string>> memory;
    return memory;
}

}  // namespace

PasswordLevelAnswer RememberedPasswordLevel(const SignOnServerQuery& query) {
    const auto key = std::make_pair(query.host, query.port * 2 + (query.tls ? 1 : 0));
    {
        const std::lock_guard<std::mutex> hold(memoryLock);
        const auto found = Memory().find(key);
        if (found != Memory().end()) {
            return {found->second.first, found->second.second + ", remembered"};
        }
    }
    PasswordLevelAnswer answer = AskPasswordLevel(query);
    if (answer.level) {
        const std::lock_guard<std::mutex> hold(memoryLock);
        Memory()[key] = {*answer.level, answer.how};
    }
    return answer;
}

void ForgetPasswordLevels() {
    const std::lock_guard<std::mutex> hold(memoryLock);
    Memory().clear();
}

}  // namespace quenlix
