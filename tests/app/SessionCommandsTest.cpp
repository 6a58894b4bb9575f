// Session commands: opening, saving, the recent list, Start and Stop, and
// the Properties flow, answered from a script over a loopback listener.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>

#include "app/SessionCommands.h"
#include "ds5250/RecordBuilder.h"
#include "ShellDoubles.h"
#include "input/Clipboard.h"
#include "input/KeyMapStore.h"
#include "net/SocketNotifier.h"
#include "session/ConnectFile.h"
#include "session/FileIo.h"
#include "prefs/SettingsStore.h"
#include "support/Recorders.h"
#include "terminal/StringTable.h"

namespace quenlix::app {
namespace {

using testing::Listener;
using testing::ScriptedQuestions;
using quenlix::testing::RecordingMessages;
using quenlix::testing::RecordingView;

class SessionCommandsTest : public ::testing::Test {
protected:
    SessionCommandsTest()
        : session(FrontEnd{view, messages, notifier, clipboard}, QUENLIX_TABLE_DIR, "PC1"),
          commands(session, questions, messages, "PC1") {
        session.activeSettings = StartActiveSettings("PC1");
        session.pendingSettings = StartPendingSettings("PC1");
        commands.refreshDisplay = [this] { ++refreshes; };
    }

    /// A session file for the listener's port.
    std::string WriteSession(const std::string& file, bool launch, const std::string& name = "Demo") {
        SessionSettings s;
        s.Name = name;
        s.IP = "127.0.0.1";
        s.Port = listener.port();
        s.Language = "U.S. (37)";
        s.PageCode = 37;
        s.TerminalName = "IBM-5292-2";
        s.TerminalCaract = "24 * 80";
        s.LaunchConnection = launch ? 1 : 0;
        const std::string path = Path(file);
        EXPECT_TRUE(CConnectFile::WriteSessionFile(path, s));
        return path;
    }
    std::string Path(const std::string& file) const { return dir.filePath(QString::fromStdString(file)).toStdString(); }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-app-XXXXXX")};
    Listener listener;
    RecordingView view;
    RecordingMessages messages;
    NullSocketNotifier notifier;
    MemoryClipboard clipboard;
    ScriptedQuestions questions;
    TerminalSession session;
    SessionCommands commands;
    int refreshes = 0;
};

TEST_F(SessionCommandsTest, OpenWhileConnectedAnsweredNoOrCancelledKeepsTheConnection) {
    const std::string first = WriteSession("first.stn", true);
    const std::string second = WriteSession("second.stn", false, "Other");
    ASSERT_EQ(commands.OpenSessionFile(first), first);
    ASSERT_TRUE(commands.connected());

    // No to "end this session?": nothing changes.
    EXPECT_EQ(commands.OpenSessionFile(second), "");
    EXPECT_EQ(questions.asked, std::vector<int>{kStrEndSessionQuestion});
    EXPECT_TRUE(commands.connected());
    EXPECT_EQ(session.activeSettings.Name, "Demo");

    // Yes, then the open dialog is cancelled: still connected.
    questions.yesNo = {true};
    EXPECT_EQ(commands.OpenSessionFile({}), "");
    EXPECT_EQ(questions.openShown, 1);
    EXPECT_TRUE(commands.connected());
    EXPECT_EQ(commands.sessionFilePath, first);

    // Yes, and a file: the old session ends, the new one is loaded.
    questions.yesNo = {true};
    EXPECT_EQ(commands.OpenSessionFile(second), second);
    EXPECT_FALSE(commands.connected());
    EXPECT_EQ(session.activeSettings.Name, "Other");
    EXPECT_EQ(session.pendingSettings, session.activeSettings);
    EXPECT_EQ(commands.recent.entries(), (std::vector<std::string>{second, first}));
}

// A session whose device is a printer, started from a display's tab, goes
// to a printer session of its own: the display never connects as it.
TEST_F(SessionCommandsTest, StartingAPrinterSessionHandsItToAPrinterWindow) {
    const std::string path = WriteSession("printer.stn", false);
    ASSERT_FALSE(commands.OpenSessionFile(path).empty());
    session.activeSettings.Device = DeviceKind::kPrinter;
    std::vector<std::string> started;
    commands.startPrinter = [&](const SessionSettings& s) { started.push_back(s.Name); };
    commands.Start();
    EXPECT_EQ(started, std::vector<std::string>{"Demo"});
    EXPECT_FALSE(commands.connected());
    EXPECT_EQ(listener.Accepted(), 0) << "no display connection to the host";
}

TEST_F(SessionCommandsTest, StartWithoutSessionOpeningALaunchFileConnectsExactlyOnce) {
    const std::string path = WriteSession("launch.stn", true);
    questions.noSession = NoSessionChoice::Open;
    questions.openPath = path;
    commands.Start();
    EXPECT_EQ(questions.noSessionShown, 1);
    EXPECT_TRUE(commands.connected());
    EXPECT_EQ(listener.Accepted(), 1);
    // Start while connected does nothing.
    commands.Start();
    EXPECT_EQ(listener.Accepted(), 1);
    EXPECT_EQ(questions.noSessionShown, 1);
}

TEST_F(SessionCommandsTest, StartCancelledOrCreatedWithAnAddress) {
    commands.Start();
    EXPECT_FALSE(commands.connected());
    EXPECT_EQ(questions.noSessionShown, 1);

    SessionSettings sheet = StartPendingSettings("PC1");
    sheet.Name = "New";
    sheet.IP = "127.0.0.1";
    sheet.Port = listener.port();
    sheet.TerminalName = "IBM-5292-2";
    sheet.TerminalCaract = "24 * 80";
    questions.sheet = sheet;
    questions.noSession = NoSessionChoice::Create;
    commands.Start();
    EXPECT_EQ(questions.captions, std::vector<int>{kStrAddSession});
    EXPECT_TRUE(commands.connected());
    EXPECT_TRUE(commands.sessionModified);
    EXPECT_FALSE(commands.hasSessionFile);
    EXPECT_EQ(listener.Accepted(), 1);
}

TEST_F(SessionCommandsTest, RecentEntryOfADeletedFileReportsAndStays) {
    const std::string path = WriteSession("gone.stn", false);
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    std::filesystem::remove(path);
    commands.OpenRecent(0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], std::string(LoadString(kStrOpenSessionFailed)) + "\n" + path);
    EXPECT_EQ(commands.recent.entries(), std::vector<std::string>{path});
    // An index past the list is ignored.
    commands.OpenRecent(3);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(SessionCommandsTest, TheSessionsKeyMapIsInForceAndKeptWithIt) {
    // A session naming a map file with one bad line: one message lists it,
    // the good lines are in force.
    const std::string map = Path("desk.keymap");
    ASSERT_EQ(ReplaceFileContents(map, "base = IBM5250\nCtrl+K = Dup\nCtrl+S = Reset\n"), 0);
    SessionSettings s;
    s.Name = "Mapped";
    s.KeyboardMap = map;
    const std::string path = Path("mapped.stn");
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], "The keyboard map has errors; its other lines are used:\n" + map +
                                     ":3: 'Ctrl+S' is a shortcut of the main window");
    const KeyMap& inForce = session.input().keyMap();
    EXPECT_EQ(inForce.base(), BuiltInKeyMap::kIbm5250);
    EXPECT_EQ(inForce.Lookup(*ParseKeyChord("Ctrl+K")), KeyFunction::kDup);

    // The dialog's choice is in force at once and saved with the session.
    commands.sessionModified = false;
    commands.ChooseKeyMap("Laptop", KeyMap::BuiltIn(BuiltInKeyMap::kLaptop));
    EXPECT_EQ(session.input().keyMap(), KeyMap::BuiltIn(BuiltInKeyMap::kLaptop));
    EXPECT_TRUE(commands.sessionModified);
    ASSERT_TRUE(commands.SaveSession(path));
    SessionSettings reread;
    CConnectFile::ReadSessionFile(path, reread, "PC1");
    EXPECT_EQ(reread.KeyboardMap, "Laptop");
    // Closing the session goes back to the Standard map.
    commands.CloseSession();
    EXPECT_EQ(session.input().keyMap(), KeyMap());
}

TEST_F(SessionCommandsTest, AChosenKeyMapOutlivesPropertyChangesRestartsAndASave) {
    const std::string path = WriteSession("mapped.stn", true);
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    ASSERT_TRUE(commands.connected());
    // The operator's own map: Laptop with one key more, kept as a file.
    const std::string mapFile = Path("demo.keymap");
    ASSERT_EQ(ReplaceFileContents(mapFile, "base = Laptop\nCtrl+K = Dup\n"), 0);
    const KeyMap chosen = LoadKeyMap(mapFile).map;
    commands.ChooseKeyMap(mapFile, chosen);

    auto expectKept = [&](const char* step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(session.activeSettings.KeyboardMap, mapFile);
        EXPECT_EQ(session.pendingSettings.KeyboardMap, mapFile);
        EXPECT_EQ(session.input().keyMap(), chosen);
    };
    // The screen size changes and the session restarts with it.
    questions.sheet = SessionSettings{};
    questions.editSheet = [](SessionSettings& s) {
        s.KeyboardMap.clear();  // as the sheet, which has no key map, gives it
        s.TerminalName = "IBM-3477-FC";
        s.TerminalCaract = "27 * 132";
    };
    questions.newParams = NewParamsChoice::Restart;
    commands.Properties();
    ASSERT_TRUE(commands.connected());
    expectKept("restart");
    // A change kept for later, then the end of the session that applies it.
    questions.editSheet = [](SessionSettings& s) {
        s.KeyboardMap.clear();
        s.Port += 1;
    };
    questions.newParams = NewParamsChoice::Continue;
    commands.Properties();
    expectKept("continue");
    session.EndSession();
    expectKept("end");
    // A change applied at once while not connected.
    questions.editSheet = [](SessionSettings& s) {
        s.KeyboardMap.clear();
        s.UserID = "QUSER";
    };
    commands.Properties();
    expectKept("not connected");

    // Saved with the session, and in force again when the file is opened anew.
    ASSERT_TRUE(commands.SaveSession(path));
    SessionSettings reread;
    ASSERT_TRUE(CConnectFile::ReadSessionFile(path, reread, "PC1"));
    EXPECT_EQ(reread.KeyboardMap, mapFile);
    commands.CloseSession();
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    expectKept("reopened");
}

TEST_F(SessionCommandsTest, AddASessionShowsNoFileNameButPropertiesShowTheSessionsOwn) {
    const std::string path = WriteSession("named.stn", false);
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    questions.sheet = SessionSettings{};
    questions.editSheet = [](SessionSettings& s) { s.UserID = "QUSER"; };
    commands.Properties();
    questions.editSheet = nullptr;
    questions.yesNo = {false};  // the changed values are not saved
    commands.NewSession();
    EXPECT_EQ(questions.captions, (std::vector<int>{kStrSessionProperties, kStrAddSession}));
    EXPECT_EQ(questions.sheetFiles, (std::vector<std::string>{path, ""}));
}

TEST_F(SessionCommandsTest, AFolderAPipeOrAnOversizeFileIsNotOpened) {
    const std::string kept = WriteSession("kept.stn", false, "Kept");
    ASSERT_EQ(commands.OpenSessionFile(kept), kept);

    const std::string folder = Path("folder.stn");
    const std::string pipe = Path("pipe.stn");
    const std::string big = Path("big.stn");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    // Held open at both ends, so that an open that waits for a writer returns
    // at once and the test fails instead of hanging.
    const int pipeEnds = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(pipeEnds, 0);
    ASSERT_TRUE(std::filesystem::copy_file(kept, big));
    ASSERT_EQ(::truncate(big.c_str(), kMaxSmallFileSize + 1), 0);

    for (const std::string& path : {folder, pipe, big}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(FileReadable(path));
        messages.shown.clear();
        EXPECT_EQ(commands.OpenSessionFile(path), "");
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0], std::string(LoadString(kStrOpenSessionFailed)) + "\n" + path);
        EXPECT_EQ(session.activeSettings.Name, "Kept");
        EXPECT_EQ(commands.sessionFilePath, kept);
        EXPECT_EQ(commands.recent.entries(), std::vector<std::string>{kept});
    }

    // Saving to the pipe asks for a file instead of writing into the pipe.
    questions.savePath.reset();
    EXPECT_FALSE(commands.SaveSession(pipe));
    EXPECT_EQ(questions.proposedNames, std::vector<std::string>{"Kept.stn"});
    struct stat st {};
    ASSERT_EQ(::stat(pipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ::close(pipeEnds);

    EXPECT_TRUE(FileReadable(kept));
    EXPECT_FALSE(FileReadable(""));
    EXPECT_FALSE(FileReadable(Path("missing.stn")));
}

TEST_F(SessionCommandsTest, SaveAppendsTheExtensionUnlessPresentInAnyCase) {
    struct Row {
        const char* typed;
        const char* written;
    } const rows[] = {{"plain", "plain.stn"}, {"upper.STN", "upper.STN"},
                      {"mixed.sTn", "mixed.sTn"}, {"other.txt", "other.txt.stn"}};
    session.activeSettings.Name = "Demo";
    for (const Row& r : rows) {
        SCOPED_TRACE(r.typed);
        questions.savePath = Path(r.typed);
        EXPECT_TRUE(commands.SaveSession({}));
        EXPECT_EQ(commands.sessionFilePath, Path(r.written));
        EXPECT_TRUE(std::filesystem::exists(Path(r.written)));
        EXPECT_TRUE(commands.hasSessionFile);
    }
    EXPECT_EQ(questions.proposedNames.front(), "Demo.stn");

    // A cancelled dialog gives false (a failed write does too: see
    // SessionSaveFaultTest).
    questions.savePath.reset();
    EXPECT_FALSE(commands.SaveSession({}));
}

/// Runs in another current folder and goes back when done.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString& folder) : old_(QDir::currentPath()) {
        EXPECT_TRUE(QDir::setCurrent(folder));
    }
    ~CurrentFolder() { QDir::setCurrent(old_); }

private:
    QString old_;
};

TEST_F(SessionCommandsTest, ASessionOpenedOrSavedByARelativePathIsKeptByItsAbsolutePath) {
    const std::string path = WriteSession("rel.stn", false);
    const std::string other = WriteSession("other.stn", false);
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("sub/deeper")));
    CurrentFolder here(dir.path());
    for (const char* typed : {"rel.stn", "./rel.stn", "sub/../rel.stn", "sub/deeper/../../rel.stn"}) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(commands.OpenSessionFile(typed), path);
        EXPECT_EQ(commands.sessionFilePath, path);
        EXPECT_EQ(commands.recent.entries(), std::vector<std::string>{path});
    }
    // Save As answered with a relative name.
    questions.savePath = "copy";
    EXPECT_TRUE(commands.SaveSession({}));
    EXPECT_EQ(commands.sessionFilePath, Path("copy.stn"));

    // A recent entry an earlier run stored by a relative path opens and
    // gives way to the absolute one.
    MemorySettingsStore stored;
    stored.WriteString("MRU", "File1", "rel.stn");
    stored.WriteString("MRU", "File2", other);
    commands.recent.Load(stored);
    commands.OpenRecent(0);
    EXPECT_EQ(commands.recent.entries(), (std::vector<std::string>{path, other}));

    EXPECT_EQ(AbsoluteSessionPath(""), "");
    EXPECT_EQ(AbsoluteSessionPath("/a/./b.stn"), "/a/b.stn");
}

TEST_F(SessionCommandsTest, SaveAfterTheFileWasDeletedAsksForAPath) {
    const std::string path = WriteSession("saved.stn", false);
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    std::filesystem::remove(path);
    questions.savePath = Path("again");
    EXPECT_TRUE(commands.SaveSession(commands.sessionFilePath));
    EXPECT_EQ(questions.proposedNames, std::vector<std::string>{"Demo.stn"});
    EXPECT_EQ(commands.sessionFilePath, Path("again.stn"));
}

TEST_F(SessionCommandsTest, PropertiesContinueKeepsTheOldAddressUntilStop) {
    ASSERT_EQ(commands.OpenSessionFile(WriteSession("live.stn", true)).empty(), false);
    ASSERT_TRUE(commands.connected());
    Listener other;
    questions.sheet = SessionSettings{};
    questions.editSheet = [&](SessionSettings& s) {
        s.IP = "localhost";
        s.Port = other.port();
    };
    questions.newParams = NewParamsChoice::Continue;
    const int before = refreshes;
    commands.Properties();
    EXPECT_EQ(questions.newParamsShown, 1);
    EXPECT_TRUE(commands.sessionModified);
    EXPECT_EQ(session.activeSettings.IP, "127.0.0.1");
    EXPECT_EQ(session.pendingSettings.IP, "localhost");
    EXPECT_EQ(refreshes, before + 1);  // shows the old address again

    questions.yesNo = {true};
    commands.Stop();
    EXPECT_FALSE(commands.connected());
    EXPECT_EQ(session.activeSettings.IP, "localhost");
    EXPECT_EQ(refreshes, before + 1);  // Stop does not refresh

    commands.Start();
    EXPECT_TRUE(commands.connected());
    EXPECT_EQ(other.Accepted(), 1);
}

TEST_F(SessionCommandsTest, PropertiesWhileConnectedByGroup) {
    ASSERT_FALSE(commands.OpenSessionFile(WriteSession("live.stn", true)).empty());
    questions.sheet = SessionSettings{};

    // Only the user: both copies at once, no question.
    questions.editSheet = [](SessionSettings& s) { s.UserID = "QUSER"; };
    commands.Properties();
    EXPECT_EQ(questions.newParamsShown, 0);
    EXPECT_EQ(session.activeSettings.UserID, "QUSER");
    EXPECT_EQ(session.pendingSettings.UserID, "QUSER");

    // The address, cancelled: nothing stored, but the session counts as changed.
    commands.sessionModified = false;
    questions.editSheet = [](SessionSettings& s) { s.IP = "10.0.0.1"; };
    questions.newParams = NewParamsChoice::Cancel;
    commands.Properties();
    EXPECT_EQ(session.pendingSettings.IP, "127.0.0.1");
    EXPECT_TRUE(commands.sessionModified);
    EXPECT_TRUE(commands.connected());

    // Nothing changed: nothing happens.
    commands.sessionModified = false;
    questions.editSheet = [](SessionSettings&) {};
    commands.Properties();
    EXPECT_FALSE(commands.sessionModified);
}

TEST_F(SessionCommandsTest, PropertiesChangingOnlyTheLanguageRetranslatesTheScreen) {
    ASSERT_FALSE(commands.OpenSessionFile(WriteSession("live.stn", true)).empty());
    ASSERT_TRUE(commands.connected());
    const Bytes data = {0x4A, 0x7B, 0x5B, 0x7C, 0xE0, 0xFE, 0xFF};
    RecordBuilder host;
    host.writeToDisplay().sba(2, 10).attribute(0x20).raw(data);
    const Bytes record = host.record();
    session.endpoint().OnReceived(record.data(), record.size());
    const int attribute = 1 * 80 + 9;
    ASSERT_EQ(session.terminal.screen.at(attribute).ebcdic, 0x20);
    // Bytes that differ between the two code pages, so the test tells them apart.
    ASSERT_NE(session.tables.ToPc(297, 0x7B), session.tables.ToPc(37, 0x7B));
    // A left-over character where the host wrote an attribute.
    session.terminal.SetCellCharacter(attribute, 'X');

    questions.sheet = SessionSettings{};
    questions.editSheet = [](SessionSettings& s) {
        s.Language = "French (297)";
        s.PageCode = 297;
    };
    session.terminal.TakeDamage();
    commands.Properties();
    EXPECT_EQ(questions.newParamsShown, 0);
    EXPECT_TRUE(commands.connected());
    EXPECT_EQ(session.activeSettings.Language, "French (297)");
    EXPECT_EQ(session.pendingSettings.Language, "French (297)");
    EXPECT_EQ(session.activeSettings.PageCode, 297);
    EXPECT_EQ(session.terminal.screen.at(attribute).character, ' ');
    for (std::size_t i = 0; i < data.size(); ++i) {
        SCOPED_TRACE(i);
        const std::uint8_t ebcdic = data[i];
        const std::uint8_t expected = ebcdic <= 0xFE ? session.tables.ToPc(297, ebcdic) : ' ';
        EXPECT_EQ(session.terminal.screen.at(attribute + 1 + static_cast<int>(i)).character,
                  expected);
    }
    EXPECT_TRUE(session.terminal.TakeDamage().all()) << "retranslated and painted whole";
}

TEST_F(SessionCommandsTest, PropertiesRestartReconnectsWithTheNewValues) {
    ASSERT_FALSE(commands.OpenSessionFile(WriteSession("live.stn", true)).empty());
    ASSERT_EQ(listener.Accepted(), 1);
    questions.sheet = SessionSettings{};
    questions.editSheet = [](SessionSettings& s) { s.DisplayNameAuto = 0; s.DisplayName = "DSP01"; };
    questions.newParams = NewParamsChoice::Restart;
    commands.Properties();
    EXPECT_TRUE(commands.connected());
    EXPECT_EQ(session.activeSettings.DisplayName, "DSP01");
    EXPECT_EQ(listener.Accepted(), 2);
}

TEST_F(SessionCommandsTest, ANameOfNoNameIsNoSessionAndCloseResetsTheValues) {
    EXPECT_FALSE(commands.SessionLoaded());
    session.activeSettings.Name = "No name ";
    EXPECT_TRUE(commands.SessionLoaded());
    session.activeSettings.Name = "no name";
    EXPECT_TRUE(commands.SessionLoaded());

    ASSERT_FALSE(commands.OpenSessionFile(WriteSession("s.stn", false)).empty());
    session.pendingSettings.UserID = "QUSER";
    commands.sessionModified = true;
    questions.yesNo = {false};  // do not save
    commands.CloseSession();
    EXPECT_EQ(questions.asked, std::vector<int>{kStrSaveChangedQuestion});
    EXPECT_FALSE(commands.SessionLoaded());
    EXPECT_EQ(session.activeSettings, StartActiveSettings("PC1"));
    EXPECT_EQ(session.pendingSettings.Name, "Demo");
    EXPECT_EQ(session.pendingSettings.TerminalCaract, "24 * 80");
    EXPECT_EQ(session.pendingSettings.UserID, "");
    EXPECT_FALSE(commands.hasSessionFile);
    EXPECT_EQ(commands.sessionFilePath, "");
}

TEST_F(SessionCommandsTest, AnEmptyScreenSizeIsRefusedWithAMessage) {
    session.activeSettings.Name = "Demo";
    session.activeSettings.IP = "127.0.0.1";
    session.activeSettings.Port = listener.port();
    commands.Start();
    EXPECT_FALSE(commands.connected());
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(listener.Accepted(), 0);
}

}  // namespace
}  // namespace quenlix::app
