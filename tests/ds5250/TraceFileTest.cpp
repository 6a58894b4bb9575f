// The report the interpreter gives when it meets a byte it cannot place: its
// texts and its hexadecimal dump of the record (the session writes them to
// the unplaced-byte trace file).
#include "InterpreterFixture.h"

namespace quenlix::testing {
namespace {

using namespace ds;

class TraceFileTest : public InterpreterTest {
protected:
    /// The last record's trace, or "(none)" when it had none.
    std::string Trace() const {
        const std::string& trace = interpreter.outcome().trace;
        return trace.empty() ? "(none)" : trace;
    }
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

TEST_F(TraceFileTest, ACleanRecordHasNoTrace) {
    Run(FrameRecord(kOpPutGet, {kEscape, 0x99}));
    EXPECT_EQ(Trace(),
              "Default position 304 : 12  val : 4  153  0\n"
              "nb byte  : 12\n"
              "000C  12A0  0000  0400  0003  0499  ");
    Run(RecordBuilder().clearUnit().writeToDisplay().text("OK").record());
    EXPECT_EQ(Trace(), "(none)");
}

TEST_F(TraceFileTest, TheDumpOfAHugeBlockIsCutAtTheCap) {
    // 600 000 stray bytes dump to about 1.5 MB of text; the trace stops at 1 MiB.
    Run(FrameRecord(kOpPutGet, Bytes(600000, 0x55)));
    EXPECT_EQ(interpreter.outcome().trace.size(), CTN5250::kMaxTraceBytes);
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
