// One session without a window: starting a connection sizes the screen and
// connects; ending it signs off, clears the screen and the operator's state
// and makes the edited values active.
#include <gtest/gtest.h>

#include <cerrno>

#include "connection/TerminalSession.h"
#include "ds5250/RecordBuilder.h"
#include "input/Clipboard.h"
#include "net/Loopback.h"
#include "support/HexDump.h"
#include "support/Recorders.h"
#include "terminal/StringTable.h"

namespace quenlix::testing {
namespace {

/// The sign-off: a System Request carrying "90" in EBCDIC.
const Bytes kSignOff = {0x00, 0x0C, 0x12, 0xA0, 0x00, 0x00, 0x04,
                        0x04, 0x00, 0x00, 0xF9, 0xF0, 0xFF, 0xEF};

/// A menu with one input field of five positions at row 4, column 11.
Bytes MenuScreen() {
    return RecordBuilder()
        .clearUnit()
        .writeToDisplay()
        .sba(2, 2)
        .text("MENU")
        .sba(4, 10)
        .startOfField(0x40, 0x00, 0x20, 5)
        .insertCursor(4, 11)
        .readMdtFields()
        .record();
}

class TerminalSessionTest : public ::testing::Test {
protected:
    TerminalSessionTest() {
        session.activeSettings.PageCode = 37;
        session.activeSettings.TerminalCaract = "24 * 80";
        session.onSessionEnded = [this] { ++ended; };
        session.onSessionDisplayChanged = [this] { ++displayChanged; };
    }
    /// As if connected to a host whose data is `block`; records go to `host`.
    void ConnectedTo(const Bytes& block) {
        session.terminal.screen.SetGeometry(80, 24);
        session.terminal.state.connected = 1;
        session.endpoint().SetTransport(&host);
        session.endpoint().OnReceived(block.data(), block.size());
    }

    RecordingView view;
    RecordingMessages messages;
    NullSocketNotifier notifier;
    MemoryClipboard clipboard;
    TerminalSession session{FrontEnd{view, messages, notifier, clipboard}, QUENLIX_TABLE_DIR,
                            "TESTPC"};
    RecordingSender host;
    int ended = 0;
    int displayChanged = 0;
};

TEST_F(TerminalSessionTest, EndSessionSignsOffAndLeavesNothingBehind) {
    ConnectedTo(MenuScreen());
    Terminal& t = session.terminal;
    ASSERT_EQ(t.formatTable.fieldCount(), 1);
    t.state.insertMode = 1;
    t.selection = CellRect{1, 1, 5, 2};
    t.state.messageWaiting = 1;
    t.state.inputInhibited = 1;
    t.state.sysReqMode = 1;
    session.pendingSettings.Name = "Edited";
    session.pendingSettings.IP = "10.1.2.3";
    session.terminal.TakeDamage();
    view.ready = 0;

    session.EndSession();
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0], kSignOff) << Described(host.sent[0]);
    for (int p = 0; p < t.cellCount(); ++p) {
        ASSERT_EQ(t.screen.at(p), ScreenCell{}) << "position " << p;
    }
    EXPECT_EQ(t.formatTable.fieldCount(), 0);
    EXPECT_EQ(t.state.pendingRead, 0);
    EXPECT_EQ(t.state.cursorX, 0);
    EXPECT_EQ(t.state.cursorY, 0);
    EXPECT_EQ(t.state.insertMode, 0);
    EXPECT_TRUE(t.selection.empty());
    EXPECT_EQ(t.state.messageWaiting, 0);
    EXPECT_EQ(t.state.inputInhibited, 0);
    EXPECT_EQ(t.state.sysReqMode, 0);
    EXPECT_EQ(t.state.connected, 0);
    EXPECT_EQ(session.activeSettings, session.pendingSettings);
    EXPECT_EQ(session.activeSettings.Name, "Edited");
    EXPECT_EQ(view.ready, 1) << "the cleared screen is painted once";
    EXPECT_TRUE(t.TakeDamage().all());
    EXPECT_EQ(ended, 1);

    // Not connected any more: a second end sends nothing and clears again.
    session.EndSession();
    EXPECT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(ended, 2);
}

TEST_F(TerminalSessionTest, EndSessionEndsEvenWhenTheSignOffFails) {
    struct Failing : RecordSender {
        void Send(const std::uint8_t*, std::size_t) override {
            throw CBlockingSocketException("Send", EPIPE);
        }
    } failing;
    ConnectedTo(RecordBuilder().clearUnit().writeToDisplay().text("X").record());
    session.endpoint().SetTransport(&failing);
    session.EndSession();
    EXPECT_EQ(session.terminal.state.connected, 0);
    EXPECT_EQ(session.terminal.screen.at(0).character, ' ');
    EXPECT_EQ(ended, 1);
}

TEST_F(TerminalSessionTest, StartConnectionSizesTheScreenAndConnects) {
    struct Case {
        const char* caract;
        int allocated;
    };
    for (const Case c : {Case{"27 * 132", 132 * 27}, Case{"24 * 80", 80 * 24}}) {
        SCOPED_TRACE(c.caract);
        test::LoopbackHost listening;
        Terminal& t = session.terminal;
        t.screen.SetGeometry(132, 27);  // what the last host chose
        t.state.messageWaiting = 1;
        session.activeSettings.TerminalCaract = c.caract;
        session.activeSettings.IP = "127.0.0.1";
        session.activeSettings.Port = listening.port();
        const int changedBefore = displayChanged;

        EXPECT_TRUE(session.StartConnection());
        EXPECT_EQ(t.state.connected, 1);
        EXPECT_TRUE(session.endpoint().IsOpen());
        EXPECT_EQ(t.state.inputInhibited, 1) << "locked until the host invites input";
        EXPECT_EQ(t.screen.allocated(), c.allocated);
        EXPECT_EQ(t.columns(), 80) << "the host's first command sets the size in use";
        EXPECT_EQ(t.rows(), 24);
        EXPECT_EQ(t.cellCount(), 1920);
        EXPECT_EQ(t.state.messageWaiting, 0);
        EXPECT_EQ(displayChanged, changedBefore + 1);
        session.EndSession();
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TerminalSessionTest, AHostSilentWhileTheKeyboardIsLockedIsNoticedAfterThirtySeconds) {
    test::LoopbackHost host;
    auto now = Communication::Clock::now();
    session.endpoint().SetClock([&now] { return now; });
    session.activeSettings.IP = "127.0.0.1";
    session.activeSettings.Port = host.port();
    ASSERT_TRUE(session.StartConnection());
    ASSERT_TRUE(host.Accept());
    Terminal& t = session.terminal;
    EXPECT_EQ(t.state.inputInhibited, 1) << "locked until the host invites input";
    now += std::chrono::seconds(29);
    EXPECT_FALSE(session.WaitingForHost());
    now += std::chrono::seconds(1);
    EXPECT_TRUE(session.WaitingForHost());
    EXPECT_EQ(t.state.inputInhibited, 1) << "the lock stays";
    t.state.inputInhibited = 0;
    EXPECT_FALSE(session.WaitingForHost()) << "the operator has the keyboard";
    session.input().PressKey("Enter");  // sent, and locked again: the silence starts afresh
    EXPECT_EQ(t.state.inputInhibited, 1);
    EXPECT_FALSE(session.WaitingForHost());
    now += std::chrono::seconds(31);
    EXPECT_TRUE(session.WaitingForHost());
    session.EndSession();
    EXPECT_FALSE(session.WaitingForHost());
}

TEST_F(TerminalSessionTest, StartConnectionFailuresLeaveTheSessionUnconnected) {
    Terminal& t = session.terminal;
    test::LoopbackHost refusing(false);  // a port where nothing listens
    session.activeSettings.IP = "127.0.0.1";
    session.activeSettings.Port = refusing.port();
    EXPECT_FALSE(session.StartConnection());
    EXPECT_EQ(t.state.connected, 0);
    EXPECT_EQ(t.state.inputInhibited, 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], std::string(LoadString(kStrConnectFailure)) +
                                     "\nConnection refused by 127.0.0.1:" +
                                     std::to_string(refusing.port()));

    // No screen size: refused with its own message, the connection untouched.
    messages.shown.clear();
    t.screen.SetGeometry(132, 27);
    session.activeSettings.TerminalCaract.clear();
    t.TakeDamage();
    EXPECT_FALSE(session.StartConnection());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find("no screen size"), std::string::npos) << messages.shown[0];
    EXPECT_EQ(t.cellCount(), 1920) << "the geometry went back to 24 x 80 first";
    EXPECT_FALSE(t.TakeDamage().indicator(Indicator::kInhibit)) << "no connect was tried";
    EXPECT_FALSE(session.endpoint().IsOpen());
}

TEST_F(TerminalSessionTest, AHostThatGoesLeavesTheLastScreenWithTheTypedTextAndRetriesKeepIt) {
    Terminal& t = session.terminal;
    session.retryWording = true;
    int reconnects = 0;
    session.onReconnectRequested = [&reconnects] { ++reconnects; };
    auto text = [&t](int row, int column, int length) {
        std::string out;
        for (int c = column; c < column + length; ++c) {
            out += static_cast<char>(t.screen.at(t.PositionOf(row, c)).character);
        }
        return out;
    };
    std::uint16_t port = 0;
    {
        test::LoopbackHost host;
        port = host.port();
        session.activeSettings.IP = "127.0.0.1";
        session.activeSettings.Port = port;
        session.pendingSettings = session.activeSettings;  // what an end makes active
        ASSERT_TRUE(session.StartConnection());
        ASSERT_TRUE(host.Accept());
        host.Write(MenuScreen());
        ASSERT_TRUE(test::Readable(session.endpoint().SocketHandle()));
        session.endpoint().OnSocketEvent();
        ASSERT_EQ(t.formatTable.fieldCount(), 1);
        ASSERT_EQ(t.state.inputInhibited, 0);
        session.input().Type("QUS");
        ASSERT_EQ(text(3, 10, 3), "QUS");
        t.selection = CellRect{1, 1, 5, 2};
        host.Hangup();
        ASSERT_TRUE(test::Readable(session.endpoint().SocketHandle()));
        session.endpoint().OnSocketEvent();
    }
    // Gone: the screen and the typed text stay, nothing of it is a field.
    EXPECT_EQ(t.state.connected, 0);
    EXPECT_EQ(t.state.connectionNotice, "Disconnected by the host");
    EXPECT_EQ(text(1, 1, 4), "MENU");
    EXPECT_EQ(text(3, 10, 3), "QUS");
    EXPECT_EQ(t.formatTable.fieldCount(), 0);
    EXPECT_EQ(t.screen.at(t.PositionOf(3, 10)).fieldIndex, -1);
    EXPECT_TRUE(t.selection.empty());
    EXPECT_EQ(t.screen.at(t.PositionOf(1, 1)).selected, 0);
    EXPECT_EQ(t.state.inputInhibited, 0);
    EXPECT_EQ(ended, 1);
    // The operator can still select it and copy it.
    t.state.cellWidth = 10;
    t.state.cellHeight = 20;
    session.input().mouse().DoubleClick(10 * 2, 20 * 1);
    ASSERT_FALSE(t.selection.empty());
    EXPECT_NE(session.input().Copy(t.selection, true).find("MENU"), std::string::npos);
    session.input().mouse().Press(10 * 10, 20 * 3);
    session.input().mouse().Move(10 * 13, 20 * 3 + 19);
    session.input().mouse().Release(10 * 13, 20 * 3 + 19);
    EXPECT_EQ(session.input().Copy(t.selection, true).substr(0, 3), "QUS");

    // Tried again while the host is still down: the screen stays, the
    // message says the host cannot be reached and Enter tries again.
    messages.shown.clear();
    EXPECT_FALSE(session.StartConnection());
    EXPECT_EQ(text(3, 10, 3), "QUS");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], RetryMessages::RetryFailedText(
                                     "Connection refused by 127.0.0.1:" + std::to_string(port)));
    EXPECT_EQ(messages.shown[0].find("Verify your parameters"), std::string::npos);
    EXPECT_EQ(t.state.connectionNotice,
              "The host is not reachable: Connection refused by 127.0.0.1:" + std::to_string(port));
    session.input().Type("\r");
    EXPECT_EQ(reconnects, 1) << "Enter asks for the connection again after a failed try";

    // The host is back: the new connection starts on a blank screen.
    test::LoopbackHost back;
    session.activeSettings.Port = back.port();
    session.pendingSettings = session.activeSettings;
    EXPECT_TRUE(session.StartConnection());
    EXPECT_TRUE(t.state.connectionNotice.empty());
    EXPECT_EQ(text(3, 10, 3), "   ");
    EXPECT_EQ(text(1, 1, 4), "    ");
    session.EndSession();

    // The operator's own end still blanks the screen, and a first connect
    // that fails says 511 as ever.
    EXPECT_EQ(text(1, 1, 4), "    ");
    messages.shown.clear();
    session.activeSettings.Port = port;
    EXPECT_FALSE(session.StartConnection());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].rfind(LoadString(kStrConnectFailure), 0), 0u) << messages.shown[0];
    EXPECT_TRUE(t.state.connectionNotice.empty());
}

TEST_F(TerminalSessionTest, WithoutRetryWordingARetryFailureKeeps511) {
    session.terminal.state.connectionNotice = "Disconnected by the host";
    test::LoopbackHost refusing(false);
    session.activeSettings.IP = "127.0.0.1";
    session.activeSettings.Port = refusing.port();
    EXPECT_FALSE(session.StartConnection());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].rfind(LoadString(kStrConnectFailure), 0), 0u) << messages.shown[0];
    EXPECT_EQ(session.terminal.state.connectionNotice.rfind(TerminalSession::kNotReachableNotice, 0),
              0u);
}

}  // namespace
}  // namespace quenlix::testing
