// File faults through the headless front end: saving a session file on a
// full disk or into a folder the program may not write (the old file stays
// whole and the save reports failure), and translation table files that
// cannot be used (the built-in pair takes over, nothing hangs or crashes).
// Tests run as root, which ignores permission bits, so the refusals are made
// in a forked child: a file-size limit stands in for a full disk, and the
// child gives up root to meet a folder it may not write.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <sstream>

#include "cli/CliFrontEnd.h"
#include "support/InChild.h"
#include "cli/CliShell.h"
#include "session/ConnectFile.h"
#include "session/TestFiles.h"
#include "support/SampleScreens.h"

namespace quenlix::testing {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr int kChildSkipped = 77;

/// Saves `settings` with the CLI's "save" command; 0 when the command
/// reported failure, 1 when it claimed success.
int SaveReportsFailure(const std::string& path, const SessionSettings& settings) {
    std::ostringstream out;
    cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
    shell.session().pendingSettings = settings;
    return shell.Execute("save " + path) ? 1 : 0;
}

SessionSettings OldSession() {
    SessionSettings s;
    s.Name = "Payroll";
    s.IP = "10.1.2.3";
    s.Port = 23;
    s.DisplayNameAuto = 1;
    s.TerminalName = "IBM-5292-2";
    s.TerminalCaract = "24 * 80";
    return s;
}

SessionSettings NewSession() {
    SessionSettings s = OldSession();
    s.Name = "Payroll, second site";
    s.IP = "as400.example.invalid";
    s.UserID = "QUSER";
    s.UserPassword = "SECRET";
    s.Menu = std::string(300, 'M');
    return s;
}

class SessionSaveFault : public ::testing::Test {
protected:
    void SetUp() override {
        folder = dir.File("sessions");
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        path = folder + "/payroll.stn";
        ASSERT_TRUE(CConnectFile::WriteSessionFile(path, OldSession()));
        before = ReadBytes(path);
    }
    /// The old file is there, byte for byte, alone in its folder.
    void ExpectOldFileIntact() {
        EXPECT_EQ(ReadBytes(path), before);
        int entries = 0;
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            ++entries;
            EXPECT_EQ(e.path().filename(), "payroll.stn") << "a stray temporary file";
        }
        EXPECT_EQ(entries, 1);
        SessionSettings read;
        CConnectFile::ReadSessionFile(path, read, "TESTPC");
        EXPECT_EQ(read.Name, "Payroll");
        EXPECT_EQ(read.IP, "10.1.2.3");
    }

    TempDir dir;
    std::string folder;
    std::string path;
    std::string before;
};

TEST_F(SessionSaveFault, FullDiskKeepsTheOldFileAndTheSaveFails) {
    // Writes stop part-way through the new file, as on a full disk.
    const rlim_t limit = before.size() / 2;
    const int status = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit r{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &r) != 0) return kChildSkipped;
        return SaveReportsFailure(path, NewSession());
    });
    if (status == kChildSkipped) GTEST_SKIP() << "no file-size limit here";
    EXPECT_EQ(status, 0) << "the save must report the failure";
    ExpectOldFileIntact();
}

TEST_F(SessionSaveFault, ReadOnlyFolderKeepsTheOldFileAndTheSaveFails) {
    // The scratch folder may be crossed by anyone; the session folder may
    // be written only by its owner (root), not by the child.
    ASSERT_EQ(::chmod(dir.File("").c_str(), 0755), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const int status = InChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            return kChildSkipped;
        }
        if (::access(folder.c_str(), W_OK) == 0) return kChildSkipped;
        return SaveReportsFailure(path, NewSession());
    });
    ::chmod(folder.c_str(), 0755);
    if (status == kChildSkipped) GTEST_SKIP() << "cannot give up write access here";
    EXPECT_EQ(status, 0) << "the save must report the failure";
    ExpectOldFileIntact();
}

// --- Translation tables -------------------------------------------------------

/// The sign-on screen as the CLI shows it with the tables of `tableDir` and
/// code page 37, and whether a table file was used.
std::string ScreenWithTables(const std::string& tableDir) {
    std::ostringstream out;
    cli::CliShell shell(out, tableDir, "TESTPC");
    shell.session().activeSettings.PageCode = 37;
    shell.session().unplacedByteTrace().SetPath("");
    const Bytes screen = samples::SignOnScreen();
    shell.Execute("block " + cli::HexLine(screen.data(), screen.size()));
    out.str("");
    shell.Execute("screen");
    shell.Execute("fields");
    if (shell.session().tables.current().codePage != 0) out << "a table file was used\n";
    return out.str();
}

TEST(TableFileFault, UnusableTableFilesFallBackToTheBuiltInPair) {
    TempDir missing;
    const std::string reference = ScreenWithTables(missing.File(""));
    ASSERT_NE(reference.find("Sign On"), std::string::npos) << reference;

    struct Case {
        const char* name;
        std::function<void(const std::string& file)> make;
    };
    const Case cases[] = {
        {"a folder", [](const std::string& f) { ::mkdir(f.c_str(), 0755); }},
        {"an empty file", [](const std::string& f) { WriteBytes(f, ""); }},
        {"a file of 511 bytes", [](const std::string& f) { WriteBytes(f, std::string(511, 'x')); }},
        {"a link to itself", [](const std::string& f) { (void)::symlink(f.c_str(), f.c_str()); }},
        // Opening a pipe for reading waits for a writer that never comes.
        {"a named pipe", [](const std::string& f) { ::mkfifo(f.c_str(), 0644); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir tables;
        c.make(tables.File("37.tbl"));
        // In a child, so that a table read that never returns fails the
        // test instead of hanging it.
        const int status =
            InChild([&] { return ScreenWithTables(tables.File("")) == reference ? 0 : 1; });
        EXPECT_EQ(status, 0) << "1: another screen; -1: crashed or hung";
        if (status == 1) {
            EXPECT_EQ(ScreenWithTables(tables.File("")), reference);
        }
    }
}

}  // namespace
}  // namespace quenlix::testing
