// Write To Display orders, display data, field definitions and the write
// control character.
#include "InterpreterFixture.h"

namespace quenlix::testing {
namespace {

using namespace ds;

TEST_F(InterpreterTest, AttributeThenTextWritesABlankAndTheTranslatedText) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(1, 1).attribute(0x22).text("Sign On")
            .record());
    EXPECT_EQ(Cell(1, 1).ebcdic, 0x22);
    EXPECT_EQ(Cell(1, 1).character, ' ');
    EXPECT_EQ(Text(1, 2, 7), "Sign On");
    EXPECT_EQ(Cell(1, 2).ebcdic, 0xE2);
    EXPECT_EQ(Cell(1, 2).foreground, kColorWhite) << "restyled at the end of the block";
}

TEST_F(InterpreterTest, StartOfFieldDefinesAndMarksTheField) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(5, 10)
            .startOfField(0x40 | 0x08 | 0x03, 0x20 | 0x08 | 0x06, 0x24, 10).record());
    ASSERT_EQ(terminal.formatTable.fieldCount(), 1);
    const FieldEntry& e = *terminal.formatTable.entry(0);
    EXPECT_EQ(e.row, 5);
    EXPECT_EQ(e.column, 10);
    EXPECT_EQ(e.length, 10);
    EXPECT_EQ(e.attribute, 0x24);
    EXPECT_EQ(e.mdt, 1);
    EXPECT_EQ(e.shiftEdit, 3);
    EXPECT_EQ(e.monocase, 1);
    EXPECT_EQ(e.mandatoryEnter, 1);
    EXPECT_EQ(e.fillType, 6);
    EXPECT_EQ(e.bypass, 0);
    EXPECT_EQ(terminal.formatTable.noInputField, 0);
    EXPECT_EQ(Cell(5, 10).ebcdic, 0x24);
    for (int c = 11; c <= 20; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(Cell(5, c).inField, 1);
        EXPECT_EQ(Cell(5, c).fieldIndex, 0);
        EXPECT_EQ(Cell(5, c).fieldOffset, c - 11);
        EXPECT_EQ(Cell(5, c).fieldLength, 10);
    }
    EXPECT_EQ(Cell(5, 21).ebcdic, 0x20);
    EXPECT_EQ(Cell(5, 21).inField, 0);
}

TEST_F(InterpreterTest, SecondStartOfFieldAtTheSameAddressRedefines) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(3, 3).startOfField(0x40, 0x20, 0x20, 5)
            .sba(3, 3).startOfOutputField(0x22, 5).record());
    ASSERT_EQ(terminal.formatTable.fieldCount(), 1);
    const FieldEntry& e = *terminal.formatTable.entry(0);
    EXPECT_EQ(e.monocase, 1) << "no format word: the earlier flags stay";
    EXPECT_EQ(e.attribute, 0x22);

    // A new field without a format word is an output field: no typing into it.
    Run(RecordBuilder().writeToDisplay().sba(8, 3).startOfOutputField(0x20, 5).record());
    EXPECT_EQ(terminal.formatTable.entry(1)->bypass, 1);
}

TEST_F(InterpreterTest, AttributeWrittenBeforeAFieldBecomesItsAttribute) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(2, 5).startOfField(0x40, 0, 0x20, 6)
            .sba(2, 5).attribute(0x27).record());
    EXPECT_EQ(terminal.formatTable.entry(0)->attribute, 0x27);
}

TEST_F(InterpreterTest, DisplayDataWrapsAndIsBoundedByTheScreen) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(1, 79).text("ABCD").record());
    EXPECT_EQ(Text(1, 79, 2), "AB");
    EXPECT_EQ(Text(2, 1, 2), "CD");

    Run(RecordBuilder().writeToDisplay().sba(24, 79).text("XYZ").record());
    EXPECT_EQ(Text(24, 79, 2), "XY");
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], NegativeResponse(kSenseWriteBeyondScreen));

    // Row 0 or column 0 address before the first position: refused the same way.
    sender.sent.clear();
    Run(RecordBuilder().writeToDisplay().sba(0, 0).text("Q").record());
    EXPECT_EQ(sender.sent.at(0), NegativeResponse(kSenseWriteBeyondScreen));
}

TEST_F(InterpreterTest, RepeatToAddress) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(2, 1).text("OLD TEXT").sba(2, 1)
            .repeatToAddress(2, 4, 0x00).text("X").record());
    EXPECT_EQ(Text(2, 1, 6), "    XE");
    EXPECT_EQ(Cell(2, 1).ebcdic, kEbcdicNull) << "a null fill stays nulls, shown blank";

    Run(RecordBuilder().writeToDisplay().sba(3, 10).repeatToAddress(3, 2, 0xC1).text("Y")
            .record());
    EXPECT_EQ(Text(3, 1, 10), "  Y       ") << "a target before the address writes nothing";

    Run(RecordBuilder().writeToDisplay().sba(4, 1).repeatToAddress(4, 80, 0x60).text("N")
            .record());
    EXPECT_EQ(Row(4), std::string(80, '-'));
    EXPECT_EQ(Text(5, 1, 1), "N") << "the address wraps after the last column";

    // A target off the screen is refused before anything is written, also
    // when it is off by the whole screen.
    sender.sent.clear();
    Run(RecordBuilder().writeToDisplay().sba(24, 70).repeatToAddress(25, 5, 0xC1).record());
    EXPECT_EQ(sender.sent.at(0), NegativeResponse(kSenseWriteBeyondScreen));
    EXPECT_EQ(Text(24, 70, 11), std::string(11, ' '));
    sender.sent.clear();
    const std::vector<ScreenCell> before = Snapshot();
    Run(RecordBuilder().writeToDisplay().sba(1, 1).repeatToAddress(255, 255, 0xFF).record());
    EXPECT_EQ(sender.sent.at(0), NegativeResponse(kSenseWriteBeyondScreen));
    EXPECT_TRUE(ChangedPositions(before).empty()) << "the screen is not filled with 0xFF first";
}

// A data byte 0xFF (doubled on the wire) is stored and shown blank, alone
// and inside a run of text; an IAC before another byte is the telnet
// layer's command, never data (CommunicationRecords has it).
TEST_F(InterpreterTest, DataByteFFIsStoredAndShownBlank) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(1, 1).raw({0xFF}).text("A").record());
    EXPECT_EQ(Cell(1, 1).ebcdic, 0xFF);
    EXPECT_EQ(Cell(1, 1).character, ' ');
    EXPECT_EQ(Text(1, 2, 1), "A");

    Run(RecordBuilder().writeToDisplay().sba(2, 1).text("AB").raw({0xFF, 0xFF}).text("C")
            .record());
    EXPECT_EQ(Text(2, 1, 5), "AB  C");
    EXPECT_EQ(Cell(2, 3).ebcdic, 0xFF);
    EXPECT_EQ(Cell(2, 4).ebcdic, 0xFF);
}

TEST_F(InterpreterTest, StartOfHeaderReadsItsValuesAndClearsFields) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(2, 2).startOfField(0x40, 0, 0x20, 3)
            .startOfHeader(3, 40).record());
    EXPECT_EQ(interpreter.resequenceField(), 3);
    EXPECT_EQ(interpreter.errorRow(), 24) << "held to 24 on a 24-row screen";
    EXPECT_EQ(terminal.formatTable.fieldCount(), 0);
    EXPECT_EQ(Cell(2, 3).inField, 0);

    // A doubled 0xFF in the reserved byte shifts the values one byte on.
    Run(FrameRecord(kOpPutGet, {0x04, 0x11, 0x00, 0x00, 0x01, 0x07, 0x00, 0xFF, 0x05, 0x14,
                                0x00, 0x00, 0x00, 0x11, 0x03, 0x01, 0xC2}));
    EXPECT_EQ(interpreter.resequenceField(), 5);
    EXPECT_EQ(interpreter.errorRow(), 20);
    EXPECT_EQ(Text(3, 1, 1), "B");
}

TEST_F(InterpreterTest, FieldBoundsAndTheFullTable) {
    // A field that ends on the last position: no end mark beyond the screen.
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(24, 75).startOfField(0x40, 0, 0x20, 5)
            .record());
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(Cell(24, 80).inField, 1);

    Run(RecordBuilder().writeToDisplay().sba(24, 75).startOfField(0x40, 0, 0x20, 6).record());
    EXPECT_EQ(sender.sent.at(0), NegativeResponse(kSenseFieldBeyondScreen));

    // 256 fields fill the table; the 257th is read but defines nothing.
    RecordBuilder r;
    r.clearUnit().writeToDisplay();
    for (int i = 0; i < 257; ++i) r.sba(1 + i / 16, 1 + (i % 16) * 5).startOfField(0x40, 0, 0x20, 3);
    r.sba(20, 1).text("DONE");
    Run(r.record());
    EXPECT_EQ(terminal.formatTable.fieldCount(), 256);
    EXPECT_EQ(Text(20, 1, 4), "DONE");
    EXPECT_EQ(Cell(17, 2).inField, 0) << "the 257th field marks no cells";
}

TEST_F(InterpreterTest, FieldsRecordedPastTheScreenAreBlankedOnlyOnIt) {
    // A field that runs past the screen is refused but stays in the table
    // with its full length; the reset of the write control character blanks
    // it up to the last cell and touches nothing beyond.
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(24, 50).text("KEEP").sba(24, 70)
            .text("TAIL").sba(24, 60).startOfField(0x40, 0, 0x20, 0x7FFE).record());
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], NegativeResponse(kSenseFieldBeyondScreen));
    ASSERT_EQ(terminal.formatTable.fieldCount(), 1);
    EXPECT_EQ(terminal.formatTable.entry(0)->length, 0x7FFE);

    for (int i = 0; i < 50; ++i) Run(RecordBuilder().writeToDisplay(0xE0, 0).record());
    EXPECT_EQ(Text(24, 70, 4), "    ");
    EXPECT_EQ(Cell(24, 70).ebcdic, kEbcdicNull) << "nulled: a read sends what shows";
    EXPECT_EQ(Text(24, 50, 4), "KEEP") << "nothing before the field";
}

TEST_F(InterpreterTest, ResequencingControlWordIsShownAndRecorded) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(4, 4)
            .startOfFieldResequenced(0x40, 0, 2, 0x20, 4).record());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], "Resequencing FCW found");
    EXPECT_EQ(terminal.formatTable.entry(0)->fcw1, 0x80);
    EXPECT_EQ(terminal.formatTable.entry(0)->fcw2, 2);
}

/// A Start of Field with a format word and the given field control words
/// (pairs of bytes), for control words the builder has no helper for.
Bytes FieldWithControlWords(std::uint8_t ffw1, const Bytes& controlWords, std::uint8_t attribute,
                            std::uint8_t length) {
    return Concat({{kOrderStartOfField, ffw1, 0x00}, controlWords, {attribute, 0x00, length}});
}

TEST_F(InterpreterTest, FieldControlWordsAreSkippedAndOnlyResequencingIsRecorded) {
    struct Row {
        const char* what;
        Bytes words;
        std::size_t messagesShown;
        int fcw1;
        int fcw2;
    };
    const Row rows[] = {
        {"one other word", {0x81, 0x05}, 0, 0, 0},
        {"several other words", {0x81, 0x85, 0x88, 0x00, 0xC1, 0x22}, 0, 0, 0},
        {"resequencing among others", {0x81, 0x05, 0x80, 0x03, 0x88, 0x00}, 1, 0x80, 0x03},
        {"two resequencing words: the last one counts", {0x80, 0x03, 0x80, 0x07}, 2, 0x80, 0x07},
        // 0xFF travels doubled; its copy is no further control word.
        {"the next field is number 255", {0x80, 0xFF, 0x81, 0x05}, 1, 0x80, 0xFF},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        messages.shown.clear();
        Run(RecordBuilder().clearUnit().writeToDisplay().sba(6, 10)
                .raw(FieldWithControlWords(0x40, row.words, 0x24, 6)).text("ABC").record());
        ASSERT_EQ(terminal.formatTable.fieldCount(), 1);
        const FieldEntry& e = *terminal.formatTable.entry(0);
        EXPECT_EQ(e.row, 6);
        EXPECT_EQ(e.column, 10);
        EXPECT_EQ(e.attribute, 0x24);
        EXPECT_EQ(e.length, 6);
        EXPECT_EQ(e.fcw1, row.fcw1);
        EXPECT_EQ(e.fcw2, row.fcw2);
        EXPECT_EQ(Cell(6, 10).ebcdic, 0x24);
        EXPECT_EQ(Text(6, 11, 3), "ABC") << "the data follows the length bytes";
        EXPECT_EQ(Cell(6, 16).fieldOffset, 5);
        EXPECT_EQ(Cell(6, 17).ebcdic, 0x20);
        ASSERT_EQ(messages.shown.size(), row.messagesShown);
        for (const std::string& text : messages.shown) EXPECT_EQ(text, "Resequencing FCW found");
        EXPECT_TRUE(sender.sent.empty());
    }
    // A second format byte of 0xFF, doubled on the wire, is read once too.
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(3, 3).startOfField(0x40, 0xFF, 0x24, 5)
            .text("X").record());
    ASSERT_EQ(terminal.formatTable.fieldCount(), 1);
    EXPECT_EQ(terminal.formatTable.entry(0)->ffw2, 0xFF);
    EXPECT_EQ(terminal.formatTable.entry(0)->attribute, 0x24);
    EXPECT_EQ(terminal.formatTable.entry(0)->length, 5);
    EXPECT_EQ(Text(3, 4, 1), "X");
}

TEST_F(InterpreterTest, DoubledLowLengthByteOfAFieldIsReadOnce) {
    // The field ends its record, so a second copy of 0xFF left unread would
    // join the closing IAC EOR as a data byte and swallow the record's end.
    for (int length : {0xFF, 0x1FF}) {
        SCOPED_TRACE(length);
        Run(Concat({RecordBuilder().clearUnit().writeToDisplay().sba(2, 1)
                        .startOfField(0x40, 0, 0x20, length).record(),
                    RecordBuilder().writeToDisplay().sba(20, 1).text("NEXT").record()}));
        ASSERT_EQ(terminal.formatTable.fieldCount(), 1);
        EXPECT_EQ(terminal.formatTable.entry(0)->length, length);
        const int first = 80 + 1;
        EXPECT_EQ(terminal.screen.at(first).ebcdic, kEbcdicBlank) << "no stray 0xFF data";
        EXPECT_EQ(terminal.screen.at(first + length - 1).inField, 1);
        EXPECT_EQ(terminal.screen.at(first + length - 1).fieldOffset, length - 1);
        EXPECT_EQ(terminal.screen.at(first + length - 1).fieldLength, length);
        EXPECT_EQ(terminal.screen.at(first + length).ebcdic, 0x20);
        EXPECT_EQ(terminal.screen.at(first + length).inField, 0);
        EXPECT_EQ(Text(20, 1, 4), "NEXT") << "the next record is read";
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_TRUE(sender.sent.empty());
    }
}

TEST_F(InterpreterTest, FieldPastTheLastPositionIsKeptUpToIt) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(2, 2).startOfField(0x40, 0, 0x20, 3)
            .sba(24, 75).startOfField(0x48, 0, 0x24, 8).text("LOST").insertCursor(5, 5)
            .record());
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], NegativeResponse(kSenseFieldBeyondScreen));
    ASSERT_EQ(terminal.formatTable.fieldCount(), 2) << "the entry was appended";
    const FieldEntry& e = *terminal.formatTable.entry(1);
    EXPECT_EQ(e.row, 24);
    EXPECT_EQ(e.column, 75);
    EXPECT_EQ(e.length, 8);
    EXPECT_EQ(e.attribute, 0x24);
    EXPECT_EQ(e.mdt, 1);
    EXPECT_EQ(terminal.formatTable.currentField, 1);
    EXPECT_EQ(Cell(24, 75).ebcdic, 0x24);
    for (int c = 76; c <= 80; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(Cell(24, c).inField, 1);
        EXPECT_EQ(Cell(24, c).fieldIndex, 1);
        EXPECT_EQ(Cell(24, c).fieldOffset, c - 76);
        EXPECT_EQ(Cell(24, c).fieldLength, 8);
    }
    EXPECT_EQ(Text(24, 76, 4), "    ") << "the block stopped before the data";
    EXPECT_EQ(terminal.CursorPosition(), 0) << "no cursor placement";
}

TEST_F(InterpreterTest, StartOfHeaderShiftsPastEachDoubledKeySwitch) {
    // The header's bytes before the telnet doubling: order, length, flag,
    // reserved, first field, error row, three command key switches.
    struct Row {
        const char* what;
        Bytes header;
    };
    const Row rows[] = {
        {"no 0xFF", {kOrderStartOfHeader, 7, 0, 0x00, 2, 16, 0x00, 0x00, 0x00}},
        {"switch at 6", {kOrderStartOfHeader, 7, 0, 0x00, 2, 16, 0xFF, 0x00, 0x00}},
        {"switch at 7", {kOrderStartOfHeader, 7, 0, 0x00, 2, 16, 0x00, 0xFF, 0x00}},
        {"switch at 8", {kOrderStartOfHeader, 7, 0, 0x00, 2, 16, 0x00, 0x00, 0xFF}},
        {"switches at 6 and 7", {kOrderStartOfHeader, 7, 0, 0x00, 2, 16, 0xFF, 0xFF, 0x00}},
        {"all three", {kOrderStartOfHeader, 7, 0, 0x00, 2, 16, 0xFF, 0xFF, 0xFF}},
        {"reserved and all three", {kOrderStartOfHeader, 7, 0, 0xFF, 2, 16, 0xFF, 0xFF, 0xFF}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // The header ends its record: a shift too few leaves a copy of 0xFF
        // that pairs with the closing IAC as data; one too many eats the IAC.
        Run(Concat({RecordBuilder().clearUnit().writeToDisplay().sba(2, 1).raw(row.header)
                        .record(),
                    RecordBuilder().writeToDisplay().sba(3, 1).text("NEXT").record()}));
        EXPECT_EQ(interpreter.resequenceField(), 2);
        EXPECT_EQ(interpreter.errorRow(), 16);
        EXPECT_EQ(Cell(2, 1).ebcdic, kEbcdicBlank) << "no header byte became data";
        EXPECT_EQ(Cell(2, 2).ebcdic, kEbcdicBlank);
        EXPECT_EQ(Text(3, 1, 4), "NEXT");
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_TRUE(sender.sent.empty());
    }
}

// Each reset pattern of CC1 on a screen with a field the operator typed
// into (MDT on), a field holding host data (MDT off) and a bypass field
// with its MDT on: which tags go, which fields are nulled (EBCDIC 0x00 and a
// blank on the screen, together), the operator's flag, and the keyboard,
// which every non-zero pattern locks (an open keyboard before the record).
TEST_F(InterpreterTest, EachResetPatternOfTheFirstControlByteDoesWhatItNames) {
    struct Row {
        std::uint8_t cc1;
        int mdt[3];        // typed, host data, bypass after the reset
        bool nulled[3];    // which fields are nulls now
        int operatorModified;
        int locked;
    };
    const Row rows[] = {
        {0x00, {1, 0, 1}, {false, false, false}, 1, 0},
        {0x1F, {1, 0, 1}, {false, false, false}, 1, 0},  // the low bits mean nothing
        {0x20, {1, 0, 1}, {false, false, false}, 1, 1},  // the pending AID and the lock only
        {0x40, {0, 0, 1}, {false, false, false}, 0, 1},
        {0x60, {0, 0, 0}, {false, false, false}, 0, 1},
        {0x80, {1, 0, 1}, {true, false, false}, 1, 1},
        {0xA0, {0, 0, 1}, {true, true, false}, 0, 1},
        {0xC0, {0, 0, 1}, {true, false, false}, 0, 1},
        {0xE0, {0, 0, 0}, {true, true, false}, 0, 1},
        {0xFF, {0, 0, 0}, {true, true, false}, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.cc1));
        Run(RecordBuilder().clearUnit().writeToDisplay()
                .sba(2, 2).startOfField(0x40, 0, 0x20, 3).text("TYP")
                .sba(3, 2).startOfField(0x40, 0, 0x20, 3).text("HST")
                .sba(4, 2).startOfField(0x68, 0, 0x20, 3).text("BYP").record());
        terminal.formatTable.entry(0)->mdt = 1;  // as typing leaves it
        terminal.state.operatorModified = 1;
        terminal.state.inputInhibited = 0;
        Run(RecordBuilder(kOpOutputOnly).writeToDisplay(row.cc1, 0).record());
        EXPECT_EQ(terminal.state.inputInhibited, row.locked);
        const char* texts[3] = {"TYP", "HST", "BYP"};
        for (int f = 0; f < 3; ++f) {
            SCOPED_TRACE(texts[f]);
            EXPECT_EQ(terminal.formatTable.entry(f)->mdt, row.mdt[f]);
            EXPECT_EQ(Text(2 + f, 3, 3), row.nulled[f] ? "   " : texts[f]);
            const int expected = row.nulled[f] ? kEbcdicNull : BuiltinTablePair().ATOE[static_cast<std::uint8_t>(texts[f][0])];
            EXPECT_EQ(Cell(2 + f, 3).ebcdic, expected) << "the screen and the host's bytes agree";
        }
        EXPECT_EQ(terminal.state.operatorModified, row.operatorModified);
        EXPECT_EQ(Cell(2, 2).ebcdic, 0x20) << "the attribute before a field stays";
    }
}

TEST_F(InterpreterTest, EachBitOfTheSecondControlByte) {
    struct Row {
        std::uint8_t cc2;
        int inhibitedAfter;  // the keyboard was locked before the record
        int blink;           // hostBlink was 1 before
        int alarms;
        int messageWaiting;  // the light was on before
    };
    const Row rows[] = {
        {0x00, 1, 1, 0, 1}, {0x08, 0, 1, 0, 1}, {0x04, 1, 1, 1, 1}, {0x02, 1, 1, 0, 0},
        {0x01, 1, 1, 0, 1}, {0x03, 1, 1, 0, 1}, {0x20, 1, 0, 0, 1}, {0x10, 1, 1, 0, 1},
        {0x30, 1, 1, 0, 1}, {0x18, 0, 1, 0, 1}, {0x1C, 0, 1, 1, 1}, {0xC0, 1, 1, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.cc2));
        terminal.state.inputInhibited = 1;
        terminal.state.hostBlink = 1;
        terminal.state.messageWaiting = 1;
        messages.alarms = 0;
        Run(RecordBuilder(kOpOutputOnly).writeToDisplay(0x00, row.cc2).record());
        EXPECT_EQ(terminal.state.inputInhibited, row.inhibitedAfter);
        EXPECT_EQ(terminal.state.hostBlink, row.blink);
        EXPECT_EQ(messages.alarms, row.alarms);
        EXPECT_EQ(terminal.state.messageWaiting, row.messageWaiting);
    }

    // CC2 never locks: Put/Get unlocked the keyboard, the light bits stay lights.
    terminal.state.inputInhibited = 1;
    terminal.state.messageWaiting = 0;
    Run(RecordBuilder(kOpPutGet).writeToDisplay(0x00, 0x03).record());
    EXPECT_EQ(terminal.state.inputInhibited, 0);
    EXPECT_EQ(terminal.state.messageWaiting, 1) << "on wins when both are set";

    // The unlock comes when the orders are done: orders refused on the way
    // (a write past the screen) leave the keyboard locked.
    terminal.state.inputInhibited = 1;
    Run(RecordBuilder(kOpOutputOnly).writeToDisplay(0x00, 0x08).sba(24, 80).text("XY").record());
    EXPECT_EQ(sender.sent.back(), NegativeResponse(kSenseWriteBeyondScreen));
    EXPECT_EQ(terminal.state.inputInhibited, 1);
    Run(RecordBuilder(kOpOutputOnly).writeToDisplay(0x00, 0x08).sba(1, 1).text("A")
            .writeToDisplay(0x00, 0x00).record());
    EXPECT_EQ(terminal.state.inputInhibited, 0);

    // Once per command, the reads' control character included; a read
    // opens the keyboard at once.
    messages.alarms = 0;
    terminal.state.inputInhibited = 1;
    Run(RecordBuilder(kOpOutputOnly).writeToDisplay(0, 0x04).writeToDisplay(0, 0x04)
            .readMdtFields(0, 0x0C).record());
    EXPECT_EQ(messages.alarms, 3);
    EXPECT_EQ(terminal.state.inputInhibited, 0);
    EXPECT_EQ(terminal.state.pendingRead, kReadMdtFields);
}

// The lock of CC1 against what opens the keyboard: Put/Get opens it
// before the commands, so a screen drawn with a reset pattern stays locked
// unless its CC2 unlocks it or a read follows.
TEST_F(InterpreterTest, TheFirstControlBytesLockHoldsUntilCc2OrARead) {
    struct Row {
        const char* what;
        Bytes record;
        int locked;
    };
    const Row rows[] = {
        {"Put/Get, CC1 20, CC2 00: output only",
         RecordBuilder(kOpPutGet).writeToDisplay(0x20, 0x00).sba(1, 1).text("A").record(), 1},
        {"Put/Get, CC1 40, CC2 08",
         RecordBuilder(kOpPutGet).writeToDisplay(0x40, kCc2UnlockKeyboard).record(), 0},
        {"Put/Get, CC1 20, CC2 00, Read MDT Fields",
         RecordBuilder(kOpPutGet).writeToDisplay(0x20, 0x00).readMdtFields().record(), 0},
        {"Output only, Read Input Fields with CC1 E0",
         RecordBuilder(kOpOutputOnly).readInputFields(0xE0, 0x00).record(), 0},
        {"Put/Get, unlocking WTD, then CC1 20 in a second one",
         RecordBuilder(kOpPutGet)
             .writeToDisplay(0x00, kCc2UnlockKeyboard)
             .writeToDisplay(0x20, 0x00)
             .record(),
         1},
        {"Put/Get, CC1 00, CC2 00: the invitation holds",
         RecordBuilder(kOpPutGet).writeToDisplay(0x00, 0x00).record(), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        terminal.state.inputInhibited = 1;
        Run(row.record);
        EXPECT_EQ(terminal.state.inputInhibited, row.locked);
    }
}

// CC2 0x40: the keyboard unlocks with the cursor where it was; without it,
// the unlock brings the cursor to the Insert Cursor address.
TEST_F(InterpreterTest, CursorStaysWhenTheSecondControlByteSaysSo) {
    auto screen = [](std::uint8_t cc2) {
        return RecordBuilder(kOpOutputOnly)
            .writeToDisplay(0x00, cc2)
            .sba(5, 10)
            .startOfField(0x40, 0, 0x24, 5)
            .insertCursor(5, 11)
            .record();
    };
    terminal.SetCursorCell(9, 19);
    Run(screen(kCc2CursorStays | kCc2UnlockKeyboard));
    EXPECT_EQ(terminal.state.inputInhibited, 0);
    EXPECT_EQ(terminal.CursorRow(), 9);
    EXPECT_EQ(terminal.CursorColumn(), 19);
    EXPECT_EQ(terminal.state.hostFormat.homePosition, 4 * 80 + 10) << "the address is kept";

    Run(screen(kCc2UnlockKeyboard));
    EXPECT_EQ(terminal.CursorRow(), 4);
    EXPECT_EQ(terminal.CursorColumn(), 10);

    // The bit alone, with no unlock, does not hold the cursor back.
    terminal.SetCursorCell(9, 19);
    Run(screen(kCc2CursorStays));
    EXPECT_EQ(terminal.CursorRow(), 4);
    EXPECT_EQ(terminal.CursorColumn(), 10);
}

TEST_F(InterpreterTest, AddressesBeforeTheFirstPositionWriteNothingOffTheScreen) {
    struct Row {
        const char* what;
        Bytes record;
        int sense;  // 0: no answer
        std::vector<int> changed;
    };
    const Row rows[] = {
        {"field at row 1, column 0: data from the first position",
         RecordBuilder().writeToDisplay().sba(1, 0).startOfField(0x40, 0, 0x24, 5).text("HI")
             .record(),
         0, {0, 1, 2, 3, 4, 5}},
        {"field at row 0, column 0", RecordBuilder().writeToDisplay().sba(0, 0)
             .startOfField(0x40, 0, 0x24, 3).text("HI").record(),
         kSenseFieldBeyondScreen, {}},
        {"empty field at row 0, column 0", RecordBuilder().writeToDisplay().sba(0, 0)
             .startOfField(0x40, 0, 0x24, 0).record(),
         0, {}},
        {"repeat from row 1, column 0", RecordBuilder().writeToDisplay().sba(1, 0)
             .repeatToAddress(1, 5, 0xC1).record(),
         kSenseWriteBeyondScreen, {}},
        {"repeat from row 0, column 0", RecordBuilder().writeToDisplay().sba(0, 0)
             .repeatToAddress(2, 1, 0xC1).record(),
         kSenseWriteBeyondScreen, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // The last cells hold text, so a write wrapping round to them shows.
        Run(RecordBuilder().clearUnit().writeToDisplay().sba(24, 71).text("0123456789")
                .record());
        sender.sent.clear();
        const auto before = Snapshot();
        Run(row.record);
        if (row.sense == 0) {
            EXPECT_TRUE(sender.sent.empty());
        } else {
            ASSERT_EQ(sender.sent.size(), 1u);
            EXPECT_EQ(sender.sent[0], NegativeResponse(static_cast<std::uint8_t>(row.sense)));
        }
        EXPECT_EQ(ChangedPositions(before), row.changed);
        EXPECT_EQ(Text(24, 71, 10), "0123456789");
    }

    // The field at row 1, column 0: an entry at that address whose data
    // starts at the first position; its attribute had no position to go to.
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(1, 0).startOfField(0x40, 0, 0x24, 5)
            .text("HI").record());
    ASSERT_EQ(terminal.formatTable.fieldCount(), 1);
    EXPECT_EQ(terminal.formatTable.entry(0)->row, 1);
    EXPECT_EQ(terminal.formatTable.entry(0)->column, 0);
    EXPECT_EQ(Text(1, 1, 2), "HI");
    EXPECT_EQ(Cell(1, 1).fieldOffset, 0);
    EXPECT_EQ(Cell(1, 5).fieldOffset, 4);
    EXPECT_EQ(Cell(1, 6).ebcdic, 0x20);
    EXPECT_EQ(CursorRow(), 1);
    EXPECT_EQ(CursorColumn(), 1);

    // The field at row 0: appended, then refused at its first data position.
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(0, 0).startOfField(0x40, 0, 0x24, 3)
            .record());
    ASSERT_EQ(terminal.formatTable.fieldCount(), 1);
    EXPECT_EQ(terminal.formatTable.entry(0)->row, 0);
}

}  // namespace
}  // namespace quenlix::testing
