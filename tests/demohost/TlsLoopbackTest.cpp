// The demo host serving TLS on an ephemeral loopback port, to the headless
// front end: its own certificate made at start, trusted by its fingerprint,
// refused without; a certificate from files; a terminal that never starts
// the handshake is dropped in time and does not stop the others.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "cli/CliShell.h"
#include "cli/CommandLine.h"
#include "demohost/DemoServer.h"
#include "support/TlsFixtures.h"

namespace quenlix::demohost {
namespace {

class TlsServer {
public:
    explicit TlsServer(const HostTls& tls, std::chrono::milliseconds handshakeWait =
                                               std::chrono::milliseconds(10000)) {
        ServerOptions options;
        options.port = 0;
        options.tls = &tls;
        options.handshakeWait = handshakeWait;
        server_ = std::make_unique<DemoServer>(options);
        std::string error;
        opened_ = server_->Open(error);
        EXPECT_TRUE(opened_) << error;
        if (opened_) loop_ = std::thread([this] { server_->Run(); });
    }
    ~TlsServer() {
        server_->RequestStop();
        if (loop_.joinable()) loop_.join();
    }
    std::uint16_t port() const { return server_->port(); }

private:
    std::unique_ptr<DemoServer> server_;
    bool opened_ = false;
    std::thread loop_;
};

/// A CLI session's output for `commands` with the options after the host's.
std::string RunCli(std::uint16_t port, std::vector<std::string> options,
                   const std::vector<std::string>& commands) {
    std::ostringstream out, err;
    cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
    std::vector<std::string> args = {"--host", "127.0.0.1", "--port", std::to_string(port),
                                     "--screen", "24 * 80", "--tls"};
    args.insert(args.end(), options.begin(), options.end());
    EXPECT_EQ(cli::ApplyCommandLine(args, shell, out, err, "9.9").exitStatus, -1) << err.str();
    for (const std::string& command : commands) shell.Execute(command);
    return out.str();
}

TEST(DemoHostTls, ASelfSignedHostIsTrustedByItsFingerprintAndRefusedWithout) {
    std::string error;
    const std::unique_ptr<HostTls> tls = HostTls::SelfSigned("127.0.0.1", error);
    ASSERT_TRUE(tls) << error;
    ASSERT_EQ(tls->fingerprint().size(), 95u);
    TlsServer server(*tls);

    const std::string trusted = RunCli(server.port(), {"--trust-fingerprint", tls->fingerprint()},
                                       {"connect", "wait 5000", "screen", "status"});
    EXPECT_EQ(trusted.rfind("connected\nok\n", 0), 0u) << trusted;
    EXPECT_NE(trusted.find("Sign On"), std::string::npos) << trusted;
    EXPECT_NE(trusted.find("\"tls\":\"TLS 1.3\",\"peerFingerprint\":\"" + tls->fingerprint()),
              std::string::npos);

    const std::string refused = RunCli(server.port(), {}, {"connect"});
    EXPECT_EQ(refused, "message: The certificate of 127.0.0.1:" + std::to_string(server.port()) +
                           " is not trusted: the certificate is self-signed.\\nSHA-256 "
                           "fingerprint: " + tls->fingerprint() + "\n");
}

TEST(DemoHostTls, ACertificateFromFilesVerifiesAgainstItsAuthority) {
    testing::SiteCertificates site;
    const std::string certFile = site.dir.File("host.pem");
    const std::string keyFile = site.dir.File("host.key");
    testing::WriteTextFile(certFile, testing::Pem(site.host.cert.get()));
    testing::WriteTextFile(keyFile, testing::Pem(site.host.key.get()));
    std::string error;
    const std::unique_ptr<HostTls> tls = HostTls::FromFiles(certFile, keyFile, error);
    ASSERT_TRUE(tls) << error;
    TlsServer server(*tls);
    const std::string printed =
        RunCli(server.port(), {"--ca-file", site.caFile}, {"connect", "wait 5000", "screen"});
    EXPECT_EQ(printed.rfind("connected\nok\n", 0), 0u) << printed;
    EXPECT_NE(printed.find("Sign On"), std::string::npos);

    EXPECT_FALSE(HostTls::FromFiles(site.caFile, keyFile, error));
    EXPECT_EQ(error, "cannot use the key in " + keyFile + ": key values mismatch");
    EXPECT_FALSE(HostTls::FromFiles("/nonexistent.pem", keyFile, error));
    EXPECT_EQ(error.rfind("cannot use the certificate in /nonexistent.pem", 0), 0u) << error;
}

TEST(DemoHostTls, ATerminalThatNeverShakesHandsIsDroppedAndOthersAreServed) {
    std::string error;
    const std::unique_ptr<HostTls> tls = HostTls::SelfSigned("127.0.0.1", error);
    ASSERT_TRUE(tls) << error;
    TlsServer server(*tls, std::chrono::milliseconds(300));
    const int silent = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(server.port());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(silent, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);

    const std::string printed = RunCli(server.port(), {"--trust-fingerprint", tls->fingerprint()},
                                       {"connect", "wait 5000"});
    EXPECT_EQ(printed, "connected\nok\n");
    // The silent one is closed by the host once its time is up.
    timeval limit{3, 0};
    ::setsockopt(silent, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    char byte = 0;
    EXPECT_EQ(::recv(silent, &byte, 1, 0), 0);
    ::close(silent);
}

}  // namespace
}  // namespace quenlix::demohost
