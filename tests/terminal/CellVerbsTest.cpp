// The verbs that change cells: what each writes, the damage each records,
// and positions off the screen refused without a write.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "terminal/ScreenAddress.h"
#include "terminal/TerminalState.h"

namespace quenlix {
namespace {

class CellVerbs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(t.screen.AllocateCells(80, 24));
        ASSERT_TRUE(t.screen.SetGeometry(80, 24));
        t.TakeDamage();
    }
    std::vector<ScreenCell> Cells() const {
        return {t.screen.inUse().begin(), t.screen.inUse().end()};
    }
    Terminal t;
};

TEST_F(CellVerbs, WritesAreRecordedWhereTheVerbSaysSo) {
    // SetCell records the cell even when it holds what it held already.
    ASSERT_TRUE(t.SetCell(85, kEbcdicBlank, ' '));
    EXPECT_EQ(t.TakeDamage().row(1), (ScreenDamage::Columns{5, 6}));
    // ChangeCell and MoveCell record only a change.
    ASSERT_TRUE(t.ChangeCell(85, kEbcdicBlank, ' '));
    EXPECT_TRUE(t.TakeDamage().empty());
    ASSERT_TRUE(t.ChangeCell(85, 0xC1, 'A'));
    EXPECT_EQ(t.TakeDamage().row(1), (ScreenDamage::Columns{5, 6}));
    ASSERT_TRUE(t.MoveCell(85, 86));
    EXPECT_EQ(t.screen.at(86).character, 'A');
    EXPECT_EQ(t.TakeDamage().row(1), (ScreenDamage::Columns{6, 7}));
    ASSERT_TRUE(t.MoveCell(85, 86));
    EXPECT_TRUE(t.TakeDamage().empty()) << "moved onto its own copy";
    // A fill is one span, row to row.
    ASSERT_TRUE(t.FillCells(78, 83, 0x00, ' '));
    const ScreenDamage fill = t.TakeDamage();
    EXPECT_EQ(fill.row(0), (ScreenDamage::Columns{78, 80}));
    EXPECT_EQ(fill.row(1), (ScreenDamage::Columns{0, 3}));
    EXPECT_EQ(t.screen.at(82).ebcdic, 0x00);
    // Field marks are not painted.
    ASSERT_TRUE(t.MarkFieldCell(90, 2, 0, 5));
    EXPECT_EQ(t.screen.at(90).fieldIndex, 2);
    ASSERT_TRUE(t.ClearFieldCell(90));
    EXPECT_EQ(t.screen.at(90).inField, 0);
    // A field's cells at once, as far as the screen reaches.
    EXPECT_EQ(t.MarkFieldCells(100, 4, 6), 6);
    EXPECT_EQ(t.screen.at(105).fieldOffset, 5);
    EXPECT_EQ(t.screen.at(105).fieldLength, 6);
    EXPECT_EQ(t.screen.at(106).inField, 0);
    EXPECT_EQ(t.MarkFieldCells(t.cellCount() - 2, 5, 4), 2) << "two of four on the screen";
    EXPECT_EQ(t.MarkFieldCells(-1, 5, 4), 0);
    EXPECT_TRUE(t.TakeDamage().empty());
    // The selection mark is: only the cells whose mark changes.
    ASSERT_TRUE(t.SetSelected(3, true));
    t.SetAllSelected(true);
    t.TakeDamage();
    t.SetAllSelected(true);
    EXPECT_TRUE(t.TakeDamage().empty());
    ASSERT_TRUE(t.SetSelected(3, false));
    EXPECT_EQ(t.TakeDamage().row(0), (ScreenDamage::Columns{3, 4}));
}

TEST_F(CellVerbs, PositionsOffTheScreenAreRefusedWithoutAWrite) {
    const std::vector<ScreenCell> before = Cells();
    static constexpr std::array<std::uint8_t, 256> kSame = [] {
        std::array<std::uint8_t, 256> table{};
        for (std::size_t b = 0; b < table.size(); ++b) table[b] = static_cast<std::uint8_t>(b);
        return table;
    }();
    const std::uint8_t data[] = {0xC1, 0xC2, 0xC3};
    for (const int pos : {-1, 1920, 5000, -100000}) {
        SCOPED_TRACE(pos);
        EXPECT_FALSE(t.SetCell(pos, 0xC1, 'A'));
        EXPECT_FALSE(t.ChangeCell(pos, 0xC1, 'A'));
        EXPECT_FALSE(t.SetCellByte(pos, 0x22));
        EXPECT_FALSE(t.SetCellCharacter(pos, 'A'));
        EXPECT_FALSE(t.MoveCell(pos, 0));
        EXPECT_FALSE(t.MoveCell(0, pos));
        EXPECT_FALSE(t.MarkFieldCell(pos, 0, 0, 1));
        EXPECT_FALSE(t.ClearFieldCell(pos));
        EXPECT_FALSE(t.SetSelected(pos, true));
        EXPECT_FALSE(t.WriteDataRun(pos, data, 1, kSame));
    }
    // A range is written whole or not at all.
    EXPECT_FALSE(t.FillCells(1900, 1921, 0xC1, 'A'));
    EXPECT_FALSE(t.FillCells(-1, 3, 0xC1, 'A'));
    EXPECT_FALSE(t.FillCells(10, 9, 0xC1, 'A'));
    EXPECT_FALSE(t.WriteDataRun(1918, data, 3, kSame)) << "its last byte lies off the screen";
    EXPECT_EQ(Cells(), before);
    EXPECT_TRUE(t.TakeDamage().empty());
    EXPECT_EQ(t.WriteDataRun(1917, data, 3, kSame), 3u) << "ending on the last position";
    EXPECT_EQ(t.screen.at(1919).ebcdic, 0xC3);
}

TEST_F(CellVerbs, AHostDataRunRecordsItsChangedCellsAsOneSpan) {
    std::array<std::uint8_t, 256> toPc{};
    toPc[0xC1] = 'A';
    toPc[0xC2] = 'B';
    toPc[kEbcdicBlank] = ' ';
    // Row 2 holds "AB" at columns 11 and 12 (0-based 10, 11) already.
    ASSERT_TRUE(t.SetCell(HostPosition(2, 11, 80), 0xC1, 'A'));
    ASSERT_TRUE(t.SetCell(HostPosition(2, 12, 80), 0xC2, 'B'));
    t.TakeDamage();
    const std::uint8_t same[] = {0xC1, 0xC2};
    ASSERT_TRUE(t.WriteDataRun(HostPosition(2, 11, 80), same, 2, toPc));
    EXPECT_TRUE(t.TakeDamage().empty()) << "the screen that is there already: nothing to paint";

    // Changed at the row's end and at the next row's third column: one span
    // between them, the unchanged cells inside it included.
    const std::uint8_t run[] = {0xC2, kEbcdicBlank, kEbcdicBlank, kEbcdicBlank, 0xC1};
    ASSERT_TRUE(t.WriteDataRun(HostPosition(2, 79, 80), run, 5, toPc));
    const ScreenDamage d = t.TakeDamage();
    EXPECT_EQ(d.row(1), (ScreenDamage::Columns{78, 80}));
    EXPECT_EQ(d.row(2), (ScreenDamage::Columns{0, 3}));
    EXPECT_EQ(t.screen.at(HostPosition(3, 3, 80)).character, 'A');
    EXPECT_EQ(t.screen.at(HostPosition(2, 79, 80)).ebcdic, 0xC2);

    // The run stops before a byte that is not shown by the table: an
    // attribute, a null, 0xFF.
    for (const std::uint8_t stop : {std::uint8_t{0x22}, kEbcdicNull, std::uint8_t{0xFF}}) {
        const std::uint8_t mixed[] = {0xC1, 0xC1, stop, 0xC1};
        EXPECT_EQ(t.WriteDataRun(HostPosition(5, 1, 80), mixed, 4, toPc), 2u) << int(stop);
        EXPECT_EQ(t.screen.at(HostPosition(5, 3, 80)).ebcdic, kEbcdicBlank) << int(stop);
    }
}

TEST(ScreenAddress, HostAndCellAddressesTakeRowThenColumn) {
    EXPECT_EQ(CellPosition(0, 0, 80), 0);
    EXPECT_EQ(CellPosition(3, 5, 80), 245);
    EXPECT_EQ(HostPosition(1, 1, 80), 0);
    EXPECT_EQ(HostPosition(4, 6, 80), 245);
    EXPECT_EQ(HostPosition(27, 132, 132), 27 * 132 - 1);
    FieldEntry e;
    e.row = 2;
    e.column = 80;  // the attribute in the last column: data from the next row
    EXPECT_EQ(FirstDataPosition(e, 80), 160);
}

}  // namespace
}  // namespace quenlix
