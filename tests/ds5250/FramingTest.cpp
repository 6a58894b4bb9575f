// Record framing, operation codes, commands and the end-of-block work.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "InterpreterFixture.h"
#include "support/WireRecords.h"

namespace quenlix::testing {
namespace {

using namespace ds;

TEST_F(InterpreterTest, TwoRecordsInOneBlockRepaintOnceAtTheEnd) {
    Run(Concat({RecordBuilder().clearUnit().writeToDisplay().sba(2, 3).text("HELLO").record(),
                RecordBuilder().readMdtFields().record()}));
    EXPECT_EQ(Text(2, 3, 5), "HELLO");
    EXPECT_EQ(terminal.state.pendingRead, kReadMdtFields);
    EXPECT_TRUE(Damage().row(1) == (ScreenDamage::Columns{0, 80})) << "Clear Unit: every cell";
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(InterpreterTest, BadHeadersAreReportedWithTheirTexts) {
    Bytes bad = RecordBuilder().clearUnit().record();
    bad[3] = 0xA1;
    Run(bad);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], "Bad format (not a GDS)");

    // A broken record after one with display data: each record is handed
    // on alone, and the broken one is refused alone.
    Bytes second = RecordBuilder().writeToDisplay().record();
    second[4] = 0x01;
    Run(RecordBuilder().writeToDisplay().text("A").record());
    terminal.SetCursorCell(4, 4);
    Run(second);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1], "Bad format (not a GDS)");
    EXPECT_EQ(CursorRow(), 5) << "a refused record places no cursor";
    EXPECT_EQ(Text(1, 1, 1), "A") << "what came before stays";

    // After a command with no data the record ends in the Command state.
    Run(Concat({RecordBuilder().clearFormatTable().raw({0x04}).record(), second}));
    EXPECT_EQ(messages.shown.back(), "Bad format (not a GDS)");
}

TEST_F(InterpreterTest, DoubledLowLengthByteIsRecognisedFirstAndLater) {
    // 245 data bytes give a record length of 255 (0x00FF), sent as 00 FF FF.
    RecordBuilder big;
    big.writeToDisplay().sba(3, 1);
    big.text(std::string(245 - 4 - 3, 'X'));
    ASSERT_EQ(big.data().size(), 245u);
    Bytes record = big.record();
    ASSERT_EQ(record[1], 0xFF);
    ASSERT_EQ(record[2], 0xFF);
    Run(Concat({record, RecordBuilder().writeToDisplay().sba(10, 1).text("AFTER").record(),
                record}));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Text(3, 1, 3), "XXX");
    EXPECT_EQ(Text(10, 1, 5), "AFTER");
}

TEST_F(InterpreterTest, CancelInviteIsAnsweredBeforeWhatFollows) {
    Run(Concat({RecordBuilder(kOpCancelInvite).record(),
                RecordBuilder().writeToDisplay().sba(1, 1).raw({0x11, 0, 0}).text("X").record()}));
    ASSERT_GE(sender.sent.size(), 2u);
    EXPECT_EQ(sender.sent[0], (Bytes{0x00, 0x0A, 0x12, 0xA0, 0x00, 0x00, 0x04, 0x00, 0x00, 0x0A,
                                     0xFF, 0xEF}));
    EXPECT_EQ(sender.sent[1], NegativeResponse(kSenseWriteBeyondScreen));
}

TEST_F(InterpreterTest, NoOperationAndStructuredFieldSkipTheRestOfTheRecord) {
    Run(RecordBuilder(kOpNoOperation).writeToDisplay().text("SHOULD NOT SHOW").record());
    EXPECT_EQ(Text(1, 1, 6), "      ");

    Run(RecordBuilder(kOpOutputOnly).queryStructuredField().writeToDisplay()
            .text("SHOULD NOT SHOW").record());
    EXPECT_EQ(Text(1, 1, 6), "      ");
    ASSERT_EQ(sender.sent.size(), 1u) << "the query is answered";
    EXPECT_EQ(sender.sent[0].size(), 73u);

    sender.sent.clear();
    Run(RecordBuilder(kOpOutputOnly).command(kCmdWriteStructuredField)
            .raw({0x00, 0x06, 0xD9, 0x70, 0x00, 0x00}).record());
    EXPECT_TRUE(sender.sent.empty()) << "only the five-byte query is answered";
}

TEST_F(InterpreterTest, InviteUnlocksAndMessageLightToggles) {
    terminal.state.inputInhibited = 1;
    Run(RecordBuilder(kOpInvite).record());
    EXPECT_EQ(terminal.state.inputInhibited, 0);
    Run(RecordBuilder(kOpMessageLightOn).record());
    EXPECT_EQ(terminal.state.messageWaiting, 1);
    EXPECT_TRUE(Damage().indicator(Indicator::kMessage));
    Run(RecordBuilder(kOpMessageLightOff).record());
    EXPECT_EQ(terminal.state.messageWaiting, 0);
    EXPECT_TRUE(Damage().indicator(Indicator::kMessage));
    Run(RecordBuilder(kOpMessageLightOff).record());
    EXPECT_FALSE(Damage().indicator(Indicator::kMessage)) << "no change, nothing to repaint";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(InterpreterTest, ClearUnitAlternateGrowsASmallArrayAndSetsTheErrorRow) {
    Terminal small;
    small.screen.AllocateCells(80, 24);
    small.screen.SetGeometry(80, 24);
    InterpreterLinks l{small, tables, settings, sender, messages};
    CTN5250 interp(l);
    const Bytes block = Concat({RecordBuilder().clearUnitAlternate().writeErrorCode()
                                    .text("ERROR TEXT").record()});
    ::quenlix::ProcessWire(interp, block);
    EXPECT_EQ(small.rows(), 27);
    EXPECT_EQ(small.columns(), 132);
    EXPECT_GE(small.screen.allocated(), 3564);
    EXPECT_EQ(small.screen.at(0).ebcdic, 0x20);
    EXPECT_EQ(interp.errorRow(), 24);
    const int row24 = 23 * 132;
    EXPECT_EQ(small.screen.at(row24).character, 'E');
    EXPECT_EQ(small.state.errorLineWritten, 0x21);
    const ScreenDamage damage = small.TakeDamage();
    EXPECT_TRUE(damage.geometry()) << "the view fits its cells to the new size";
    EXPECT_TRUE(damage.all());
}

TEST_F(InterpreterTest, WriteErrorCodeCursorRules) {
    // Fields: a bypass field first, then an input field at 5,10.
    Run(RecordBuilder().clearUnit().writeToDisplay().startOfHeader(0, 22)
            .sba(4, 2).startOfField(0x60, 0x00, 0x20, 5)
            .sba(5, 10).startOfField(0x40, 0x00, 0x24, 5).record());
    EXPECT_EQ(CursorRow(), 5);
    EXPECT_EQ(CursorColumn(), 11);

    Run(RecordBuilder().writeErrorCode().insertCursor(7, 8).text("BAD").record());
    EXPECT_EQ(Text(22, 1, 3), "BAD");
    EXPECT_EQ(CursorRow(), 7);
    EXPECT_EQ(CursorColumn(), 8);

    Run(RecordBuilder().writeErrorCode().text("AGAIN").record());
    EXPECT_EQ(Text(22, 1, 5), "AGAIN");
    EXPECT_EQ(CursorRow(), 5) << "no Insert Cursor: first non-bypass field";
    EXPECT_EQ(CursorColumn(), 11);
}

TEST_F(InterpreterTest, CursorPlacementWithoutInsertCursor) {
    terminal.SetCursorCell(9, 9);
    Run(RecordBuilder().clearUnit().writeToDisplay().text("NO FIELDS").record());
    EXPECT_EQ(terminal.CursorPosition(), 0);

    terminal.SetCursorCell(9, 9);
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(3, 3).startOfField(0x60, 0, 0x20, 4)
            .record());
    EXPECT_EQ(CursorRow(), 10) << "only bypass fields: the cursor stays";
    EXPECT_EQ(CursorColumn(), 10);

    // An input field redefined as bypass: noInputField stays 0 but no entry
    // takes input; the search tries each entry once and ends.
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(3, 3).startOfField(0x40, 0, 0x20, 4)
            .sba(3, 3).startOfField(0x60, 0, 0x20, 4).record());
    EXPECT_EQ(terminal.formatTable.noInputField, 0);
    EXPECT_EQ(terminal.formatTable.currentField, 0);

    // A field whose attribute is in the last column: its data starts on the next row.
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(6, 80).startOfField(0x40, 0, 0x20, 4)
            .record());
    EXPECT_EQ(CursorRow(), 7);
    EXPECT_EQ(CursorColumn(), 1);
}

TEST_F(InterpreterTest, RollMovesRowsAndRefusesBadParameters) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(3, 1).text("ROW3").sba(4, 1)
            .text("ROW4").sba(5, 1).text("ROW5").record());
    Damage();

    for (auto [top, bottom] : {std::pair{0, 5}, {3, 25}, {5, 5}, {6, 4}, {1, 200}}) {
        SCOPED_TRACE(::testing::Message() << top << "," << bottom);
        sender.sent.clear();
        Run(RecordBuilder().roll(0x01, static_cast<std::uint8_t>(top),
                                 static_cast<std::uint8_t>(bottom)).record());
        ASSERT_EQ(sender.sent.size(), 1u);
        EXPECT_EQ(sender.sent[0], NegativeResponse(kSenseInvalidRoll));
        EXPECT_EQ(Text(3, 1, 4), "ROW3");
    }

    sender.sent.clear();
    Run(RecordBuilder().roll(0x01, 4, 5).record());  // up one line
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(Text(3, 1, 4), "ROW4");
    EXPECT_EQ(Text(4, 1, 4), "ROW5");
    EXPECT_EQ(Text(5, 1, 4), "ROW5") << "the row left behind keeps its contents";
    const ScreenDamage rolled = Damage();
    EXPECT_FALSE(rolled.row(2).empty()) << "the rows the roll wrote are damaged";
    EXPECT_FALSE(rolled.row(3).empty());
    EXPECT_TRUE(rolled.row(0).empty() && rolled.row(10).empty()) << "and only they";

    Run(RecordBuilder().roll(0x82, 3, 4).record());  // down two lines
    EXPECT_EQ(Text(5, 1, 4), "ROW4");
    EXPECT_EQ(Text(6, 1, 4), "ROW5");

    // The bottom row may be the last row of the screen.
    sender.sent.clear();
    Run(RecordBuilder().writeToDisplay().sba(24, 1).text("LAST").record());
    Run(RecordBuilder().roll(0x01, 20, 24).record());
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(Text(23, 1, 4), "LAST");
}

TEST_F(InterpreterTest, RollFarOutsideTheScreenMovesOnlyWhatLandsOnIt) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(1, 1).text("R01").sba(2, 1).text("R02")
            .sba(4, 1).text("R04").sba(21, 1).text("R21").sba(23, 1).text("R23").sba(24, 1)
            .text("R24").record());
    const auto before = Snapshot();
    Run(RecordBuilder().roll(0x9F, 1, 24).record());  // 31 rows down: every target is off
    Run(RecordBuilder().roll(0x1F, 2, 23).record());   // 31 rows up: every target is off
    EXPECT_TRUE(ChangedPositions(before).empty());
    EXPECT_TRUE(sender.sent.empty());

    // 20 rows up from rows 2..23: only rows 21..23 land, on rows 1..3.
    Run(RecordBuilder().roll(0x14, 2, 23).record());
    EXPECT_EQ(Text(1, 1, 3), "R21");
    EXPECT_EQ(Text(2, 1, 3), "   ");
    EXPECT_EQ(Text(3, 1, 3), "R23");
    EXPECT_EQ(Text(4, 1, 3), "R04") << "its target lies above the screen";
    EXPECT_EQ(Text(21, 1, 3), "R21") << "left behind";
    EXPECT_EQ(Text(24, 1, 3), "R24") << "below the area";

    // 20 rows down from rows 1..24: rows 1..4 land on 21..24, the rest of
    // the area has no target on the screen.
    Run(RecordBuilder().roll(0x94, 1, 24).record());
    EXPECT_EQ(Text(21, 1, 3), "R21");
    EXPECT_EQ(Text(22, 1, 3), "   ");
    EXPECT_EQ(Text(23, 1, 3), "R23");
    EXPECT_EQ(Text(24, 1, 3), "R04");
    EXPECT_EQ(Text(1, 1, 3), "R21") << "left behind";
    EXPECT_EQ(Text(4, 1, 3), "R04");
    EXPECT_EQ(Cell(24, 1).ebcdic, 0xD9) << "the EBCDIC byte moves with the character";

    // 2 rows up from rows 20..24: rows 20..24 land on 18..22; rows 23 and
    // 24 are left behind and keep their contents.
    Run(RecordBuilder().roll(0x02, 20, 24).record());
    EXPECT_EQ(Text(19, 1, 3), "R21");
    EXPECT_EQ(Text(20, 1, 3), "   ");
    EXPECT_EQ(Text(21, 1, 3), "R23");
    EXPECT_EQ(Text(22, 1, 3), "R04");
    EXPECT_EQ(Text(23, 1, 3), "R23");
    EXPECT_EQ(Text(24, 1, 3), "R04");
    EXPECT_EQ(terminal.cellCount(), 1920);
    EXPECT_TRUE(sender.sent.empty());
}

TEST_F(InterpreterTest, InvalidRollIsAnsweredAndTheRecordGoesOn) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(3, 1).text("ROW3").sba(4, 1)
            .text("ROW4").record());
    Run(RecordBuilder().roll(0x01, 0, 5).roll(0x01, 3, 4).writeToDisplay().sba(10, 1).text("GO")
            .insertCursor(12, 7).record());
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], NegativeResponse(kSenseInvalidRoll));
    EXPECT_EQ(Text(3, 1, 4), "ROW4") << "the valid Roll after it was done";
    EXPECT_EQ(Text(10, 1, 2), "GO");
    EXPECT_EQ(CursorRow(), 12);
    EXPECT_EQ(CursorColumn(), 7);
}

TEST_F(InterpreterTest, RestoreScreenCommandDropsTheTableAndKeepsTheCells) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(5, 10).startOfField(0x48, 0, 0x24, 4)
            .text("ABCD").insertCursor(3, 3).record());
    const auto before = Snapshot();
    Damage();
    // The byte after the command is awaited as an escape: reported and
    // skipped, neither a command nor display data.
    for (std::uint8_t opcode : {kOpPutGet, kOpRestoreScreen}) {
        SCOPED_TRACE(static_cast<int>(opcode));
        Run(RecordBuilder(opcode).restoreScreen().raw({kCmdClearUnit}).record());
        EXPECT_EQ(terminal.formatTable.fieldCount(), 0);
        EXPECT_EQ(terminal.formatTable.noInputField, 1);
        EXPECT_TRUE(ChangedPositions(before).empty()) << "field marks and contents stay";
        EXPECT_EQ(Cell(5, 11).inField, 1);
        EXPECT_EQ(Cell(5, 11).fieldIndex, 0);
        EXPECT_TRUE(Damage().empty()) << "nothing to repaint, the cursor not touched";
        EXPECT_EQ(CursorRow(), 3);
        EXPECT_EQ(CursorColumn(), 3);
    }
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(InterpreterTest, ReadOperationCodesWithoutTheirCommandStopTheRecord) {
    struct Row {
        const char* what;
        std::uint8_t opcode;
        Bytes data;
        std::uint8_t pendingRead;  // 0: not answered
    };
    const Row rows[] = {
        {"Read Immediate, no escape", kOpReadImmediate, {kCmdClearUnit}, 0},
        {"Read Immediate, another command", kOpReadImmediate, {kEscape, kCmdClearUnit}, 0},
        {"Read Immediate, Read Screen's command", kOpReadImmediate, {kEscape, kCmdReadScreen},
         0},
        {"Read Screen, no escape", kOpReadScreen, {kCmdWriteToDisplay, 0, 0}, 0},
        {"Read Screen, Read Immediate's command", kOpReadScreen, {kEscape, kCmdReadImmediate},
         0},
        {"Read Immediate", kOpReadImmediate, {kEscape, kCmdReadImmediate}, kCmdReadImmediate},
        {"Read Screen", kOpReadScreen, {kEscape, kCmdReadScreen}, kCmdReadScreen},
        {"Read Screen with Extended Attributes", kOpReadScreen, {kEscape, kCmdReadScreenExtended},
         kCmdReadScreen},
        {"Read Screen to Print", kOpReadScreen, {kEscape, kCmdReadScreenToPrint}, kCmdReadScreen},
        {"Read Screen to Print with Extended Attributes", kOpReadScreen,
         {kEscape, kCmdReadScreenToPrintExtended}, kCmdReadScreen},
        {"Read Immediate, Read Screen to Print's command", kOpReadImmediate,
         {kEscape, kCmdReadScreenToPrint}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        terminal.SetCursorCell(0, 0);
        terminal.state.pendingRead = kNoPendingRead;
        sender.sent.clear();
        // A screen and a cursor address first, then the read record.
        Run(RecordBuilder().clearUnit().writeToDisplay().sba(5, 5).text("SHOWN")
                .insertCursor(10, 10).record());
        Run(FrameRecord(row.opcode, row.data));
        EXPECT_EQ(Text(5, 5, 5), "SHOWN") << "what came before stays";
        EXPECT_EQ(terminal.state.pendingRead, row.pendingRead);
        EXPECT_EQ(sender.sent.size(), row.pendingRead != 0 ? 1u : 0u);
        EXPECT_EQ(CursorRow(), 10) << "the read record does not move the cursor";
        EXPECT_EQ(CursorColumn(), 10);
    }
    EXPECT_TRUE(messages.shown.empty());
}

// Each record comes alone: a broken header is refused with the same text
// whatever record came before and whatever state it ended in.
TEST_F(InterpreterTest, ABrokenHeaderIsRefusedWhateverCameBefore) {
    Bytes broken = RecordBuilder().writeToDisplay().sba(20, 1).text("NOT SHOWN").record();
    broken[4] = 0x01;
    struct Row {
        const char* what;
        Bytes first;
    };
    const Row rows[] = {
        {"awaiting a command after Clear Unit", RecordBuilder().clearUnit().record()},
        {"awaiting a command after Read MDT Fields", RecordBuilder().readMdtFields().record()},
        {"state 0xFF after Cancel Invite", RecordBuilder(kOpCancelInvite).record()},
        {"state 0xFF after the message light", RecordBuilder(kOpMessageLightOn).record()},
        {"display data", RecordBuilder().writeToDisplay().text("A").record()},
        {"Command after Roll", RecordBuilder().roll(0x01, 2, 3).record()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        messages.shown.clear();
        Run(Concat({row.first, broken}));
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0], "Bad format (not a GDS)");
        EXPECT_EQ(Text(20, 1, 9), "         ");
    }
}

TEST_F(InterpreterTest, ReadCommandsAloneNeitherRepaintNorSend) {
    Run(RecordBuilder().clearUnit().writeToDisplay().record());
    Damage();
    Run(RecordBuilder().readInputFields().record());
    EXPECT_EQ(terminal.state.pendingRead, kReadInputFields);
    Run(RecordBuilder().readMdtFields(0x00, 0x04).record());
    EXPECT_EQ(terminal.state.pendingRead, kReadMdtFields);
    EXPECT_TRUE(Damage().empty()) << "nothing on the screen changed";
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(messages.alarms, 1);
}

TEST_F(InterpreterTest, ClearFormatTableResetsReadState) {
    Run(RecordBuilder().clearUnit().writeToDisplay().startOfHeader(2, 20)
            .sba(2, 2).startOfField(0x40, 0, 0x20, 5).readMdtFields().record());
    terminal.state.operatorModified = 1;
    terminal.state.insertMode = 1;
    Run(RecordBuilder().clearFormatTable().record());
    EXPECT_EQ(terminal.formatTable.fieldCount(), 0);
    EXPECT_EQ(terminal.state.pendingRead, 0);
    EXPECT_EQ(terminal.state.operatorModified, 0);
    EXPECT_EQ(terminal.state.insertMode, 0);
    EXPECT_EQ(interpreter.errorRow(), 24);
    EXPECT_EQ(interpreter.resequenceField(), 0);
    EXPECT_EQ(Cell(2, 3).inField, 0);
}

TEST_F(InterpreterTest, StrayBytesAreConsumedAndNeverStall) {
    // Lone 0xFF in AwaitCommand and Command, a bad byte after Save Screen's
    // escape, and an unknown operation code: every block ends.
    const Bytes blocks[] = {
        FrameRecord(kOpPutGet, {0xFF, 0x01, 0x04, 0xFF, 0x01, 0x02}),
        FrameRecord(kOpSaveScreen, {0x04, 0x05, 0x06, 0x07}),
        FrameRecord(0x42, {0x01, 0x02}),
        FrameRecord(kOpReadImmediate, {0x05}),
        FrameRecord(kOpReadScreen, {0x04, 0x04, 0x62}),
    };
    for (const Bytes& b : blocks) {
        SCOPED_TRACE(Hex(b));
        Run(b);
    }
    EXPECT_EQ(sender.sent.size(), 1u) << "only the Read Screen answer";
}

TEST_F(InterpreterTest, BlockLongerThanThePrivateBufferIsReadWhole) {
    RecordBuilder r;
    r.writeToDisplay();
    for (int i = 0; i < 40000 / 4; ++i) r.sba(1, 1).text("Z");
    r.sba(24, 80).text("E");
    const Bytes block = r.record();
    ASSERT_GT(block.size(), 32768u) << "longer than the endpoint's usual record";
    Run(block);
    EXPECT_EQ(Text(24, 80, 1), "E");
    EXPECT_EQ(Text(1, 1, 1), "Z");
}

TEST_F(InterpreterTest, AnswerThatCannotBeSentLeavesTheInterpreterReusable) {
    // The endpoint's send throws when the socket fails; the exception leaves
    // the record, and the next records are read as before.
    struct FailingSender : RecordSender {
        void Send(const std::uint8_t*, std::size_t) override { throw std::runtime_error("gone"); }
    } failing;
    InterpreterLinks failingLinks{terminal, tables, settings, failing, messages};
    CTN5250 broken(failingLinks);
    const Bytes cancel = RecordBuilder(kOpCancelInvite).record();
    for (int i = 0; i < 100; ++i) {
        EXPECT_THROW(::quenlix::ProcessWire(broken, cancel), std::runtime_error);
    }
    const Bytes screen = RecordBuilder().clearUnit().writeToDisplay().sba(5, 5).text("OK").record();
    ::quenlix::ProcessWire(broken, screen);
    EXPECT_EQ(Text(5, 5, 2), "OK");
}

TEST_F(InterpreterTest, TheTraceHoldsTheLastReportAndTheRecord) {
    const Bytes block = FrameRecord(kOpPutGet, {0x04, 0x99, 0x1D, 0x04});
    Run(block);
    // Unknown command 0x99 at index 11 (1-based 12), then 0x1D at 12 (13):
    // the last report is for the second unknown command, 0x1D.
    EXPECT_EQ(interpreter.outcome().trace,
              "Default position 304 : 13  val : 153  29  4\n"
              "nb byte  : 14\n"
              "000E  12A0  0000  0400  0003  0499  \n\n1D04  ");
}

}  // namespace
}  // namespace quenlix::testing
