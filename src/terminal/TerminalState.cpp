// Attribute decoding, Restyle and the position/pixel conversions.
#include "terminal/TerminalState.h"

#include <algorithm>
#include <array>

#include "terminal/ViewOperations.h"

namespace quenlix {

namespace {

struct AttributeRow {
    std::uint8_t foreground, reverse, underline, blink;
};

// Indexed by attribute byte - 0x20.
constexpr std::array<AttributeRow, 32> kAttributeTable = {{
    {kColorGreen, 0, 0, 0},      {kColorGreen, 1, 0, 0},      // 20 21
    {kColorWhite, 0, 0, 0},      {kColorWhite, 1, 0, 0},      // 22 23
    {kColorGreen, 0, 1, 0},      {kColorGreen, 1, 1, 0},      // 24 25
    {kColorWhite, 0, 1, 0},      {kColorBackground, 0, 0, 0}, // 26 27 non-display
    {kColorRed, 0, 0, 0},        {kColorRed, 1, 0, 0},        // 28 29
    {kColorRed, 0, 0, 1},        {kColorRed, 1, 0, 1},        // 2A 2B
    {kColorRed, 0, 1, 0},        {kColorRed, 1, 1, 0},        // 2C 2D
    {kColorRed, 0, 1, 1},        {kColorBackground, 0, 0, 0}, // 2E 2F non-display
    {kColorTurquoise, 0, 0, 0},  {kColorTurquoise, 1, 0, 0},  // 30 31
    {kColorYellow, 0, 0, 0},     {kColorYellow, 1, 0, 0},     // 32 33
    {kColorTurquoise, 0, 1, 0},  {kColorTurquoise, 1, 1, 0},  // 34 35
    {kColorYellow, 0, 1, 0},     {kColorBackground, 0, 0, 0}, // 36 37 non-display
    {kColorPink, 0, 0, 0},       {kColorPink, 1, 0, 0},       // 38 39
    {kColorBlue, 0, 0, 0},       {kColorBlue, 1, 0, 0},       // 3A 3B
    {kColorPink, 0, 1, 0},       {kColorPink, 1, 1, 0},       // 3C 3D
    {kColorBlue, 0, 1, 0},       {kColorBackground, 0, 0, 0}, // 3E 3F non-display
}};

}  // namespace

DisplayAttributes DecodeAttribute(std::uint8_t attribute) {
    const AttributeRow& row = kAttributeTable[attribute & 0x1F];
    return {row.foreground, row.reverse, row.underline, row.blink, kColorBackground};
}

int Terminal::PixelToPosition(int x, int y) const {
    if (state.cellWidth <= 0 || state.cellHeight <= 0) return 0;
    return (y / state.cellHeight) * columns() + x / state.cellWidth;
}

PixelRect Terminal::CellRectToPixels(int left, int top, int right, int bottom) const {
    return {left * state.cellWidth, top * state.cellHeight, right * state.cellWidth,
            bottom * state.cellHeight};
}

Terminal::Span Terminal::FieldSpan(const FieldEntry& e) const {
    const long long first = FirstDataPosition(e);
    const long long from = std::max<long long>(first, 0);
    const long long to = std::min<long long>(first + std::max(e.length, 0), cellCount());
    return {static_cast<int>(from), static_cast<int>(std::max(from, to))};
}

void Terminal::SetCursorPosition(int pos) {
    const int cols = columns() > 0 ? columns() : 1;
    SetCursorCell(pos / cols, pos % cols);
}

void Terminal::SetCursorCell(int row, int column) {
    state.cursorX = column * state.cellWidth;
    state.cursorY = row * state.cellHeight;
}

void Terminal::Restyle() {
    DisplayAttributes current = DecodeAttribute(0x20);
    std::uint8_t lastAttribute = 0x20;
    for (ScreenCell& cell : screen.inUse()) {
        if (IsAttributePosition(cell)) {
            lastAttribute = static_cast<std::uint8_t>(cell.ebcdic);
            current = DecodeAttribute(lastAttribute);
            cell.reverse = 0;
            cell.blink = 0;
            cell.underline = 0;
            cell.foreground = kColorGreen;
            cell.background = kColorBackground;
        } else {
            cell.reverse = current.reverse;
            cell.blink = current.blink;
            cell.underline = current.underline;
            cell.foreground = current.foreground;
            cell.background = current.background;
            // One-way: the hidden character is not restored by a later pass.
            if (IsNonDisplay(lastAttribute)) cell.character = ' ';
        }
        cell.selected = 0;
    }
    selection = CellRect{};
}

void RefreshScreen(Terminal& terminal, ViewOperations& view) {
    terminal.Restyle();
    view.RefreshScreen();
}

}  // namespace quenlix
