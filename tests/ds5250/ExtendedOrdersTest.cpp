// Erase to Address, Move Cursor, Transparent Data, Write Extended Attribute,
// Write Error Code to Window and the partial screen commands: each operand
// at and past its limit.
#include "InterpreterFixture.h"

namespace quenlix::testing {
namespace {

using namespace ds;

/// Row 3 holds "ABCDEFGHIJ" from column 1; the write address is 3,3.
RecordBuilder Lettered() {
    RecordBuilder r;
    r.clearUnit().writeToDisplay().sba(3, 1).text("ABCDEFGHIJ").sba(3, 3);
    return r;
}

TEST_F(InterpreterTest, EraseToAddressErasesFromTheWriteAddressOrRefuses) {
    struct Row {
        const char* what;
        Bytes order;         ///< after the write address 3,3
        std::uint8_t sense;  ///< 0: taken
        const char* row3;    ///< the first ten columns of row 3 afterwards
    };
    const Row rows[] = {
        {"characters to 3,6", {0x03, 3, 6, 2, 0x01}, 0, "AB    GHIJ"},
        {"all types", {0x03, 3, 6, 2, 0xFF}, 0, "AB    GHIJ"},
        {"the write address alone", {0x03, 3, 3, 2, 0x01}, 0, "AB DEFGHIJ"},
        {"colour only keeps the characters", {0x03, 3, 6, 2, 0x03}, 0, "ABCDEFGHIJ"},
        {"four types, the longest", {0x03, 3, 6, 5, 0x01, 0x02, 0x03, 0x04}, 0, "AB    GHIJ"},
        {"to the last position", {0x03, 24, 80, 2, 0x01}, 0, "AB        "},
        {"row 0", {0x03, 0, 6, 2, 0x01}, kSenseInvalidAddress, "ABCDEFGHIJ"},
        {"row past the screen", {0x03, 25, 1, 2, 0x01}, kSenseInvalidAddress, "ABCDEFGHIJ"},
        {"column 0", {0x03, 3, 0, 2, 0x01}, kSenseInvalidAddress, "ABCDEFGHIJ"},
        {"column past the screen", {0x03, 3, 81, 2, 0x01}, kSenseInvalidAddress, "ABCDEFGHIJ"},
        {"length 1", {0x03, 3, 6, 1}, kSenseExtendedAttributeType, "ABCDEFGHIJ"},
        {"length 6", {0x03, 3, 6, 6, 1, 1, 1, 1, 1}, kSenseExtendedAttributeType, "ABCDEFGHIJ"},
        {"unknown type", {0x03, 3, 6, 2, 0x05}, kSenseExtendedAttributeType, "ABCDEFGHIJ"},
        {"before the write address", {0x03, 3, 2, 2, 0x01}, kSenseAddressBehind, "ABCDEFGHIJ"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        sender.sent.clear();
        RecordBuilder r = Lettered();
        r.raw(row.order);
        if (row.order[1] == 3) r.text("Z");  // data right after an address on row 3
        Run(r.record());
        if (row.sense) {
            ASSERT_EQ(sender.sent.size(), 1u);
            EXPECT_EQ(sender.sent[0], NegativeResponse(row.sense));
            EXPECT_EQ(Text(3, 1, 10), row.row3) << "nothing erased, nothing after it written";
            continue;
        }
        EXPECT_TRUE(sender.sent.empty());
        const int lastRow = row.order[1], lastColumn = row.order[2];
        if (lastRow == 3) {
            EXPECT_EQ(Text(3, 1, 10).substr(0, static_cast<size_t>(lastColumn)),
                      std::string(row.row3).substr(0, static_cast<size_t>(lastColumn)));
            // Data goes on right after the erased address.
            EXPECT_EQ(Text(3, lastColumn + 1, 1), "Z");
        } else {
            EXPECT_EQ(Text(3, 1, 10), row.row3);
        }
        if (std::string(row.row3) == "AB    GHIJ") {
            EXPECT_EQ(Cell(3, 4).ebcdic, kEbcdicNull) << "erased to nulls";
        }
    }
}

TEST_F(InterpreterTest, EraseToAddressOfColourLeavesTheLookOfOtherTypes) {
    Run(Lettered()
            .writeExtendedAttribute(kExtendedForegroundColor, 0xF2)
            .writeExtendedAttribute(kExtendedPrimary, kExtendedReverse)
            .record());
    EXPECT_EQ(Cell(3, 3).foreground, kColorRed);
    EXPECT_EQ(Cell(3, 3).reverse, 1);
    Run(RecordBuilder().writeToDisplay().sba(3, 3).eraseToAddress(3, 3, {kEraseColor}).record());
    EXPECT_EQ(Cell(3, 3).foreground, kColorGreen) << "the attribute's colour again";
    EXPECT_EQ(Cell(3, 3).reverse, 1) << "the primary look stays";
    EXPECT_EQ(Text(3, 3, 1), "C");
}

TEST_F(InterpreterTest, MoveCursorMovesItNowAndTheLastCursorOrderPlacesIt) {
    Run(RecordBuilder().clearUnit().writeToDisplay().insertCursor(5, 5).moveCursor(7, 9).record());
    EXPECT_EQ(CursorRow(), 7);
    EXPECT_EQ(CursorColumn(), 9);
    EXPECT_EQ(terminal.state.hostFormat.homePosition, HostPosition(5, 5, 80)) << "home stays";

    Run(RecordBuilder().writeToDisplay().moveCursor(7, 9).insertCursor(5, 5).record());
    EXPECT_EQ(CursorRow(), 5) << "an Insert Cursor after it wins";

    // The cursor moves while the record is still being read.
    struct Row {
        int row, column;
        bool taken;
    };
    for (const Row& row : {Row{1, 1, true}, Row{24, 80, true}, Row{0, 5, false}, Row{25, 5, false},
                           Row{5, 0, false}, Row{5, 81, false}}) {
        SCOPED_TRACE(::testing::Message() << row.row << "," << row.column);
        sender.sent.clear();
        Run(RecordBuilder().writeToDisplay().moveCursor(row.row, row.column).record());
        if (row.taken) {
            EXPECT_TRUE(sender.sent.empty());
            EXPECT_EQ(CursorRow(), row.row);
            EXPECT_EQ(CursorColumn(), row.column);
        } else {
            ASSERT_EQ(sender.sent.size(), 1u);
            EXPECT_EQ(sender.sent[0], NegativeResponse(kSenseInvalidAddress));
        }
    }
}

TEST_F(InterpreterTest, TransparentDataWritesOrderBytesAsData) {
    const Bytes bytes = {kOrderSetBufferAddress, 0x01, 0x01, kEscape, kOrderStartOfField, 0xC1};
    Run(RecordBuilder()
            .clearUnit()
            .writeToDisplay()
            .sba(4, 1)
            .transparentData(bytes)
            .text("B")
            .record());
    EXPECT_TRUE(sender.sent.empty());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        EXPECT_EQ(Cell(4, static_cast<int>(i) + 1).ebcdic, bytes[i]) << i;
    }
    EXPECT_EQ(Text(4, 6, 2), "AB") << "orders read again after it";
    EXPECT_EQ(terminal.formatTable.fieldCount(), 0);

    // Up to the last position, and one past it.
    Run(RecordBuilder().writeToDisplay().sba(24, 79).transparentData({0xC1, 0xC2}).record());
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(Text(24, 79, 2), "AB");
    Run(RecordBuilder().writeToDisplay().sba(24, 79).transparentData({0xC3, 0xC4, 0xC5}).record());
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], NegativeResponse(kSenseWriteBeyondScreen));
    EXPECT_EQ(Text(24, 79, 2), "AB") << "none of it written";
}

TEST_F(InterpreterTest, WriteExtendedAttributeGivesTheCellItsLookOrRefuses) {
    struct Row {
        const char* what;
        std::uint8_t type, value, sense;
        int foreground, reverse, underline, blink;
    };
    const Row rows[] = {
        {"reverse", kExtendedPrimary, kExtendedReverse, 0, kColorGreen, 1, 0, 0},
        {"underline and blink", kExtendedPrimary, kExtendedUnderline | kExtendedBlink, 0,
         kColorGreen, 0, 1, 1},
        {"column separators", kExtendedPrimary, kExtendedColumnSeparator, 0, kColorGreen, 0, 0, 0},
        {"a reserved bit", kExtendedPrimary, 0x01, kSenseExtendedAttribute, kColorGreen, 0, 0, 0},
        {"blue, the first colour", kExtendedForegroundColor, 0xF1, 0, kColorBlue, 0, 0, 0},
        {"white, the last", kExtendedForegroundColor, 0xF7, 0, kColorWhite, 0, 0, 0},
        {"the attribute's colour", kExtendedForegroundColor, 0x00, 0, kColorGreen, 0, 0, 0},
        {"past the last colour", kExtendedForegroundColor, 0xF8, kSenseExtendedAttribute,
         kColorGreen, 0, 0, 0},
        {"before the first", kExtendedForegroundColor, 0xF0, kSenseExtendedAttribute, kColorGreen,
         0, 0, 0},
        {"ideographic", kExtendedIdeographic, 0x00, 0, kColorGreen, 0, 0, 0},
        {"type 0x02", 0x02, 0x00, kSenseExtendedAttributeType, kColorGreen, 0, 0, 0},
        {"type 0x04", 0x04, 0x00, kSenseExtendedAttributeType, kColorGreen, 0, 0, 0},
        {"type 0x06", 0x06, 0x00, kSenseExtendedAttributeType, kColorGreen, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        sender.sent.clear();
        // The order gives the look to the write address, which does not move.
        Run(RecordBuilder()
                .clearUnit()
                .writeToDisplay()
                .sba(2, 5)
                .writeExtendedAttribute(row.type, row.value)
                .text("XY")
                .record());
        if (row.sense) {
            ASSERT_EQ(sender.sent.size(), 1u);
            EXPECT_EQ(sender.sent[0], NegativeResponse(row.sense));
            EXPECT_EQ(Text(2, 5, 2), "  ");
            continue;
        }
        EXPECT_TRUE(sender.sent.empty());
        EXPECT_EQ(Text(2, 5, 2), "XY");
        const ScreenCell& cell = Cell(2, 5);
        EXPECT_EQ(cell.foreground, row.foreground);
        EXPECT_EQ(cell.reverse, row.reverse);
        EXPECT_EQ(cell.underline, row.underline);
        EXPECT_EQ(cell.blink, row.blink);
        EXPECT_EQ(Cell(2, 6).foreground, kColorGreen) << "the next position keeps its look";
        EXPECT_EQ(Cell(2, 6).reverse, 0);
    }
    // A colour never shows what a non-display attribute hides.
    Run(RecordBuilder()
            .clearUnit()
            .writeToDisplay()
            .sba(2, 4)
            .attribute(0x27)
            .writeExtendedAttribute(kExtendedForegroundColor, 0xF2)
            .text("PW")
            .record());
    EXPECT_EQ(Text(2, 5, 2), "  ");
    EXPECT_EQ(Cell(2, 5).foreground, kColorBackground);
    // Clear Unit takes the look away.
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(2, 5).text("X").record());
    EXPECT_EQ(Cell(2, 5).foreground, kColorGreen);
}

TEST_F(InterpreterTest, WriteErrorCodeToWindowKeepsTheLineInsideItsColumns) {
    Run(RecordBuilder()
            .clearUnit()
            .writeToDisplay()
            .sba(24, 1)
            .text(std::string(80, '-'))
            .record());
    Run(RecordBuilder().writeErrorCodeToWindow(10, 20).text("A MESSAGE TOO LONG FOR IT").record());
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(Text(24, 1, 24), "---------A MESSAGE T----");

    struct Row {
        int first, last;
        bool taken;
    };
    for (const Row& row : {Row{1, 80, true}, Row{5, 5, true}, Row{0, 10, false}, Row{10, 9, false},
                           Row{10, 81, false}}) {
        SCOPED_TRACE(::testing::Message() << row.first << " to " << row.last);
        sender.sent.clear();
        Run(RecordBuilder().writeErrorCodeToWindow(row.first, row.last).text("E").record());
        if (row.taken) {
            EXPECT_TRUE(sender.sent.empty());
            EXPECT_EQ(Text(24, row.first, 1), "E");
        } else {
            ASSERT_EQ(sender.sent.size(), 1u);
            EXPECT_EQ(sender.sent[0], NegativeResponse(kSenseErrorWindowAddress));
        }
    }
}

TEST_F(InterpreterTest, ReadScreenExtendedSendsTheLookWhereItChangesAndToPrintThePlainImage) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(1, 2)
            .writeExtendedAttribute(kExtendedPrimary, kExtendedReverse)
            .writeExtendedAttribute(kExtendedForegroundColor, 0xF2)
            .text("AB").record());
    ASSERT_EQ(Cell(1, 3).extendedLook, 0) << "one position takes a Write Extended Attribute";
    Run(FrameRecord(kOpReadScreen, {kEscape, kCmdReadScreen}));
    Run(FrameRecord(kOpReadScreen, {kEscape, kCmdReadScreenToPrint}));
    Run(FrameRecord(kOpReadScreen, {kEscape, kCmdReadScreenExtended}));
    Run(FrameRecord(kOpReadScreen, {kEscape, kCmdReadScreenToPrintExtended}));
    ASSERT_EQ(sender.sent.size(), 4u);
    EXPECT_EQ(sender.sent[1], sender.sent[0]) << "to print: the screen's image as it is";
    EXPECT_EQ(sender.sent[3], sender.sent[2]);
    const Bytes& plain = sender.sent[0];
    const Bytes& extended = sender.sent[2];
    ASSERT_EQ(extended.size(), plain.size() + 12) << Described(extended);
    // After the header and the first cell: reverse and red on position 2,
    // both back to none on position 3.
    const Bytes expected = {0x20, kOrderWriteExtendedAttribute, kExtendedPrimary, kExtendedReverse,
                            kOrderWriteExtendedAttribute, kExtendedForegroundColor, 0xF2, 0xC1,
                            kOrderWriteExtendedAttribute, kExtendedPrimary, 0x00,
                            kOrderWriteExtendedAttribute, kExtendedForegroundColor, 0x00, 0xC2};
    EXPECT_EQ(Bytes(extended.begin() + 10, extended.begin() + 10 + 15), expected);
}

TEST_F(InterpreterTest, RestorePartialAfterSavePartialBringsTheRectangleBackExactly) {
    // A rectangle with text, an attribute, a null, a byte that is an order
    // code and a position with an extended look and colour.
    Run(RecordBuilder()
            .clearUnit()
            .writeToDisplay()
            .sba(5, 10)
            .attribute(0x22)
            .text("MENU")
            .raw({0x00})
            .transparentData({kOrderMoveCursor})
            .sba(6, 10)
            .writeExtendedAttribute(kExtendedForegroundColor, 0xF6)
            .writeExtendedAttribute(kExtendedPrimary, kExtendedUnderline)
            .text("ITEM ONE")
            .sba(7, 10)
            .text("ITEM TWO")
            .record());
    const std::vector<ScreenCell> before = Snapshot();
    Run(RecordBuilder(kOpOutputOnly).savePartialScreen(5, 10, 3, 8).record());
    ASSERT_EQ(sender.sent.size(), 1u);
    const Bytes answer = sender.sent[0];
    EXPECT_EQ(answer[9], kOpSaveScreen);
    EXPECT_EQ(Bytes(answer.begin() + 10, answer.begin() + 17),
              (Bytes{kEscape, kCmdRestorePartialScreen, 0x00, 5, 10, 3, 8}));

    // A window over it, then the host sends the image back.
    Run(RecordBuilder().writeToDisplay().sba(4, 8).repeatToAddress(8, 30, 0x5C).record());
    EXPECT_NE(Text(6, 10, 8), "ITEM ONE");
    Run(RecordBuilder().writeToDisplay().sba(6, 10).eraseToAddress(6, 10, {kEraseAll}).record());
    ASSERT_EQ(Cell(6, 10).foreground, kColorGreen);
    Bytes restore = answer;
    restore[9] = kOpRestoreScreen;
    Run(restore);
    EXPECT_EQ(Text(6, 10, 8), "ITEM ONE");
    EXPECT_EQ(Cell(6, 10).foreground, kColorYellow);
    const std::vector<ScreenCell> after = Snapshot();
    for (int r = 5; r <= 7; ++r) {
        for (int c = 10; c <= 17; ++c) {
            const std::size_t p = static_cast<std::size_t>(HostPosition(r, c, 80));
            EXPECT_EQ(after[p].ebcdic, before[p].ebcdic) << r << "," << c;
            EXPECT_EQ(after[p].character, before[p].character) << r << "," << c;
            EXPECT_EQ(after[p].foreground, before[p].foreground) << r << "," << c;
            EXPECT_EQ(after[p].underline, before[p].underline) << r << "," << c;
        }
    }
    EXPECT_EQ(Text(4, 8, 1), "*") << "outside the rectangle: as the host left it";

    // The rectangle's edges: the whole screen, and one past the bottom or right.
    struct Row {
        int row, column, depth, width;
        bool taken;
    };
    for (const Row& row :
         {Row{1, 1, 24, 80, true}, Row{24, 80, 1, 1, true}, Row{21, 1, 4, 10, true},
          Row{21, 1, 5, 10, false}, Row{1, 75, 2, 7, false}, Row{0, 1, 1, 1, false},
          Row{1, 1, 0, 1, false}}) {
        SCOPED_TRACE(::testing::Message()
                     << row.row << "," << row.column << " " << row.depth << "x" << row.width);
        sender.sent.clear();
        Run(RecordBuilder(kOpOutputOnly)
                .savePartialScreen(row.row, row.column, row.depth, row.width)
                .record());
        ASSERT_EQ(sender.sent.size(), 1u);
        if (row.taken) {
            EXPECT_EQ(sender.sent[0][9], kOpSaveScreen);
        } else {
            EXPECT_EQ(sender.sent[0], NegativeResponse(kSenseInvalidAddress));
        }
    }
}

}  // namespace
}  // namespace quenlix::testing
