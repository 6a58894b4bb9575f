// A session file that cannot be written, through the program's own paths:
// the Save command and the close sequence's "Yes" to saving. The operator
// is told why (the system's reason), the close does not go on, the edits
// stay, and the old file is whole. Tests run as root, which ignores
// permission bits, so the faults are made in a forked child: a file-size
// limit stands in for a full disk, and the child gives up root to meet a
// folder it may not write.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <functional>

#include "ShellDoubles.h"
#include "app/CTelnetApp.h"
#include "app/CommandIds.h"
#include "session/ConnectFile.h"
#include "support/InChild.h"
#include "terminal/StringTable.h"

namespace quenlix::app {
namespace {

constexpr int kChildSkipped = 77;

/// What the child saw, as its exit status: 0 when every check held, else
/// the number of the first that failed.
enum ChildCheck : int {
    kAllHeld = 0,
    kSaveClaimedSuccess = 1,
    kSaveMessageWrong = 2,
    kCloseWentOn = 3,
    kCloseMessageWrong = 4,
    kEditsLost = 5,
};

class SessionSaveFault : public ::testing::Test {
protected:
    void SetUp() override {
        folder = dir.filePath(QStringLiteral("sessions"));
        ASSERT_TRUE(QDir().mkpath(folder));
        path = (folder + QStringLiteral("/payroll.stn")).toStdString();
        SessionSettings s;
        s.Name = "Payroll";
        s.IP = "10.1.2.3";
        s.TerminalName = "IBM-5292-2";
        s.TerminalCaract = "24 * 80";
        ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        before = f.readAll();

        app = std::make_unique<CTelnetApp>(QUENLIX_TABLE_DIR, "PC1", store, &questions);
        app->messages().interceptor = [this](std::string_view text, MessageIcon icon) {
            messages.emplace_back(text);
            icons.push_back(icon);
        };
        ASSERT_EQ(app->commands().OpenSessionFile(path), path);
        // An edit that has not been saved.
        app->session().pendingSettings.IP = "10.9.9.9";
        app->commands().sessionModified = true;
    }

    /// In a child: prepares the fault, then Save (Ctrl+S) and a close that
    /// answers Yes to saving; each must report `reason` and keep the edits.
    int SaveAndCloseInChild(const std::function<bool()>& prepare, const std::string& reason) {
        return quenlix::testing::InChild([&]() -> int {
            if (!prepare()) return kChildSkipped;
            const std::string expected = std::string(LoadString(kStrSaveSessionFailed)) + "\n" +
                                         path + "\n" + reason;
            app->frame().Execute(kCmdSave);
            if (!app->commands().sessionModified) return kSaveClaimedSuccess;
            if (messages != std::vector<std::string>{expected} ||
                icons != std::vector<MessageIcon>{MessageIcon::Exclamation}) {
                return kSaveMessageWrong;
            }
            questions.yesNo = {true};  // save the changed values? Yes
            if (app->CloseRequested()) return kCloseWentOn;
            if (messages.size() != 2 || messages.back() != expected) return kCloseMessageWrong;
            if (!app->commands().sessionModified ||
                app->session().pendingSettings.IP != "10.9.9.9") {
                return kEditsLost;
            }
            return kAllHeld;
        });
    }

    void ExpectOldFileIntact() {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("payroll.stn")})
            << "a stray temporary file";
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-save-XXXXXX")};
    QString folder;
    std::string path;
    QByteArray before;
    MemorySettingsStore store;
    testing::ScriptedQuestions questions;
    std::vector<std::string> messages;
    std::vector<MessageIcon> icons;
    std::unique_ptr<CTelnetApp> app;
};

TEST_F(SessionSaveFault, FullDiskIsReportedWithItsReasonAndTheWindowStaysOpen) {
    const int status = SaveAndCloseInChild(
        [] {
            // Writes stop at a few bytes, as on a full disk.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit r{16, 16};
            return ::setrlimit(RLIMIT_FSIZE, &r) == 0;
        },
        std::strerror(EFBIG));
    if (status == kChildSkipped) GTEST_SKIP() << "no file-size limit here";
    EXPECT_EQ(status, kAllHeld);
    ExpectOldFileIntact();
}

TEST_F(SessionSaveFault, ReadOnlyFolderIsReportedWithItsReasonAndTheWindowStaysOpen) {
    // The file may be read and even written by anyone, but its folder only
    // by its owner (root, not the child): the safe replace cannot go on.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    const QByteArray folderName = QFile::encodeName(folder);
    ASSERT_EQ(::chmod(folderName.constData(), 0555), 0);
    const int status = SaveAndCloseInChild(
        [&folderName] {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return false;
            return ::access(folderName.constData(), W_OK) != 0;
        },
        std::strerror(EACCES));
    ::chmod(folderName.constData(), 0755);
    if (status == kChildSkipped) GTEST_SKIP() << "cannot give up write access here";
    EXPECT_EQ(status, kAllHeld);
    ExpectOldFileIntact();
}

TEST_F(SessionSaveFault, AWriteThatWorksAgainEndsTheCloseAsBefore) {
    // The same flow without a fault: saved, then the close goes on.
    questions.yesNo = {true};
    EXPECT_TRUE(app->CloseRequested());
    EXPECT_TRUE(messages.empty());
    SessionSettings read;
    ASSERT_TRUE(CConnectFile::ReadSessionFile(path, read, "PC1"));
    EXPECT_EQ(read.IP, "10.9.9.9");
}

}  // namespace
}  // namespace quenlix::app
