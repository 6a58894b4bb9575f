// The socket layer: error texts, name resolution, closing, and real
// connections on 127.0.0.1.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "Loopback.h"
#include "net/BlockingSocket.h"

namespace quenlix::test {
namespace {

using namespace std::chrono_literals;

std::string TextOf(const CBlockingSocketException& e, std::size_t size) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_TRUE(e.ErrorText(buffer, size));
    return size == 0 ? std::string(buffer, 1) : std::string(buffer);
}

TEST(SocketErrorText, FormatAndCut) {
    const CBlockingSocketException reset("Receive", 10054);
    EXPECT_EQ(TextOf(reset, 64), "Receive error #10054");
    EXPECT_STREQ(reset.what(), "Receive error #10054");
    EXPECT_EQ(TextOf(CBlockingSocketException("Receive", 0), 64), "Receive error");
    EXPECT_EQ(TextOf(reset, 8), "Receive");  // n - 1 characters
    EXPECT_EQ(TextOf(reset, 21), "Receive error #10054");
    EXPECT_EQ(TextOf(reset, 1), "");
    EXPECT_EQ(TextOf(reset, 0), "x");  // nothing written at all
    EXPECT_STREQ(reset.operation(), "Receive");
    EXPECT_EQ(reset.errorCode(), 10054);
}

TEST(SocketResolve, DottedTextNamesAndFailures) {
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
    EXPECT_FALSE(s.IsOpen());
    // The number is free again; a second Close must not close its new owner.
    const int reused = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(reused, fd);
    s.Close();
    EXPECT_NE(fcntl(reused, F_GETFD), -1);
    close(reused);
}

TEST(SocketFailures, NameTheOperationAndErrno) {
    CBlockingSocket s;
    try {
        s.Create(-1);
        FAIL() << "Create of an invalid type succeeded";
    } catch (const CBlockingSocketException& e) {
        EXPECT_STREQ(e.operation(), "Create");
        EXPECT_NE(e.errorCode(), 0);
    }
    s.Create(SOCK_STREAM);
    try {
        s.Connect(CBlockingSocket::MakeAddress("127.0.0.1", ClosedPort()));
        FAIL() << "Connect to a closed port succeeded";
    } catch (const CBlockingSocketException& e) {
        EXPECT_STREQ(e.operation(), "Connect");
        EXPECT_EQ(e.errorCode(), ECONNREFUSED);
    }
}

TEST(SocketLoopback, SendsEverythingReceivesAndSeesTheClose) {
    LoopbackListener host;
    CBlockingSocket s;
    s.Create(SOCK_STREAM);
    s.Connect(CBlockingSocket::MakeAddress("127.0.0.1", host.port()));
    ASSERT_TRUE(host.Accept());

    // Nothing waiting: Receive does not block.
    std::uint8_t buffer[16];
    try {
        s.Receive(buffer, sizeof buffer);
        FAIL() << "Receive returned with nothing to read";
    } catch (const CBlockingSocketException& e) {
        EXPECT_STREQ(e.operation(), "Receive");
        EXPECT_TRUE(e.errorCode() == EAGAIN || e.errorCode() == EWOULDBLOCK);
    }

    // More than the kernel takes in one call: every byte arrives, in order.
    std::vector<std::uint8_t> big(4 << 20);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7);
    std::vector<std::uint8_t> got;
    std::thread reader([&] {
        while (got.size() < big.size()) {
            const auto piece = host.Read(5000);
            if (piece.empty()) break;
            got.insert(got.end(), piece.begin(), piece.end());
        }
    });
    s.Send(big.data(), big.size());
    reader.join();
    EXPECT_TRUE(got == big) << got.size() << " of " << big.size() << " bytes arrived";

    host.Write({1, 2, 3});
    ASSERT_TRUE(LoopbackListener::Readable(s.Handle(), 2000));
    EXPECT_EQ(s.Receive(buffer, sizeof buffer), 3u);
    host.CloseConnection();
    ASSERT_TRUE(LoopbackListener::Readable(s.Handle(), 2000));
    EXPECT_EQ(s.Receive(buffer, sizeof buffer), 0u);

    // A peer that has gone gives an exception, not SIGPIPE.
    EXPECT_THROW(
        {
            for (int i = 0; i < 100; ++i) s.Send(big.data(), 65536);
        },
        CBlockingSocketException);
}

TEST(SocketLoopback, ConnectGivesUpAfterItsTimeout) {
    // A listener whose queue is full leaves further connects unanswered.
    LoopbackListener host(0);
    std::vector<std::unique_ptr<CBlockingSocket>> queued;
    for (int i = 0; i < 8; ++i) {
        auto s = std::make_unique<CBlockingSocket>();
        s->Create(SOCK_STREAM);
        s->SetConnectTimeout(300ms);
        try {
            s->Connect(CBlockingSocket::MakeAddress("127.0.0.1", host.port()));
            queued.push_back(std::move(s));
        } catch (const CBlockingSocketException& e) {
            EXPECT_STREQ(e.operation(), "Connect");
            EXPECT_EQ(e.errorCode(), ETIMEDOUT);
            return;
        }
    }
    GTEST_SKIP() << "the kernel accepted every connect; no unanswered connect to time out";
}

}  // namespace
}  // namespace quenlix::test
