// The session's password and the desktop keyring in the session commands:
// an older file's password moved on save after the operator's word, Session
// Properties storing the typed one, a connection fetching it or asking for
// it, and never a password byte in a saved file.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>

#include "ShellDoubles.h"
#include "app/SessionCommands.h"
#include "input/Clipboard.h"
#include "keyring/MemoryKeyring.h"
#include "net/SocketNotifier.h"
#include "session/ConnectFile.h"
#include "support/Recorders.h"

namespace quenlix::app {
namespace {

using testing::Listener;
using testing::ScriptedQuestions;

constexpr const char* kOlderPassword = "OLDPW";

class SessionPasswordTest : public ::testing::Test {
protected:
    SessionPasswordTest()
        : session(FrontEnd{view, messages, notifier, clipboard}, QUENLIX_TABLE_DIR, "PC1"),
          commands(session, questions, messages, "PC1") {
        commands.SetKeyring(keyring);
    }

    /// A file as older versions wrote it: the password scrambled inside.
    std::string WriteOlderFile() {
        const std::string path = Path("older.stn");
        std::ofstream(path, std::ios::binary)
            << "[Connection]\r\nName=\"Payroll\"\r\nIP=\"127.0.0.1\"\r\nPort=" << listener.port()
            << "\r\nTerminal Name=\"IBM-5292-2\"\r\nTerminal Caract=\"24 * 80\"\r\n[Profile]\r\n"
               "Auto Connection=1\r\nUserID=\"JDOE\"\r\nUser Password=\""
            << CConnectFile::ScramblePassword(kOlderPassword) << "\"\r\n";
        return path;
    }
    static std::string Bytes(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    std::string Path(const std::string& file) const {
        return dir.filePath(QString::fromStdString(file)).toStdString();
    }
    KeyringAccount Account() const { return {"127.0.0.1", listener.port(), "JDOE"}; }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-password-XXXXXX")};
    Listener listener;
    quenlix::testing::RecordingView view;
    quenlix::testing::RecordingMessages messages;
    NullSocketNotifier notifier;
    MemoryClipboard clipboard;
    ScriptedQuestions questions;
    MemoryKeyring keyring;
    TerminalSession session;
    SessionCommands commands;
};

TEST_F(SessionPasswordTest, AnOlderFilesPasswordMovesToTheKeyringWhenTheOperatorAgrees) {
    const std::string path = WriteOlderFile();
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    EXPECT_EQ(session.activeSettings.UserPassword, kOlderPassword) << "still loads";
    const std::string before = Bytes(path);

    // Cancel: nothing saved, nothing stored.
    questions.moveChoice = PasswordMoveChoice::Cancel;
    EXPECT_FALSE(commands.SaveSession(path));
    EXPECT_EQ(Bytes(path), before);
    EXPECT_EQ(keyring.size(), 0u);
    ASSERT_EQ(questions.moveQuestions.size(), 1u);
    EXPECT_NE(questions.moveQuestions[0].find("JDOE on 127.0.0.1:"), std::string::npos);

    // A keyring that cannot take it: said so, and the file keeps its password.
    questions.moveChoice = PasswordMoveChoice::Move;
    keyring.unavailable = true;
    EXPECT_FALSE(commands.SaveSession(path));
    EXPECT_EQ(Bytes(path), before);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find("could not be moved to the desktop keyring (the keyring is "
                                     "locked)"),
              std::string::npos);

    keyring.unavailable = false;
    EXPECT_TRUE(commands.SaveSession(path));
    EXPECT_EQ(keyring.Lookup(Account()).password, kOlderPassword);
    const std::string saved = Bytes(path);
    EXPECT_NE(saved.find("Password In Keyring=1\r\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("User Password"), std::string::npos);
    EXPECT_EQ(saved.find(kOlderPassword), std::string::npos);
    EXPECT_EQ(session.activeSettings.PasswordStore, PasswordStorage::kKeyring);

    // Asked once: the next save just saves.
    EXPECT_TRUE(commands.SaveSession(path));
    EXPECT_EQ(questions.moveQuestions.size(), 3u);

    // Opened again, the password comes from the keyring at connect.
    commands.CloseSession();
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    EXPECT_EQ(session.activeSettings.UserPassword, "");
    commands.Start();
    EXPECT_TRUE(commands.connected());
    EXPECT_EQ(session.activeSettings.UserPassword, kOlderPassword);
    EXPECT_TRUE(questions.passwordQuestions.empty());
}

TEST_F(SessionPasswordTest, LeftOutTheFileLosesThePasswordAndThisRunKeepsIt) {
    const std::string path = WriteOlderFile();
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    questions.moveChoice = PasswordMoveChoice::LeaveOut;
    EXPECT_TRUE(commands.SaveSession(path));
    EXPECT_EQ(keyring.size(), 0u);
    const std::string saved = Bytes(path);
    EXPECT_EQ(saved.find("Password"), std::string::npos) << saved;
    EXPECT_EQ(saved.find(CConnectFile::ScramblePassword(kOlderPassword)), std::string::npos);
    EXPECT_EQ(session.pendingSettings.UserPassword, kOlderPassword);
    EXPECT_TRUE(commands.SaveSession(path));
    EXPECT_EQ(questions.moveQuestions.size(), 1u);
}

TEST_F(SessionPasswordTest, PropertiesStoreTheTypedPasswordInTheKeyringNeverInTheFile) {
    const std::string path = WriteOlderFile();
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    const std::string typed = "Typed " + std::string(kMaxPasswordLength - 6, 'x');
    questions.sheet = SessionSettings{};
    questions.editSheet = [&](SessionSettings& s) { s.UserPassword = typed; };
    commands.Properties();
    EXPECT_EQ(keyring.Lookup(Account()).password, typed);
    EXPECT_TRUE(commands.sessionModified);
    EXPECT_TRUE(commands.SaveSession(path));
    EXPECT_TRUE(questions.moveQuestions.empty()) << "the older password was replaced";
    const std::string saved = Bytes(path);
    EXPECT_NE(saved.find("Password In Keyring=1"), std::string::npos);
    EXPECT_EQ(saved.find("Typed"), std::string::npos);
    EXPECT_EQ(saved.find("xxxx"), std::string::npos);

    // The sheet opens with the stored password; emptied, it leaves the keyring.
    commands.CloseSession();
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    std::string shown;
    questions.editSheet = [&](SessionSettings& s) {
        shown = s.UserPassword;
        s.UserPassword.clear();
    };
    commands.Properties();
    EXPECT_EQ(shown, typed);
    EXPECT_EQ(keyring.Lookup(Account()).status, KeyringStatus::kNotFound);
    EXPECT_EQ(session.pendingSettings.PasswordStore, PasswordStorage::kNone);
}

TEST_F(SessionPasswordTest, WithoutAKeyringTheConnectionAsksAndKeepsTheAnswerInMemory) {
    keyring.Store(Account(), "Secret");
    const std::string path = Path("keyring.stn");
    {
        SessionSettings s;
        s.Name = "Payroll";
        s.IP = "127.0.0.1";
        s.Port = listener.port();
        s.TerminalName = "IBM-5292-2";
        s.TerminalCaract = "24 * 80";
        s.AutoConnection = 1;
        s.UserID = "JDOE";
        s.PasswordStore = PasswordStorage::kKeyring;
        ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
    }
    const std::string before = Bytes(path);
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    keyring.unavailable = true;
    questions.typedPassword = "Asked";
    commands.Start();
    EXPECT_TRUE(commands.connected());
    ASSERT_EQ(questions.passwordQuestions.size(), 1u);
    EXPECT_NE(questions.passwordQuestions[0].find("The desktop keyring is not available (the "
                                                  "keyring is locked)"),
              std::string::npos);
    EXPECT_EQ(session.activeSettings.UserPassword, "Asked");
    // The end of the session makes the edited copy the one in use: it keeps it.
    session.EndSession();
    EXPECT_EQ(session.activeSettings.UserPassword, "Asked");
    EXPECT_EQ(Bytes(path), before) << "nothing written";

    // No answer: the connection goes on without a password, the host asks.
    commands.CloseSession();
    ASSERT_EQ(commands.OpenSessionFile(path), path);
    questions.typedPassword.reset();
    commands.Start();
    EXPECT_TRUE(commands.connected());
    EXPECT_EQ(session.activeSettings.UserPassword, "");
    EXPECT_EQ(questions.passwordQuestions.size(), 2u);
}

}  // namespace
}  // namespace quenlix::app
