// The real server on an ephemeral loopback port, driven by a raw socket
// through the negotiation and up to the sign-on screen.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "demohost/DemoServer.h"
#include "ds5250/RecordBuilder.h"

namespace quenlix::demohost {
namespace {

class RawClient {
public:
    explicit RawClient(std::uint16_t port) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~RawClient() { close(fd_); }
    bool connected() const { return connected_; }
    void Send(const Bytes& b) { ASSERT_EQ(send(fd_, b.data(), b.size(), 0), ssize_t(b.size())); }
    /// Reads until `count` bytes came, the peer closed, or `ms` passed
    /// without data.
    Bytes Receive(std::size_t count, int ms = 3000) {
        Bytes got;
        while (got.size() < count) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, ms) <= 0) break;
            std::uint8_t buf[4096];
            const ssize_t n = recv(fd_, buf, sizeof buf, 0);
            if (n <= 0) {
                closed_ = true;
                break;
            }
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
    /// Reads until the data ends with IAC EOR after at least one record.
    Bytes ReceiveRecords() {
        Bytes got;
        while (got.size() < 2 || got[got.size() - 2] != 0xFF || got.back() != 0xEF) {
            Bytes more = Receive(1);
            if (more.empty()) break;
            got.insert(got.end(), more.begin(), more.end());
        }
        return got;
    }
    bool closed() const { return closed_; }

private:
    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
};

/// The host's environment request, read to its IAC SE (a doubled 0xFF is
/// data); the seed after "IBMRSEED" goes to `seed`, ESC and 0xFF doubling undone.
Bytes ReceiveEnvironmentRequest(RawClient& c, Seed& seed) {
    Bytes got;
    auto ended = [&] {
        if (got.size() < 2 || got.back() != 0xF0) return false;
        std::size_t iacs = 0;
        for (std::size_t i = got.size() - 1; i > 0 && got[i - 1] == 0xFF; --i) ++iacs;
        return iacs % 2 == 1;
    };
    while (!ended()) {
        const Bytes more = c.Receive(1);
        if (more.empty()) break;
        got.insert(got.end(), more.begin(), more.end());
    }
    const std::string name = "IBMRSEED";
    auto at = std::search(got.begin(), got.end(), name.begin(), name.end());
    EXPECT_NE(at, got.end());
    if (at == got.end()) return got;
    at += static_cast<std::ptrdiff_t>(name.size());
    for (std::uint8_t& b : seed) {
        if (at != got.end() && (*at == 0x02 || *at == 0xFF)) ++at;  // ESC, or a doubled 0xFF
        b = at != got.end() ? *at++ : 0;
    }
    return got;
}

bool Contains(const Bytes& haystack, const std::string& pcText) {
    Bytes needle;
    for (char c : pcText) needle.push_back(BuiltinTablePair().ATOE[static_cast<std::uint8_t>(c)]);
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

/// The host's query, and the start of a terminal's reply (enough to be one).
Bytes Query() { return RecordBuilder(ds::kOpPutGet).queryStructuredField().record(); }
Bytes QueryReply() { return FrameRecord(ds::kOpNoOperation, {0, 0, ds::kAidStructuredField}); }

/// Takes a terminal through the negotiation as IBM-5292-2 named `device`.
void Negotiate(RawClient& c, const std::string& device) {
    EXPECT_EQ(c.Receive(3), Bytes({0xFF, 0xFD, 0x18}));
    c.Send({0xFF, 0xFB, 0x18});
    EXPECT_EQ(c.Receive(6), Bytes({0xFF, 0xFA, 0x18, 0x01, 0xFF, 0xF0}));
    c.Send({0xFF, 0xFA, 0x18, 0x00, 'I', 'B', 'M', '-', '5', '2', '9', '2', '-', '2', 0xFF, 0xF0});
    EXPECT_EQ(c.Receive(12), Bytes({0xFF, 0xFD, 0x19, 0xFF, 0xFB, 0x19, 0xFF, 0xFD, 0x00, 0xFF,
                                    0xFB, 0x00}));
    c.Send({0xFF, 0xFB, 0x19, 0xFF, 0xFD, 0x19, 0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x00});
    EXPECT_EQ(c.Receive(3), Bytes({0xFF, 0xFD, 0x27}));
    c.Send({0xFF, 0xFB, 0x27});
    Seed seed{};
    const Bytes request = ReceiveEnvironmentRequest(c, seed);
    EXPECT_EQ(request, EnvironmentRequest(seed));
    Bytes environ = {0xFF, 0xFA, 0x27, 0x00, 0x03, 'D', 'E', 'V', 'N', 'A', 'M', 'E', 0x01};
    environ.insert(environ.end(), device.begin(), device.end());
    environ.insert(environ.end(), {0xFF, 0xF0});
    c.Send(environ);
}

TEST(DemoHostLoopback, NegotiatesAndServesTwoTerminalsAtOnce) {
    ServerOptions options;
    options.port = 0;
    DemoServer server(options);
    std::string error;
    ASSERT_TRUE(server.Open(error)) << error;
    std::thread loop([&] { server.Run(); });

    RawClient a(server.port()), b(server.port());
    ASSERT_TRUE(a.connected());
    ASSERT_TRUE(b.connected());
    for (RawClient* c : {&a, &b}) {
        EXPECT_EQ(c->Receive(3), Bytes({0xFF, 0xFD, 0x18}));
        c->Send({0xFF, 0xFB, 0x18});
        EXPECT_EQ(c->Receive(6), Bytes({0xFF, 0xFA, 0x18, 0x01, 0xFF, 0xF0}));
    }
    // Each keeps its own state: one is 24 x 80, the other 27 x 132.
    a.Send({0xFF, 0xFA, 0x18, 0x00, 'I', 'B', 'M', '-', '5', '2', '9', '2', '-', '2', 0xFF, 0xF0});
    b.Send({0xFF, 0xFA, 0x18, 0x00, 'I', 'B', 'M', '-', '3', '4', '7', '7', '-', 'F', 'C', 0xFF,
            0xF0});
    Seed seeds[2] = {};
    for (int k = 0; k < 2; ++k) {
        RawClient* c = k == 0 ? &a : &b;
        EXPECT_EQ(c->Receive(12), Bytes({0xFF, 0xFD, 0x19, 0xFF, 0xFB, 0x19, 0xFF, 0xFD, 0x00,
                                         0xFF, 0xFB, 0x00}));
        c->Send({0xFF, 0xFB, 0x19, 0xFF, 0xFD, 0x19, 0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x00});
        EXPECT_EQ(c->Receive(3), Bytes({0xFF, 0xFD, 0x27}));
        c->Send({0xFF, 0xFB, 0x27});
        const Bytes request = ReceiveEnvironmentRequest(*c, seeds[k]);
        EXPECT_EQ(request, EnvironmentRequest(seeds[k]));
    }
    EXPECT_NE(seeds[0], seeds[1]) << "each connection has a seed of its own";
    a.Send({0xFF, 0xFA, 0x27, 0x00, 0x03, 'D', 'E', 'V', 'N', 'A', 'M', 'E', 0x01, 'L', 'O', 'O',
            'P', '1', 0x03, 'I', 'B', 'M', 'R', 'S', 'E', 'E', 'D', 0x01, 0xFF, 0xF0});
    b.Send({0xFF, 0xFA, 0x27, 0x00, 0x03, 'D', 'E', 'V', 'N', 'A', 'M', 'E', 0x01, 'I', 'N', 'U',
            'S', 'E', 0xFF, 0xF0});
    // The device name is taken: closed right after the environment answer,
    // without a single record.
    EXPECT_TRUE(b.Receive(1).empty());
    EXPECT_TRUE(b.closed());

    // The query first, alone; the sign-on screen only after the reply.
    EXPECT_EQ(a.ReceiveRecords(), Query());
    EXPECT_TRUE(a.Receive(1, 100).empty());
    a.Send(QueryReply());
    const Bytes screen = a.ReceiveRecords();
    ASSERT_GT(screen.size(), 12u);
    EXPECT_EQ(screen[2], 0x12);
    EXPECT_EQ(screen[3], 0xA0);
    EXPECT_EQ(screen[9], ds::kOpPutGet);
    EXPECT_EQ(screen[10], ds::kEscape);
    EXPECT_EQ(screen[11], ds::kCmdClearUnit);
    EXPECT_TRUE(Contains(screen, "Sign On"));
    EXPECT_TRUE(Contains(screen, "LOOP1"));

    // System Request 90 ends the session.
    a.Send(FrameRecord(0, {0xF9, 0xF0}, ds::kFlagSystemRequest));
    a.Receive(1 << 20);
    EXPECT_TRUE(a.closed());

    server.RequestStop();
    loop.join();
}

TEST(DemoHostLoopback, AnUnansweredQueryGivesTheSignOnAfterTheWait) {
    ServerOptions options;
    options.port = 0;
    options.queryReplyWait = std::chrono::milliseconds(400);
    DemoServer server(options);
    std::string error;
    ASSERT_TRUE(server.Open(error)) << error;
    std::thread loop([&] { server.Run(); });

    RawClient c(server.port());
    ASSERT_TRUE(c.connected());
    Negotiate(c, "SILENT1");
    EXPECT_EQ(c.ReceiveRecords(), Query());
    // Nothing before the wait is over (400 ms from the query), then the
    // sign-on screen although the terminal never answered.
    EXPECT_TRUE(c.Receive(1, 100).empty());
    const Bytes screen = c.ReceiveRecords();
    EXPECT_TRUE(Contains(screen, "Sign On"));
    EXPECT_TRUE(Contains(screen, "SILENT1"));
    EXPECT_FALSE(c.closed());

    server.RequestStop();
    loop.join();
}

}  // namespace
}  // namespace quenlix::demohost
