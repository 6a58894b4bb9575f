// Macros in the desktop program against the demo host: the operator's keys
// and a click recorded through the terminal view (sign-on, a menu option,
// the data-entry screen, Enter), the file played unchanged by the CLI, then
// by the desktop program on a slowed host; a step whose screen does not come
// stops the macro with the reason and the screen seen, typing nothing more.
// The password typed never reaches the file.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <sstream>

#include "ShellDoubles.h"
#include "app/CTelnetApp.h"
#include "app/CommandIds.h"
#include "app/MacroPlayback.h"
#include "cli/CliShell.h"
#include "macro/MacroStore.h"
#include "prefs/SettingsStore.h"
#include "session/ConnectFile.h"
#include "support/DemoHostThread.h"
#include "terminal/ScreenReading.h"

namespace quenlix::app {
namespace {

using quenlix::testing::DemoHostThread;

constexpr const char* kSecret = "Hush7wq";

bool WaitFor(const std::function<bool()>& done, int ms = 15000) {
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class DesktopMacro : public ::testing::Test {
protected:
    DesktopMacro() {
        saved_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    }
    ~DesktopMacro() override { qputenv("XDG_CONFIG_HOME", saved_); }

    /// A session file for the host at `port`, connecting when opened or not.
    std::string SessionFile(const char* name, std::uint16_t port, bool launch) {
        SessionSettings s;
        s.Name = name;
        s.IP = "127.0.0.1";
        s.Port = port;
        s.TerminalName = "IBM-5292-2";
        s.TerminalCaract = "24 * 80";
        s.PageCode = 37;
        s.LaunchConnection = launch ? 1 : 0;
        const std::string path = config.filePath(QString::fromLatin1(name) + ".stn").toStdString();
        EXPECT_TRUE(CConnectFile::WriteSessionFile(path, s));
        return path;
    }
    static bool Shows(CTelnetApp& app, const std::string& text) {
        return ReadableText(app.session().terminal).find(text) != std::string::npos;
    }
    static void Click(CTelnetApp& app, int row, int column) {
        const TerminalState& s = app.session().terminal.state;
        CTelnetView& view = app.active().view();
        const QPoint at(view.horizontalOffset() + (column - 1) * s.cellWidth + s.cellWidth / 2,
                        (row - 1) * s.cellHeight + s.cellHeight / 2);
        QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, at);
    }

    QTemporaryDir config{QDir::tempPath() + QStringLiteral("/quenlix-macro-XXXXXX")};
    MemorySettingsStore store;
    testing::ScriptedQuestions questions;

private:
    QByteArray saved_;
};

TEST_F(DesktopMacro, RecordedInTheDesktopPlaysInTheCliAndOnASlowHostInTheDesktop) {
    DemoHostThread host(3, "DEMO", false);
    std::string recorded;
    {
        CTelnetApp app(QUENLIX_TABLE_DIR, "PC1", store, &questions);
        app.OpenSessionFile(QString::fromStdString(SessionFile("Fast", host.port(), true)));
        ASSERT_TRUE(WaitFor([&] { return Shows(app, "Sign On") && !app.session().terminal.state.inputInhibited; }));
        ASSERT_TRUE(app.frame().Execute(kCmdMacroRecord));
        CTelnetView& view = app.active().view();
        QTest::keyClicks(&view, "MACRO");
        QTest::keyClick(&view, Qt::Key_Tab);
        QTest::keyClicks(&view, kSecret);
        QTest::keyClick(&view, Qt::Key_Return);
        ASSERT_TRUE(WaitFor([&] { return Shows(app, "Main Menu") && !app.session().terminal.state.inputInhibited; }));
        QTest::keyClicks(&view, "1");
        QTest::keyClick(&view, Qt::Key_Return);
        ASSERT_TRUE(WaitFor([&] { return Shows(app, "Data Entry") && !app.session().terminal.state.inputInhibited; }));
        QTest::keyClicks(&view, "Hello");
        Click(app, 13, 39);
        QCoreApplication::processEvents();
        QTest::keyClicks(&view, "ACME");
        QTest::keyClick(&view, Qt::Key_Return);
        ASSERT_TRUE(WaitFor([&] { return Shows(app, "What the Host Received"); }));
        app.macros().askName = [](const QString&) { return std::optional<std::string>("Data entry"); };
        ASSERT_TRUE(app.frame().Execute(kCmdMacroStop));
        ASSERT_EQ(macro::ReadMacroFile(macro::MacroPath("Data entry"), recorded), 0);
    }
    EXPECT_EQ(recorded,
              "connect\n"
              "expect \"Sign On\" at 1 37\n"
              "type MACRO\n"
              "key Tab\n"
              "prompt PASSWORD \"Password\"\n"
              "key Enter\n"
              "expect \"Quenlix Demo Host Main Menu\" at 1 27\n"
              "type 1\n"
              "key Enter\n"
              "expect \"Data Entry\" at 1 36\n"
              "type Hello\n"
              "cursor 13 39\n"
              "type ACME\n"
              "key Enter\n");
    EXPECT_EQ(recorded.find(kSecret), std::string::npos);

    // The same file in the CLI, the password given as its variable.
    {
        std::ostringstream out;
        cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
        SessionSettings& s = shell.session().activeSettings;
        s.IP = "127.0.0.1";
        s.Port = host.port();
        s.TerminalName = "IBM-5292-2";
        s.TerminalCaract = "24 * 80";
        s.PageCode = 37;
        shell.session().pendingSettings = s;
        shell.SetVariable("PASSWORD", kSecret);
        std::istringstream lines(recorded);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_TRUE(shell.Execute(line)) << line << "\n" << out.str();
            ASSERT_FALSE(shell.MacroStopped()) << out.str();
        }
        EXPECT_TRUE(shell.Execute("expect \"What the Host Received\"")) << out.str();
        EXPECT_TRUE(shell.Execute("expect \"'ACME'\"")) << out.str();
        EXPECT_EQ(out.str().find(kSecret), std::string::npos);
    }

    // The desktop program plays it on a slow host, asking for the password.
    DemoHostThread slow(3, "DEMO", false, std::chrono::milliseconds(300));
    CTelnetApp app(QUENLIX_TABLE_DIR, "PC1", store, &questions);
    app.OpenSessionFile(QString::fromStdString(SessionFile("Slow", slow.port(), false)));
    ASSERT_FALSE(app.active().connected());
    std::vector<std::pair<QString, bool>> asked;
    std::optional<macro::MacroPlayer::State> ended;
    QStringList progress;
    app.macros().preparePlayback = [&](MacroPlayback& p) {
        p.askAnswer = [&](const QString& question, bool hidden) {
            asked.emplace_back(question, hidden);
            return std::optional<std::string>(kSecret);
        };
        auto owner = p.onEnded;
        p.onEnded = [&, owner, pp = &p] {
            ended = pp->player().state();
            owner();
        };
        p.showFailure = [&](const QString& text, const QString&) { progress << text; };
    };
    ASSERT_TRUE(app.macros().Play(app.active(), "Data entry"));
    MacroPlayback* playing = app.macros().playback(app.active());
    ASSERT_NE(playing, nullptr);
    ASSERT_NE(playing->progressWindow(), nullptr);
    // While the host is slow the progress says which screen it waits for.
    ASSERT_TRUE(WaitFor([&] { return playing->WaitText().contains(QStringLiteral("Main Menu")) || ended; }));
    EXPECT_TRUE(playing->StepText().startsWith(QStringLiteral("Step 7 of 14 (line 7)"))) << playing->StepText().toStdString();
    ASSERT_TRUE(WaitFor([&] { return ended.has_value(); }, 30000));
    EXPECT_EQ(*ended, macro::MacroPlayer::State::kFinished) << progress.join("\n").toStdString();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, QStringLiteral("Password"));
    EXPECT_TRUE(asked[0].second) << "asked without echo";
    ASSERT_TRUE(WaitFor([&] { return Shows(app, "What the Host Received"); }));
    EXPECT_TRUE(Shows(app, "'ACME'"));
    EXPECT_TRUE(WaitFor([&] { return app.macros().playback(app.active()) == nullptr; }));
}

TEST_F(DesktopMacro, AScreenThatDoesNotComeStopsTheMacroWithTheScreenSeen) {
    DemoHostThread host(3, "DEMO", false);
    ASSERT_EQ(macro::WriteMacroFile(macro::MacroPath("Broken"),
                                    "connect\nexpect \"Sign On\"\nexpect \"Nowhere\" within 500\n"
                                    "type X\n"),
              0);
    CTelnetApp app(QUENLIX_TABLE_DIR, "PC1", store, &questions);
    app.OpenSessionFile(QString::fromStdString(SessionFile("Fast", host.port(), true)));
    ASSERT_TRUE(WaitFor([&] { return Shows(app, "Sign On") && !app.session().terminal.state.inputInhibited; }));
    QString failure, screen;
    app.macros().preparePlayback = [&](MacroPlayback& p) {
        p.showFailure = [&](const QString& text, const QString& seen) {
            failure = text;
            screen = seen;
        };
    };
    ASSERT_TRUE(app.macros().Play(app.active(), "Broken"));
    ASSERT_TRUE(WaitFor([&] { return !failure.isEmpty(); }));
    EXPECT_TRUE(failure.contains(QStringLiteral("stopped at step 3 of 4 (line 3)"))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("expect: \"Nowhere\" did not come within 500 ms")))
        << failure.toStdString();
    EXPECT_TRUE(screen.contains(QStringLiteral("Sign On"))) << screen.toStdString();
    EXPECT_TRUE(screen.endsWith(QStringLiteral("cursor 6 53"))) << screen.toStdString();
    QTest::qWait(200);
    EXPECT_EQ(app.session().terminal.screen.at(HostPosition(6, 53, 80)).character, ' ')
        << "nothing typed after the failed step";
    EXPECT_TRUE(WaitFor([&] { return app.macros().playback(app.active()) == nullptr; }));
}

TEST_F(DesktopMacro, AKeyTheMapBindsPlaysItsMacroAndGoesNoFurther) {
    ASSERT_EQ(macro::WriteMacroFile(macro::MacroPath("Fill"), "type AB\n"), 0);
    CTelnetApp app(QUENLIX_TABLE_DIR, "PC1", store, &questions);
    KeyMap map;
    ASSERT_TRUE(map.BindMacro(*ParseKeyChord("Ctrl+K"), "Fill"));
    app.session().input().SetKeyMap(map);
    std::optional<macro::MacroPlayer::State> ended;
    app.macros().preparePlayback = [&](MacroPlayback& p) {
        auto owner = p.onEnded;
        p.onEnded = [&, owner, pp = &p] {
            ended = pp->player().state();
            owner();
        };
    };
    QTest::keyClick(&app.active().view(), Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return ended.has_value(); }));
    EXPECT_EQ(*ended, macro::MacroPlayer::State::kFinished);
    ASSERT_TRUE(WaitFor([&] { return app.macros().playback(app.active()) == nullptr; }));
    // The same key while recording is no part of the recording.
    ASSERT_TRUE(app.macros().StartRecording(app.active()));
    QTest::keyClick(&app.active().view(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(app.macros().playback(app.active()), nullptr) << "no macro plays while recording";
    EXPECT_EQ(app.macros().StopRecording(app.active()), "connect\n");
}

// Needs a window system with a primary selection: ctest runs it again on a
// virtual X server.
TEST_F(DesktopMacro, AMiddleButtonPasteIsRecordedAsTheCursorThereAndThePaste) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection()) GTEST_SKIP() << "no primary selection on this platform";
    DemoHostThread host(3, "DEMO", false);
    CTelnetApp app(QUENLIX_TABLE_DIR, "PC1", store, &questions);
    app.OpenSessionFile(QString::fromStdString(SessionFile("Middle", host.port(), true)));
    ASSERT_TRUE(WaitFor([&] { return Shows(app, "Sign On") && !app.session().terminal.state.inputInhibited; }));
    ASSERT_TRUE(app.macros().StartRecording(app.active()));
    clipboard->setText(QStringLiteral("PICKED"), QClipboard::Selection);
    ASSERT_TRUE(WaitFor([&] { return clipboard->text(QClipboard::Selection) == "PICKED"; }, 2000));
    const TerminalState& s = app.session().terminal.state;
    CTelnetView& view = app.active().view();
    QTest::mouseClick(&view, Qt::MiddleButton, Qt::NoModifier,
                      QPoint(view.horizontalOffset() + 52 * s.cellWidth + s.cellWidth / 2,
                             5 * s.cellHeight + s.cellHeight / 2));
    QCoreApplication::processEvents();
    const std::optional<std::string> recorded = app.macros().StopRecording(app.active());
    ASSERT_TRUE(recorded);
    EXPECT_NE(recorded->find("cursor 6 53\npaste PICKED\n"), std::string::npos) << *recorded;
}

}  // namespace
}  // namespace quenlix::app
