// The trace file the interpreter leaves when it meets a byte it cannot place:
// its report texts, its hexadecimal dump and where it is written.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "InterpreterFixture.h"
#include "support/WireRecords.h"

namespace quenlix::testing {
namespace {

using namespace ds;
namespace fs = std::filesystem;

/// A fresh folder is the current directory for the test's lifetime; the
/// earlier one comes back and the folder goes when the test ends.
class TraceFileTest : public InterpreterTest {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quenlix-trace-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        previous_ = fs::current_path();
        fs::current_path(folder_);
        interpreter.SetTracePath(CTN5250::kDefaultTraceFile);
    }
    void TearDown() override {
        if (folder_.empty()) return;
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }

    /// The trace file's contents, or "(none)" when there is no file.
    static std::string Trace() {
        std::ifstream in(CTN5250::kDefaultTraceFile, std::ios::binary);
        if (!in) return "(none)";
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path folder_;
    fs::path previous_;
};

TEST_F(TraceFileTest, StrayBytesBeforeAnEscapeAreReportedWithTheBlockDump) {
    // 0x55 and 0x1D stand where an escape byte is awaited. The file is
    // replaced at each, so the last report (0x1D, index 11) is what stays;
    // the 0x1D at an odd index starts a new paragraph and loses its blanks.
    // The dump is the record as the interpreter got it: no IAC EOR.
    Run(FrameRecord(kOpPutGet, {0x55, kOrderStartOfField}));
    EXPECT_EQ(Trace(),
              "Default position 300 : 12  val : 85  29  0\n"
              "nb byte  : 12\n"
              "000C  12A0  0000  0400  0003  55\n\n1D");
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_TRUE(messages.shown.empty()) << "a trace, never a message";
}

TEST_F(TraceFileTest, UnknownOperationCodesReportEveryRemainingByte) {
    // An operation-code state that is no operation code stays until the
    // record ends: the last report is for its last byte, whose following
    // byte lies past the record and is given as 0.
    struct Row {
        const char* what;
        Bytes block;
        const char* trace;
        std::size_t answers;
    };
    const Row rows[] = {
        {"unknown operation code", FrameRecord(0x42, {}),
         "nbr_oct : 10\nDefault  CodeEtat idx : 10  val : 0  66  0\n"
         "nb byte  : 10\n"
         "000A  12A0  0000  0400  0042  ",
         0},
        {"Cancel Invite hands its state to the next byte", FrameRecord(kOpCancelInvite, {0x55}),
         "nbr_oct : 11\nDefault  CodeEtat idx : 11  val : 10  85  0\n"
         "nb byte  : 11\n"
         "000B  12A0  0000  0400  000A  55",
         1},
        {"so does the message light", FrameRecord(kOpMessageLightOn, {0x55, 0x66}),
         "nbr_oct : 12\nDefault  CodeEtat idx : 12  val : 85  102  0\n"
         "nb byte  : 12\n"
         "000C  12A0  0000  0400  000B  5566  ",
         0},
        {"in a record after another",
         Concat({RecordBuilder().clearUnit().record(), FrameRecord(0x0D, {0x01})}),
         "nbr_oct : 11\nDefault  CodeEtat idx : 11  val : 13  1  0\n"
         "nb byte  : 11\n"
         "000B  12A0  0000  0400  000D  01",
         0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        sender.sent.clear();
        Run(row.block);
        EXPECT_EQ(Trace(), row.trace);
        EXPECT_EQ(sender.sent.size(), row.answers);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TraceFileTest, DefaultFileIsWrittenOwnerOnlyInTheStateFolder) {
    // The state folder follows XDG_STATE_HOME; the working folder (often
    // /usr/bin or the home folder for a launcher) is left alone.
    const fs::path state = folder_ / "state";
    const char* previous = std::getenv("XDG_STATE_HOME");
    const std::string saved = previous ? previous : "";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    CTN5250 fresh{links};
    if (previous) {
        setenv("XDG_STATE_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_STATE_HOME");
    }
    const fs::path trace = state / "quenlix-telnet" / "trameDefault.txt";
    EXPECT_EQ(fresh.tracePath(), trace.string());

    // A clean block writes nothing, not even the folder.
    const Bytes clean = RecordBuilder().clearUnit().writeToDisplay().text("OK").record();
    ::quenlix::ProcessWire(fresh, clean);
    EXPECT_FALSE(fs::exists(state));

    const Bytes stray = FrameRecord(kOpPutGet, {kEscape, 0x99});
    ::quenlix::ProcessWire(fresh, stray);
    EXPECT_FALSE(fs::exists(folder_ / "trameDefault.txt"));
    ASSERT_TRUE(fs::exists(trace));
    EXPECT_EQ(fs::status(trace).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(trace.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
    std::ifstream in(trace, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(),
              "Default position 304 : 12  val : 4  153  0\n"
              "nb byte  : 12\n"
              "000C  12A0  0000  0400  0003  0499  ");
}

TEST_F(TraceFileTest, PlantedLinksFoldersAndFifosAreNeverWrittenThrough) {
    const Bytes stray = FrameRecord(kOpPutGet, {kEscape, 0x99});
    {
        std::ofstream victim("victim.txt", std::ios::binary);
        victim << "keep me";
    }
    fs::create_symlink(folder_ / "victim.txt", CTN5250::kDefaultTraceFile);
    Run(stray);
    std::ifstream in("victim.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "keep me") << "the link's target is untouched";
    EXPECT_TRUE(fs::is_symlink(CTN5250::kDefaultTraceFile));

    fs::remove(CTN5250::kDefaultTraceFile);
    ASSERT_EQ(mkfifo(CTN5250::kDefaultTraceFile, 0600), 0);
    Run(stray);  // returns at once: a FIFO is neither waited on nor written
    EXPECT_TRUE(fs::is_fifo(CTN5250::kDefaultTraceFile));
    fs::remove(CTN5250::kDefaultTraceFile);
    fs::create_directory(CTN5250::kDefaultTraceFile);
    Run(stray);
    EXPECT_TRUE(fs::is_directory(CTN5250::kDefaultTraceFile));
}

TEST_F(TraceFileTest, TheDumpOfAHugeBlockIsCutAtTheCap) {
    // 600 000 stray bytes dump to about 1.5 MB of text; the file stops at 1 MiB.
    Run(FrameRecord(kOpPutGet, Bytes(600000, 0x55)));
    EXPECT_EQ(fs::file_size(CTN5250::kDefaultTraceFile), CTN5250::kMaxTraceBytes);
    EXPECT_EQ(Trace().substr(0, 22), "Default position 300 :");
}

TEST_F(TraceFileTest, StoppedBlockStillLeavesItsTrace) {
    // The report is made before the block stops on a write past the screen.
    Run(RecordBuilder().raw({0x77}).writeToDisplay().sba(24, 80).text("XY").record());
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], NegativeResponse(kSenseWriteBeyondScreen));
    const std::string trace = Trace();
    EXPECT_EQ(trace.substr(0, trace.find('\n')), "Default position 300 : 11  val : 3  119  4");
}

}  // namespace
}  // namespace quenlix::testing
