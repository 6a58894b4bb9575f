// The headless front end over TLS against a TLS test host on 127.0.0.1: the
// options that trust a host, the lines an operator reads for each trust
// case and failure, and what `status` says about the connection.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/CliShell.h"
#include "cli/CommandLine.h"
#include "net/CertificateDescription.h"
#include "support/TlsFixtures.h"

namespace quenlix::testing {
namespace {

const std::string k511Line =
    "message: Connection initialization failure:\\nVerify your parameters and try again\\n";

void HandshakeAndAsk(TlsTestHost& h) {
    if (h.Handshake()) {
        h.Write(kTlsDoTerminalType);
        h.received.push_back(h.Read(3, 3000));
    }
    h.stop = true;
}

class CliTls : public ::testing::Test {
protected:
    CliTls() : shell(out, QUENLIX_TABLE_DIR, "TESTPC") {}

    /// The options, then `connect`; returns what both printed.
    std::string Connect(TlsTestHost& host, std::vector<std::string> options, bool expectOk) {
        host.stop = false;
        host.Play(HandshakeAndAsk);
        const std::vector<std::string> base = {"--host",   "127.0.0.1", "--port",
                                               std::to_string(host.port()), "--screen", "24 * 80"};
        options.insert(options.begin(), base.begin(), base.end());
        std::ostringstream err;
        const cli::CommandLine line = cli::ApplyCommandLine(options, shell, out, err, "9.9");
        EXPECT_EQ(line.exitStatus, -1) << err.str();
        EXPECT_EQ(shell.Execute("connect"), expectOk) << out.str();
        const std::string printed = out.str();
        AnswerUntilTheHostIsDone(shell, host);
        return printed;
    }
    /// Runs the shell's event loop while the host's script goes on.
    static void AnswerUntilTheHostIsDone(cli::CliShell& shell, TlsTestHost& host) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!host.stop && std::chrono::steady_clock::now() < end) {
            shell.Pump(std::chrono::milliseconds(20));
        }
        host.Join();
    }
    std::string Run(const std::string& command) {
        out.str("");
        shell.Execute(command);
        return out.str();
    }

    SiteCertificates site;
    std::ostringstream out;
    cli::CliShell shell;
};

TEST_F(CliTls, AHostTheCaFileVerifiesConnectsAndStatusNamesTheSession) {
    TlsTestHost host(site.HostOptions());
    EXPECT_EQ(Connect(host, {"--tls", "--ca-file", site.caFile}, true), "connected\n");
    ASSERT_EQ(host.received.size(), 1u);
    EXPECT_EQ(host.received[0], kTlsWillTerminalType);
    const std::string status = Run("status");
    EXPECT_NE(status.find(",\"tls\":\"TLS 1.3\",\"peerFingerprint\":\"" +
                          Sha256Fingerprint(site.host.cert.get()) + "\"}\n"),
              std::string::npos)
        << status;
    EXPECT_NE(Run("settings").find(",\"Security\":\"TLS\",\"CA File\":\"" + site.caFile +
                                   "\",\"Client Certificate\":\"\",\"Keyboard Map\":\"\"}\n"),
              std::string::npos);
}

TEST_F(CliTls, AnUnverifiedCertificateIsRefusedWithItsReasonAndFingerprint) {
    const Identity selfSigned = MakeIdentity(HostProfile());
    const std::string fingerprint = Sha256Fingerprint(selfSigned.cert.get());
    TlsTestHost host(site.HostOptions(&selfSigned));
    EXPECT_EQ(Connect(host, {"--tls", "--ca-file", site.caFile}, false),
              "message: The certificate of 127.0.0.1:" + std::to_string(host.port()) +
                  " is not trusted: the certificate is self-signed.\\nSHA-256 fingerprint: " +
                  fingerprint + "\n");
    EXPECT_FALSE(shell.session().endpoint().IsOpen());
    EXPECT_EQ(shell.session().terminal.state.connected, 0);
    EXPECT_EQ(shell.session().terminal.state.inputInhibited, 0);
    EXPECT_TRUE(host.received.empty() || host.received[0].empty())
        << "nothing is sent to an untrusted host";
    EXPECT_NE(Run("status").find(",\"tls\":null,\"peerFingerprint\":null}"), std::string::npos);
}

TEST_F(CliTls, InsecureConnectsWithAWarningAndATrustedFingerprintWithout) {
    const Identity selfSigned = MakeIdentity(HostProfile());
    const std::string fingerprint = Sha256Fingerprint(selfSigned.cert.get());
    TlsTestHost host(site.HostOptions(&selfSigned));
    EXPECT_EQ(Connect(host, {"--tls", "--insecure"}, true),
              "warning: certificate not verified: the certificate is self-signed (SHA-256 "
              "fingerprint " + fingerprint + ")\nconnected\n");
    ASSERT_EQ(host.received.size(), 1u);
    EXPECT_EQ(host.received[0], kTlsWillTerminalType);
    Run("disconnect");

    // Another shell: the fingerprint in lower case without colons.
    std::string bare;
    for (char c : fingerprint) {
        if (c != ':') bare += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    std::ostringstream out2;
    cli::CliShell second(out2, QUENLIX_TABLE_DIR, "TESTPC");
    host.stop = false;
    host.Play(HandshakeAndAsk);
    std::ostringstream err;
    cli::ApplyCommandLine({"--host", "127.0.0.1", "--port", std::to_string(host.port()), "--tls",
                           "--trust-fingerprint", bare},
                          second, out2, err, "9.9");
    EXPECT_TRUE(second.Execute("connect"));
    EXPECT_EQ(out2.str(), "connected\n");
    AnswerUntilTheHostIsDone(second, host);
}

TEST_F(CliTls, AChangedPinIsRefusedNamingBothFingerprints) {
    const Identity now = MakeIdentity(HostProfile());
    TlsTestHost host(site.HostOptions(&now));
    const std::string before =
        "AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:"
        "77:88:99";
    ASSERT_EQ(shell.session().pins.Add("127.0.0.1", host.port(), before), 0);
    const std::string printed = Connect(host, {"--tls"}, false);
    EXPECT_EQ(printed.rfind("message: The certificate of 127.0.0.1:" +
                                std::to_string(host.port()) + " is not the one trusted for this "
                                "host before",
                            0),
              0u)
        << printed;
    EXPECT_NE(printed.find("\\nTrusted before: " + before + "\\nPresented now:  " +
                           Sha256Fingerprint(now.cert.get()) + "\n"),
              std::string::npos)
        << printed;
    EXPECT_EQ(shell.session().pins.Find("127.0.0.1", host.port()), before) << "the CLI never unpins";
}

TEST_F(CliTls, FailuresEndTheConnectWithMessage511NamingTheCause) {
    // A CA file that is not there: no crash, no connection, the file named.
    TlsTestHost host(site.HostOptions());
    EXPECT_EQ(Connect(host, {"--tls", "--ca-file", "/nonexistent/site-ca.pem"}, false),
              k511Line +
                  "The CA file /nonexistent/site-ca.pem cannot be read: No such file or directory\n");

    // A TLS session to a host that speaks plain telnet.
    out.str("");
    host.stop = false;
    host.Play([](TlsTestHost& h) {
        h.SendRaw(kTlsDoTerminalType);
        h.ReadRaw(600);
    });
    shell.session().activeSettings.CAFile = site.caFile;
    shell.session().pendingSettings.CAFile = site.caFile;
    EXPECT_FALSE(shell.Execute("connect"));
    host.Join();
    EXPECT_EQ(out.str(), k511Line + "TLS handshake with 127.0.0.1:" + std::to_string(host.port()) +
                             " failed: the host does not answer in TLS on this port (a plain "
                             "telnet port?)\n");
}

TEST_F(CliTls, ABadFingerprintOptionIsRefused) {
    std::ostringstream err;
    const cli::CommandLine line =
        cli::ApplyCommandLine({"--trust-fingerprint", "AB:CD"}, shell, out, err, "9.9");
    EXPECT_EQ(line.exitStatus, 2);
    EXPECT_EQ(err.str(),
              "quenlix-telnet-cli: --trust-fingerprint: AB:CD is not a SHA-256 fingerprint (64 "
              "hexadecimal digits, colons optional)\n");
}

}  // namespace
}  // namespace quenlix::testing
