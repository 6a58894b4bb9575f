// IPv6 end to end: the demo host listening on ::1, the headless front end
// connecting to the literal address with and without brackets (from its
// options and from a session file), the refusal naming the address, a host
// name tried at each of its addresses, and TLS checking an IPv6 address
// against the certificate's addresses. Skipped where the machine has no IPv6
// loopback.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sstream>
#include <thread>

#include "cli/CliShell.h"
#include "cli/CommandLine.h"
#include "demohost/DemoServer.h"
#include "support/TlsFixtures.h"

namespace quenlix::demohost {
namespace {

bool HasIpv6Loopback() {
    const int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_addr = in6addr_loopback;
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

#define SKIP_WITHOUT_IPV6() \
    if (!HasIpv6Loopback()) GTEST_SKIP() << "this machine has no IPv6 loopback (::1)"

class Server {
public:
    explicit Server(const std::string& bind, const HostTls* tls = nullptr) {
        ServerOptions options;
        options.bindAddress = bind;
        options.port = 0;
        options.tls = tls;
        server_ = std::make_unique<DemoServer>(options);
        std::string error;
        opened_ = server_->Open(error);
        EXPECT_TRUE(opened_) << error;
        if (opened_) loop_ = std::thread([this] { server_->Run(); });
    }
    ~Server() {
        server_->RequestStop();
        if (loop_.joinable()) loop_.join();
    }
    std::string port() const { return std::to_string(server_->port()); }

private:
    std::unique_ptr<DemoServer> server_;
    bool opened_ = false;
    std::thread loop_;
};

/// What the front end prints for `commands`, started with `args`.
std::string RunCli(std::vector<std::string> args, const std::vector<std::string>& commands) {
    std::ostringstream out, err;
    cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
    args.insert(args.end(), {"--screen", "24 * 80"});
    EXPECT_EQ(cli::ApplyCommandLine(args, shell, out, err, "9.9").exitStatus, -1) << err.str();
    for (const std::string& command : commands) shell.Execute(command);
    return out.str();
}

TEST(DemoHostIpv6, ALiteralAddressConnectsWithOrWithoutBrackets) {
    SKIP_WITHOUT_IPV6();
    Server server("::1");
    for (const std::string host : {"::1", "[::1]"}) {
        SCOPED_TRACE(host);
        const std::string printed =
            RunCli({"--host", host, "--port", server.port()}, {"connect", "wait 5000", "screen"});
        EXPECT_EQ(printed.rfind("connected\nok\n", 0), 0u) << printed;
        EXPECT_NE(printed.find("Sign On"), std::string::npos);
    }

    // The session file keeps the address as written and connects with it.
    testing::SiteCertificates scratch;
    const std::string file = scratch.dir.File("v6.stn");
    RunCli({"--host", "[::1]", "--port", server.port()}, {"save " + file});
    const std::string loaded = RunCli({}, {"load " + file, "settings", "connect", "wait 5000"});
    EXPECT_NE(loaded.find("\"IP\":\"[::1]\""), std::string::npos) << loaded;
    EXPECT_NE(loaded.find("connected\nok\n"), std::string::npos) << loaded;
}

TEST(DemoHostIpv6, ARefusalNamesTheAddressInBrackets) {
    SKIP_WITHOUT_IPV6();
    std::string port;
    {
        Server gone("::1");  // a port nobody listens on once it is closed
        port = gone.port();
    }
    const std::string printed = RunCli({"--host", "::1", "--port", port}, {"connect"});
    EXPECT_NE(printed.find("\\nConnection refused by [::1]:" + port + "\n"), std::string::npos)
        << printed;
}

TEST(DemoHostIpv6, AHostNameIsTriedAtEachOfItsAddresses) {
    // Whichever family the resolver lists first for localhost, the host
    // listening on only one of them is reached.
    Server v4("127.0.0.1");
    std::string printed = RunCli({"--host", "localhost", "--port", v4.port()}, {"connect"});
    EXPECT_EQ(printed, "connected\n");

    SKIP_WITHOUT_IPV6();
    bool localhostHasV6 = false;
    for (const auto& e : CBlockingSocket::ResolveEndpoints("localhost", 23)) {
        localhostHasV6 = localhostHasV6 || e.family() == AF_INET6;
    }
    if (!localhostHasV6) GTEST_SKIP() << "localhost has no IPv6 address here";
    Server v6("::1");
    printed = RunCli({"--host", "localhost", "--port", v6.port()}, {"connect"});
    EXPECT_EQ(printed, "connected\n");
}

TEST(DemoHostIpv6, TlsChecksAnIpv6AddressAgainstTheCertificate) {
    SKIP_WITHOUT_IPV6();
    testing::SiteCertificates site;
    testing::CertificateProfile profile = testing::HostProfile();
    profile.ipAddresses.push_back("::1");
    const testing::Identity forV6 = testing::MakeIdentity(profile, &site.ca);
    auto hostTls = [&](const testing::Identity& id, const std::string& name) {
        const std::string cert = site.dir.File(name + ".pem"), key = site.dir.File(name + ".key");
        testing::WriteTextFile(cert, testing::Pem(id.cert.get()));
        testing::WriteTextFile(key, testing::Pem(id.key.get()));
        std::string error;
        std::unique_ptr<HostTls> tls = HostTls::FromFiles(cert, key, error);
        EXPECT_TRUE(tls) << error;
        return tls;
    };

    const std::unique_ptr<HostTls> good = hostTls(forV6, "v6");
    ASSERT_TRUE(good);
    {
        Server server("::1", good.get());
        const std::string printed =
            RunCli({"--host", "[::1]", "--port", server.port(), "--tls", "--ca-file", site.caFile},
                   {"connect", "wait 5000", "screen"});
        EXPECT_EQ(printed.rfind("connected\nok\n", 0), 0u) << printed;
        EXPECT_NE(printed.find("Sign On"), std::string::npos);
    }

    // A certificate for 127.0.0.1 and localhost only: ::1 is not its address.
    const std::unique_ptr<HostTls> other = hostTls(site.host, "v4");
    ASSERT_TRUE(other);
    Server server("::1", other.get());
    const std::string printed = RunCli(
        {"--host", "::1", "--port", server.port(), "--tls", "--ca-file", site.caFile}, {"connect"});
    EXPECT_EQ(printed.rfind("message: ", 0), 0u) << printed;
    EXPECT_EQ(printed.find("connected"), std::string::npos) << printed;
}

}  // namespace
}  // namespace quenlix::demohost
