// Attribute decoding and Restyle over a whole screen.
#include <gtest/gtest.h>

#include "terminal/TerminalState.h"

namespace quenlix {
namespace {

Terminal Screen80x24() {
    Terminal t;
    t.screen.AllocateCells(80, 24);
    t.screen.SetGeometry(80, 24);
    return t;
}

TEST(DecodeAttribute, EveryByteOfTheTable) {
    struct Row {
        std::uint8_t byte;
        DisplayAttributes expected;
    };
    const Row rows[] = {
        {0x20, {kColorGreen, 0, 0, 0}},      {0x21, {kColorGreen, 1, 0, 0}},
        {0x22, {kColorWhite, 0, 0, 0}},      {0x23, {kColorWhite, 1, 0, 0}},
        {0x24, {kColorGreen, 0, 1, 0}},      {0x25, {kColorGreen, 1, 1, 0}},
        {0x26, {kColorWhite, 0, 1, 0}},      {0x27, {kColorBackground, 0, 0, 0}},
        {0x28, {kColorRed, 0, 0, 0}},        {0x29, {kColorRed, 1, 0, 0}},
        {0x2A, {kColorRed, 0, 0, 1}},        {0x2B, {kColorRed, 1, 0, 1}},
        {0x2C, {kColorRed, 0, 1, 0}},        {0x2D, {kColorRed, 1, 1, 0}},
        {0x2E, {kColorRed, 0, 1, 1}},        {0x2F, {kColorBackground, 0, 0, 0}},
        {0x30, {kColorTurquoise, 0, 0, 0}},  {0x31, {kColorTurquoise, 1, 0, 0}},
        {0x32, {kColorYellow, 0, 0, 0}},     {0x33, {kColorYellow, 1, 0, 0}},
        {0x34, {kColorTurquoise, 0, 1, 0}},  {0x35, {kColorTurquoise, 1, 1, 0}},
        {0x36, {kColorYellow, 0, 1, 0}},     {0x37, {kColorBackground, 0, 0, 0}},
        {0x38, {kColorPink, 0, 0, 0}},       {0x39, {kColorPink, 1, 0, 0}},
        {0x3A, {kColorBlue, 0, 0, 0}},       {0x3B, {kColorBlue, 1, 0, 0}},
        {0x3C, {kColorPink, 0, 1, 0}},       {0x3D, {kColorPink, 1, 1, 0}},
        {0x3E, {kColorBlue, 0, 1, 0}},       {0x3F, {kColorBackground, 0, 0, 0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << int(r.byte));
        EXPECT_EQ(DecodeAttribute(r.byte), r.expected);
        const bool hidden = r.byte == 0x27 || r.byte == 0x2F || r.byte == 0x37 || r.byte == 0x3F;
        EXPECT_EQ(IsNonDisplay(r.byte), hidden);
    }
}

TEST(Restyle, NoAttributeMeansGreenWithoutEffects) {
    Terminal t = Screen80x24();
    // A stale look: red reverse from an attribute that is gone again.
    t.SetCellByte(99, 0x29);
    t.Restyle();
    ASSERT_EQ(t.screen.at(100).reverse, 1);
    t.SetCellByte(99, kEbcdicBlank);
    t.Restyle();
    for (const ScreenCell& c : t.screen.inUse()) {
        ASSERT_EQ(c.foreground, kColorGreen);
        ASSERT_EQ(c.reverse + c.underline + c.blink, 0);
    }
}

TEST(Restyle, AttributeInLastColumnGovernsTheNextRows) {
    Terminal t = Screen80x24();
    t.SetCell(79, 0x29, 'Q');  // red reverse, last column of row 1
    t.SetCellByte(3 * 80 + 10, 0x22);  // white from row 4, column 11
    t.Restyle();
    const ScreenCell& attr = t.screen.at(79);
    EXPECT_EQ(attr.character, 'Q') << "an attribute position keeps its character";
    EXPECT_EQ(attr.foreground, kColorGreen);
    EXPECT_EQ(attr.reverse, 0);
    EXPECT_EQ(t.screen.at(78).foreground, kColorGreen);
    for (int p : {80, 159, 160, 3 * 80 + 9}) {
        SCOPED_TRACE(p);
        EXPECT_EQ(t.screen.at(p).foreground, kColorRed);
        EXPECT_EQ(t.screen.at(p).reverse, 1);
    }
    EXPECT_EQ(t.screen.at(3 * 80 + 11).foreground, kColorWhite);
    EXPECT_EQ(t.screen.at(3 * 80 + 11).reverse, 0);
}

TEST(Restyle, NonDisplayBlankingIsOneWay) {
    Terminal t = Screen80x24();
    t.SetCellByte(10, 0x27);
    t.FillCells(11, 16, 0xC1, 'A');
    t.SetCellByte(16, 0x20);
    t.SetCellCharacter(17, 'B');
    t.Restyle();
    for (int p = 11; p < 16; ++p) {
        EXPECT_EQ(t.screen.at(p).character, ' ');
        EXPECT_EQ(t.screen.at(p).ebcdic, 0xC1) << "the host still reads the hidden data";
        EXPECT_EQ(t.screen.at(p).foreground, kColorBackground);
    }
    EXPECT_EQ(t.screen.at(17).character, 'B');

    t.SetCellByte(10, 0x20);  // shown again: the blanked text stays blank
    t.Restyle();
    EXPECT_EQ(t.screen.at(12).character, ' ');
    EXPECT_EQ(t.screen.at(12).foreground, kColorGreen);
}

TEST(Restyle, ClearsSelectionEverywhere) {
    Terminal t = Screen80x24();
    t.selection = CellRect{2, 3, 10, 5};
    t.SetSelected(250, true);
    t.SetSelected(1919, true);
    t.Restyle();
    EXPECT_TRUE(t.selection.empty());
    for (const ScreenCell& c : t.screen.inUse()) ASSERT_EQ(c.selected, 0);
}

}  // namespace
}  // namespace quenlix
