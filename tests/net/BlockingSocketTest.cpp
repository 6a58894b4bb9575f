// The socket layer: error texts, name resolution, closing, and real
// connections on 127.0.0.1.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <thread>

#include "Loopback.h"
#include "net/BlockingSocket.h"

namespace quenlix::test {
namespace {

std::string TextOf(const CBlockingSocketException& e, std::size_t size) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_TRUE(e.ErrorText(buffer, size));
    return size == 0 ? std::string(buffer, 1) : std::string(buffer);
}

// The error of `operation` as "Operation errno", or "none".
template <typename F>
std::string FailureOf(F operation) {
    try {
        operation();
    } catch (const CBlockingSocketException& e) {
        return std::string(e.operation()) + " " + std::to_string(e.errorCode());
    }
    return "none";
}

TEST(SocketErrorText, FormatAndCutToTheBuffer) {
    const CBlockingSocketException reset("Receive", 10054);
    EXPECT_EQ(TextOf(reset, 64), "Receive error #10054");
    EXPECT_STREQ(reset.what(), "Receive error #10054");
    EXPECT_EQ(TextOf(CBlockingSocketException("Receive", 0), 64), "Receive error");
    EXPECT_EQ(TextOf(reset, 8), "Receive");  // size - 1 characters
    EXPECT_EQ(TextOf(reset, 1), "");
    EXPECT_EQ(TextOf(reset, 0), "x");  // nothing written at all
}

TEST(SocketAddress, DottedTextNamesAndFailures) {
    EXPECT_EQ(CBlockingSocket::ResolveHost("10.1.2.3"), "10.1.2.3");
    EXPECT_EQ(CBlockingSocket::ResolveHost("localhost"), "127.0.0.1");
    EXPECT_EQ(CBlockingSocket::ResolveHost(""), "");  // lookup fails: unchanged
    const auto a = CBlockingSocket::MakeAddress("10.1.2.3", 23);
    EXPECT_EQ(a.sin_family, AF_INET);
    EXPECT_EQ(a.sin_port, htons(23));
    EXPECT_EQ(a.sin_addr.s_addr, htonl(0x0A010203));
    EXPECT_EQ(CBlockingSocket::MakeAddress("", 23).sin_addr.s_addr, INADDR_NONE);
}

TEST(SocketClose, ClosesOnlyOnce) {
    CBlockingSocket s;
    s.Close();  // no socket: nothing
    s.Create(SOCK_STREAM);
    const int fd = s.Handle();
    s.Close();
    // The number is free again; a second Close must not close its new owner.
    const int reused = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(reused, fd);
    s.Close();
    EXPECT_NE(fcntl(reused, F_GETFD), -1);
    close(reused);
}

TEST(SocketLoopback, FailuresNameTheOperationAndErrno) {
    CBlockingSocket s;
    EXPECT_EQ(FailureOf([&] { s.Create(-1); }), "Create " + std::to_string(EINVAL));
    s.Create(SOCK_STREAM);
    LoopbackHost closed(false);
    EXPECT_EQ(
        FailureOf([&] { s.Connect(CBlockingSocket::MakeAddress("127.0.0.1", closed.port())); }),
        "Connect " + std::to_string(ECONNREFUSED));

    // A listener whose queue is full leaves further connects unanswered.
    LoopbackHost full(true, 0);
    std::vector<std::unique_ptr<CBlockingSocket>> queued;
    std::string failure = "none";
    for (int i = 0; i < 8 && failure == "none"; ++i) {
        queued.push_back(std::make_unique<CBlockingSocket>());
        queued.back()->Create(SOCK_STREAM);
        queued.back()->SetConnectTimeout(std::chrono::milliseconds(300));
        failure = FailureOf([&] {
            queued.back()->Connect(CBlockingSocket::MakeAddress("127.0.0.1", full.port()));
        });
    }
    EXPECT_EQ(failure, "Connect " + std::to_string(ETIMEDOUT));
}

TEST(SocketLoopback, SendsEverythingReceivesAndSeesTheClose) {
    LoopbackHost host;
    CBlockingSocket s;
    s.Create(SOCK_STREAM);
    s.Connect(CBlockingSocket::MakeAddress("127.0.0.1", host.port()));
    ASSERT_TRUE(host.Accept());
    std::uint8_t buffer[16];
    EXPECT_EQ(FailureOf([&] { s.Receive(buffer, sizeof buffer); }),
              "Receive " + std::to_string(EAGAIN));  // nothing waiting: no wait

    // More than the kernel takes in one call: every byte arrives, in order.
    std::vector<std::uint8_t> big(4 << 20), got;
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7);
    std::thread reader([&] {
        for (auto piece = host.Read(5000); !piece.empty(); piece = host.Read(5000)) {
            got.insert(got.end(), piece.begin(), piece.end());
            if (got.size() >= big.size()) break;
        }
    });
    s.Send(big.data(), big.size());
    reader.join();
    EXPECT_TRUE(got == big) << got.size() << " of " << big.size() << " bytes arrived";

    host.Write({1, 2, 3});
    ASSERT_TRUE(Readable(s.Handle()));
    EXPECT_EQ(s.Receive(buffer, sizeof buffer), 3u);
    host.Hangup();
    ASSERT_TRUE(Readable(s.Handle()));
    EXPECT_EQ(s.Receive(buffer, sizeof buffer), 0u);
    // A peer that has gone gives an exception, not SIGPIPE.
    EXPECT_THROW(for (int i = 0; i < 100; ++i) s.Send(big.data(), 65536), CBlockingSocketException);
}

}  // namespace
}  // namespace quenlix::test
