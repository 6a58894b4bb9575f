// The endpoint over TLS against a TLS test host on 127.0.0.1: every way a
// host certificate is trusted or refused and what the operator is asked,
// every way the handshake fails and the words for it, and the stream cut in
// every shape (single bytes, many small records, more than one receive
// takes, a renegotiation request).
#include <gtest/gtest.h>
#include <poll.h>

#include <cstdlib>
#include <deque>

#include "NetTestSupport.h"
#include "net/CertificateDescription.h"
#include "net/Communication.h"
#include "net/TerminalConnectionDisplay.h"
#include "session/CertificatePins.h"
#include "support/TlsFixtures.h"
#include "terminal/StringTable.h"

namespace quenlix::test {
namespace {

using quenlix::testing::AuthorityProfile;
using quenlix::testing::HostProfile;
using quenlix::testing::Identity;
using quenlix::testing::MakeIdentity;
using quenlix::testing::Pem;
using quenlix::testing::SiteCertificates;
using quenlix::testing::TlsBytes;
using quenlix::testing::TlsHostOptions;
using quenlix::testing::TlsTestHost;
using quenlix::testing::WriteTextFile;
using quenlix::testing::kTlsDoTerminalType;
using quenlix::testing::kTlsWillTerminalType;

const std::string k511(LoadString(kStrConnectFailure));

/// The shell of the endpoint with both watches, the posted read, and the
/// operator's answers from a script.
class TlsShell : public RecordingShell, public CertificateQuestions {
public:
    void Suspend() override {
        RecordingShell::Suspend();
        posted = false;
    }
    void WatchWritable(int socket, bool on) override { writeWatched = on ? socket : -1; }
    void PostReadable() override { posted = true; }
    void AskAboutCertificate(const CertificateQuestion& question,
                             std::function<void(CertificateAnswer)> answer,
                             std::function<bool()> stillAsked) override {
        asked.push_back(question);
        watchedWhileAsking = watched != -1 || writeWatched != -1;
        if (deferAnswers) {
            later = std::move(answer);
            stillOpen = std::move(stillAsked);
            return;
        }
        CertificateAnswer a = CertificateAnswer::kCancel;
        if (!answers.empty()) {
            a = answers.front();
            answers.pop_front();
        }
        answer(a);
    }
    std::optional<std::string> AskKeyPassphrase(const std::string& path) override {
        passphraseAsked.push_back(path);
        return passphrase;
    }

    int writeWatched = -1;
    bool posted = false;
    std::vector<CertificateQuestion> asked;
    std::deque<CertificateAnswer> answers;  ///< Cancel once they run out
    bool deferAnswers = false;
    bool watchedWhileAsking = false;
    std::function<void(CertificateAnswer)> later;
    std::function<bool()> stillOpen;
    std::optional<std::string> passphrase;
    std::vector<std::string> passphraseAsked;
};

class TlsEndpoint : public ::testing::Test {
protected:
    TlsEndpoint() {
        terminal.screen.AllocateCells(80, 24);
        terminal.screen.SetGeometry(80, 24);
        settings.TerminalName = "IBM-5292-2";
        settings.Security = ConnectionSecurity::kTls;
        settings.CAFile = site.caFile;
        comm.SetInterpreter(&shell);
        comm.SetCertificateQuestions(&shell);
        comm.SetCertificatePins(&pins);
        // As the session does: the end closes the connection.
        shell.onEndSession = [this] {
            comm.Close();
            terminal.state.connected = 0;
        };
    }
    ~TlsEndpoint() override { comm.Close(); }

    bool Connect(const std::string& host, int port) {
        const bool ok = comm.Connect(host, port);
        terminal.state.connected = ok ? 1 : 0;
        return ok;
    }
    /// One turn of an event loop over the watches the endpoint asked for.
    void Pump(int ms = 20) {
        comm.CheckHandshakeTime();
        if (shell.posted) {
            shell.posted = false;
            comm.OnSocketEvent();
            return;
        }
        pollfd p[2];
        nfds_t n = 0;
        if (shell.watched >= 0) p[n++] = {shell.watched, POLLIN, 0};
        if (shell.writeWatched >= 0) p[n++] = {shell.writeWatched, POLLOUT, 0};
        if (n == 0 || ::poll(p, n, ms) <= 0) {
            if (n == 0) ::poll(nullptr, 0, ms);
            return;
        }
        for (nfds_t i = 0; i < n; ++i) {
            if (p[i].revents == 0) continue;
            if (p[i].events == POLLOUT) {
                comm.OnSocketWritable();
            } else {
                comm.OnSocketEvent();
            }
        }
    }
    template <typename Done>
    bool RunUntil(Done done, int ms = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done() && std::chrono::steady_clock::now() < end) Pump();
        return done();
    }
    /// Runs until the TLS connection is up or has ended.
    bool Settle() { return RunUntil([this] { return !comm.Securing(); }); }
    bool Up() const { return comm.IsOpen() && !comm.TlsVersion().empty(); }

    /// The host: the handshake, then DO TERMINAL-TYPE and its answer.
    static void HandshakeAndAsk(TlsTestHost& h) {
        if (!h.Handshake()) return;
        h.Write(kTlsDoTerminalType);
        h.received.push_back(h.Read(3, 3000));
    }

    SiteCertificates site;
    Terminal terminal;
    TerminalConnectionDisplay display{terminal};
    SessionSettings settings;
    TlsShell shell;
    CertificatePins pins;
    Communication comm{{display, settings, shell, shell, shell}};
};

// ---- trusted certificates ----

TEST_F(TlsEndpoint, AHostVerifiedByTheSessionsCaFileConnectsWithoutAQuestion) {
    TlsTestHost host(site.HostOptions());
    host.Play(HandshakeAndAsk);
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    EXPECT_TRUE(comm.Securing());
    EXPECT_EQ(terminal.state.inputInhibited, 1);
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(Up());
    EXPECT_EQ(comm.TlsVersion(), "TLS 1.3");
    ASSERT_TRUE(comm.PeerCertificate());
    EXPECT_EQ(comm.PeerCertificate()->fingerprint, Sha256Fingerprint(site.host.cert.get()));
    EXPECT_TRUE(comm.PeerCertificate()->verified());
    RunUntil([&] { return !host.received.empty(); }, 3000);
    host.Join();
    ASSERT_EQ(host.received.size(), 1u);
    EXPECT_EQ(host.received[0], kTlsWillTerminalType) << "the negotiation runs over TLS";
    EXPECT_TRUE(shell.asked.empty());
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(TlsEndpoint, AHostVerifiedByTheSystemTrustStoreConnectsToo) {
    // OpenSSL's default store is the file SSL_CERT_FILE names, when set.
    settings.CAFile.clear();
    setenv("SSL_CERT_FILE", site.caFile.c_str(), 1);
    TlsTestHost host(site.HostOptions());
    host.Play(HandshakeAndAsk);
    // By name this time: SNI and the DNS name are checked.
    ASSERT_TRUE(Connect("localhost", host.port()));
    Settle();
    unsetenv("SSL_CERT_FILE");
    EXPECT_TRUE(Up());
    EXPECT_TRUE(shell.asked.empty());
    host.Join();
}

// ---- certificates that do not verify ----

TEST_F(TlsEndpoint, EveryUnverifiedCertificateIsAskedAboutWithItsReasonAndCancelConnectsNothing) {
    const Identity otherCa = MakeIdentity(AuthorityProfile("Other CA"));
    auto profile = [](auto change) {
        quenlix::testing::CertificateProfile s = HostProfile();
        change(s);
        return s;
    };
    struct Row {
        const char* what;
        Identity id;
        std::string host;
        std::string reason;
        int securityLevel = -1;
    };
    std::vector<Row> rows;
    rows.push_back({"self-signed", MakeIdentity(HostProfile()), "127.0.0.1",
                    "the certificate is self-signed"});
    rows.push_back({"unknown authority", MakeIdentity(HostProfile(), &otherCa), "127.0.0.1",
                    "the certificate was issued by a certificate authority that is not trusted "
                    "here (O = Quenlix test, CN = Other CA)"});
    rows.push_back({"expired",
                    MakeIdentity(profile([](auto& s) {
                                     s.validFromDays = -30;
                                     s.validUntilDays = -2;
                                 }),
                                 &site.ca),
                    "127.0.0.1", "the certificate expired on "});
    rows.push_back({"not yet valid",
                    MakeIdentity(profile([](auto& s) {
                                     s.validFromDays = 2;
                                     s.validUntilDays = 30;
                                 }),
                                 &site.ca),
                    "127.0.0.1", "the certificate is not valid before "});
    rows.push_back({"name mismatch",
                    MakeIdentity(profile([](auto& s) { s.ipAddresses.clear(); }), &site.ca),
                    "127.0.0.1", "the certificate is for localhost, not for 127.0.0.1"});
    rows.push_back({"NUL in the name",
                    MakeIdentity(profile([](auto& s) {
                                     s.commonName = std::string("localhost\0.evil.example", 23);
                                     s.dnsNames = {s.commonName};
                                     s.ipAddresses.clear();
                                 }),
                                 &site.ca),
                    "localhost",
                    "the certificate is for localhost\\x00.evil.example, not for localhost"});
    rows.push_back({"weak key", MakeIdentity(HostProfile(), &site.ca, 768), "127.0.0.1",
                    "the certificate's key is too weak (RSA, 768 bits)", 0});
    rows.push_back({"SHA-1 signature",
                    MakeIdentity(profile([](auto& s) { s.sha1Signature = true; }), &site.ca),
                    "127.0.0.1",
                    "the certificate is signed with a digest too weak to be safe (such as SHA-1)",
                    0});
    for (Row& row : rows) {
        SCOPED_TRACE(row.what);
        shell.asked.clear();
        TlsHostOptions options = site.HostOptions(&row.id);
        options.securityLevel = row.securityLevel;
        TlsTestHost host(options);
        host.Play(HandshakeAndAsk);
        ASSERT_TRUE(Connect(row.host, host.port()));
        Settle();
        ASSERT_EQ(shell.asked.size(), 1u);
        const CertificateQuestion& q = shell.asked[0];
        EXPECT_EQ(q.kind, CertificateQuestion::Kind::kUntrusted);
        EXPECT_FALSE(shell.watchedWhileAsking) << "no socket notification while asking";
        EXPECT_NE(q.report.Reason().find(row.reason), std::string::npos) << q.report.Reason();
        EXPECT_EQ(q.report.fingerprint, Sha256Fingerprint(row.id.cert.get()));
        EXPECT_FALSE(q.report.subject.empty());
        EXPECT_FALSE(q.report.issuer.empty());
        EXPECT_NE(q.report.validUntil.find(" UTC"), std::string::npos);
        EXPECT_EQ(q.text, "The certificate of " + row.host + ":" + std::to_string(host.port()) +
                              " is not trusted: " + q.report.Reason() +
                              ".\nSHA-256 fingerprint: " + q.report.fingerprint);
        // Cancel: the session ends, nothing was sent, nothing more is said.
        EXPECT_FALSE(comm.IsOpen());
        EXPECT_EQ(terminal.state.connected, 0);
        EXPECT_EQ(terminal.state.inputInhibited, 0);
        EXPECT_TRUE(shell.messages.empty());
        host.Join();
        ASSERT_EQ(host.received.size(), 1u);
        EXPECT_TRUE(host.received[0].empty()) << "the terminal answered an untrusted host";
    }
}

TEST_F(TlsEndpoint, ConnectThisTimeTrustsOnceAndAlwaysTrustPinsForTheHostAndPort) {
    const Identity selfSigned = MakeIdentity(HostProfile());
    TlsTestHost host(site.HostOptions(&selfSigned));
    const std::string fingerprint = Sha256Fingerprint(selfSigned.cert.get());

    shell.answers = {CertificateAnswer::kConnectOnce};
    host.Play(HandshakeAndAsk);
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    Settle();
    EXPECT_TRUE(Up());
    RunUntil([&] { return !host.received.empty(); }, 3000);
    host.Join();
    EXPECT_EQ(host.received.back(), kTlsWillTerminalType);
    EXPECT_EQ(pins.Find("127.0.0.1", host.port()), "") << "once is not for always";
    comm.Close();

    shell.answers = {CertificateAnswer::kAlwaysTrust};
    host.Play(HandshakeAndAsk);
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    Settle();
    EXPECT_TRUE(Up());
    EXPECT_EQ(pins.Find("127.0.0.1", host.port()), fingerprint);
    host.Join();
    comm.Close();

    // Pinned: no question the next time.
    shell.asked.clear();
    host.Play(HandshakeAndAsk);
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    Settle();
    EXPECT_TRUE(Up());
    EXPECT_TRUE(shell.asked.empty());
    host.Join();
}

TEST_F(TlsEndpoint, AChangedPinnedCertificateIsRefusedWithBothFingerprintsUntilThePinGoes) {
    const Identity now = MakeIdentity(HostProfile());
    TlsTestHost host(site.HostOptions(&now));
    const std::string before(
        "AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99");
    ASSERT_EQ(pins.Add("127.0.0.1", host.port(), before), 0);

    host.Play(HandshakeAndAsk);
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    Settle();
    ASSERT_EQ(shell.asked.size(), 1u);
    const CertificateQuestion& q = shell.asked[0];
    EXPECT_EQ(q.kind, CertificateQuestion::Kind::kChanged);
    EXPECT_EQ(q.pinnedFingerprint, before);
    EXPECT_NE(q.text.find("Trusted before: " + before), std::string::npos) << q.text;
    EXPECT_NE(q.text.find("Presented now:  " + q.report.fingerprint), std::string::npos);
    EXPECT_NE(q.text.find("it is refused"), std::string::npos);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(pins.Find("127.0.0.1", host.port()), before) << "Cancel keeps the pin";
    host.Join();

    // Remove pin: judged afresh, so asked as any unverified certificate.
    shell.asked.clear();
    shell.answers = {CertificateAnswer::kRemovePin, CertificateAnswer::kConnectOnce};
    host.Play(HandshakeAndAsk);
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    Settle();
    ASSERT_EQ(shell.asked.size(), 2u);
    EXPECT_EQ(shell.asked[1].kind, CertificateQuestion::Kind::kUntrusted);
    EXPECT_EQ(pins.Find("127.0.0.1", host.port()), "");
    EXPECT_TRUE(Up());
    host.Join();
}

TEST_F(TlsEndpoint, AFingerprintTrustedForThisRunConnectsWithoutAQuestion) {
    const Identity selfSigned = MakeIdentity(HostProfile());
    ASSERT_TRUE(pins.TrustForThisRun(Sha256Fingerprint(selfSigned.cert.get())));
    TlsTestHost host(site.HostOptions(&selfSigned));
    host.Play(HandshakeAndAsk);
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    Settle();
    EXPECT_TRUE(Up());
    EXPECT_TRUE(shell.asked.empty());
    host.Join();
}

TEST_F(TlsEndpoint, AnAnswerThatComesLaterIsWaitedForAndOneAfterTheEndIsIgnored) {
    const Identity selfSigned = MakeIdentity(HostProfile());
    TlsTestHost host(site.HostOptions(&selfSigned));
    shell.deferAnswers = true;
    host.Play(HandshakeAndAsk);
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    ASSERT_TRUE(RunUntil([&] { return !shell.asked.empty(); }));
    // The host's DO TERMINAL-TYPE waits unread while the operator decides.
    for (int i = 0; i < 10; ++i) Pump();
    EXPECT_TRUE(comm.Securing());
    ASSERT_TRUE(shell.stillOpen());
    shell.later(CertificateAnswer::kConnectOnce);
    RunUntil([&] { return !host.received.empty(); }, 3000);
    host.Join();
    EXPECT_EQ(host.received.back(), kTlsWillTerminalType);
    comm.Close();

    // The window closed (the session ended) while the question was open.
    shell.asked.clear();
    host.Play(HandshakeAndAsk);
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    ASSERT_TRUE(RunUntil([&] { return !shell.asked.empty(); }));
    comm.Close();
    EXPECT_FALSE(shell.stillOpen());
    shell.later(CertificateAnswer::kConnectOnce);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_FALSE(comm.Securing());
    host.Join();
}

TEST_F(TlsEndpoint, WithoutAnyoneToAskTheReasonIsShownAndNothingIsAccepted) {
    comm.SetCertificateQuestions(nullptr);
    const Identity selfSigned = MakeIdentity(HostProfile());
    TlsTestHost host(site.HostOptions(&selfSigned));
    host.Play(HandshakeAndAsk);
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    Settle();
    EXPECT_FALSE(comm.IsOpen());
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].rfind("The certificate of 127.0.0.1:", 0), 0u);
    EXPECT_NE(shell.messages[0].find("the certificate is self-signed"), std::string::npos);
    host.Join();
}

// ---- handshakes that fail ----

struct FailureRow {
    const char* what;
    std::function<void(TlsHostOptions&)> options;
    std::function<void(TlsTestHost&)> script;
    std::string reason;  ///< the second line after message 511's text
};

TEST_F(TlsEndpoint, EveryHandshakeFailureEndsWithMessage511NamingTheCause) {
    comm.SetConnectTimeout(std::chrono::milliseconds(400));
    auto handshake = [](TlsTestHost& h) { h.Handshake(2000); };
    const std::vector<FailureRow> rows = {
        {"a host of TLS 1.1 or older",
         [](TlsHostOptions& o) {
             o.maxVersion = TLS1_1_VERSION;
             o.securityLevel = 0;
             o.cipherList = "DEFAULT@SECLEVEL=0";
         },
         handshake, "the host offers only TLS 1.1 or older; TLS 1.2 or newer is required"},
        {"no cipher in common",
         [](TlsHostOptions& o) {
             o.maxVersion = TLS1_2_VERSION;
             o.securityLevel = 0;
             o.cipherList = "ADH-AES256-GCM-SHA384:@SECLEVEL=0";
         },
         handshake, "the host and this terminal have no cipher suite in common"},
        {"a host that closes during the handshake", {},
         [](TlsTestHost& h) {
             h.ReadRaw(100);
             h.Close();
         },
         "the host closed the connection during the TLS handshake"},
        {"a plain telnet host", {},
         [](TlsTestHost& h) {
             h.SendRaw(kTlsDoTerminalType);
             h.ReadRaw(600);
         },
         "the host does not answer in TLS on this port (a plain telnet port?)"},
        {"garbage instead of a ServerHello", {},
         [](TlsTestHost& h) {
             h.ReadRaw(100);
             h.SendRaw({0x16, 0x03, 0x03, 0xFF, 0xF0, 'g', 'a', 'r', 'b', 'a', 'g', 'e'});
             h.ReadRaw(600);
         },
         "the host's answer is not a TLS handshake (packet length too long)"},
        {"a host that stops in the middle of the handshake", {},
         [](TlsTestHost& h) {
             // Only the first bytes of the host's flight go out.
             TlsBytes hello = h.ReadRaw(100);
             (void)hello;
             h.SendRaw({0x16, 0x03, 0x03, 0x00, 0x40, 0x02, 0x00});
             h.ReadRaw(1500);
         },
         "No TLS answer from 127.0.0.1:PORT within 1 s"},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.what);
        shell.messages.clear();
        TlsHostOptions options = site.HostOptions();
        if (row.options) row.options(options);
        TlsTestHost host(options);
        host.Play(row.script);
        ASSERT_TRUE(Connect("127.0.0.1", host.port()));
        ASSERT_TRUE(Settle()) << "the handshake must end";
        EXPECT_FALSE(comm.IsOpen());
        EXPECT_EQ(terminal.state.connected, 0);
        EXPECT_EQ(terminal.state.inputInhibited, 0);
        std::string reason = row.reason;
        if (const auto at = reason.find("PORT"); at != std::string::npos) {
            reason.replace(at, 4, std::to_string(host.port()));
        } else {
            reason = "TLS handshake with 127.0.0.1:" + std::to_string(host.port()) +
                     " failed: " + reason;
        }
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0], k511 + "\n" + reason);
        host.stop = true;
        host.Join();
    }
}

TEST_F(TlsEndpoint, FilesTheSessionNamesThatCannotBeUsedFailBeforeTheHostIsReached) {
    const std::string notPem = site.dir.File("notes.txt");
    WriteTextFile(notPem, "no certificates here\n");
    const std::string keyless = site.dir.File("keyless.pem");
    WriteTextFile(keyless, Pem(site.host.cert.get()));
    struct Row {
        std::string caFile, clientCertificate, reason;
    } rows[] = {
        {"/nonexistent/ca.pem", "",
         "The CA file /nonexistent/ca.pem cannot be read: No such file or directory"},
        {site.dir.File(""), "", "The CA file " + site.dir.File("") + " cannot be read: Is a directory"},
        {notPem, "", "The CA file " + notPem + " holds no PEM certificate"},
        {site.caFile, "/nonexistent/me.pem",
         "The client certificate file /nonexistent/me.pem cannot be read: No such file or directory"},
        {site.caFile, keyless, "The client certificate file " + keyless + " holds no private key"},
    };
    TlsTestHost host(site.HostOptions());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reason);
        shell.messages.clear();
        settings.CAFile = row.caFile;
        settings.ClientCertificate = row.clientCertificate;
        EXPECT_FALSE(Connect("127.0.0.1", host.port()));
        EXPECT_FALSE(comm.IsOpen());
        EXPECT_EQ(terminal.state.inputInhibited, 0);
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0], k511 + "\n" + row.reason);
    }
}

TEST_F(TlsEndpoint, ClientCertificatesAreSentRequiredRefusedAndTheirPassphraseAsked) {
    const Identity clientCa = MakeIdentity(AuthorityProfile("Client CA"));
    quenlix::testing::CertificateProfile me = HostProfile();
    me.commonName = "JDOE";
    const Identity client = MakeIdentity(me, &clientCa);
    const Identity stranger = MakeIdentity(me);
    const std::string plainFile = site.dir.File("me.pem");
    WriteTextFile(plainFile, Pem(client.cert.get()) + Pem(client.key.get()));
    const std::string lockedFile = site.dir.File("me-locked.pem");
    WriteTextFile(lockedFile, Pem(client.key.get(), "open sesame") + Pem(client.cert.get()));
    const std::string strangerFile = site.dir.File("stranger.pem");
    WriteTextFile(strangerFile, Pem(stranger.cert.get()) + Pem(stranger.key.get()));

    for (int version : {TLS1_2_VERSION, TLS1_3_VERSION}) {
        SCOPED_TRACE(version == TLS1_2_VERSION ? "TLS 1.2" : "TLS 1.3");
        TlsHostOptions options = site.HostOptions();
        options.maxVersion = version;
        options.clientAuthority = clientCa.cert.get();
        options.requireClientCertificate = true;
        TlsTestHost host(options);
        const std::string where = "TLS handshake with 127.0.0.1:" + std::to_string(host.port()) +
                                  " failed: ";

        // None named: the host's refusal is named, in TLS 1.3 too, where it
        // comes after the terminal's side of the handshake has ended.
        shell.messages.clear();
        settings.ClientCertificate.clear();
        host.Play(HandshakeAndAsk);
        ASSERT_TRUE(Connect("127.0.0.1", host.port())) << (shell.messages.empty() ? "" : shell.messages.back());
        RunUntil([&] { return !comm.IsOpen(); }, 3000);
        host.Join();
        ASSERT_EQ(shell.messages.size(), 1u) << comm.IsOpen() << " [" << terminal.state.connectionNotice << "] " << host.failure;
        EXPECT_EQ(shell.messages[0],
                  k511 + "\n" + where +
                      "the host requires a client certificate, and the session names none");

        // One the host's authority did not issue.
        shell.messages.clear();
        settings.ClientCertificate = strangerFile;
        host.Play(HandshakeAndAsk);
        ASSERT_TRUE(Connect("127.0.0.1", host.port())) << (shell.messages.empty() ? "" : shell.messages.back());
        RunUntil([&] { return !comm.IsOpen(); }, 3000);
        host.Join();
        ASSERT_EQ(shell.messages.size(), 1u) << comm.IsOpen() << " [" << terminal.state.connectionNotice << "] " << host.failure;
        EXPECT_EQ(shell.messages[0].rfind(k511 + "\n" + where + "the host refused the client certificate (", 0), 0u)
            << shell.messages[0];

        // The right one, plain and behind a passphrase.
        for (const std::string& file : {plainFile, lockedFile}) {
            shell.messages.clear();
            shell.passphraseAsked.clear();
            shell.passphrase = "open sesame";
            settings.ClientCertificate = file;
            host.Play(HandshakeAndAsk);
            ASSERT_TRUE(Connect("127.0.0.1", host.port()));
            Settle();
            RunUntil([&] { return !host.received.empty(); }, 3000);
            host.Join();
            EXPECT_TRUE(host.clientCertificateSeen);
            EXPECT_TRUE(Up());
            EXPECT_TRUE(shell.messages.empty());
            EXPECT_EQ(shell.passphraseAsked.size(), file == lockedFile ? 1u : 0u);
            comm.Close();
        }
    }

    // A wrong passphrase, and none given.
    settings.ClientCertificate = lockedFile;
    for (const std::optional<std::string>& given : {std::optional<std::string>("wrong"),
                                                    std::optional<std::string>()}) {
        shell.messages.clear();
        shell.passphrase = given;
        EXPECT_FALSE(Connect("127.0.0.1", 9));
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0],
                  k511 + "\n" +
                      (given ? "The passphrase for the key in " + lockedFile + " is wrong"
                             : "The key in " + lockedFile +
                                   " is protected by a passphrase, and none was given"));
    }
}

// ---- the stream ----

TEST_F(TlsEndpoint, TheStreamArrivesWholeInSingleBytesAndManySmallRecords) {
    const Bytes record = Record(0x03, Bytes(3000, 0x40));
    for (bool trickle : {true, false}) {
        SCOPED_TRACE(trickle ? "one byte a TCP segment" : "a TLS record every 7 bytes");
        shell.blocks.clear();
        TlsHostOptions options = site.HostOptions();
        options.trickle = trickle;
        TlsTestHost host(options);
        host.Play([&](TlsTestHost& h) {
            HandshakeAndAsk(h);
            h.Write(record, trickle ? 16384 : 7);
            h.Read(1, 1500);
        });
        ASSERT_TRUE(Connect("127.0.0.1", host.port()));
        ASSERT_TRUE(RunUntil([&] { return !shell.blocks.empty(); }, 20000));
        EXPECT_TRUE(SameBytes(shell.blocks[0], record));
        host.stop = true;
        host.Join();
        EXPECT_EQ(host.received[0], kTlsWillTerminalType);
        comm.Close();
    }
}

TEST_F(TlsEndpoint, DecryptedBytesLeftInTheSessionAreReadWithoutAnotherSocketEvent) {
    // 10 000-byte records: a receive of 32 KiB ends inside the fourth one,
    // whose rest waits decrypted in the session while the socket is quiet.
    const Bytes record = Record(0x03, Bytes(39000, 0x40));
    TlsTestHost host(site.HostOptions());
    host.Play([&](TlsTestHost& h) {
        HandshakeAndAsk(h);
        h.Write(record, 10000);
        h.Read(1, 2000);
    });
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    ASSERT_TRUE(RunUntil([&] { return !shell.blocks.empty(); }));
    EXPECT_TRUE(SameBytes(shell.blocks[0], record));
    host.stop = true;
    host.Join();
}

TEST_F(TlsEndpoint, ARenegotiationRequestIsRefusedWithAClearNotice) {
    TlsHostOptions options = site.HostOptions();
    options.maxVersion = TLS1_2_VERSION;
    TlsTestHost host(options);
    host.Play([](TlsTestHost& h) {
        HandshakeAndAsk(h);
        h.Renegotiate();
        h.Read(1, 2000);  // takes the terminal's refusal
    });
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    ASSERT_TRUE(RunUntil([&] { return !comm.IsOpen(); }));
    host.Join();
    EXPECT_EQ(terminal.state.connectionNotice,
              "Connection lost: the host asked to renegotiate the TLS session, which this "
              "terminal does not allow");
}

TEST_F(TlsEndpoint, AHostThatEndsTheTlsSessionHasDisconnected) {
    TlsTestHost host(site.HostOptions());
    host.Play([](TlsTestHost& h) {
        HandshakeAndAsk(h);
        h.SendCloseNotify();
        h.Close();
    });
    ASSERT_TRUE(Connect("127.0.0.1", host.port()));
    ASSERT_TRUE(RunUntil([&] { return !comm.IsOpen(); }));
    host.Join();
    EXPECT_EQ(terminal.state.connectionNotice, "Disconnected by the host");
    EXPECT_EQ(comm.TlsVersion(), "");
}

TEST(CertificateText, HostTextIsPrintableAndBounded) {
    const unsigned char raw[] = {'a', 0x00, 'b', 0x1B, '\\', 0xC3, 0xA9};
    EXPECT_EQ(PrintableText(raw, sizeof raw), "a\\x00b\\x1B\\x5C\\xC3\\xA9");
    const std::string longText(5000, 'x');
    const std::string shown =
        PrintableText(reinterpret_cast<const unsigned char*>(longText.data()), longText.size());
    EXPECT_EQ(shown.size(), CertificateReport::kMaxTextLength);
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
}

}  // namespace
}  // namespace quenlix::test
