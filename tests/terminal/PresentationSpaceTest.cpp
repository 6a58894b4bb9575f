// Cell array geometry, bounds and the FormatTable limit.
#include <gtest/gtest.h>

#include "terminal/TerminalState.h"

namespace quenlix {
namespace {

TEST(PresentationSpace, NothingIsInUseBeforeTheFirstGeometry) {
    Terminal t;
    ASSERT_TRUE(t.screen.AllocateCells(132, 27));
    EXPECT_EQ(t.cellCount(), 0);
    EXPECT_FALSE(t.screen.contains(0));
    // Bulk operations over zero positions do nothing and do not crash.
    t.BlankAll();
    t.ClearFieldMarks();
    t.SetAllSelected(true);
    t.Restyle();
    EXPECT_EQ(t.screen.allocated(), 132 * 27);
}

TEST(PresentationSpace, SwitchToWideScreenEnlargesASmallArray) {
    Terminal t;
    ASSERT_TRUE(t.screen.AllocateCells(80, 24));
    ASSERT_TRUE(t.screen.SetGeometry(80, 24));
    t.SetCellByte(1919, 0xC1);

    ASSERT_TRUE(t.screen.SetGeometry(132, 27));
    EXPECT_EQ(t.cellCount(), 3564);
    EXPECT_GE(t.screen.allocated(), 3564);
    EXPECT_EQ(t.screen.at(1919).ebcdic, 0xC1) << "growing keeps the existing cells";
    EXPECT_TRUE(t.SetCellByte(3563, 0xC2));  // the last position is real memory now
    EXPECT_EQ(t.screen.at(3563).ebcdic, 0xC2);
}

TEST(PresentationSpace, OutOfRangePositionsNeverReachTheArray) {
    Terminal t;
    ASSERT_TRUE(t.screen.AllocateCells(80, 24));
    ASSERT_TRUE(t.screen.SetGeometry(80, 24));
    for (int pos : {-1, 1920, 1921, 5000, -100000}) {
        SCOPED_TRACE(pos);
        EXPECT_FALSE(t.SetCell(pos, 0x99, 'x'));
        EXPECT_EQ(t.screen.at(pos).ebcdic, kEbcdicBlank) << "the stand-in cell reads as a blank";
    }
    for (const ScreenCell& c : t.screen.inUse()) EXPECT_EQ(c, ScreenCell{});
    EXPECT_TRUE(t.TakeDamage().empty()) << "nothing written, nothing to paint";
}

TEST(PresentationSpace, InvalidSizesAreRefusedAndKeepTheOldState) {
    Terminal t;
    ASSERT_TRUE(t.screen.AllocateCells(80, 24));
    ASSERT_TRUE(t.screen.SetGeometry(80, 24));
    EXPECT_FALSE(t.screen.AllocateCells(0, 24));
    EXPECT_FALSE(t.screen.AllocateCells(133, 27));
    EXPECT_FALSE(t.screen.SetGeometry(80, 28));
    EXPECT_EQ(t.cellCount(), 1920);
    EXPECT_EQ(t.screen.allocated(), 1920);
}

TEST(PresentationSpace, ClearFieldMarksKeepsContentsAndBlankAllResetsEverything) {
    Terminal t;
    t.screen.AllocateCells(80, 24);
    t.screen.SetGeometry(80, 24);
    t.SetCell(5, 0xC1, 'A');
    t.MarkFieldCell(5, 3, 2, 9);
    const ScreenCell& c = t.screen.at(5);
    EXPECT_EQ(c.inField, 1);
    EXPECT_EQ(c.fieldIndex, 3);
    EXPECT_EQ(c.fieldOffset, 2);
    EXPECT_EQ(c.fieldLength, 9);
    t.ClearFieldMarks();
    EXPECT_EQ(c.character, 'A');
    EXPECT_EQ(c.ebcdic, 0xC1);
    EXPECT_EQ(c.inField, 0);
    EXPECT_EQ(c.fieldIndex, -1);
    EXPECT_EQ(c.fieldOffset, -1);
    EXPECT_EQ(c.fieldLength, 0);
    t.TakeDamage();
    t.BlankAll();
    EXPECT_EQ(c, ScreenCell{});
    EXPECT_TRUE(t.TakeDamage().all());
}

TEST(FormatTable, NeverTakesA257thEntry) {
    FormatTable table;
    for (int i = 0; i < FormatTable::kCapacity; ++i) {
        FieldEntry e;
        e.row = 1 + i / 80;
        e.column = 1 + i % 80;
        ASSERT_EQ(table.Append(e), i);
    }
    EXPECT_TRUE(table.full());
    EXPECT_EQ(table.Append(FieldEntry{}), -1);
    EXPECT_EQ(table.fieldCount(), 256);
    EXPECT_EQ(table.entry(256), nullptr);
    EXPECT_EQ(table.entry(-1), nullptr);
    EXPECT_EQ(table.Find(1, 5), 4);

    table.currentField = 7;
    table.noInputField = 0;
    table.ClearFormatTable();
    EXPECT_EQ(table.fieldCount(), 0);
    EXPECT_EQ(table.currentField, -1);
    EXPECT_EQ(table.noInputField, 1);
    EXPECT_EQ(table.entry(0), nullptr) << "stale entries are unreachable";
}

TEST(Geometry, PixelsAndPositions) {
    Terminal t;
    t.screen.AllocateCells(80, 24);
    t.screen.SetGeometry(80, 24);
    t.state.cellWidth = 12;
    t.state.cellHeight = 20;
    // Any point inside a cell names that cell, not only its corner.
    EXPECT_EQ(t.PixelToPosition(0, 0), 0);
    EXPECT_EQ(t.PixelToPosition(11, 19), 0);
    EXPECT_EQ(t.PixelToPosition(12, 19), 1);
    EXPECT_EQ(t.PixelToPosition(5 * 12 + 7, 3 * 20 + 13), 3 * 80 + 5);
    EXPECT_EQ(t.PositionOf(3, 5), 245);
    EXPECT_EQ(t.CellRectToPixels(1, 2, 3, 4), (PixelRect{12, 40, 36, 80}));
    t.SetCursorPosition(245);
    EXPECT_EQ(t.state.cursorX, 60);
    EXPECT_EQ(t.state.cursorY, 60);
    EXPECT_EQ(t.CursorPosition(), 245);
}

}  // namespace
}  // namespace quenlix
