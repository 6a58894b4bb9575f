// The settings file: written in the very form QSettings writes and reads,
// and stored safely when the store cannot take it, on a full disk or in a
// configuration folder the program may not write. The old Telnet.conf then
// stays whole, nothing is left beside it, and the failure is reported to
// the caller (the close itself goes on). Tests run as root, which ignores
// permission bits, so the refusals are made in a forked child: a file-size
// limit stands in for a full disk, and the child gives up root to meet a
// folder it may not write.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <csignal>
#include <memory>

#include "ShellDoubles.h"
#include "app/CTelnetApp.h"
#include "app/QtSettingsStore.h"
#include "session/ConnectFile.h"
#include "session/FileIo.h"
#include "session/FileLock.h"
#include "support/InChild.h"

namespace quenlix::app {
namespace {

constexpr int kChildSkipped = 77;

QByteArray Bytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// The file's lines, sorted, without blank ones: the same lines in the
/// same sections whatever order the sections come in.
std::string SortedLines(const QByteArray& text) {
    QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    return lines.join(QLatin1Char('\n')).toStdString();
}

TEST(SettingsFile, WrittenAsQSettingsWritesItAndReadBackWhole) {
    struct Row {
        const char* section;
        const char* name;
        QString value;
    } const rows[] = {
        {"", "WindowPos", QStringLiteral("0,1,-1,-1,-1,-1,40,50,940,650")},
        {"", "LPT", QStringLiteral("739001")},
        {"Font", "Face", QStringLiteral("Courier New")},
        {"BkgndImage", "ImageFile",
         QStringLiteral(u"/home/j\u00fcrgen/Bilder/\u00e9t\u00e9 \u2713.bmp")},
        {"Options", "FileName", QStringLiteral(" leading and trailing ")},
        {"Options", "Odd", QStringLiteral("a=b;c \"quoted\" back\\slash")},
        {"Options", "Lines", QStringLiteral("one\ntwo\tthree\r")},
        {"Options", "Control",
         QString(QChar(1)) + QStringLiteral("9") + QChar(0) + QStringLiteral("f")},
        {"Options", "At", QStringLiteral("@Variant(not one)")},
        {"Options", "Empty", QString()},
        {"Options", "Emoji", QStringLiteral(u"\U0001F600")},
        {"ToolBars/Tool", "State", QStringLiteral("AAAA/w==")},
        {"MRU", "File1", QStringLiteral("/srv/100% sessions/prod.stn")},
        {"odd section", "key with %", QStringLiteral("x")},
        {"General", "Name", QStringLiteral("a section called General")},
    };
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-prefs-XXXXXX")};
    const QString ours = dir.filePath(QStringLiteral("ours.conf"));
    const QString theirs = dir.filePath(QStringLiteral("theirs.conf"));
    {
        QtSettingsStore store(std::make_unique<QSettings>(ours, QSettings::IniFormat));
        QSettings qt(theirs, QSettings::IniFormat);
        for (const Row& r : rows) {
            store.WriteString(r.section, r.name, r.value.toStdString());
            const QString name = QString::fromLatin1(r.name);
            qt.setValue(
                *r.section ? QString::fromLatin1(r.section) + QLatin1Char('/') + name : name,
                r.value);
        }
        store.WriteInt("Colors", "Cursor", 0xFFFFFFFFu);
        qt.setValue(QStringLiteral("Colors/Cursor"), static_cast<quint32>(0xFFFFFFFFu));
        ASSERT_TRUE(store.Sync());
        qt.sync();
        ASSERT_EQ(qt.status(), QSettings::NoError);
    }
    EXPECT_EQ(SortedLines(Bytes(ours)), SortedLines(Bytes(theirs)));

    // QSettings reads every value back, and so does the next store.
    QSettings reread(ours, QSettings::IniFormat);
    const QtSettingsStore again(std::make_unique<QSettings>(ours, QSettings::IniFormat));
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const QString name = QString::fromLatin1(r.name);
        const QString key =
            *r.section ? QString::fromLatin1(r.section) + QLatin1Char('/') + name : name;
        EXPECT_EQ(reread.value(key).toString().toStdString(), r.value.toStdString());
        EXPECT_EQ(again.ReadString(r.section, r.name, "missing"), r.value.toStdString());
    }
    EXPECT_EQ(again.ReadInt("Colors", "Cursor", 0), 0xFFFFFFFFu);
    EXPECT_EQ(again.Keys("ToolBars/Tool"), std::vector<std::string>{"State"});
    EXPECT_EQ(again.Keys(""), (std::vector<std::string>{"LPT", "WindowPos"}));
}

class PreferenceStoreFault : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Quenlix/Products")));
        folder = dir.filePath(QStringLiteral("Quenlix/Products"));
        file = folder + QStringLiteral("/Telnet.conf");
        store = std::make_unique<QtSettingsStore>(
            std::make_unique<QSettings>(file, QSettings::IniFormat));
        app = std::make_unique<CTelnetApp>(QUENLIX_TABLE_DIR, "PC1", *store, &questions);
        ASSERT_TRUE(app->SavePreferences());
        before = Bytes(file);
        ASSERT_GT(before.size(), 200);
        // Values the next store would change.
        app->session().terminal.state.CursorForm = 2;
        app->frame().setGeometry(30, 40, 500, 300);
    }

    /// The old file, byte for byte, alone in its folder but for the empty
    /// lock file that stays there for the next store.
    void ExpectOldFileIntact() {
        EXPECT_EQ(Bytes(file), before);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  (QStringList{QStringLiteral("Telnet.conf"), QStringLiteral("Telnet.conf.lock")}))
            << "a stray temporary file";
        EXPECT_EQ(QFileInfo(store->lockFileName()).size(), 0);
        QSettings reread(file, QSettings::IniFormat);
        EXPECT_EQ(reread.value(QStringLiteral("Options/CursorForm")).toInt(), 0);
    }

    /// Stores the preferences in a child; 0 when the store reported the
    /// failure, 1 when it claimed success.
    int StoreInChild(const std::function<bool()>& prepare) {
        return quenlix::testing::InChild([&] {
            if (!prepare()) return kChildSkipped;
            return app->SavePreferences() ? 1 : 0;
        });
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-prefs-XXXXXX")};
    QString folder;
    QString file;
    testing::ScriptedQuestions questions;
    std::unique_ptr<QtSettingsStore> store;
    std::unique_ptr<CTelnetApp> app;
    QByteArray before;
};

TEST_F(PreferenceStoreFault, FullDiskKeepsTheOldFileAndIsReported) {
    // Writes stop part-way through the new file, as on a full disk.
    const rlim_t limit = static_cast<rlim_t>(before.size() / 2);
    const int status = StoreInChild([limit] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r{limit, limit};
        return ::setrlimit(RLIMIT_FSIZE, &r) == 0;
    });
    if (status == kChildSkipped) GTEST_SKIP() << "no file-size limit here";
    EXPECT_EQ(status, 0) << "the store must report the failure";
    ExpectOldFileIntact();
}

TEST_F(PreferenceStoreFault, ReadOnlyFolderKeepsTheOldFileAndIsReported) {
    // Anyone may cross the scratch folders and write the file itself, but
    // only its owner (root, not the child) may write the folder it is in: a
    // store that wrote the file in place would get through and could leave
    // it half written.
    for (const QString& d : {dir.path(), dir.filePath(QStringLiteral("Quenlix"))}) {
        ASSERT_EQ(::chmod(QFile::encodeName(d).constData(), 0755), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    const QByteArray folderName = QFile::encodeName(folder);
    const int status = StoreInChild([&folderName] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return false;
        return ::access(folderName.constData(), W_OK) != 0;
    });
    ::chmod(folderName.constData(), 0755);
    if (status == kChildSkipped) GTEST_SKIP() << "cannot give up write access here";
    EXPECT_EQ(status, 0) << "the store must report the failure";
    ExpectOldFileIntact();
}

class SharedSettingsFile : public ::testing::Test {
protected:
    std::unique_ptr<QtSettingsStore> Open() {
        return std::make_unique<QtSettingsStore>(
            std::make_unique<QSettings>(file, QSettings::IniFormat));
    }
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-shared-XXXXXX")};
    QString file = dir.filePath(QStringLiteral("Telnet.conf"));
};

TEST_F(SharedSettingsFile, TwoStoresEachStoreOnlyTheirOwnChanges) {
    {
        auto first = Open();
        first->WriteInt("Colors", "Green", 5);
        first->WriteString("Options", "Kept", "old");
        first->WriteString("Options", "Gone", "x");
        ASSERT_TRUE(first->Sync());
    }
    auto a = Open();
    auto b = Open();
    // A changes a colour and writes another value back as it read it.
    a->WriteInt("Colors", "Cursor", 1);
    a->WriteString("Options", "Kept", "old");
    EXPECT_TRUE(a->hasChanges());
    ASSERT_TRUE(a->Sync());
    // B, opened before A stored, changes other values and removes one.
    b->WriteInt("Options", "CursorForm", 2);
    b->Remove("Options", "Gone");
    b->WriteInt("Colors", "Green", 5);  // as read: no change
    ASSERT_TRUE(b->Sync());
    // The file holds both programs' changes and nothing either merely read.
    auto reread = Open();
    EXPECT_EQ(reread->ReadInt("Colors", "Cursor", 0), 1u);
    EXPECT_EQ(reread->ReadInt("Colors", "Green", 0), 5u);
    EXPECT_EQ(reread->ReadInt("Options", "CursorForm", 0), 2u);
    EXPECT_EQ(reread->ReadString("Options", "Kept", ""), "old");
    EXPECT_EQ(reread->ReadString("Options", "Gone", "none"), "none");
    // After its store B reads what A stored.
    EXPECT_EQ(b->ReadInt("Colors", "Cursor", 0), 1u);
}

TEST_F(SharedSettingsFile, TwoWindowsKeepEachOthersRecentSessionsAndColours) {
    auto storeA = Open();
    auto storeB = Open();
    testing::ScriptedQuestions qa;
    testing::ScriptedQuestions qb;
    CTelnetApp a(QUENLIX_TABLE_DIR, "PC1", *storeA, &qa);
    CTelnetApp b(QUENLIX_TABLE_DIR, "PC1", *storeB, &qb);
    auto session = [this](const char* name) {
        SessionSettings s;
        s.Name = name;
        s.IP = "127.0.0.1";
        s.TerminalCaract = "24 * 80";
        const std::string path = dir.filePath(QString::fromLatin1(name) + ".stn").toStdString();
        EXPECT_TRUE(CConnectFile::WriteSessionFile(path, s));
        return path;
    };
    const std::string pathA = session("a");
    const std::string pathB = session("b");
    ASSERT_EQ(a.commands().OpenSessionFile(pathA), pathA);
    ASSERT_EQ(b.commands().OpenSessionFile(pathB), pathB);
    b.session().terminal.colors[kColorRed] = 0x0000FF;
    b.session().terminal.state.CursorForm = 1;
    a.session().terminal.state.BlinkCursor = 0;
    ASSERT_TRUE(b.CloseRequested());
    ASSERT_TRUE(a.CloseRequested());  // closed last

    const auto file = Open();
    EXPECT_EQ(file->ReadInt("Colors", "Red", 0), 0x0000FFu);
    EXPECT_EQ(file->ReadInt("Options", "CursorForm", 9), 1u);
    EXPECT_EQ(file->ReadInt("Options", "BlinkCursor", 9), 0u);
    EXPECT_EQ(file->ReadString("MRU", "File1", ""), pathA);
    EXPECT_EQ(file->ReadString("MRU", "File2", ""), pathB);
}

TEST_F(SharedSettingsFile, AStoreWaitsForAnotherProgramsLock) {
    auto store = Open();
    store->WriteInt("Colors", "Cursor", 7);
    // Another program takes the lock, and only after a while writes the file
    // its own way (without merging) and lets go. A store that did not wait
    // would read the file first and then lose its value to that write.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const QByteArray lockName = QFile::encodeName(store->lockFileName());
    const QByteArray fileName = QFile::encodeName(file);
    const pid_t child = ::fork();
    if (child == 0) {
        FileLock lock;
        if (lock.Acquire(lockName.toStdString(), 0) != 0) ::_exit(1);
        const char go = 1;
        if (::write(ready[1], &go, 1) != 1) ::_exit(2);
        ::usleep(300 * 1000);
        const int rc = ReplaceFileContents(fileName.toStdString(), "[Options]\nTheirs=1\n");
        ::_exit(rc == 0 ? 0 : 3);
    }
    ASSERT_GT(child, 0);
    char go = 0;
    ASSERT_EQ(::read(ready[0], &go, 1), 1);
    EXPECT_TRUE(store->Sync());
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto file = Open();
    EXPECT_EQ(file->ReadInt("Options", "Theirs", 0), 1u);
    EXPECT_EQ(file->ReadInt("Colors", "Cursor", 0), 7u);
}

TEST(PreferenceStoreFaultInProcess, AnUnwritablePlaceFailsTheStoreButNotTheClose) {
    // The configuration folder's place is taken by a plain file: nothing
    // can be written there, by root either.
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-prefs-XXXXXX")};
    QFile blocker(dir.filePath(QStringLiteral("Quenlix")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QtSettingsStore store(std::make_unique<QSettings>(
        dir.filePath(QStringLiteral("Quenlix/Products/Telnet.conf")), QSettings::IniFormat));
    testing::ScriptedQuestions questions;
    CTelnetApp app(QUENLIX_TABLE_DIR, "PC1", store, &questions);
    EXPECT_FALSE(app.SavePreferences());
    EXPECT_TRUE(app.CloseRequested());
    EXPECT_TRUE(questions.asked.empty());
}

}  // namespace
}  // namespace quenlix::app
