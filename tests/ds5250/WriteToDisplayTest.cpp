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
    EXPECT_EQ(Cell(2, 1).ebcdic, 0x40);

    Run(RecordBuilder().writeToDisplay().sba(3, 10).repeatToAddress(3, 2, 0xC1).text("Y")
            .record());
    EXPECT_EQ(Text(3, 1, 10), "  Y       ") << "a target before the address writes nothing";

    Run(RecordBuilder().writeToDisplay().sba(4, 1).repeatToAddress(4, 80, 0x60).text("N")
            .record());
    EXPECT_EQ(Row(4), std::string(80, '-'));
    EXPECT_EQ(Text(5, 1, 1), "N") << "the address wraps after the last column";

    sender.sent.clear();
    Run(RecordBuilder().writeToDisplay().sba(24, 70).repeatToAddress(25, 5, 0xC1).record());
    EXPECT_EQ(sender.sent.at(0), NegativeResponse(kSenseWriteBeyondScreen));
    EXPECT_EQ(Text(24, 70, 11), "AAAAAAAAAAA");
}

TEST_F(InterpreterTest, UnrecognisedOrdersAreDisplayData) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(1, 1).raw({0x10, 0x12, 0x14, 0x15})
            .record());
    for (int c = 1; c <= 4; ++c) {
        const std::uint8_t e = static_cast<std::uint8_t>(Cell(1, c).ebcdic);
        EXPECT_EQ(Cell(1, c).character, tables.ToPc(0, e));
    }
    EXPECT_EQ(Cell(1, 2).ebcdic, 0x12);
}

TEST_F(InterpreterTest, DoubledIacIsADataByteAndALoneIacIsDropped) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(1, 1).raw({0xFF}).text("A").record());
    EXPECT_EQ(Cell(1, 1).ebcdic, 0xFF);
    EXPECT_EQ(Cell(1, 1).character, ' ');
    EXPECT_EQ(Text(1, 2, 1), "A");

    Bytes lone = FrameRecord(kOpPutGet, {0x04, 0x11, 0x00, 0x00, 0x11, 0x02, 0x01});
    lone.insert(lone.end() - 2, {0xFF, 0xC1});
    Run(lone);
    EXPECT_EQ(Text(2, 1, 1), "A");
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

    for (int i = 0; i < 50; ++i) Run(RecordBuilder().writeToDisplay(0x20, 0).record());
    EXPECT_EQ(Text(24, 70, 4), "    ");
    EXPECT_EQ(Cell(24, 70).ebcdic, 0xE3) << "the host still reads its own bytes";
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

TEST_F(InterpreterTest, WriteControlCharacter) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(2, 2).startOfField(0x48, 0, 0x20, 3)
            .text("ABC").sba(3, 2).startOfField(0x60, 0, 0x20, 3).text("XYZ").record());
    terminal.state.operatorModified = 1;

    Run(RecordBuilder(kOpPutGet).writeToDisplay(0x20, 0x04 | 0x10 | 0x01).record());
    EXPECT_EQ(terminal.state.operatorModified, 0);
    EXPECT_EQ(terminal.formatTable.entry(0)->mdt, 0);
    EXPECT_EQ(Text(2, 3, 3), "   ") << "input fields show blanks";
    EXPECT_EQ(Cell(2, 3).ebcdic, 0xC1) << "the host still reads the old bytes";
    EXPECT_EQ(Text(3, 3, 3), "XYZ") << "bypass fields are not blanked";
    EXPECT_EQ(messages.alarms, 1);
    EXPECT_EQ(terminal.state.hostBlink, 1);
    EXPECT_EQ(terminal.state.inputInhibited, 1) << "locked although Put/Get unlocked first";

    Run(RecordBuilder().writeToDisplay(0x00, 0x20).record());
    EXPECT_EQ(terminal.state.hostBlink, 0);
}

}  // namespace
}  // namespace quenlix::testing
