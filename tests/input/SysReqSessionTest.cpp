// System request mode in a whole session: host data that arrives while the
// operator types a request ends the mode, brings back the cursor and the
// keyboard lock, and lets the socket report data again.
#include <gtest/gtest.h>

#include "connection/TerminalSession.h"
#include "ds5250/RecordBuilder.h"
#include "net/Loopback.h"
#include "support/Recorders.h"

namespace quenlix::testing {
namespace {

using namespace ds;

class CountingNotifier : public SocketNotifier {
public:
    void Resume(int) override { ++resumed; }
    void Suspend() override { ++suspended; }
    int resumed = 0;
    int suspended = 0;
};

class SysReqSessionTest : public ::testing::Test {
protected:
    SysReqSessionTest() {
        session.activeSettings.IP = "127.0.0.1";
        session.activeSettings.Port = host.port();
        session.activeSettings.TerminalCaract = "24 * 80";
    }
    void HostSends(const RecordBuilder& r) {
        const Bytes block = r.record();
        session.endpoint().OnReceived(block.data(), block.size());
    }

    test::LoopbackHost host;
    RecordingView view;
    RecordingMessages messages;
    CountingNotifier notifier;
    MemoryClipboard clipboard;
    TerminalSession session{FrontEnd{view, messages, notifier, clipboard}, "/nonexistent", "PC1"};
};

TEST_F(SysReqSessionTest, HostDataDuringTheModeRestoresCursorAndLockAndResumes) {
    ASSERT_TRUE(session.StartConnection());
    ASSERT_TRUE(host.Accept());
    HostSends(RecordBuilder().clearUnit().writeToDisplay().sba(5, 10)
                  .startOfField(0x40, 0, 0x20, 6).insertCursor(5, 11));
    Terminal& t = session.terminal;
    ASSERT_EQ(t.state.inputInhibited, 0);
    OperatorInput& input = session.input();
    input.Type("12\r");  // Enter locks the keyboard
    ASSERT_EQ(t.state.inputInhibited, 1);

    input.PressKey("SysReq");
    ASSERT_EQ(t.state.sysReqMode, 1);
    EXPECT_EQ(t.state.inputInhibited, 0);
    EXPECT_TRUE(session.endpoint().notificationsSuspended());
    const int resumedBefore = notifier.resumed;
    input.Type("X");
    EXPECT_EQ(input.state().sysReqText, "X");

    // Output only: the host does not invite input.
    t.TakeDamage();
    const int paintsBefore = view.ready;
    HostSends(RecordBuilder(kOpOutputOnly).writeToDisplay().sba(1, 1).text("MESSAGE"));
    EXPECT_EQ(t.state.sysReqMode, 0);
    EXPECT_EQ(t.state.inputInhibited, 1) << "the lock in force before the mode";
    EXPECT_EQ(view.ready, paintsBefore + 1) << "one paint for the whole arrival";
    EXPECT_TRUE(t.TakeDamage().indicator(Indicator::kSysReqLine));
    EXPECT_EQ(notifier.resumed, resumedBefore + 1);
    EXPECT_FALSE(session.endpoint().notificationsSuspended());
    EXPECT_EQ(t.screen.at(0).character, 'M') << "the record itself was processed";

    // Keys wait for the host again, and replay when it invites input.
    input.Type("3");
    EXPECT_EQ(input.typeAhead().size(), 3u);
    HostSends(RecordBuilder().writeToDisplay());
    EXPECT_TRUE(input.typeAhead().empty());
    session.EndSession();
}

}  // namespace
}  // namespace quenlix::testing
