// The application shell over an in-memory store: the close sequence and its
// stop points, what is stored at the close and restored at the next start,
// full-screen mode, disabled commands, the first session and the news page.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenuBar>
#include <QStatusBar>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolBar>

#include "ShellDoubles.h"
#include "app/CTelnetApp.h"
#include "app/CommandIds.h"
#include "app/QtSettingsStore.h"
#include "session/ConnectFile.h"
#include "terminal/StringTable.h"

namespace quenlix::app {
namespace {

using testing::Listener;
using testing::ScriptedQuestions;

struct Shell {
    explicit Shell(SettingsStore& store) : app(QUENLIX_TABLE_DIR, "PC1", store, &questions) {
        app.messages().interceptor = [this](std::string_view text, MessageIcon) {
            messages.emplace_back(text);
        };
    }
    ScriptedQuestions questions;
    CTelnetApp app;
    std::vector<std::string> messages;
};

std::string SessionFile(const QTemporaryDir& dir, int port) {
    SessionSettings s;
    s.Name = "Demo";
    s.IP = "127.0.0.1";
    s.Port = port;
    s.TerminalName = "IBM-5292-2";
    s.TerminalCaract = "24 * 80";
    s.LaunchConnection = 1;
    const std::string path = dir.filePath(QStringLiteral("demo.stn")).toStdString();
    EXPECT_TRUE(CConnectFile::WriteSessionFile(path, s));
    return path;
}

TEST(AppShellTest, CloseSequenceStopsWhereTheOperatorSays) {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-app-XXXXXX")};
    Listener listener;
    MemorySettingsStore store;
    Shell shell(store);
    SessionCommands& c = shell.app.commands();
    ASSERT_FALSE(c.OpenSessionFile(SessionFile(dir, listener.port())).empty());
    ASSERT_TRUE(c.connected());

    // No to "end this session?": still connected, nothing stored.
    EXPECT_FALSE(shell.app.CloseRequested());
    EXPECT_TRUE(c.connected());
    EXPECT_EQ(store.ValueCount(), 0u);

    // Yes, changed values, Yes to save, save dialog cancelled after the file went.
    std::filesystem::remove(c.sessionFilePath);
    c.sessionModified = true;
    shell.questions.yesNo = {true, true};
    EXPECT_FALSE(shell.app.CloseRequested());
    EXPECT_TRUE(c.connected());
    EXPECT_EQ(store.ValueCount(), 0u);
    EXPECT_EQ(shell.questions.asked,
              (std::vector<int>{kStrEndSessionQuestion, kStrEndSessionQuestion,
                                kStrSaveChangedQuestion}));

    // Yes, then No to saving: the session ends and everything is stored.
    shell.questions.yesNo = {true, false};
    EXPECT_TRUE(shell.app.CloseRequested());
    EXPECT_FALSE(c.connected());
    EXPECT_TRUE(store.Find("Colors", "Cursor").has_value());
    EXPECT_TRUE(store.Find("", "WindowPos").has_value());
    EXPECT_EQ(store.ReadString("MRU", "File1", ""), dir.filePath("demo.stn").toStdString());
}

TEST(AppShellTest, PreferencesAndPlacementSurviveARestart) {
    MemorySettingsStore store;
    {
        Shell shell(store);
        shell.app.frame().setGeometry(110, 120, 700, 500);
        shell.app.frame().Execute(kCmdSpecialKeyBar);  // hide it
        shell.app.frame().Execute(kCmdCursorUnderscore);
        shell.app.frame().Execute(kCmdTrimBlankRight);
        EXPECT_TRUE(shell.app.CloseRequested());
    }
    EXPECT_EQ(store.ReadString("", "WindowPos", ""), "0,1,-1,-1,-1,-1,110,120,810,620");
    EXPECT_EQ(store.ReadInt("Options", "CursorForm", 9), 1u);
    EXPECT_EQ(store.ReadInt("Options", "TrimBlankRight", 9), 0u);
    EXPECT_EQ(store.ReadInt("", "FullScreen", 9), 0u);

    Shell again(store);
    EXPECT_EQ(again.app.frame().geometry(), QRect(110, 120, 700, 500));
    EXPECT_TRUE(again.app.frame().specialKeyBar()->isHidden());
    EXPECT_FALSE(again.app.frame().commandBar()->isHidden());
    EXPECT_EQ(again.app.session().terminal.state.CursorForm, 1);
    EXPECT_EQ(again.app.session().clipboardOptions.TrimBlankRight, 0);
}

TEST(AppShellTest, AStoredPlacementNeverLeavesTheScreen) {
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    struct Row {
        const char* windowPos;
        QRect expected;
    } const rows[] = {
        // The whole 32-bit range: as large as the desktop, on the primary.
        {"0,1,-1,-1,-1,-1,-2147483648,-2147483648,2147483647,2147483647", work},
        // Far away from every screen: moved, its size kept.
        {"0,1,-1,-1,-1,-1,50000,50000,50300,50200", QRect(work.topLeft(), QSize(300, 200))},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.windowPos);
        MemorySettingsStore store;
        store.WriteString("", "WindowPos", r.windowPos);
        Shell shell(store);
        CMainFrame& f = shell.app.frame();
        EXPECT_EQ(f.geometry(), r.expected);
        f.show();
        QCoreApplication::processEvents();
        EXPECT_LE(f.view()->backBuffer().width(), work.width());
        EXPECT_LE(f.view()->backBuffer().height(), work.height());
    }
}

TEST(AppShellTest, FullScreenKeepsTheNormalLayoutAndComesBack) {
    MemorySettingsStore store;
    {
        Shell shell(store);
        shell.app.frame().setGeometry(50, 60, 640, 400);
        shell.app.frame().Execute(kCmdHelpBar);  // hidden in normal mode
        EXPECT_TRUE(shell.app.CloseRequested());
    }
    const std::string normalPos = store.ReadString("", "WindowPos", "");
    {
        Shell shell(store);
        shell.app.frame().Execute(kCmdFullScreen);
        EXPECT_TRUE(shell.app.frame().fullScreen());
        EXPECT_TRUE(shell.app.frame().menuBar()->isHidden());
        EXPECT_TRUE(shell.app.frame().statusBar()->isHidden());
        shell.app.frame().setGeometry(0, 0, 300, 200);  // whatever full screen gives
        EXPECT_TRUE(shell.app.CloseRequested());
    }
    EXPECT_EQ(store.ReadInt("", "FullScreen", 0), 1u);
    EXPECT_EQ(store.ReadString("", "WindowPos", ""), normalPos);

    Shell shell(store);
    CMainFrame& f = shell.app.frame();
    EXPECT_TRUE(f.fullScreen());
    EXPECT_TRUE(f.commandBar()->isHidden());
    EXPECT_TRUE(f.specialKeyBar()->isHidden());
    EXPECT_TRUE(f.menuBar()->isHidden());
    f.Execute(kCmdFullScreen);
    EXPECT_FALSE(f.fullScreen());
    EXPECT_FALSE(f.menuBar()->isHidden());
    EXPECT_FALSE(f.commandBar()->isHidden());
    EXPECT_FALSE(f.specialKeyBar()->isHidden());
    EXPECT_TRUE(f.helpBar()->isHidden());
    EXPECT_FALSE(f.statusBar()->isHidden());
    EXPECT_EQ(f.geometry(), QRect(50, 60, 640, 400));
}

TEST(AppShellTest, DisabledCommandsDoNothing) {
    MemorySettingsStore store;
    Shell shell(store);
    CMainFrame& f = shell.app.frame();
    shell.questions.sheet = SessionSettings{};
    for (int id : {kCmdProperties, kCmdClose, kCmdSave, kCmdSaveAs, kCmdStop, kCmdRecent1}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(f.action(id)->isEnabled());
        EXPECT_FALSE(f.Execute(id));
        f.action(id)->trigger();
    }
    EXPECT_TRUE(shell.questions.captions.empty());
    EXPECT_TRUE(shell.questions.asked.empty());
    EXPECT_TRUE(shell.questions.proposedNames.empty());
    EXPECT_FALSE(f.recentMenu()->menuAction()->isEnabled());
    EXPECT_EQ(f.connectButtonPicture(), 0);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Quenlix Telnet - No name"));
}

TEST(AppShellTest, FirstSessionFromTheArgumentsConnectsAndShows) {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-app-XXXXXX")};
    Listener listener;
    MemorySettingsStore store;
    Shell shell(store);
    shell.app.clock = [] { return LocalDateTime{2024, 5, 1, 12, 0, 0}; };
    int newsDue = 0;
    shell.app.onNewsPageDue = [&] { ++newsDue; };
    shell.app.BeginFirstSession(std::vector<std::string>{"\"" + SessionFile(dir, listener.port()) + "\""});
    CMainFrame& f = shell.app.frame();
    EXPECT_TRUE(shell.app.commands().connected());
    EXPECT_EQ(listener.Accepted(), 1);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Quenlix Telnet - Demo"));
    EXPECT_EQ(f.paneText(1), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(f.connectButtonPicture(), 4);
    EXPECT_TRUE(f.recentMenu()->menuAction()->isEnabled());
    EXPECT_EQ(f.action(kCmdRecent1)->text(), QStringLiteral("&1 ") + dir.filePath("demo.stn"));
    EXPECT_EQ(newsDue, 1);
    EXPECT_NE(store.ReadInt("", "LPT", 0), 0u);
}

TEST(AppShellTest, QuotesOnlyAreNoCommandLineAndPostConnectDisconnect) {
    MemorySettingsStore store;
    Shell shell(store);
    shell.app.clock = [] { return LocalDateTime{2024, 5, 1, 12, 0, 0}; };
    store.WriteInt("", "LPT", static_cast<std::uint32_t>(DayNumber({2024, 4, 20, 0, 0, 0})));
    int newsDue = 0;
    shell.app.onNewsPageDue = [&] { ++newsDue; };
    shell.app.BeginFirstSession(std::vector<std::string>{"\"\""});
    EXPECT_EQ(shell.questions.noSessionShown, 0);  // posted, not yet run
    QCoreApplication::processEvents();
    EXPECT_EQ(shell.questions.noSessionShown, 1);
    EXPECT_EQ(newsDue, 0);
}

TEST(AppShellTest, QtStoreKeepsTypesAndSections) {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-app-XXXXXX")};
    const QString file = dir.filePath(QStringLiteral("telnet.ini"));
    {
        QtSettingsStore store(std::make_unique<QSettings>(file, QSettings::IniFormat));
        store.WriteInt("Print", "PaperSize", 65545);
        store.WriteInt("Colors", "Cursor", 0xFFFFFFFFu);
        store.WriteString("", "WindowPos", "0,1,-1,-1,-1,-1,1,2,3,4");
        store.WriteString("ToolBars/Tool", "Bar1", "101,0,1,0,0,0,0");
        store.Sync();
    }
    QtSettingsStore store(std::make_unique<QSettings>(file, QSettings::IniFormat));
    EXPECT_EQ(LoadUserSettings(store).PaperSize, 9);
    EXPECT_EQ(store.ReadInt("Colors", "Cursor", 0), 0xFFFFFFFFu);
    EXPECT_EQ(store.ReadString("", "WindowPos", ""), "0,1,-1,-1,-1,-1,1,2,3,4");
    EXPECT_EQ(store.ReadInt("", "WindowPos", 7), 7u);  // not a number: the default
    EXPECT_EQ(store.ReadString("ToolBars/Tool", "Bar1", ""), "101,0,1,0,0,0,0");
    EXPECT_EQ(store.Keys("ToolBars/Tool"), std::vector<std::string>{"Bar1"});
    EXPECT_EQ(store.ReadString("Font", "Face", "none"), "none");
    store.Remove("ToolBars/Tool", "Bar1");
    EXPECT_TRUE(store.Keys("ToolBars/Tool").empty());
}

}  // namespace
}  // namespace quenlix::app
