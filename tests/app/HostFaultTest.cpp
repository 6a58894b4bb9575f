// The desktop program against misbehaving hosts on loopback, on Qt's
// offscreen platform with its real event loop: a host that ends the session
// right after the negotiation, one that floods malformed and resequenced
// records, and one that stops reading while it asks for screen after
// screen. Each must leave one box at most, a window that still answers and
// closes, and bounded memory.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <thread>

#include "ShellDoubles.h"
#include "app/CTelnetApp.h"
#include "ds5250/RecordBuilder.h"
#include "faults/FaultHost.h"
#include "prefs/SettingsStore.h"
#include "session/ConnectFile.h"
#include "support/SampleScreens.h"
#include "terminal/StringTable.h"

namespace quenlix::app {
namespace {

using quenlix::testing::FaultHost;
using quenlix::testing::Negotiate;
using testing::ScriptedQuestions;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

/// The program over an in-memory store, its modal boxes replaced by a
/// nested event loop that runs as long as an operator would take to read
/// one, so re-entry through that loop shows as it would with a real box.
struct Program {
    explicit Program(int port) : app(QUENLIX_TABLE_DIR, "PC1", store, &questions) {
        app.messages().interceptor = [this](std::string_view text, MessageIcon) {
            shown.emplace_back(text);
            ++depth;
            deepest = std::max(deepest, depth);
            QEventLoop loop;
            QTimer::singleShot(200, &loop, &QEventLoop::quit);
            loop.exec();
            --depth;
        };
        app.session().unplacedByteTrace().SetPath("");
        SessionSettings s;
        s.Name = "Faulty";
        s.IP = "127.0.0.1";
        s.Port = port;
        s.TerminalName = "IBM-5292-2";
        s.TerminalCaract = "24 * 80";
        s.PageCode = 37;
        s.LaunchConnection = 1;
        path = dir.filePath(QStringLiteral("faulty.stn")).toStdString();
        EXPECT_TRUE(CConnectFile::WriteSessionFile(path, s));
    }
    bool connected() { return app.session().terminal.state.connected != 0; }
    /// Runs the event loop until `done` or the time is up.
    template <typename Done>
    bool RunUntil(Done done, milliseconds limit) {
        const auto end = Clock::now() + limit;
        while (!done() && Clock::now() < end) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
    /// Host-data boxes among the program's windows.
    static int MessageBoxCount() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMessageBox*>(w) && w->isVisible()) ++n;
        }
        return n;
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-fault-XXXXXX")};
    MemorySettingsStore store;
    ScriptedQuestions questions;
    CTelnetApp app;
    std::string path;
    std::vector<std::string> shown;
    int depth = 0;
    int deepest = 0;
};

TEST(HostFaults, AHostThatClosesAfterTheNegotiationEndsTheSessionOnceWithOneBox) {
    FaultHost host;
    host.Play([](FaultHost& h) {
        Negotiate(h, false, true);
        h.Close();  // as a host does when the display name is in use
    });
    Program p(host.port());
    ASSERT_FALSE(p.app.commands().OpenSessionFile(p.path).empty());
    EXPECT_TRUE(p.RunUntil([&] { return !p.connected() && p.depth == 0; }, milliseconds(5000)));
    // Time for any further report of the same close to show.
    p.RunUntil([] { return false; }, milliseconds(400));
    host.Join();
    EXPECT_EQ(p.shown, std::vector<std::string>{std::string(LoadString(kStrDisplayInUse))});
    EXPECT_EQ(p.deepest, 1) << "a box opened inside the box";
    EXPECT_EQ(p.app.session().terminal.state.connectionNotice, "Disconnected by the host");
    EXPECT_FALSE(p.app.session().endpoint().IsOpen());
    EXPECT_EQ(p.app.frame().idleStatus(), QStringLiteral("Disconnected by the host"));
}

TEST(HostFaults, TheNoticeOfALostSessionShowsAndEnterConnectsItAgain) {
    FaultHost host;
    host.Play([](FaultHost& h) {
        Negotiate(h);
        h.Send(samples::SignOnScreen());
        h.ReadQuiet(100);
        h.Close();
    });
    Program p(host.port());
    ASSERT_FALSE(p.app.commands().OpenSessionFile(p.path).empty());
    ASSERT_TRUE(p.RunUntil([&] { return p.app.session().blocksProcessed() > 0; }, milliseconds(5000)));
    ASSERT_TRUE(p.RunUntil([&] { return !p.connected(); }, milliseconds(5000)));
    host.Join();
    p.RunUntil([] { return false; }, milliseconds(300));  // a tick of the status bar
    EXPECT_EQ(p.app.frame().idleStatus(), QStringLiteral("Disconnected by the host"));
    EXPECT_TRUE(p.shown.empty()) << "a notice on the screen, not a box";

    // Enter on the blank screen: the same session connects again (the
    // listener still takes connections; nobody answers on them).
    CTelnetView* view = p.app.frame().view();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(view, &press);
    EXPECT_TRUE(p.RunUntil([&] { return p.connected(); }, milliseconds(5000)));
    EXPECT_TRUE(p.app.session().terminal.state.connectionNotice.empty());
    p.RunUntil([] { return false; }, milliseconds(300));
    EXPECT_EQ(p.app.frame().idleStatus(), QStringLiteral("Ready"));
    p.app.Stop();
}

TEST(HostFaults, MalformedAndResequencedRecordsNeverStackBoxesAndTheWindowStillCloses) {
    std::atomic<bool> sent{false};
    FaultHost host;
    host.Play([&](FaultHost& h) {
        Negotiate(h);
        h.Send(samples::SignOnScreen());
        // 1000 records that are no GDS records, then a screen of 300 fields
        // that carry resequencing control words.
        Bytes bad;
        for (int i = 0; i < 1000; ++i) bad.insert(bad.end(), {0x00, 0x0C, 0x55, 0x55, 0xFF, 0xEF});
        Bytes answers;
        h.SendDraining(bad, answers);
        RecordBuilder screen;
        screen.clearUnit().writeToDisplay();
        for (int i = 0; i < 300; ++i) {
            screen.sba(1 + i / 13, 1 + (i % 13) * 6)
                .startOfFieldResequenced(0x40, 0x00, static_cast<std::uint8_t>(i + 1), 0x24, 4);
        }
        h.SendDraining(screen.readMdtFields().record(), answers);
        sent = true;
        while (!h.stop) h.ReadQuiet(50);
    });
    Program p(host.port());
    ASSERT_FALSE(p.app.commands().OpenSessionFile(p.path).empty());
    int mostBoxes = 0;
    p.RunUntil(
        [&] {
            mostBoxes = std::max(mostBoxes, Program::MessageBoxCount());
            return sent && p.app.session().terminal.formatTable.fieldCount() == 256;
        },
        milliseconds(10000));
    p.RunUntil([] { return false; }, milliseconds(200));
    EXPECT_EQ(p.app.session().terminal.formatTable.fieldCount(), 256) << "the screen came through";
    EXPECT_EQ(mostBoxes, 1);
    EXPECT_EQ(Program::MessageBoxCount(), 1);
    ASSERT_NE(p.app.messages().hostNoticeBox(), nullptr);
    EXPECT_TRUE(p.app.messages().hostNoticeBox()->text().startsWith(QStringLiteral("Bad format")));
    EXPECT_GE(p.app.messages().hostNoticesMore(), 1) << "the rest were counted into it";
    EXPECT_TRUE(p.shown.empty()) << "no modal box, and none for resequencing";

    // The close goes through while the box is up: end the session? Yes.
    p.questions.yesNo = {true};
    EXPECT_TRUE(p.app.frame().close());
    EXPECT_FALSE(p.connected());
    host.stop = true;
    host.Join();
}

TEST(HostFaults, AHostThatStopsReadingNeverFreezesTheWindow) {
    std::atomic<bool> flooding{true};
    FaultHost host;
    host.Play([&](FaultHost& h) {
        Negotiate(h);
        h.Send(samples::SignOnScreen());
        // Read Screen requests without end, and not one answer read.
        const Bytes request = FrameRecord(ds::kOpReadScreen, {ds::kEscape, ds::kCmdReadScreen});
        Bytes many;
        for (int i = 0; i < 2000; ++i) many.insert(many.end(), request.begin(), request.end());
        while (!h.stop && h.Send(many)) {
        }
        flooding = false;
    });
    Program p(host.port());
    p.app.session().endpoint().SetOutputStallLimit(milliseconds(1500));
    ASSERT_FALSE(p.app.commands().OpenSessionFile(p.path).empty());

    // A timer of the window's own keeps firing while the output waits.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    std::size_t mostQueued = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (sinceTick.isValid()) longestGap = std::max(longestGap, sinceTick.restart());
        sinceTick.start();
        mostQueued = std::max(mostQueued, p.app.session().endpoint().pendingOutput());
    });
    ticker.start(20);
    EXPECT_TRUE(p.RunUntil([&] { return !p.connected(); }, milliseconds(15000)));
    ticker.stop();
    host.stop = true;
    host.Join();
    EXPECT_GT(mostQueued, 0u) << "the host did stop reading";
    EXPECT_LE(mostQueued, Communication::kOutputHighWater + Communication::kReceiveRequestLimit);
    EXPECT_LT(longestGap, 500) << "the event loop stood still";
    EXPECT_EQ(p.app.session().terminal.state.connectionNotice,
              "Connection lost: the host stopped taking data");
    EXPECT_TRUE(p.shown.empty());
}

}  // namespace
}  // namespace quenlix::app
