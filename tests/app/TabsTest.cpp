// Several sessions in one main window: a tab per session file of the
// command line, where an open goes, switching by command, the close of one
// tab and of the window, and the workspace reopened at the next start.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTemporaryDir>
#include <functional>

#include "ShellDoubles.h"
#include "app/CTelnetApp.h"
#include "app/CommandIds.h"
#include "app/SessionTabBar.h"
#include "input/KeyChord.h"
#include "prefs/SettingsStore.h"
#include "session/ConnectFile.h"
#include "support/DemoHostThread.h"

namespace quenlix::app {
namespace {

using quenlix::testing::DemoHostThread;
using testing::ScriptedQuestions;

bool WaitFor(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

struct Shell {
    explicit Shell(SettingsStore& store) : app(QUENLIX_TABLE_DIR, "PC1", store, &questions) {}
    ScriptedQuestions questions;
    CTelnetApp app;

    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto& c : app.controllers()) names.push_back(c->name());
        return names;
    }
    /// Only the session in front is shown; the others are hidden.
    bool OnlyFrontShown() {
        for (const auto& c : app.controllers()) {
            if (c->view().hidden() != (c.get() != &app.active())) return false;
        }
        return app.frame().view() == &app.active().view();
    }
};

class TabsTest : public ::testing::Test {
protected:
    std::string File(const std::string& name, int port = 23, bool launch = false) {
        SessionSettings s;
        s.Name = name;
        s.IP = "127.0.0.1";
        s.Port = port;
        s.TerminalName = "IBM-5292-2";
        s.TerminalCaract = "24 * 80";
        s.PageCode = 37;
        s.LaunchConnection = launch ? 1 : 0;
        const std::string path = dir.filePath(QString::fromStdString(name + ".stn")).toStdString();
        EXPECT_TRUE(CConnectFile::WriteSessionFile(path, s));
        return path;
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-tabs-XXXXXX")};
    MemorySettingsStore store;
};

TEST_F(TabsTest, CommandLineFilesOpenATabEachTheFirstInFront) {
    Shell shell(store);
    shell.app.BeginFirstSession({File("One"), File("Two"), "\"" + File("Three") + "\""});
    EXPECT_EQ(shell.Names(), (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(shell.app.frame().tabs()->currentIndex(), 0);
    EXPECT_EQ(shell.app.session().activeSettings.Name, "One");
    EXPECT_TRUE(shell.OnlyFrontShown());
    EXPECT_TRUE(shell.app.frame().tabs()->tabText(1).startsWith(QStringLiteral("Two")));
    EXPECT_EQ(shell.app.OpenSessionFiles().size(), 3u);
}

TEST_F(TabsTest, AnOpenTakesANewTabUnlessTheFrontIsEmptyOrTheOptionReplaces) {
    Shell shell(store);
    CTelnetApp& app = shell.app;
    // The empty session of the first start is used, not left beside.
    EXPECT_FALSE(app.OpenInTab(QString::fromStdString(File("One"))).isEmpty());
    EXPECT_EQ(shell.Names(), std::vector<std::string>{"One"});
    EXPECT_FALSE(app.OpenInTab(QString::fromStdString(File("Two"))).isEmpty());
    EXPECT_EQ(shell.Names(), (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(app.session().activeSettings.Name, "Two");
    EXPECT_TRUE(shell.OnlyFrontShown());
    // A cancelled open dialog leaves no empty tab behind.
    shell.questions.openPath.reset();
    EXPECT_TRUE(app.OpenInTab({}).isEmpty());
    EXPECT_EQ(app.controllers().size(), 2u);
    EXPECT_EQ(app.session().activeSettings.Name, "Two");
    // The recent list is the program's: an entry opens in a tab as well.
    app.ActivatePlace(1);
    app.OpenRecentInTab(0);  // "Two", the most recent
    EXPECT_EQ(shell.Names(), (std::vector<std::string>{"One", "Two", "Two"}));
    // One session per window, as before tabs, for those who want it.
    ASSERT_TRUE(app.frame().Execute(kCmdReplaceSession));
    EXPECT_FALSE(app.OpenInTab(QString::fromStdString(File("Four"))).isEmpty());
    EXPECT_EQ(shell.Names(), (std::vector<std::string>{"One", "Two", "Four"}));
    EXPECT_TRUE(shell.OnlyFrontShown());
}

TEST_F(TabsTest, SwitchingWrapsRoundAndAltDigitGoesToItsPlace) {
    Shell shell(store);
    CTelnetApp& app = shell.app;
    CMainFrame& f = app.frame();
    EXPECT_FALSE(f.Execute(kCmdNextTab)) << "nothing to switch to";
    app.BeginFirstSession({File("One"), File("Two"), File("Three")});
    auto front = [&] { return app.session().activeSettings.Name; };
    f.UpdateCommandStates();
    ASSERT_TRUE(f.Execute(kCmdNextTab));
    EXPECT_EQ(front(), "Two");
    ASSERT_TRUE(f.Execute(kCmdPreviousTab));
    ASSERT_TRUE(f.Execute(kCmdPreviousTab));
    EXPECT_EQ(front(), "Three") << "round from the first to the last";
    ASSERT_TRUE(f.Execute(kCmdNextTab));
    EXPECT_EQ(front(), "One") << "and from the last to the first";
    ASSERT_TRUE(f.Execute(kCmdTab1 + 1));
    EXPECT_EQ(front(), "Two");
    EXPECT_FALSE(f.Execute(kCmdTab1 + 3)) << "no fourth tab";
    EXPECT_EQ(front(), "Two");
    EXPECT_TRUE(shell.OnlyFrontShown());
    // The mouse: a click on a tab is the tab widget's current index.
    f.tabs()->setCurrentIndex(2);
    EXPECT_EQ(front(), "Three");
    EXPECT_TRUE(shell.OnlyFrontShown());
    // The title follows the session in front.
    EXPECT_TRUE(f.windowTitle().endsWith(QStringLiteral("Three")));
}

TEST_F(TabsTest, TheTabBarIsAPageTabListAndSwitchingSaysTheSession) {
    Shell shell(store);
    CTelnetApp& app = shell.app;
    app.BeginFirstSession({File("One"), File("Two")});
    QTabBar* bar = app.frame().tabs()->tabBar();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(bar);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::PageTabList);
    ASSERT_GE(list->childCount(), 2);
    EXPECT_EQ(list->child(0)->role(), QAccessible::PageTab);
    EXPECT_TRUE(list->child(0)->text(QAccessible::Name).startsWith(QStringLiteral("One")));
    EXPECT_TRUE(list->child(1)->text(QAccessible::Name).startsWith(QStringLiteral("Two")));
    // The marks in words, where a screen reader finds the tab's description.
    EXPECT_TRUE(bar->tabToolTip(1).contains(QStringLiteral("not connected")));
    app.ActivatePlace(2);
    EXPECT_TRUE(app.active().view().accessibility().announcement().startsWith(
        QStringLiteral("Session Two")));
}

TEST_F(TabsTest, AKeyMapIsTheSessionsAndTakesATabKeyOnlyWhenTheOperatorSaysSo) {
    Shell shell(store);
    CTelnetApp& app = shell.app;
    app.BeginFirstSession({File("One"), File("Two")});
    // A user's map in the first session binds Alt+1; the second keeps its own.
    KeyMap map;
    ASSERT_TRUE(map.Bind(*ParseKeyChord("Alt+1"), KeyFunction::kPa1));
    app.commands().ChooseKeyMap("mine.map", map);
    const QKeyEvent alt1(QEvent::KeyPress, Qt::Key_1, Qt::AltModifier, QStringLiteral("1"));
    SessionController& one = app.controller(0);
    SessionController& two = app.controller(1);
    EXPECT_TRUE(one.session().input().MappedFunction(*ParseKeyChord("Alt+1")).has_value());
    EXPECT_FALSE(two.session().input().MappedFunction(*ParseKeyChord("Alt+1")).has_value());
    EXPECT_EQ(two.session().activeSettings.KeyboardMap, "");
    // The tab key switches until the operator lets maps take it.
    EXPECT_FALSE(one.view().TakesSwitchKey(alt1));
    ASSERT_TRUE(app.frame().Execute(kCmdMapOverTabKeys));
    EXPECT_TRUE(one.view().TakesSwitchKey(alt1));
    EXPECT_FALSE(two.view().TakesSwitchKey(alt1)) << "its map does not bind the key";
    const QKeyEvent ctrlPageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_FALSE(one.view().TakesSwitchKey(ctrlPageDown)) << "only the keys the map binds";
}

TEST_F(TabsTest, ATabMovesToANewWindowAndBackAndTheWorkspaceKeepsItsWindow) {
    {
        Shell shell(store);
        CTelnetApp& app = shell.app;
        app.BeginFirstSession({File("One"), File("Two"), File("Three")});
        CMainFrame& main = app.frame();
        EXPECT_FALSE(main.Execute(kCmdMoveToMainWindow)) << "already there";
        app.ActivatePlace(2);
        ASSERT_TRUE(main.Execute(kCmdMoveToNewWindow));
        ASSERT_EQ(app.otherWindows().size(), 1u);
        CMainFrame& other = *app.otherWindows().front();
        EXPECT_EQ(main.tabs()->count(), 2);
        EXPECT_EQ(other.tabs()->count(), 1);
        SessionController& two = app.controller(2);  // the sessions follow windows, then tabs
        EXPECT_EQ(two.name(), "Two");
        EXPECT_EQ(&app.WindowOf(two), &other);
        EXPECT_EQ(two.window(), &other) << "its boxes go over its own window";
        // Each window shows its own tab; the main one the tab after Two's.
        EXPECT_FALSE(two.view().hidden());
        EXPECT_EQ(app.frame().view(), &app.controller(1).view());
        EXPECT_FALSE(app.controller(1).view().hidden());
        EXPECT_TRUE(app.controller(0).view().hidden());
        // The new window's commands act on its session.
        EXPECT_EQ(&app.Front(), &other);
        EXPECT_EQ(app.session().activeSettings.Name, "Two");
        EXPECT_TRUE(other.windowTitle().endsWith(QStringLiteral("Two")));
        EXPECT_FALSE(other.Execute(kCmdMoveToNewWindow)) << "its only tab";
        // Closing the program stores which window each session was in.
        shell.questions.yesNo = {true};
        ASSERT_TRUE(app.CloseRequested());
    }
    EXPECT_EQ(store.ReadInt("Workspace", "Window3", 0), 2u);
    Shell shell(store);
    CTelnetApp& app = shell.app;
    app.BeginFirstSession(std::vector<std::string>{});
    ASSERT_EQ(app.otherWindows().size(), 1u);
    CMainFrame& other = *app.otherWindows().front();
    EXPECT_EQ(shell.Names(), (std::vector<std::string>{"One", "Three", "Two"}));
    EXPECT_EQ(&app.WindowOf(app.controller(2)), &other);
    EXPECT_EQ(&app.Front(), &app.frame());
    EXPECT_EQ(app.session().activeSettings.Name, "One");
    // Back to the main window: the emptied window goes.
    app.Activate(app.controller(2));
    EXPECT_EQ(&app.Front(), &other);
    ASSERT_TRUE(other.Execute(kCmdMoveToMainWindow));
    EXPECT_TRUE(app.otherWindows().empty());
    EXPECT_EQ(app.frame().tabs()->count(), 3);
    EXPECT_EQ(&app.Front(), &app.frame());
    EXPECT_EQ(app.session().activeSettings.Name, "Two");
    EXPECT_TRUE(shell.OnlyFrontShown());
    QCoreApplication::processEvents();  // the window's deferred deletion
}

/// Drags tab `index` of `w` off its bar and lets it go at `globalPos`, as
/// the mouse does.
void DragTab(CMainFrame& w, int index, const QPoint& globalPos) {
    SessionTabBar* bar = w.tabBar();
    const QPoint start = bar->tabRect(index).center();
    QTest::mousePress(bar, Qt::LeftButton, {}, start);
    // Along the bar a little, then away from it, as a hand does.
    QTest::mouseMove(bar, start + QPoint(5, 0));
    QTest::mouseMove(bar, bar->mapFromGlobal(globalPos));
    EXPECT_TRUE(bar->tearing());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(globalPos));
    QCoreApplication::processEvents();
}

/// Whether a window's status bar shows a session's trace label.
bool ShowsTrace(CMainFrame& w, SessionController& c) {
    const QLabel* label = c.trace().statusLabel();
    return label && label->parentWidget() == w.statusBar() && label->isVisibleTo(&w) &&
           label->text().startsWith(QStringLiteral("Tracing on"));
}

TEST_F(TabsTest, ATabDraggedOffItsBarGoesToANewWindowAndBackAndItsTraceLabelFollows) {
    Shell shell(store);
    CTelnetApp& app = shell.app;
    CMainFrame& main = app.frame();
    // Within the offscreen platform's 800 x 600 screen.
    main.resize(500, 400);
    main.move(0, 0);
    main.show();
    app.BeginFirstSession({File("One"), File("Two"), File("Three")});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    app.ActivatePlace(2);
    SessionController& two = app.active();
    ASSERT_EQ(two.name(), "Two");
    ASSERT_TRUE(two.trace().StartTrace(dir.filePath(QStringLiteral("two.trace")).toStdString()));
    EXPECT_TRUE(ShowsTrace(main, two));

    // Along the bar only: the tabs are reordered, no window is made.
    const QPoint onMain = main.mapToGlobal(QPoint(60, main.height() - 40));
    DragTab(main, 1, onMain);
    EXPECT_TRUE(app.otherWindows().empty()) << "let go over its own window, the tab stays";

    // Let go where no window of the program is: a window of its own there.
    const QPoint nowhere = main.mapToGlobal(QPoint(main.width() + 100, main.height() / 2));
    DragTab(main, main.IndexOf(&two.view()), nowhere);
    ASSERT_EQ(app.otherWindows().size(), 1u);
    CMainFrame& other = *app.otherWindows().front();
    EXPECT_EQ(&app.WindowOf(two), &other);
    EXPECT_EQ(main.tabs()->count(), 2);
    EXPECT_EQ(&app.Front(), &other);
    EXPECT_EQ(app.session().activeSettings.Name, "Two");
    EXPECT_FALSE(two.view().hidden());
    EXPECT_TRUE(ShowsTrace(other, two)) << "the trace's label went along";
    EXPECT_NE(two.trace().statusLabel()->parentWidget(), main.statusBar());
    EXPECT_FALSE(other.tabs()->tabBar()->isHidden()) << "its only tab can be dragged back";
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    other.resize(260, 400);
    other.move(520, 0);
    QCoreApplication::processEvents();

    // The main window's last tab but one goes too; its last stays.
    SessionController& three = app.controller(1);
    ASSERT_EQ(three.name(), "Three");
    const QPoint onOther = other.mapToGlobal(QPoint(130, 300));
    DragTab(main, main.IndexOf(&three.view()), onOther);
    EXPECT_EQ(&app.WindowOf(three), &other) << "moved to the window it was let go on";
    EXPECT_EQ(other.tabs()->count(), 2);
    EXPECT_EQ(main.tabs()->count(), 1);

    // Back: the emptied window goes, and the label with its session.
    DragTab(other, other.IndexOf(&two.view()), onMain);
    DragTab(other, other.IndexOf(&three.view()), onMain);
    QCoreApplication::processEvents();
    EXPECT_TRUE(app.otherWindows().empty());
    EXPECT_EQ(main.tabs()->count(), 3);
    app.Activate(two);
    EXPECT_TRUE(ShowsTrace(main, two));
    app.Activate(app.controller(0));
    EXPECT_FALSE(two.trace().statusLabel()->isVisibleTo(&main)) << "only for the session in front";
    two.trace().StopTrace();
    QCoreApplication::processEvents();  // the window's deferred deletion
}

TEST_F(TabsTest, ClosingATabEndsThatSessionOnlyAndTheWindowAsksOnceForAll) {
    DemoHostThread hostA(0, "unused", false);
    DemoHostThread hostB(0, "unused", false);
    const std::string alpha = File("Alpha", hostA.port(), true);
    const std::string beta = File("Beta", hostB.port(), true);
    const std::string gamma = File("Gamma", hostB.port(), true);
    {
        Shell shell(store);
        CTelnetApp& app = shell.app;
        app.BeginFirstSession({alpha, beta, gamma});
        ASSERT_TRUE(WaitFor([&] {
            for (const auto& c : app.controllers()) {
                if (!c->connected()) return false;
            }
            return true;
        }));
        // The tab of Gamma: one question, its own, and the others stay.
        shell.questions.yesNo = {true};
        ASSERT_TRUE(app.CloseSessionTab(app.controller(2)));
        EXPECT_EQ(shell.questions.asked, std::vector<int>{kStrEndSessionQuestion});
        EXPECT_EQ(shell.Names(), (std::vector<std::string>{"Alpha", "Beta"}));
        EXPECT_TRUE(app.controller(0).connected());
        EXPECT_TRUE(app.controller(1).connected());
        // The window: one question for both connected sessions.
        shell.questions.asked.clear();
        shell.questions.yesNo = {false};
        EXPECT_FALSE(app.CloseRequested());
        EXPECT_TRUE(app.controller(0).connected());
        shell.questions.yesNo = {true};
        ASSERT_TRUE(app.CloseRequested());
        EXPECT_EQ(shell.questions.asked,
                  (std::vector<int>{kStrEndSessionQuestion, kStrEndSessionQuestion}));
        EXPECT_FALSE(app.controller(0).connected());
        EXPECT_FALSE(app.controller(1).connected());
    }
    // The next start opens what was open, in the same order.
    EXPECT_EQ(store.ReadInt("Workspace", "Sessions", 0), 2u);
    {
        Shell shell(store);
        shell.app.BeginFirstSession(std::vector<std::string>{});
        EXPECT_EQ(shell.Names(), (std::vector<std::string>{"Alpha", "Beta"}));
        EXPECT_EQ(shell.app.session().activeSettings.Name, "Alpha");
        shell.questions.yesNo = {true};
        shell.app.CloseRequested();
    }
    // Turned off, the workspace is not reopened.
    {
        Shell shell(store);
        shell.app.BeginFirstSession(std::vector<std::string>{alpha});
        ASSERT_TRUE(shell.app.frame().Execute(kCmdReopenWorkspace));
        shell.questions.yesNo = {true};
        ASSERT_TRUE(shell.app.CloseRequested());
    }
    Shell shell(store);
    shell.app.BeginFirstSession(std::vector<std::string>{});
    EXPECT_EQ(shell.app.controllers().size(), 1u);
    EXPECT_FALSE(shell.app.commands().hasSessionFile);
}

}  // namespace
}  // namespace quenlix::app
