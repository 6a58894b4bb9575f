// Trace to file and replay in the desktop program, against the real demo
// host on loopback: a sign-on traced from the connection's start reads like
// the screens, holds neither the typed password nor its bytes, is the
// owner's alone, and replays into a program without a host as the same
// screen.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "ShellDoubles.h"
#include "app/CTelnetApp.h"
#include "cli/CliShell.h"
#include "demohost/DemoServer.h"
#include "prefs/SettingsStore.h"
#include "session/ConnectFile.h"
#include "trace/TraceFileWriter.h"

namespace quenlix::app {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Program {
    Program() : app(QUENLIX_TABLE_DIR, "PC1", store, &questions) {
        app.messages().interceptor = [this](std::string_view text, MessageIcon) {
            shown.emplace_back(text);
        };
        app.session().unplacedByteTrace().SetPath("");
    }
    template <typename Done>
    bool RunUntil(Done done, milliseconds limit = milliseconds(5000)) {
        const auto end = Clock::now() + limit;
        while (!done() && Clock::now() < end) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
    std::string Screen() {
        const Terminal& t = app.session().terminal;
        std::string text;
        for (int p = 0; p < t.cellCount(); ++p) {
            text += static_cast<char>(t.screen.at(p).character);
            if ((p + 1) % t.columns() == 0) text += '\n';
        }
        return text;
    }
    void Type(const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(app.frame().view(), &press);
        }
    }
    void Press(Qt::Key key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(app.frame().view(), &press);
    }

    MemorySettingsStore store;
    testing::ScriptedQuestions questions;
    CTelnetApp app;
    std::vector<std::string> shown;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(TraceCommands, ASignOnTracedToAFileReadsLikeItsScreensHoldsNoPasswordAndReplays) {
    demohost::ServerOptions options;
    options.port = 0;
    options.once = true;
    demohost::DemoServer server(options);
    std::string error;
    ASSERT_TRUE(server.Open(error)) << error;
    std::thread loop([&] { server.Run(); });

    QTemporaryDir dir;
    const std::string tracePath = dir.filePath(QStringLiteral("signon.trace")).toStdString();
    std::string signedOn;
    {
        Program p;
        ASSERT_TRUE(p.app.trace().StartTrace(tracePath));
        EXPECT_TRUE(p.app.trace().tracing());
        const auto* label = p.app.frame().statusBar()->findChild<QLabel*>();
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(p.app.trace().statusText(), QStringLiteral("Tracing on: signon.trace"));

        SessionSettings s;
        s.Name = "Demo";
        s.IP = "127.0.0.1";
        s.Port = server.port();
        s.TerminalName = "IBM-3477-FC";
        s.TerminalCaract = "24 * 80";
        s.PageCode = 37;
        s.LaunchConnection = 1;
        const std::string session = dir.filePath(QStringLiteral("demo.stn")).toStdString();
        ASSERT_TRUE(CConnectFile::WriteSessionFile(session, s));
        ASSERT_FALSE(p.app.commands().OpenSessionFile(session).empty());
        ASSERT_TRUE(p.RunUntil([&] {
            return p.Screen().find("Sign On") != std::string::npos &&
                   !p.app.session().terminal.state.inputInhibited;
        })) << p.Screen();
        p.Type(QStringLiteral("DEMO"));
        p.Press(Qt::Key_Tab);
        p.Type(QStringLiteral("SECRET7"));
        p.Press(Qt::Key_Return);
        ASSERT_TRUE(p.RunUntil([&] { return p.Screen().find("Sign On") == std::string::npos &&
                                            !p.app.session().terminal.state.inputInhibited; }))
            << p.Screen();
        signedOn = p.Screen();
        p.app.trace().StopTrace();
        EXPECT_FALSE(p.app.trace().tracing());
        EXPECT_TRUE(p.app.trace().statusText().isEmpty());
        p.app.Stop();
    }
    server.RequestStop();
    loop.join();

    const std::string trace = ReadAll(tracePath);
    struct stat info {};
    ASSERT_EQ(stat(tracePath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // Both directions, described: the sign-on's title as text, its orders,
    // the terminal's Enter.
    EXPECT_NE(trace.find("trace recv "), std::string::npos);
    EXPECT_NE(trace.find("trace sent "), std::string::npos);
    EXPECT_NE(trace.find("Sign On"), std::string::npos);
    EXPECT_NE(trace.find("  SBA "), std::string::npos);
    EXPECT_NE(trace.find("Enter"), std::string::npos);
    EXPECT_NE(trace.find("DEMO"), std::string::npos) << "the user name is no secret";
    // "SECRET7" neither as text nor as its EBCDIC bytes, in either case.
    for (const char* secret : {"SECRET7", "e2c5c3d9c5e3f7", "E2C5C3D9C5E3F7"}) {
        EXPECT_EQ(trace.find(secret), std::string::npos) << secret << " in\n" << trace;
    }
    EXPECT_NE(trace.find("***"), std::string::npos);

    // The trace shown without a host: the last screen the host sent.
    Program replay;
    ASSERT_TRUE(replay.app.trace().Replay(tracePath)) << (replay.shown.empty() ? "" : replay.shown[0]);
    EXPECT_EQ(replay.Screen(), signedOn);
    EXPECT_FALSE(replay.app.session().terminal.state.connected);
    EXPECT_FALSE(replay.app.session().endpoint().IsOpen());

    // Step by step, as a support person walks through it: the status bar
    // says it is a replay and how far it is.
    Program stepped;
    TraceCommands& walk = stepped.app.trace();
    ASSERT_TRUE(walk.BeginReplay(tracePath));
    ASSERT_GT(walk.replayCount(), 1u);
    EXPECT_EQ(walk.replayPosition(), 0u);
    auto* label = stepped.app.frame().findChild<QLabel*>(QStringLiteral("ReplayLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Replay of "))) << label->text().toStdString();
    EXPECT_TRUE(walk.ReplayStep());
    EXPECT_EQ(walk.replayPosition(), 1u);
    EXPECT_TRUE(label->text().endsWith(QStringLiteral(": 1 of %1 arrivals").arg(walk.replayCount())))
        << label->text().toStdString();
    EXPECT_FALSE(stepped.app.session().terminal.state.connected);
    walk.ReplayRun();
    EXPECT_EQ(walk.replayPosition(), walk.replayCount());
    EXPECT_FALSE(walk.ReplayStep()) << "nothing is left";
    EXPECT_EQ(stepped.Screen(), signedOn);
    walk.EndReplay();
    EXPECT_FALSE(walk.replaying());
    EXPECT_EQ(stepped.Screen(), signedOn) << "the last screen stays";

    // The same file replayed by the CLI, as a support person would: the
    // same screen.
    std::ostringstream cliOut;
    cli::CliShell cli(cliOut, QUENLIX_TABLE_DIR, "PC2");
    cli.session().activeSettings.PageCode = replay.app.session().activeSettings.PageCode;
    ASSERT_TRUE(cli.Execute("replay " + tracePath)) << cliOut.str();
    std::string cliScreen;
    const Terminal& t = cli.session().terminal;
    for (int q = 0; q < t.cellCount(); ++q) {
        cliScreen += static_cast<char>(t.screen.at(q).character);
        if ((q + 1) % t.columns() == 0) cliScreen += '\n';
    }
    EXPECT_EQ(cliScreen, signedOn);
}

TEST(TraceCommands, FilesThatCannotBeTracedIntoOrReplayedAreRefusedWithTheReason) {
    Program p;
    QTemporaryDir dir;
    // A folder is no trace file; a FIFO is never waited on.
    EXPECT_FALSE(p.app.trace().StartTrace(dir.path().toStdString()));
    const std::string fifo = dir.filePath(QStringLiteral("fifo")).toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(p.app.trace().StartTrace(fifo));
    EXPECT_FALSE(p.app.trace().tracing());
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[1].rfind("Cannot write the trace file " + fifo + ": ", 0), 0u) << p.shown[1];

    const std::string bad = dir.filePath(QStringLiteral("bad.trace")).toStdString();
    std::ofstream(bad) << "trace recv 0012zz\n";
    EXPECT_FALSE(p.app.trace().Replay(bad));
    ASSERT_EQ(p.shown.size(), 3u);
    EXPECT_NE(p.shown[2].find(bad), std::string::npos) << p.shown[2];
    EXPECT_FALSE(p.app.trace().Replay(dir.filePath(QStringLiteral("missing")).toStdString()));
    EXPECT_EQ(p.shown.size(), 4u);
}

TEST(TraceFileWriter, AnExistingFileBecomesTheOwnersAndATraceStopsAtItsBound) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("t.trace")).toStdString();
    std::ofstream(path) << "an older, longer file that is emptied first\n";
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    TraceFileWriter writer;
    ASSERT_EQ(writer.Open(path, 200), 0);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const std::vector<std::string> line{std::string(40, 'x')};
    int kept = 0;
    for (int i = 0; i < 100 && writer.isOpen(); ++i) {
        EXPECT_EQ(writer.Write(line), 0);
        if (writer.isOpen()) ++kept;
    }
    EXPECT_TRUE(writer.stoppedByLimit());
    const std::string contents = ReadAll(path);
    EXPECT_LE(contents.size(), 200u);
    EXPECT_EQ(contents.substr(contents.size() - std::strlen(TraceFileWriter::kLimitLine) - 1),
              std::string(TraceFileWriter::kLimitLine) + "\n");
    EXPECT_EQ(kept, 3) << "three lines of 41 bytes and the limit line fit in 200";
    EXPECT_EQ(contents.size(), 3 * 41 + std::strlen(TraceFileWriter::kLimitLine) + 1);
}

}  // namespace
}  // namespace quenlix::app
