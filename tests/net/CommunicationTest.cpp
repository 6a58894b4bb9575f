// The connection endpoint: connect and close, reassembly and routing of host
// data, the plain-text display and the end of a session by the host.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

#include "Loopback.h"
#include "NetTestSupport.h"
#include "net/Communication.h"
#include "net/TerminalConnectionDisplay.h"
#include "terminal/StringTable.h"

namespace quenlix::test {
namespace {

const Bytes kDoTerminalType = {IAC, DO, TERMINAL_TYPE};
const Bytes kSendEnvironment = {IAC, SB, NEW_ENVIRON, SEND, IAC, SE};
const Bytes kEnvironmentAnswer = IsAnswer(NEW_ENVIRON, {Variable(USERVAR, "IBMRSEED")});
const Bytes kClear = Record(0x03, {0x04, 0x40});

struct Endpoint : ConnectionMonitor {
    Endpoint() {
        terminal.screen.AllocateCells(80, 24);
        terminal.screen.SetGeometry(80, 24);
        terminal.state.connected = 1;
        settings.TerminalName = "IBM-5292-2";
        comm.SetInterpreter(&shell);
        comm.SetTransport(&host);
        comm.SetMonitor(this);
    }
    void Feed(const Bytes& b) { comm.OnReceived(b.data(), b.size()); }
    void Dropped(std::size_t count) override { dropped += count; }
    void Received(const std::uint8_t*, std::size_t count) override {
        largestArrival = std::max(largestArrival, count);
    }
    Bytes Blocks() const { return RecordingSender::Joined(shell.blocks); }

    Terminal terminal;

    TerminalConnectionDisplay display{terminal};
    SessionSettings settings;
    RecordingShell shell;
    RecordingSender host;  // records leave here instead of a socket
    std::size_t dropped = 0;
    std::size_t largestArrival = 0;
    Communication comm{{display, settings, shell, shell, shell}};
};

class CommunicationTest : public ::testing::Test, public Endpoint {};

// Covers a record in several pieces, pieces that end FF FF EF inside a
// record (FF EF as data), telnet commands followed by records in one piece,
// and an option command with the first bytes of a record right after it.
TEST(CommunicationSplits, AnySplitOfASessionGivesTheSameAnswersAndWholeRecords) {
    const Bytes first = Record(0x03, {0x04, 0xFF, 0xEF}), second = Record(0x01, {0xFF, 0xFF});
    const Bytes stream = Cat({kDoTerminalType, IAC, SB, TERMINAL_TYPE, SEND, IAC, SE,
                              kSendEnvironment, IAC, WILL, BINARY, first, second});
    const Bytes answers = Cat({IAC, WILL, TERMINAL_TYPE, IsAnswer(TERMINAL_TYPE, {"IBM-5292-2"}),
                               kEnvironmentAnswer, IAC, DO, BINARY});
    for (std::size_t a = 0; a <= stream.size(); ++a) {
        for (std::size_t b = a; b <= stream.size(); b += 3) {
            SCOPED_TRACE(testing::Message() << "pieces end at " << a << " and " << b);
            Endpoint e;
            e.Feed(Bytes(stream.begin(), stream.begin() + a));
            e.Feed(Bytes(stream.begin() + a, stream.begin() + b));
            e.Feed(Bytes(stream.begin() + b, stream.end()));
            ASSERT_TRUE(SameBytes(e.host.All(), answers));
            // One record a call, however the stream was cut.
            ASSERT_TRUE(e.shell.blocks == (std::vector<Bytes>{first, second}))
                << testing::PrintToString(e.shell.blocks.size());
        }
    }
}

// Bytes after complete telnet commands in one arrival: a record only where a
// GDS header starts, otherwise more negotiation under the last command.
TEST(CommunicationSplits, BytesAfterCommandsAreARecordOnlyWhereAHeaderStarts) {
    const Bytes kSendTerminalType = {IAC, SB, TERMINAL_TYPE, SEND, IAC, SE};
    const Bytes kTerminalTypeAnswer = IsAnswer(TERMINAL_TYPE, {"IBM-5292-2"});
    // Length 255: its low byte travels doubled, the header one byte later.
    const Bytes longRecord = Record(0x03, Bytes(245, 0x40));
    ASSERT_EQ(longRecord[1], IAC);
    ASSERT_EQ(longRecord[2], IAC);
    struct Row {
        const char* what;
        std::vector<Bytes> pieces;   ///< arrivals, in order
        std::vector<Bytes> answers;  ///< one send each
        std::vector<Bytes> blocks;
        std::size_t held;
    };
    const Row rows[] = {
        // Too few to tell from a record's first bytes: they wait for the
        // next arrival, and are answered under DO once it shows no header.
        {"stray option bytes under DO wait until they can be told from a record",
         {{IAC, DO, TERMINAL_TYPE, BINARY, END_OF_RECORD}, kSendTerminalType},
         {{IAC, WILL, TERMINAL_TYPE}, {IAC, WILL, BINARY, IAC, WILL, END_OF_RECORD},
          kTerminalTypeAnswer},
         {},
         0},
        {"the negotiation after a stray byte and the first screen go on",
         {{IAC, DO, TERMINAL_TYPE, BINARY}, kSendTerminalType, kClear},
         {{IAC, WILL, TERMINAL_TYPE}, {IAC, WILL, BINARY}, kTerminalTypeAnswer},
         {kClear},
         0},
        // An option command and a record's first bytes in one arrival: the
        // record is interpreted, and only the real command answered.
        {"the first bytes of a record after an option command are no option codes",
         {Cat({IAC, DO, BINARY, Bytes(kClear.begin(), kClear.begin() + 2)}),
          Bytes(kClear.begin() + 2, kClear.end())},
         {{IAC, WILL, BINARY}},
         {kClear},
         0},
        {"stray bytes, then the next command in the same arrival",
         {Cat({IAC, WILL, ECHO_OPTION, TIMING_MARK, kSendTerminalType})},
         {{IAC, DONT, ECHO_OPTION, IAC, DO, TIMING_MARK}, kTerminalTypeAnswer},
         {},
         0},
        {"a host's last commands and its first record in one arrival",
         {Cat({IAC, WILL, BINARY, kClear})},
         {{IAC, DO, BINARY}},
         {kClear},
         0},
        {"a record whose length's low byte is 0xFF",
         {Cat({IAC, WILL, BINARY, longRecord})},
         {{IAC, DO, BINARY}},
         {longRecord},
         0},
        {"part of a header after DO is held until the record is whole",
         {Cat({IAC, DO, BINARY, Bytes(kClear.begin(), kClear.begin() + 4)}),
          Bytes(kClear.begin() + 4, kClear.end())},
         {{IAC, WILL, BINARY}},
         {kClear},
         0},
        {"a held remainder that turns out to be no record is answered under DO",
         {{IAC, DO, BINARY, 0x00, 0x0F, 0x12}, kSendTerminalType},
         {{IAC, WILL, BINARY},
          {IAC, WONT, 0x0F, IAC, WONT, 0x12},  // BINARY is on already
          kTerminalTypeAnswer},
         {},
         0},
        {"after a subnegotiation a record's first byte waits for the rest",
         {Cat({kSendTerminalType, kClear[0]}), Bytes(kClear.begin() + 1, kClear.end())},
         {kTerminalTypeAnswer},
         {kClear},
         0},
        {"bytes after a subnegotiation that are no record get no answer",
         {Cat({kSendTerminalType, "ABCDEFGH"})},
         {kTerminalTypeAnswer},
         {},
         0},
        {"too few bytes to tell stay held",
         {Cat({kSendTerminalType, 0x00, 0x0D, 0x12})},
         {kTerminalTypeAnswer},
         {},
         3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Endpoint e;
        for (const Bytes& piece : row.pieces) e.Feed(piece);
        ASSERT_EQ(e.host.sends.size(), row.answers.size());
        for (std::size_t i = 0; i < row.answers.size(); ++i) {
            EXPECT_TRUE(SameBytes(e.host.sends[i], row.answers[i])) << "send " << i;
        }
        EXPECT_EQ(e.shell.blocks, row.blocks);
        EXPECT_EQ(e.comm.receivedCount(), row.held);
    }
}

// The host's side of a recorded sign-on, read in two pieces cut at every
// offset: the interpreter gets the same records, each whole and undoubled,
// and the host the same answers.
TEST(CommunicationSplits, ARecordedSessionCutAnywhereGivesTheSameRecordsAndAnswers) {
    const std::filesystem::path folder = std::filesystem::path(QUENLIX_SOURCE_DIR) / ".." /
                                         "shared" / "refdata" / "signon-recording";
    Bytes stream;
    std::vector<Bytes> expected;
    for (const char* name :
         {"testsys-login-h2c-01-neg.bin", "testsys-login-h2c-02-neg.bin",
          "testsys-login-h2c-03-neg.bin", "testsys-login-h2c-04-rec.bin",
          "testsys-login-h2c-05-rec.bin", "testsys-login-h2c-06-rec.bin",
          "testsys-login-h2c-07-rec.bin", "testsys-login-h2c-08-rec.bin"}) {
        std::ifstream in(folder / name, std::ios::binary);
        if (!in) GTEST_SKIP() << "recorded session not found in " << folder << " (../shared absent)";
        const Bytes file{std::istreambuf_iterator<char>(in), {}};
        stream.insert(stream.end(), file.begin(), file.end());
        if (std::string_view(name).find("-rec") == std::string_view::npos) continue;
        // Each file is one record as it travelled: 0xFF doubled, IAC EOR last.
        ASSERT_GE(file.size(), 2u);
        ASSERT_TRUE(file[file.size() - 2] == IAC && file.back() == EOR) << name;
        Bytes record;
        for (std::size_t i = 0; i + 2 < file.size(); ++i) {
            if (file[i] == IAC) ++i;
            record.push_back(file[i]);
        }
        expected.push_back(record);
    }
    Endpoint whole;
    whole.Feed(stream);
    ASSERT_EQ(whole.shell.records, expected);
    const Bytes answers = whole.host.All();
    EXPECT_FALSE(answers.empty());
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        Endpoint e;
        e.Feed(Bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut)));
        e.Feed(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(cut), stream.end()));
        ASSERT_EQ(e.shell.records, expected);
        ASSERT_TRUE(SameBytes(e.host.All(), answers));
        ASSERT_EQ(e.comm.receivedCount(), 0u);
    }
}

// Records reach the interpreter as the data stream wrote them: each 0xFF
// once, the length's too, without IAC EOR, and without the telnet commands
// a host put inside them.
TEST(CommunicationRecords, RecordsArriveUndoubledWithoutTheirEndOrCommands) {
    const Bytes payload = {0x04, 0x11, 0x01, 0x01, 0xFF, 0xC1, 0xFF};
    const Bytes wire = Record(0x03, payload);
    ASSERT_EQ(std::count(wire.begin(), wire.end(), IAC), 5) << "two doubled, and IAC EOR";
    const Bytes record = Cat({0x00, 0x11, 0x12, 0xA0, 0x00, 0x00, 0x04, 0x00, 0x00, 0x03, payload});
    for (std::size_t cut = 0; cut <= wire.size(); ++cut) {
        SCOPED_TRACE(cut);
        Endpoint e;
        e.Feed(Cat({IAC, DO, BINARY, Bytes(wire.begin(), wire.begin() + static_cast<long>(cut))}));
        e.Feed(Bytes(wire.begin() + static_cast<long>(cut), wire.end()));
        EXPECT_EQ(e.shell.records, std::vector<Bytes>{record});
    }

    Endpoint e;
    const Bytes longRecord = Record(0x03, Bytes(245, 0xFF));  // length 255: 00 FF
    e.Feed(Cat({IAC, WILL, BINARY, longRecord}));
    ASSERT_EQ(e.shell.records.size(), 1u);
    EXPECT_EQ(e.shell.records[0].size(), 255u);
    EXPECT_EQ(e.shell.records[0][1], 0xFF);
    EXPECT_EQ(std::count(e.shell.records[0].begin(), e.shell.records[0].end(), 0xFF), 246);

    // A NOP, and an IAC before a byte that is no command, in the middle of a
    // record: commands, not data; the record goes on around them.
    Bytes interrupted = kClear;
    interrupted.insert(interrupted.begin() + 10, {IAC, 0xF1, IAC, 0xC1});
    e.Feed(interrupted);
    ASSERT_EQ(e.shell.blocks.size(), 2u);
    EXPECT_TRUE(SameBytes(e.shell.blocks[1], kClear));
}

// The host's environment request, with the seed an automatic sign-on's
// answer is made from, cut anywhere: inside a command, inside the
// subnegotiation, between the two copies of a doubled 0xFF in the seed.
TEST(CommunicationSplits, ANegotiationCutAnywhereIsAnsweredOnceAsWhole) {
    const Bytes seed = {0x11, 0xFF, 0x22, 0x03, 0x44, 0x55, 0x66, 0x77};
    Bytes escapedSeed;
    for (const std::uint8_t b : seed) {
        if (b <= USERVAR) escapedSeed.push_back(ESC);
        if (b == IAC) escapedSeed.push_back(IAC);
        escapedSeed.push_back(b);
    }
    const Bytes stream = Cat({IAC, DO, NEW_ENVIRON, IAC, DO, TERMINAL_TYPE, IAC, SB, NEW_ENVIRON,
                              SEND, VAR, "USER", USERVAR, "IBMRSEED", escapedSeed, USERVAR,
                              "IBMSUBSPW", IAC, SE, IAC, SB, TERMINAL_TYPE, SEND, IAC, SE});
    const auto answersTo = [&](std::size_t cut) {
        Endpoint e;
        e.settings.AutoConnection = 1;
        e.settings.UserID = "USERA";
        e.settings.UserPassword = "SECRET";
        SignOnPlan plan;
        plan.passwordLevel = 2;
        plan.levelSource = "session setting";
        e.comm.negotiator().SetSignOnPlan(plan);
        e.comm.negotiator().SetClientSeedSource(
            [] { return std::optional<std::array<std::uint8_t, 8>>({1, 2, 3, 4, 5, 6, 7, 8}); });
        e.Feed(Bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut)));
        e.Feed(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(cut), stream.end()));
        EXPECT_EQ(e.comm.negotiator().hostSeed(), seed);
        EXPECT_EQ(e.comm.negotiator().signOnReport().kind, SignOnReport::Kind::kSubstitute);
        return e.host.All();
    };
    const Bytes whole = answersTo(stream.size());
    const Bytes environAnswer = {IAC, SB, NEW_ENVIRON, IS};
    const auto count = [&](const Bytes& answers) {
        int n = 0;
        for (auto it = answers.begin();
             (it = std::search(it, answers.end(), environAnswer.begin(), environAnswer.end())) !=
             answers.end();
             ++it) {
            ++n;
        }
        return n;
    };
    ASSERT_EQ(count(whole), 1);
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        ASSERT_TRUE(SameBytes(answersTo(cut), whole));
    }
}

TEST_F(CommunicationTest, PlainTextBeforeAnyTelnetIsWrittenOnTheScreen) {
    terminal.SetCursorCell(2, 5);
    Feed(Cat({"Hello\r\nWorld"}));
    auto text = [&](int pos) {
        std::string s;
        for (int i = pos; i < pos + 5; ++i) s += static_cast<char>(terminal.screen.at(i).character);
        return s;
    };
    EXPECT_EQ(text(2 * 80), "Hello");
    EXPECT_EQ(text(3 * 80), "World");
    EXPECT_EQ(terminal.screen.at(2 * 80).ebcdic, kEbcdicBlank);  // no translation
    EXPECT_EQ(terminal.CursorRow(), 3);
    EXPECT_EQ(terminal.CursorColumn(), 5);
    EXPECT_FALSE(terminal.TakeDamage().row(2).empty()) << "the text's row is damaged";
    EXPECT_FALSE(comm.telnetSeen());

    // Nothing is written past position 1920; the cursor stops on the system
    // request line below the screen.
    terminal.screen.SetGeometry(132, 27);
    terminal.SetCursorCell(14, 0);  // position 1848
    Feed(Cat({Bytes(100, 'A'), Bytes(60, '\r')}));
    EXPECT_EQ(text(1916), "AAAAA");
    EXPECT_EQ(terminal.screen.at(1921).character, ' ');
    EXPECT_EQ(terminal.CursorRow(), 27);
}

// A host (or a recording) whose first bytes are a record, cut anywhere:
// the start is held until the record is whole, never written as text.
TEST(CommunicationSplits, ARecordBeforeAnyTelnetIsHeldUntilWhole) {
    const Bytes record = Record(0x03, {0x04, 0x11, 0x00, 0x00, 0xC1, 0xFF, 0xFF, 0xC2});
    const Bytes two = Cat({record, kClear});
    for (std::size_t cut = 1; cut < two.size(); ++cut) {
        SCOPED_TRACE(cut);
        Endpoint e;
        e.Feed(Bytes(two.begin(), two.begin() + static_cast<std::ptrdiff_t>(cut)));
        e.Feed(Bytes(two.begin() + static_cast<std::ptrdiff_t>(cut), two.end()));
        EXPECT_TRUE(SameBytes(e.Blocks(), two));
        EXPECT_EQ(e.terminal.screen.at(0).character, ' ') << "no byte written as text";
        EXPECT_EQ(e.comm.receivedCount(), 0u);
    }
}

TEST_F(CommunicationTest, OversizeBlockIsDroppedAndTheNextOneStillArrives) {
    Feed(kDoTerminalType);
    // An odd header length puts IAC IAC pairs across the end of the buffer.
    const Bytes huge = Record(0x03, Cat({0x41, Bytes(Communication::kMaxRecordLength, 0xFF)}));
    Feed(Cat({huge, kClear}));
    EXPECT_EQ(dropped, huge.size());
    EXPECT_TRUE(SameBytes(Blocks(), kClear));

    // An unfinished subnegotiation goes the same way, up to its IAC SE.
    dropped = 0;
    const Bytes endless =
        Cat({IAC, SB, NEW_ENVIRON, SEND, Bytes(Communication::kReceiveBufferSize, 0x41), IAC, SE});
    Feed(Cat({endless, kDoTerminalType}));
    EXPECT_EQ(dropped, endless.size());
    EXPECT_TRUE(SameBytes(host.sends.back(), {IAC, WILL, TERMINAL_TYPE}));
}

TEST_F(CommunicationTest, BlockIsNeverInterpretedTwice) {
    struct Failing : RecordSender {
        void Send(const std::uint8_t*, std::size_t) override {
            throw CBlockingSocketException("Send", EPIPE);
        }
    } failing;
    Feed(kDoTerminalType);
    comm.SetTransport(&failing);
    const Bytes second = Record(0x01, {0x04, 0x11});
    shell.onBlock = [&](const Bytes& block) {
        if (block == kClear) Feed(second);      // arrives in a message box's event loop
        comm.Send(block.data(), block.size());  // fails, as on a dead connection
    };
    Feed(kClear);
    Feed(kClear);
    EXPECT_TRUE(SameBytes(Blocks(), Cat({kClear, second, kClear, second})));
}

TEST_F(CommunicationTest, SendsOnlyWhileConnectedAndNeverEmpty) {
    comm.Send(kClear.data(), 0);
    terminal.state.connected = 0;
    comm.Send(kClear.data(), kClear.size());
    EXPECT_TRUE(host.sends.empty());
}

// ---- with a real connection on 127.0.0.1 ----

class CommunicationLoopbackTest : public CommunicationTest {
protected:
    void SetUp() override {
        comm.SetTransport(nullptr);
        ASSERT_TRUE(comm.Connect("localhost", host_.port()));
        terminal.state.connected = 1;  // as the session start does with the result
        ASSERT_TRUE(host_.Accept());
    }
    void Event() {  // one notification, as the platform gives it
        ASSERT_TRUE(Readable(comm.SocketHandle()));
        comm.OnSocketEvent();
    }
    LoopbackHost host_;
};

TEST_F(CommunicationLoopbackTest, ConnectAndCloseDriveKeyboardLockAndNotifier) {
    // A vanished host is noticed within about a minute: keep-alive probes
    // after 30 s of silence, three 10 s apart.
    int on = 0, idle = 0, interval = 0, probes = 0;
    socklen_t size = sizeof on;
    getsockopt(comm.SocketHandle(), SOL_SOCKET, SO_KEEPALIVE, &on, &size);
    getsockopt(comm.SocketHandle(), IPPROTO_TCP, TCP_KEEPIDLE, &idle, &size);
    getsockopt(comm.SocketHandle(), IPPROTO_TCP, TCP_KEEPINTVL, &interval, &size);
    getsockopt(comm.SocketHandle(), IPPROTO_TCP, TCP_KEEPCNT, &probes, &size);
    EXPECT_EQ(on, 1);
    EXPECT_LE(idle + interval * probes, 60);
    EXPECT_GT(probes, 0);

    EXPECT_EQ(terminal.state.inputInhibited, 1);
    EXPECT_EQ(shell.watched, comm.SocketHandle());
    EXPECT_EQ(shell.log, (std::vector<std::string>{"BeginWaitCursor", "Suspend", "Resume",
                                                   "EndWaitCursor"}));
    EXPECT_TRUE(terminal.TakeDamage().indicator(Indicator::kInhibit)) << "X-System shows";
    EXPECT_TRUE(comm.Close());
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(shell.watched, -1);
    EXPECT_TRUE(shell.messages.empty());

    LoopbackHost closed(false);
    for (int port : {int{closed.port()}, 70000}) {
        shell.log.clear();
        EXPECT_FALSE(comm.Connect("127.0.0.1", port));
        EXPECT_EQ(terminal.state.inputInhibited, 0);
        EXPECT_EQ(shell.log.back(), "EndWaitCursor");
    }
    // Message 511 and a second line with the cause and the address.
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(shell.messages[0],
              "Connection initialization failure:\nVerify your parameters and try again\n"
              "Connection refused by 127.0.0.1:" + std::to_string(closed.port()));
    EXPECT_EQ(shell.messages[1], std::string(LoadString(kStrConnectFailure)) +
                                     "\nPort 70000 is not a TCP port");
}

// A name with several addresses: each is tried in the resolver's order
// until one answers; when none does, the reason names the last one tried.
TEST(CommunicationAddresses, EveryAddressIsTriedInTurn) {
    LoopbackHost open, closed(false), alsoClosed(false);
    auto at = [](const std::string& address, std::uint16_t port) {
        return CBlockingSocket::ResolveEndpoints(address, port).at(0);
    };
    Endpoint e;
    e.comm.SetTransport(nullptr);
    std::vector<std::string> asked;
    e.comm.SetResolver([&](const std::string& host, std::uint16_t port) {
        asked.push_back(host + " " + std::to_string(port));
        return std::vector<CBlockingSocket::Endpoint>{at("127.0.0.1", closed.port()),
                                                      at("127.0.0.1", open.port())};
    });
    ASSERT_TRUE(e.comm.Connect("[multi.example]", 2399));
    EXPECT_EQ(asked, std::vector<std::string>{"[multi.example] 2399"});
    EXPECT_TRUE(open.Accept()) << "the second address answered";
    EXPECT_EQ(e.comm.address().AddressText(), "127.0.0.1");
    EXPECT_EQ(e.comm.address().family(), AF_INET);
    e.comm.Close();

    e.comm.SetResolver([&](const std::string&, std::uint16_t) {
        return std::vector<CBlockingSocket::Endpoint>{at("127.0.0.1", closed.port()),
                                                      at("127.0.0.1", alsoClosed.port())};
    });
    EXPECT_FALSE(e.comm.Connect("multi.example", 2399));
    ASSERT_FALSE(e.shell.messages.empty());
    EXPECT_EQ(e.shell.messages.back(),
              std::string(LoadString(kStrConnectFailure)) +
                  "\nConnection refused by 127.0.0.1:" + std::to_string(alsoClosed.port()));

    e.comm.SetResolver(
        [](const std::string&, std::uint16_t) { return std::vector<CBlockingSocket::Endpoint>{}; });
    EXPECT_FALSE(e.comm.Connect("nohost.invalid", 23));
    EXPECT_EQ(e.shell.messages.back(), std::string(LoadString(kStrConnectFailure)) +
                                           "\nHost name not found: nohost.invalid");
}

// Addresses in either family, brackets taken off a literal IPv6 address.
TEST(SocketEndpoints, LiteralsOfBothFamiliesAndTheirTexts) {
    EXPECT_EQ(CBlockingSocket::BareHost("[::1]"), "::1");
    EXPECT_EQ(CBlockingSocket::BareHost("[fe80::1%eth0]"), "[fe80::1%eth0]") << "not a literal";
    EXPECT_EQ(CBlockingSocket::BareHost("[host]"), "[host]");
    EXPECT_EQ(CBlockingSocket::BareHost("::1"), "::1");
    EXPECT_EQ(CBlockingSocket::BareHost("[]"), "[]");
    for (const std::string text : {"::1", "[::1]", "2001:db8::7"}) {
        SCOPED_TRACE(text);
        const auto found = CBlockingSocket::ResolveEndpoints(text, 992);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].family(), AF_INET6);
        EXPECT_EQ(found[0].Port(), 992);
        EXPECT_EQ(found[0].AddressText(), CBlockingSocket::BareHost(text));
    }
    const auto v4 = CBlockingSocket::ResolveEndpoints("10.1.2.3", 23);
    ASSERT_EQ(v4.size(), 1u);
    EXPECT_EQ(v4[0].AddressText(), "10.1.2.3");
    EXPECT_TRUE(CBlockingSocket::ResolveEndpoints("", 23).empty());
    EXPECT_TRUE(CBlockingSocket::ResolveEndpoints("nohost.invalid", 23).empty());
    EXPECT_EQ(CBlockingSocket::EndpointText("::1", 23), "[::1]:23");
    EXPECT_EQ(CBlockingSocket::EndpointText("10.1.2.3", 23), "10.1.2.3:23");
    EXPECT_EQ(
        ConnectFailureReason(ECONNREFUSED, "::1", "::1", 2399, std::chrono::milliseconds(15000)),
        "Connection refused by [::1]:2399");
}

TEST(ConnectFailureReasonTest, NamesTheCauseAndTheAddress) {
    using std::chrono::milliseconds;
    EXPECT_EQ(ConnectFailureReason(0, "nohost.invalid", "nohost.invalid", 23, milliseconds(15000)),
              "Host name not found: nohost.invalid");
    EXPECT_EQ(ConnectFailureReason(ECONNREFUSED, "demo", "127.0.0.1", 2399, milliseconds(15000)),
              "Connection refused by 127.0.0.1:2399");
    EXPECT_EQ(ConnectFailureReason(ETIMEDOUT, "as400", "10.1.2.3", 23, milliseconds(15000)),
              "No answer from 10.1.2.3:23 within 15 s");
    EXPECT_EQ(ConnectFailureReason(ENETUNREACH, "h", "10.9.9.9", 992, milliseconds(15000)),
              "Network unreachable: 10.9.9.9:992");
    EXPECT_EQ(ConnectFailureReason(EACCES, "h", "10.9.9.9", 23, milliseconds(15000)),
              std::string(std::strerror(EACCES)) + ": 10.9.9.9:23");
    EXPECT_EQ(ConnectionLostNotice(ECONNRESET), "Connection lost: the host reset the connection");
    EXPECT_EQ(ConnectionLostNotice(ETIMEDOUT), "Connection lost: no answer from the host");
}

TEST_F(CommunicationLoopbackTest, HostCloseEndsTheSessionWith535OnlyAfterTheEnvironment) {
    for (const Bytes& last : {kSendEnvironment, Cat({kSendEnvironment, kClear})}) {
        if (!comm.IsOpen()) {
            ASSERT_TRUE(comm.Connect("127.0.0.1", host_.port()));
            ASSERT_TRUE(host_.Accept());
            // The sign-off fails on the dead connection; the session still ends.
            shell.onEndSession = [] { throw CBlockingSocketException("Send", EPIPE); };
        }
        terminal.state.inputInhibited = 1;
        host_.Write(last);
        Event();
        host_.Read();  // a host closing with unread data would reset the connection
        host_.Hangup();
        Event();
        EXPECT_FALSE(comm.IsOpen());
        EXPECT_EQ(shell.watched, -1);
        EXPECT_EQ(terminal.state.inputInhibited, 0);
    }
    EXPECT_EQ(shell.Count("EndSession"), 2);
    // 535 once, for the close right after the environment answer; each end
    // then gives its notice.
    EXPECT_EQ(shell.messages,
              (std::vector<std::string>{std::string(LoadString(kStrDisplayInUse)),
                                        "Disconnected by the host", "Disconnected by the host"}));
    EXPECT_EQ(shell.icons, (std::vector<MessageIcon>{MessageIcon::Exclamation, MessageIcon::None,
                                                     MessageIcon::None}));
    EXPECT_EQ(terminal.state.connectionNotice, "Disconnected by the host");
}

TEST_F(CommunicationLoopbackTest, HostDataEndsSystemRequestModeFirst) {
    host_.Write(kDoTerminalType);
    Event();
    terminal.state.sysReqMode = 1;
    comm.SuspendNotifications();  // as entering the mode does
    shell.log.clear();
    host_.Write(kClear);
    Event();
    EXPECT_EQ(terminal.state.sysReqMode, 0);
    EXPECT_EQ(shell.log, (std::vector<std::string>{"LeaveSysReqModeForHostData", "Resume",
                                                   "ProcessRecord"}));
}

TEST_F(CommunicationLoopbackTest, ReceiveNeverAsksForMoreThanTheFreeSpace) {
    host_.Write(kDoTerminalType);
    Event();
    const std::size_t size = Communication::kReceiveBufferSize;
    const Bytes huge = Record(0x03, Bytes(size + 5000, 0x41));
    // Hold all but 772 bytes of the buffer, then let more arrive than fits.
    const auto held = static_cast<std::ptrdiff_t>(size - 772);
    host_.Write(Bytes(huge.begin(), huge.begin() + held));
    while (comm.receivedCount() < size - 772) Event();
    host_.Write(Cat({Bytes(huge.begin() + held, huge.end()), kClear}));
    while (dropped == 0) Event();
    EXPECT_EQ(dropped, Communication::kReceiveBufferSize);
    while (shell.blocks.empty()) Event();
    EXPECT_TRUE(SameBytes(Blocks(), kClear));
    EXPECT_EQ(dropped, huge.size());
}

// A hidden tab's session reads a little a turn, so that the session in
// front is not kept waiting behind its burst; brought to the front it reads
// as much as fits again. Whatever the share, every record arrives whole.
TEST_F(CommunicationLoopbackTest, ASessionInTheBackgroundReadsALittleATurn) {
    host_.Write(kDoTerminalType);
    Event();
    const Bytes screen = Record(0x03, Bytes(9000, 0x41));
    host_.Write(Cat({screen, screen, screen, screen}));
    comm.SetInBackground(true);
    largestArrival = 0;
    std::size_t turns = 0;
    while (shell.blocks.size() < 2) {
        Event();
        ++turns;
    }
    EXPECT_EQ(largestArrival, Communication::kBackgroundReceiveLimit);
    EXPECT_GE(turns, 2 * screen.size() / Communication::kBackgroundReceiveLimit);
    comm.SetInBackground(false);
    largestArrival = 0;
    while (shell.blocks.size() < 4) Event();
    EXPECT_GT(largestArrival, Communication::kBackgroundReceiveLimit);
    EXPECT_TRUE(SameBytes(Blocks(), Cat({screen, screen, screen, screen})));
}

}  // namespace
}  // namespace quenlix::test
