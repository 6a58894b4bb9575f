// Fault injection on loopback, through the headless front end: hosts that
// refuse, never answer, hang up or reset in the middle of things, trickle,
// flood or send garbage, and a host that keeps the keyboard locked while the
// operator types ahead. Each case has one expected outcome: nothing lost or
// corrupted, no hang, no crash.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "FaultHost.h"
#include "support/InChild.h"
#include "cli/CliShell.h"
#include "ds5250/RecordBuilder.h"
#include "support/HexDump.h"
#include "support/SampleScreens.h"

namespace quenlix::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

/// Message 511 as the CLI prints it, with its second line naming the cause.
std::string ConnectFailure(const std::string& cause) {
    return "message: Connection initialization failure:\\nVerify your parameters and try "
           "again\\n" + cause + "\n";
}
/// What `wait` prints when the host hangs up.
const char kHungUp[] = "message: Disconnected by the host\nclosed\n";

int Occurrences(const Bytes& in, const Bytes& part) {
    int n = 0;
    for (auto it = in.begin(); (it = std::search(it, in.end(), part.begin(), part.end())) != in.end();
         ++it) {
        ++n;
    }
    return n;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Configure(cli::CliShell& shell, int port) {
    SessionSettings& s = shell.session().activeSettings;
    s.IP = "127.0.0.1";
    s.Port = port;
    s.TerminalName = "IBM-5292-2";
    s.TerminalCaract = "24 * 80";
    s.PageCode = 37;
    shell.session().pendingSettings = s;
    // Blocks the interpreter cannot place would leave a trace file in the
    // working folder; these tests make plenty of them on purpose.
    shell.session().unplacedByteTrace().SetPath("");
}

/// A port on 127.0.0.1 that is bound but not listening: a connect to it is
/// refused, and no other program can take the port while this lives.
class RefusingPort {
public:
    RefusingPort() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t length = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length);
        port_ = ntohs(a.sin_port);
    }
    ~RefusingPort() { ::close(fd_); }
    int port() const { return port_; }

private:
    int fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port_ = 0;
};

class ConnectionFault : public ::testing::Test {
protected:
    ConnectionFault() : shell(out, QUENLIX_TABLE_DIR, "TESTPC") { Configure(shell, host.port()); }

    /// Runs a command and returns what it printed.
    std::string Run(const std::string& line, bool expectOk = true) {
        out.str("");
        EXPECT_EQ(shell.Execute(line), expectOk) << line << "\n" << out.str();
        return out.str();
    }
    const TerminalState& state() { return shell.session().terminal.state; }
    /// The session is over and left nothing behind: not connected, keyboard
    /// free, no socket, no held data.
    void ExpectEnded() {
        EXPECT_EQ(state().connected, 0);
        EXPECT_EQ(state().inputInhibited, 0);
        EXPECT_FALSE(shell.session().endpoint().IsOpen());
        EXPECT_EQ(shell.session().endpoint().receivedCount(), 0u);
    }

    std::ostringstream out;
    FaultHost host;
    cli::CliShell shell;
};

// --- Connecting -------------------------------------------------------------

TEST_F(ConnectionFault, RefusedConnectionGivesMessage511AndAFreeKeyboard) {
    RefusingPort refusing;
    SessionSettings& s = shell.session().activeSettings;
    s.Port = refusing.port();
    const auto start = Clock::now();
    EXPECT_EQ(Run("connect", false),
              ConnectFailure("Connection refused by 127.0.0.1:" + std::to_string(refusing.port())));
    EXPECT_LT(SecondsSince(start), 2.0);
    ExpectEnded();
    EXPECT_EQ(Run("wait 100"), "closed\n");
}

TEST_F(ConnectionFault, NameThatDoesNotResolveGivesMessage511) {
    shell.session().activeSettings.IP = "no-such-host.invalid";
    EXPECT_EQ(Run("connect", false), ConnectFailure("Host name not found: no-such-host.invalid"));
    ExpectEnded();
}

TEST_F(ConnectionFault, ConnectToAHostThatNeverAcceptsGivesUpAtTheTimeout) {
    // A listener whose queue is full: the kernel drops further connection
    // requests, so the connect neither succeeds nor fails until it gives up.
    FaultHost full(0);
    std::vector<int> fillers;
    for (int i = 0; i < 3; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<std::uint16_t>(full.port()));
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        fillers.push_back(fd);
    }
    shell.session().activeSettings.Port = full.port();
    shell.session().endpoint().SetConnectTimeout(milliseconds(400));
    const auto start = Clock::now();
    EXPECT_EQ(Run("connect", false), ConnectFailure("No answer from 127.0.0.1:" +
                                                    std::to_string(full.port()) + " within 1 s"));
    const double took = SecondsSince(start);
    EXPECT_GE(took, 0.35);
    EXPECT_LT(took, 3.0);
    ExpectEnded();
    for (int fd : fillers) ::close(fd);
}

TEST_F(ConnectionFault, HostThatAcceptsAndNeverAnswersCanStillBeLeft) {
    Bytes signOff;
    bool hungUp = false;
    host.Play([&](FaultHost& h) {
        signOff = h.ReadThrough(kEor, 5000);
        hungUp = h.Read(1, 2000).empty();
    });
    EXPECT_EQ(Run("connect"), "connected\n");
    const auto start = Clock::now();
    EXPECT_EQ(Run("wait 300", false), "timeout\n");
    EXPECT_LT(SecondsSince(start), 2.0);
    EXPECT_EQ(state().inputInhibited, 1) << "no host invited input";
    EXPECT_EQ(Run("disconnect"), "");
    host.Join();
    ExpectEnded();
    EXPECT_FALSE(signOff.empty()) << "the sign-off record reached the host";
    EXPECT_TRUE(hungUp);
}

// --- Hang-ups ---------------------------------------------------------------

TEST_F(ConnectionFault, HostClosingMidBlockEndsTheSessionWithoutInterpretingThePiece) {
    const Bytes second = samples::FullScreen(24, 80, 4);
    host.Play([&](FaultHost& h) {
        Negotiate(h);
        h.Send(samples::SignOnScreen());
        h.Send(Bytes(second.begin(), second.begin() + static_cast<long>(second.size() / 2)));
        std::this_thread::sleep_for(milliseconds(50));
        h.Close();
    });
    Run("connect");
    EXPECT_EQ(Run("wait 5000"), "ok\n");
    // A 5250 block came after the environment answer: no display-in-use message.
    EXPECT_EQ(Run("wait 5000"), kHungUp);
    host.Join();
    EXPECT_EQ(shell.session().blocksProcessed(), 1u) << "the half block was never interpreted";
    ExpectEnded();
}

TEST_F(ConnectionFault, HostResettingTheConnectionEndsTheSessionCleanly) {
    const Bytes second = samples::FullScreen(24, 80, 4);
    host.Play([&](FaultHost& h) {
        Negotiate(h);
        h.Send(samples::SignOnScreen());
        h.Send(Bytes(second.begin(), second.begin() + 100));  // held when the reset comes
        std::this_thread::sleep_for(milliseconds(50));
        h.Reset();
    });
    Run("connect");
    EXPECT_EQ(Run("wait 5000"), "ok\n");
    const auto start = Clock::now();
    EXPECT_EQ(Run("wait 5000"), "message: Connection lost: the host reset the connection\nclosed\n");
    EXPECT_LT(SecondsSince(start), 2.0);
    host.Join();
    EXPECT_EQ(shell.session().blocksProcessed(), 1u);
    ExpectEnded();
}

TEST_F(ConnectionFault, KeyPressedAfterAResetIsReportedAndTheSessionEnds) {
    std::atomic<bool> resetNow{false}, resetDone{false};
    host.Play([&](FaultHost& h) {
        Negotiate(h);
        h.Send(samples::SignOnScreen());
        const auto end = Clock::now() + milliseconds(5000);
        while (!resetNow && Clock::now() < end) std::this_thread::sleep_for(milliseconds(5));
        h.Reset();
        resetDone = true;
    });
    Run("connect");
    EXPECT_EQ(Run("wait 5000"), "ok\n");
    resetNow = true;
    const auto end = Clock::now() + milliseconds(5000);
    while (!resetDone && Clock::now() < end) std::this_thread::sleep_for(milliseconds(5));
    std::this_thread::sleep_for(milliseconds(50));  // the RST has reached the terminal's socket

    // The answer cannot go: the failure is reported, not swallowed, and
    // nothing crashes. The next look at the socket ends the session.
    out.str("");
    shell.Execute("key Enter");
    EXPECT_NE(out.str().find("message: Send error #"), std::string::npos) << out.str();
    EXPECT_EQ(Run("wait 3000"), "message: Connection lost: the host reset the connection\nclosed\n")
        << "the cause the failed send met";
    host.Join();
    ExpectEnded();
}

// --- Screens after a fault ----------------------------------------------------

/// What the operator saw and what the host got back in one session.
struct Outcome {
    std::string screen;
    std::string fields;
    std::string answer;    ///< the record the Enter key sent, in hex
    std::string messages;  ///< every "message:" line printed on the way
    unsigned long blocks = 0;
};

/// One session: `deliver` plays the host up to and including the sign-on
/// screen; the operator types a user name and presses Enter; the host reads
/// the answer and hangs up.
Outcome Deliver(const std::function<void(FaultHost&)>& deliver) {
    FaultHost host;
    std::ostringstream out;
    cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
    Configure(shell, host.port());
    Bytes answer;
    host.Play([&](FaultHost& h) {
        deliver(h);
        answer = h.ReadThrough(kEor, 10000);
        h.Close();
    });
    Outcome o;
    auto run = [&](const std::string& line) {
        out.str("");
        shell.Execute(line);
        std::istringstream lines(out.str());
        std::string text;
        std::string line2;
        while (std::getline(lines, line2)) {
            if (line2.rfind("message: ", 0) == 0) {
                o.messages += line2 + "\n";
            } else {
                text += line2 + "\n";
            }
        }
        return text;
    };
    EXPECT_EQ(run("connect"), "connected\n");
    EXPECT_EQ(run("wait 20000"), "ok\n");
    o.screen = run("screen");
    o.fields = run("fields");
    run("type quser");
    run("key Enter");
    EXPECT_EQ(run("wait 10000"), "closed\n");
    host.Join();
    o.answer = Hex(answer);
    o.blocks = shell.session().blocksProcessed();
    return o;
}

/// A Write To Display whose record is longer than the endpoint's receive
/// buffer: longer than any record can be.
Bytes OversizeRecord() {
    RecordBuilder r;
    r.writeToDisplay().sba(1, 1).text(std::string(Communication::kReceiveBufferSize + 1000, 'Z'));
    return r.record();
}

/// A megabyte of reproducible noise, IAC, EOR and SB included, then the two
/// marks that end whatever the noise left open: IAC SE for a subnegotiation,
/// IAC EOR for a record.
Bytes Garbage() {
    std::mt19937 random(5250);
    Bytes b(1 << 20);
    for (auto& v : b) v = static_cast<std::uint8_t>(random());
    b.back() = 0x00;  // not an IAC that would pair with the marks
    b.insert(b.end(), {kIac, kSe, kIac, kEor});
    return b;
}

TEST(ScreenAfterFault, ArrivesExactlyAsWhenSentAtOnce) {
    const Bytes screen = samples::SignOnScreen();
    const Outcome reference = Deliver([&](FaultHost& h) {
        Negotiate(h);
        h.Send(screen);
    });
    ASSERT_NE(reference.screen.find("Sign On"), std::string::npos) << reference.screen;
    ASSERT_EQ(reference.blocks, 1u);
    ASSERT_EQ(reference.messages, "message: Disconnected by the host\n");
    ASSERT_FALSE(reference.answer.empty());

    struct Case {
        const char* name;
        std::function<void(FaultHost&)> deliver;
        bool moreBlocks;  ///< blocks besides the screen may reach the interpreter
    };
    const Case cases[] = {
        {"every byte of negotiation and screen in its own packet",
         [&](FaultHost& h) {
             Negotiate(h, true);
             h.Trickle(screen);
         },
         false},
        {"a record larger than the receive buffer first",
         [&](FaultHost& h) {
             Negotiate(h);
             h.Send(OversizeRecord());
             h.Send(screen);
         },
         false},
        {"a subnegotiation longer than the receive buffer first",
         [&](FaultHost& h) {
             Negotiate(h);
             Bytes endless = {kIac, kSb, 0x18, 0x01};
             endless.resize(200000, 'x');
             endless.insert(endless.end(), {kIac, kSe});
             Bytes answers;
             h.SendDraining(endless, answers);
             h.ReadQuiet(300);
             h.Send(screen);
         },
         false},
        {"a megabyte of garbage first",
         [&](FaultHost& h) {
             Negotiate(h);
             Bytes answers;
             h.SendDraining(Garbage(), answers);
             // Whatever the terminal answered to the noise is read here, so
             // the next record read is the answer to the screen.
             h.ReadQuiet(1000);
             h.Send(screen);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto start = Clock::now();
        const Outcome o = Deliver(c.deliver);
        EXPECT_LT(SecondsSince(start), 20.0);
        EXPECT_EQ(o.screen, reference.screen);
        EXPECT_EQ(o.fields, reference.fields);
        EXPECT_EQ(o.answer, reference.answer);
        if (!c.moreBlocks) {
            EXPECT_EQ(o.blocks, 1u) << "only the screen reached the interpreter";
            EXPECT_EQ(o.messages, reference.messages);
        }
    }
}

// --- Negotiation that never ends -------------------------------------------------

TEST_F(ConnectionFault, EndlessOptionRequestsAreEachRefusedOnceAndHeldDataStaysBounded) {
    constexpr int kRounds = 400;       // blocks the host sends
    constexpr int kPerRound = 60;      // option requests in each
    Bytes expected;
    Bytes answers;
    std::atomic<bool> flooding{true};
    host.Play([&](FaultHost& h) {
        int option = 0;
        for (int round = 0; round < kRounds && !h.stop; ++round) {
            Bytes block;
            for (int i = 0; i < kPerRound; ++i) {
                // Options the terminal does not support, never 0xFF.
                do option = (option + 1) % 0xFF;
                while (option == 0x00 || option == 0x06 || option == 0x18 || option == 0x19 ||
                       option == 0x27);
                const bool askDo = (i % 2) == 0;
                block.insert(block.end(), {kIac, std::uint8_t(askDo ? 0xFD : 0xFB),
                                           std::uint8_t(option)});
                expected.insert(expected.end(), {kIac, std::uint8_t(askDo ? 0xFC : 0xFE),
                                                 std::uint8_t(option)});
            }
            if (!h.SendDraining(block, answers)) break;
        }
        const Bytes rest = h.ReadQuiet(500);
        answers.insert(answers.end(), rest.begin(), rest.end());
        flooding = false;
        Negotiate(h);
        h.Send(samples::SignOnScreen());
    });
    Run("connect");
    std::size_t mostHeld = 0;
    const auto end = Clock::now() + milliseconds(20000);
    while (flooding && Clock::now() < end) {
        shell.Pump(milliseconds(20));
        mostHeld = std::max(mostHeld, shell.session().endpoint().receivedCount());
    }
    EXPECT_FALSE(flooding) << "the host's flood did not end in time";
    EXPECT_EQ(Run("wait 10000"), "ok\n") << "the session still works after the flood";
    host.Join();
    EXPECT_LT(mostHeld, Communication::kReceiveBufferSize);
    ASSERT_EQ(answers.size(), expected.size());
    EXPECT_TRUE(answers == expected) << "each request refused once, in order";
    EXPECT_NE(Run("screen").find("Sign On"), std::string::npos);
}

TEST_F(ConnectionFault, AHostThatRepeatsARequestOrAsksAgainAfterEveryAnswerGetsNoMore) {
    Bytes afterNegotiation;
    host.Play([&](FaultHost& h) {
        Negotiate(h);  // BINARY and END-OF-RECORD are agreed here
        Bytes repeated;
        for (int i = 0; i < 100000; ++i) repeated.insert(repeated.end(), {kIac, 0xFD, 0x00});
        h.SendDraining(repeated, afterNegotiation);
        // A host that asks again as soon as it hears anything: one round.
        for (int round = 0; round < 20; ++round) {
            h.Send({kIac, 0xFD, 0x00, kIac, 0xFB, 0x19});
            const Bytes answer = h.ReadQuiet(20);
            afterNegotiation.insert(afterNegotiation.end(), answer.begin(), answer.end());
        }
        h.Send(samples::SignOnScreen());
        h.ReadQuiet(200);
    });
    Run("connect");
    EXPECT_EQ(Run("wait 10000"), "ok\n") << "the session goes on";
    host.Join();
    EXPECT_TRUE(afterNegotiation.empty()) << Hex(afterNegotiation);
}

TEST(HostStopsReading, NothingWaitsAndTheConnectionIsGivenUpAtTheStallLimit) {
    // The host floods option requests and never reads the refusals: once the
    // terminal's answers fill both socket queues, nothing more can go. The
    // terminal never waits on the socket (each pump returns within a tick),
    // stops reading the flood while its answers wait, and gives the host up
    // when it has taken nothing for the stall limit. In a child, so that a
    // send that waits for ever fails the test.
    const int status = InChild([] {
        FaultHost host;
        std::ostringstream out;
        cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
        Configure(shell, host.port());
        host.Play([](FaultHost& h) {
            Bytes block;
            for (int i = 0; i < 1000; ++i) block.insert(block.end(), {kIac, 0xFD, 0x01});
            const auto end = Clock::now() + milliseconds(8000);
            while (!h.stop && Clock::now() < end && h.Send(block)) {
            }
        });
        Communication& endpoint = shell.session().endpoint();
        endpoint.SetOutputStallLimit(milliseconds(1500));
        if (!shell.Execute("connect")) return 2;
        std::size_t mostQueued = 0;
        auto longestPump = milliseconds(0);
        const auto end = Clock::now() + milliseconds(8000);
        while (shell.session().terminal.state.connected && Clock::now() < end) {
            const auto before = Clock::now();
            shell.Pump(milliseconds(100));
            longestPump = std::max(longestPump,
                                   std::chrono::duration_cast<milliseconds>(Clock::now() - before));
            mostQueued = std::max(mostQueued, endpoint.pendingOutput());
        }
        const TerminalState& s = shell.session().terminal.state;
        host.stop = true;
        if (s.connected != 0 || s.inputInhibited != 0 || endpoint.IsOpen()) return 1;
        if (longestPump > milliseconds(500)) return 3;
        // One receive more than the mark can be answered before reading stops.
        if (mostQueued > Communication::kOutputHighWater + Communication::kReceiveRequestLimit) {
            return 4;
        }
        if (s.connectionNotice != "Connection lost: the host stopped taking data") return 5;
        if (out.str().find("message: Connection lost: the host stopped taking data\n") ==
            std::string::npos) {
            return 6;
        }
        return 0;
    });
    EXPECT_EQ(status, 0) << "1: the session did not end; 2: no connection; 3: a pump waited; "
                            "4: the queue grew past the mark; 5, 6: no notice; -1: hung or crashed";
}

// --- Type-ahead while the host keeps the keyboard locked -------------------------

/// A screen with one long input field that leaves the keyboard locked (an
/// output-only record), and the record that later unlocks it and reads.
Bytes LockedScreen() {
    RecordBuilder r(ds::kOpOutputOnly);
    r.clearUnit().writeToDisplay().sba(1, 1).text("Busy").sba(2, 1)
        .startOfField(0x40, 0x00, 0x20, 1000).insertCursor(2, 2);
    return r.record();
}
Bytes UnlockAndRead() {
    RecordBuilder r(ds::kOpPutGet);
    r.readMdtFields();
    return r.record();
}

class TypeAheadFault : public ConnectionFault {
protected:
    /// Connects, lets the locked screen arrive and waits for `go` before the
    /// host unlocks the keyboard.
    void StartLocked() {
        host.Play([this](FaultHost& h) {
            Negotiate(h);
            h.Send(LockedScreen());
            const auto end = Clock::now() + milliseconds(5000);
            while (!go && Clock::now() < end) std::this_thread::sleep_for(milliseconds(5));
            h.Send(UnlockAndRead());
            unlockAnswer = h.ReadThrough(kEor, 5000);
            h.Close();
        });
        Run("connect");
        EXPECT_EQ(Run("wait-block 5000"), "ok\n");
        ASSERT_EQ(state().inputInhibited, 1);
    }
    /// The field's text as typed, without its trailing nulls and blanks.
    std::string FieldText() {
        const Terminal& t = shell.session().terminal;
        std::string text;
        for (int p = t.columns() + 1; p < t.columns() + 1 + 1000; ++p) {
            text += static_cast<char>(t.screen.at(p).character);
        }
        while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
        return text;
    }

    std::atomic<bool> go{false};
    Bytes unlockAnswer;
};

TEST_F(TypeAheadFault, KeysHeldWhileLockedAreReplayedOnceEachInOrder) {
    StartLocked();
    Run("type abc");
    Run("type def");
    EXPECT_EQ(shell.session().input().typeAhead().size(), 18u) << "3 events a character";
    EXPECT_EQ(FieldText(), "") << "nothing reached the screen while locked";
    go = true;
    // The block that unlocks the keyboard replays the held keys at once.
    EXPECT_EQ(Run("wait 5000"), "ok\n");
    EXPECT_EQ(FieldText(), "abcdef");
    EXPECT_TRUE(shell.session().input().typeAhead().empty());
    Run("key Enter");
    EXPECT_EQ(Run("wait 5000"), kHungUp);
    host.Join();
    const Bytes typed = {0x81, 0x82, 0x83, 0x84, 0x85, 0x86};  // "abcdef" in EBCDIC
    EXPECT_EQ(Occurrences(unlockAnswer, typed), 1) << Hex(unlockAnswer);
}

TEST_F(TypeAheadFault, FarMoreKeysThanTheQueueHoldsKeepTheBoundAndTheOrder) {
    StartLocked();
    constexpr std::size_t kCapacity = TypeAheadQueue<KeyEvent>::kCapacity;
    std::string typed;
    for (int i = 0; i < 900; ++i) typed += "abcdefghijklmnopqrstuvwxyz0123456789"[i % 36];
    Run("type " + typed);
    // The key-down that fills the queue has its key-up held beside it.
    EXPECT_EQ(shell.session().input().typeAhead().size(), kCapacity + 1);
    go = true;
    EXPECT_EQ(Run("wait 5000"), "ok\n");
    // Whole characters that fit (key-down, character, key-up each) arrive in
    // order; everything after the bound was refused, nothing was repeated.
    EXPECT_EQ(FieldText(), typed.substr(0, kCapacity / 3));
    EXPECT_TRUE(shell.session().input().typeAhead().empty());
    Run("key Enter");
    EXPECT_EQ(Run("wait 5000"), kHungUp);
    host.Join();
}

}  // namespace
}  // namespace quenlix::testing
