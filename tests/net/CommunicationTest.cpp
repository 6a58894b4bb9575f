// The connection endpoint: connect and close, reassembly and routing of host
// data, the plain-text display and the end of a session by the host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "Loopback.h"
#include "NetTestSupport.h"
#include "net/Communication.h"
#include "terminal/StringTable.h"

namespace quenlix::test {
namespace {

class CountingMonitor : public ConnectionMonitor {
public:
    void Dropped(std::size_t count) override { dropped += count; }
    std::size_t dropped = 0;
};

class ThrowingTransport : public RecordSender {
public:
    void Send(const std::uint8_t*, std::size_t) override {
        ++attempts;
        throw CBlockingSocketException("Send", EPIPE);
    }
    int attempts = 0;
};

// One endpoint with recording doubles around it; records leave into `host`.
struct Endpoint {
    Endpoint() {
        terminal.screen.AllocateCells(80, 24);
        terminal.screen.SetGeometry(80, 24);
        terminal.state.connected = 1;
        settings.TerminalName = "IBM-5292-2";
        comm.SetInterpreter(&interpreter);
        comm.SetTransport(&host);
        comm.SetMonitor(&monitor);
    }
    void Feed(const Bytes& b) { comm.OnReceived(b.data(), b.size()); }

    EventLog log;
    Terminal terminal;
    SessionSettings settings;
    RecordingView view{log};
    RecordingMessages messages{log};
    RecordingSession session{log};
    RecordingNotifier notifier{log};
    RecordingInterpreter interpreter{&log};
    RecordingSender host;
    CountingMonitor monitor;
    Communication comm{{terminal, settings, view, messages, session, notifier}};
};

const Bytes kDoTerminalType = {IAC, DO, TERMINAL_TYPE};
const Bytes kSendTerminalType = {IAC, SB, TERMINAL_TYPE, SEND, IAC, SE};
const Bytes kTerminalTypeAnswer = Cat({IAC, SB, TERMINAL_TYPE, IS, "IBM-5292-2", IAC, SE});
const Bytes kSendEnvironment = {IAC, SB, NEW_ENVIRON, SEND, IAC, SE};
const Bytes kEnvironmentAnswer =
    Cat({IAC, SB, NEW_ENVIRON, IS, USERVAR, "IBMRSEED", VALUE, IAC, SE});

class CommunicationTest : public ::testing::Test, public Endpoint {};

TEST_F(CommunicationTest, TelnetBlocksAreNegotiatedAndRecordsInterpreted) {
    Feed(kDoTerminalType);
    EXPECT_TRUE(comm.telnetSeen());
    ASSERT_EQ(host.sends.size(), 1u);
    EXPECT_TRUE(SameBytes(host.sends[0], {IAC, WILL, TERMINAL_TYPE}));

    Feed(kSendEnvironment);
    EXPECT_TRUE(comm.environSent());
    const Bytes record = Record(0x03, {0x04, 0x40, 0x00, 0x00});
    Feed(record);
    ASSERT_EQ(interpreter.blocks.size(), 1u);
    EXPECT_TRUE(SameBytes(interpreter.blocks[0], record));
    EXPECT_FALSE(comm.environSent());  // a 5250 block arrived
    EXPECT_EQ(comm.receivedCount(), 0u);
}

TEST_F(CommunicationTest, BlockInThreePiecesIsInterpretedOnceWhole) {
    Feed(kDoTerminalType);
    const Bytes record = Record(0x03, Bytes(100, 0x41));
    Feed(Bytes(record.begin(), record.begin() + 30));
    Feed(Bytes(record.begin() + 30, record.begin() + 70));
    EXPECT_TRUE(interpreter.blocks.empty());
    EXPECT_EQ(comm.receivedCount(), 70u);
    Feed(Bytes(record.begin() + 70, record.end()));
    ASSERT_EQ(interpreter.blocks.size(), 1u);
    EXPECT_TRUE(SameBytes(interpreter.blocks[0], record));
}

TEST_F(CommunicationTest, DoubledIacBeforeEfIsNoEndOfRecord) {
    Feed(kDoTerminalType);
    // The data bytes 0xFF 0xEF travel as FF FF EF; a piece ending there is
    // the middle of a record.
    const Bytes record = Record(0x03, {0x11, 0xFF, 0xEF, 0x22});
    const Bytes first(record.begin(), record.begin() + 14);
    ASSERT_TRUE(SameBytes(Bytes(first.end() - 3, first.end()), {IAC, IAC, EOR}));
    Feed(first);
    EXPECT_TRUE(interpreter.blocks.empty());
    Feed(Bytes(record.begin() + 14, record.end()));
    ASSERT_EQ(interpreter.blocks.size(), 1u);
    EXPECT_TRUE(SameBytes(interpreter.blocks[0], record));  // unchanged, IAC still doubled
}

TEST_F(CommunicationTest, TelnetCommandsFollowedByRecordsAreSplit) {
    const Bytes record1 = Record(0x03, {0x04, 0xFF, 0x00});
    const Bytes record2 = Record(0x01, {0x04, 0x11});
    const Bytes negotiation = Cat({IAC, DO, END_OF_RECORD, IAC, WILL, END_OF_RECORD, IAC, SB,
                                   NEW_ENVIRON, SEND, VAR, "USER", IAC, IAC, EOR, IAC, SE});
    Feed(Cat({negotiation, record1, Bytes(record2.begin(), record2.begin() + 5)}));
    ASSERT_EQ(host.sends.size(), 1u);
    EXPECT_TRUE(SameBytes(host.sends[0], Cat({IAC, WILL, END_OF_RECORD, IAC, DO, END_OF_RECORD,
                                              kEnvironmentAnswer})));
    ASSERT_EQ(interpreter.blocks.size(), 1u);
    EXPECT_TRUE(SameBytes(interpreter.blocks[0], record1));
    EXPECT_EQ(comm.receivedCount(), 5u);
    Feed(Bytes(record2.begin() + 5, record2.end()));
    ASSERT_EQ(interpreter.blocks.size(), 2u);
    EXPECT_TRUE(SameBytes(interpreter.blocks[1], record2));
}

TEST(CommunicationSplits, AnySplitOfASessionGivesTheSameAnswersAndRecords) {
    const Bytes record1 = Record(0x03, {0x04, 0x40, 0xFF, 0xEF, 0x00});
    const Bytes record2 = Record(0x01, {0x04, 0x11, 0xFF, 0xFF});
    const Bytes stream = Cat({kDoTerminalType, kSendTerminalType, IAC, DO, END_OF_RECORD, IAC, WILL,
                              BINARY, kSendEnvironment, record1, record2});
    const Bytes answers = Cat({IAC, WILL, TERMINAL_TYPE, kTerminalTypeAnswer, IAC, WILL,
                               END_OF_RECORD, IAC, DO, BINARY, kEnvironmentAnswer});
    for (std::size_t a = 0; a <= stream.size(); ++a) {
        for (std::size_t b = a; b <= stream.size(); b += 3) {
            SCOPED_TRACE(testing::Message() << "pieces end at " << a << " and " << b);
            Endpoint e;
            e.Feed(Bytes(stream.begin(), stream.begin() + a));
            e.Feed(Bytes(stream.begin() + a, stream.begin() + b));
            e.Feed(Bytes(stream.begin() + b, stream.end()));
            ASSERT_TRUE(SameBytes(e.host.All(), answers));
            ASSERT_TRUE(SameBytes(e.interpreter.All(), Cat({record1, record2})));
            ASSERT_EQ(e.comm.receivedCount(), 0u);
        }
    }
}

TEST_F(CommunicationTest, PlainTextBeforeAnyTelnetIsWrittenOnTheScreen) {
    terminal.SetCursorCell(2, 5);
    Feed(Cat({"Hello\r\nWorld"}));
    auto row = [&](int r) {
        std::string s;
        for (int c = 0; c < 5; ++c)
            s += static_cast<char>(terminal.screen.at(r * 80 + c).character);
        return s;
    };
    EXPECT_EQ(row(2), "Hello");
    EXPECT_EQ(row(3), "World");
    EXPECT_EQ(terminal.screen.at(3 * 80 + 5).character, ' ');
    EXPECT_EQ(terminal.screen.at(2 * 80).ebcdic, kEbcdicBlank);  // no translation
    EXPECT_EQ(terminal.CursorRow(), 3);
    EXPECT_EQ(terminal.CursorColumn(), 5);
    EXPECT_EQ(log.back(), "InvalidateView");
    EXPECT_TRUE(interpreter.blocks.empty());
    EXPECT_EQ(comm.receivedCount(), 0u);
    EXPECT_FALSE(comm.telnetSeen());
}

TEST_F(CommunicationTest, PlainTextStopsAtItsLimitsAndTheCursorBelowTheScreen) {
    terminal.screen.AllocateCells(132, 27);
    terminal.screen.SetGeometry(132, 27);
    terminal.SetCursorCell(14, 0);  // position 1848
    Feed(Bytes(100, 'A'));
    EXPECT_EQ(terminal.screen.at(1920).character, 'A');
    EXPECT_EQ(terminal.screen.at(1921).character, ' ');
    Bytes lines;
    for (int i = 0; i < 40; ++i) lines.insert(lines.end(), {'\r', '\n', 'B'});
    Feed(lines);
    EXPECT_EQ(terminal.CursorRow(), 27);                     // the system request line, no further
    EXPECT_EQ(terminal.screen.at(15 * 132).character, ' ');  // beyond position 1920
}

TEST_F(CommunicationTest, OversizeBlockIsDroppedAndTheNextOneStillArrives) {
    Feed(kDoTerminalType);
    // Odd header length so that the IAC IAC pairs straddle the buffer's end.
    const Bytes huge = Record(0x03, Cat({0x41, Bytes(40000, 0xFF)}));
    const Bytes next = Record(0x01, {0x04, 0x11});
    interpreter.onBlock = [&](const Bytes&) {
        EXPECT_LE(comm.receivedCount(), Communication::kReceiveBufferSize);
    };
    Feed(huge);
    EXPECT_TRUE(interpreter.blocks.empty());
    EXPECT_EQ(comm.receivedCount(), 0u);
    EXPECT_EQ(monitor.dropped, huge.size());
    Feed(next);
    ASSERT_EQ(interpreter.blocks.size(), 1u);
    EXPECT_TRUE(SameBytes(interpreter.blocks[0], next));

    // An unfinished subnegotiation that fills the buffer goes the same way,
    // up to its IAC SE.
    monitor.dropped = 0;
    const Bytes endless = Cat({IAC, SB, NEW_ENVIRON, SEND, Bytes(38000, 0x41), IAC, SE});
    Feed(Cat({endless, kDoTerminalType}));
    EXPECT_EQ(monitor.dropped, endless.size());
    EXPECT_TRUE(SameBytes(host.sends.back(), {IAC, WILL, TERMINAL_TYPE}));
}

TEST_F(CommunicationTest, FailedSendInsideABlockDoesNotRunItAgain) {
    ThrowingTransport failing;
    comm.SetTransport(&failing);
    const Bytes record = Record(0x03, {0x04, 0x40});
    interpreter.onBlock = [&](const Bytes&) {
        const Bytes answer = {0x00, 0x0A, 0x12, 0xA0};
        comm.Send(answer.data(), answer.size());
    };
    Feed(kDoTerminalType);
    Feed(record);
    EXPECT_EQ(comm.receivedCount(), 0u);
    Feed(record);
    EXPECT_EQ(interpreter.blocks.size(), 2u);
    EXPECT_EQ(failing.attempts, 3);  // the WILL answer and one per block
}

TEST_F(CommunicationTest, NestedArrivalDuringABlockIsNotMixedWithIt) {
    // A message box's event loop may deliver the next block while the first
    // one is being interpreted.
    const Bytes first = Record(0x03, {0x04, 0x40});
    const Bytes second = Record(0x01, {0x04, 0x11});
    Feed(kDoTerminalType);
    interpreter.onBlock = [&](const Bytes& block) {
        if (block == first) Feed(second);
    };
    Feed(first);
    ASSERT_EQ(interpreter.blocks.size(), 2u);
    EXPECT_TRUE(SameBytes(interpreter.blocks[1], second));
}

TEST_F(CommunicationTest, SendsOnlyWhileConnectedAndNeverEmpty) {
    const Bytes record = {1, 2, 3};
    comm.Send(record.data(), 0);
    terminal.state.connected = 0;
    comm.Send(record.data(), record.size());
    EXPECT_TRUE(host.sends.empty());
    terminal.state.connected = 1;
    comm.Send(record.data(), record.size());
    EXPECT_EQ(host.sends.size(), 1u);
}

// ---- with a real connection on 127.0.0.1 ----

class CommunicationLoopbackTest : public CommunicationTest {
protected:
    CommunicationLoopbackTest() { comm.SetTransport(nullptr); }

    void ConnectToHost() {
        ASSERT_TRUE(comm.Connect("127.0.0.1", host_.port()));
        terminal.state.connected = 1;  // as the session start does with the result
        ASSERT_TRUE(host_.Accept());
        log.clear();
    }
    // One notification, as the platform would give it.
    void Event() {
        ASSERT_TRUE(LoopbackListener::Readable(comm.SocketHandle(), 2000));
        comm.OnSocketEvent();
    }

    LoopbackListener host_;
};

TEST_F(CommunicationLoopbackTest, ConnectLocksTheKeyboardAndWatchesTheSocket) {
    ASSERT_TRUE(comm.Connect("localhost", host_.port()));
    EXPECT_EQ(terminal.state.inputInhibited, 1);
    EXPECT_EQ(notifier.watched, comm.SocketHandle());
    EXPECT_EQ(log, (EventLog{"BeginWaitCursor", "DrawInhibitIndicator", "Suspend", "Resume",
                             "EndWaitCursor"}));
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_TRUE(comm.Close());
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(notifier.watched, -1);
    EXPECT_TRUE(comm.Close());
}

TEST_F(CommunicationLoopbackTest, ConnectFailureShowsMessage511AndUnlocks) {
    const std::string expected =
        "Connection initialization failure:\nVerify your parameters and try again";
    ASSERT_EQ(LoadString(kStrConnectFailure), expected);
    for (int port : {int{ClosedPort()}, 70000}) {
        SCOPED_TRACE(port);
        log.clear();
        messages.texts.clear();
        EXPECT_FALSE(comm.Connect("127.0.0.1", port));
        EXPECT_EQ(messages.texts, std::vector<std::string>{expected});
        EXPECT_EQ(terminal.state.inputInhibited, 0);
        EXPECT_FALSE(comm.IsOpen());
        EXPECT_EQ(std::count(log.begin(), log.end(), "DrawInhibitIndicator"), 2);
        EXPECT_EQ(log.back(), "EndWaitCursor");
    }
}

TEST_F(CommunicationLoopbackTest, HostClosingAfterTheEnvironmentAnswerRefusedTheName) {
    ConnectToHost();
    host_.Write(kSendEnvironment);
    Event();
    EXPECT_TRUE(SameBytes(host_.Read(), kEnvironmentAnswer));
    terminal.state.inputInhibited = 1;
    host_.CloseConnection();
    Event();
    EXPECT_EQ(messages.texts, std::vector<std::string>{std::string(LoadString(kStrDisplayInUse))});
    EXPECT_EQ(messages.icons, std::vector<MessageIcon>{MessageIcon::Exclamation});
    EXPECT_EQ(std::count(log.begin(), log.end(), "EndSession"), 1);
    EXPECT_EQ(terminal.state.inputInhibited, 0);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(notifier.watched, -1);
}

TEST_F(CommunicationLoopbackTest, HostClosingLaterEndsTheSessionWithoutAMessage) {
    ConnectToHost();
    // The sign-off of the session end fails on the dead connection; the
    // session still ends and the socket is not left watched.
    session.onEndSession = [] { throw CBlockingSocketException("Send", EPIPE); };
    host_.Write(Cat({kSendEnvironment, Record(0x03, {0x04, 0x40})}));
    Event();
    ASSERT_EQ(interpreter.blocks.size(), 1u);
    host_.Read();  // a host closing with unread data would reset the connection
    host_.CloseConnection();
    Event();
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(std::count(log.begin(), log.end(), "EndSession"), 1);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(notifier.watched, -1);
}

TEST_F(CommunicationLoopbackTest, HostDataEndsSystemRequestModeFirst) {
    ConnectToHost();
    host_.Write(kDoTerminalType);
    Event();
    terminal.state.sysReqMode = 1;
    comm.SuspendNotifications();  // as entering the mode does
    log.clear();
    host_.Write(Record(0x03, {0x04, 0x40}));
    Event();
    EXPECT_EQ(terminal.state.sysReqMode, 0);
    EXPECT_EQ(log, (EventLog{"EndSysReqLine", "Resume", "ProcessBlock"}));
    EXPECT_EQ(notifier.watched, comm.SocketHandle());
}

TEST_F(CommunicationLoopbackTest, ReceiveNeverAsksForMoreThanTheFreeSpace) {
    ConnectToHost();
    host_.Write(kDoTerminalType);
    Event();
    const Bytes huge = Record(0x03, Bytes(42000, 0x41));
    const Bytes next = Record(0x01, {0x04, 0x11});
    // Hold all but 772 bytes of the buffer, then let more arrive than fits.
    host_.Write(Bytes(huge.begin(), huge.begin() + 37000));
    while (comm.receivedCount() < 37000) Event();
    host_.Write(Cat({Bytes(huge.begin() + 37000, huge.end()), next}));
    while (monitor.dropped == 0) Event();
    EXPECT_EQ(monitor.dropped, Communication::kReceiveBufferSize);
    while (interpreter.blocks.empty()) Event();
    EXPECT_TRUE(SameBytes(interpreter.blocks[0], next));
    EXPECT_EQ(monitor.dropped, huge.size());
}

}  // namespace
}  // namespace quenlix::test
