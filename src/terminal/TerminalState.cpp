// Attribute decoding, Restyle and the position/pixel conversions.
#include "terminal/TerminalState.h"

#include <algorithm>
#include <array>
#include <string>


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
    const long long first = FirstDataPosition(e, columns());
    const long long from = std::max<long long>(first, 0);
    const long long to = std::min<long long>(first + std::max(e.length, 0), cellCount());
    return {static_cast<int>(from), static_cast<int>(std::max(from, to))};
}

void Terminal::SetCursorPosition(int pos) {
    const int cols = columns() > 0 ? columns() : 1;
    SetCursorCell(pos / cols, pos % cols);
}

void Terminal::SetCursorCell(int row, int column) {
    SetCursorPixels(column * state.cellWidth, row * state.cellHeight);
}

void Terminal::SetCursorPixels(int x, int y) {
    // A window the host keeps the cursor in holds it inside its border,
    // whoever moves it; the system request line below the screen stays free.
    const HostWindow* w = constructs.cursorWindow();
    if (w != nullptr && state.cellWidth > 0 && state.cellHeight > 0 &&
        y / state.cellHeight < rows()) {
        const int row = y / state.cellHeight, column = x / state.cellWidth;
        // Rows and columns from 0: the inside starts one past the border.
        const int keptRow = std::clamp(row, w->row, w->row + w->depth - 1);
        const int keptColumn = std::clamp(column, w->column, w->column + w->width - 1);
        if (keptRow != row) y = keptRow * state.cellHeight;
        if (keptColumn != column) x = keptColumn * state.cellWidth;
    }
    if (state.cursorX == x && state.cursorY == y) return;
    state.cursorX = x;
    state.cursorY = y;
    damage.Cursor();
}

void Terminal::DamageCells(const CellRect& cells) {
    for (int row = std::max(cells.top, 0); row < cells.bottom && row < rows(); ++row) {
        damage.Row(row, cells.left, std::min(cells.right, columns()));
    }
}

void Terminal::SetKeyboardLocked(bool locked) {
    const int value = locked ? 1 : 0;
    if (state.inputInhibited == value) return;
    state.inputInhibited = value;
    damage.Mark(Indicator::kInhibit);
    damage.Cursor();  // a locked keyboard's cursor does not blink
}

void Terminal::SetMessageWaiting(bool on) {
    const int value = on ? 1 : 0;
    if (state.messageWaiting == value) return;
    state.messageWaiting = value;
    damage.Mark(Indicator::kMessage);
}

void Terminal::SetInsertMode(bool on) {
    const int value = on ? 1 : 0;
    if (state.insertMode == value) return;
    state.insertMode = value;
    damage.Mark(Indicator::kInsert);
}

void Terminal::SetSysReqMode(bool on) {
    const int value = on ? 1 : 0;
    if (state.sysReqMode == value) return;
    state.sysReqMode = value;
    damage.Mark(Indicator::kSysReqLine);
}

void Terminal::SetRefusedReason(std::string_view reason) {
    if (state.refusedReason == reason) return;
    state.refusedReason = std::string(reason);
    damage.Mark(Indicator::kReason);
}

void Terminal::SetConnectionNotice(std::string_view notice) {
    if (state.connectionNotice == notice) return;
    state.connectionNotice = std::string(notice);
    damage.All();
}

namespace {

// The look the attribute bytes give each cell, written into every cell of
// `cells`: for cells that are repainted anyway. `current` and `hidden` (under
// a non-display attribute) carry the attribute in force from cell to cell.
void RestyleEveryCell(std::span<ScreenCell> cells, DisplayAttributes& carried,
                      bool& carriedHidden) {
    // Kept in locals: the cells' stores could otherwise be taken to change
    // what the references point at, and each cell would read them again.
    DisplayAttributes current = carried;
    bool hidden = carriedHidden;
    for (ScreenCell& cell : cells) {
        if (IsAttributePosition(cell)) {
            const auto attribute = static_cast<std::uint8_t>(cell.ebcdic);
            current = DecodeAttribute(attribute);
            hidden = IsNonDisplay(attribute);
            cell.reverse = 0;
            cell.blink = 0;
            cell.underline = 0;
            cell.foreground = kColorGreen;
            cell.background = kColorBackground;
        } else {
            DisplayAttributes look = current;
            ApplyExtendedLook(look, cell);
            cell.reverse = look.reverse;
            cell.blink = look.blink;
            cell.underline = look.underline;
            cell.foreground = look.foreground;
            cell.background = look.background;
            // One-way: the hidden character is not restored by a later pass.
            if (hidden) cell.character = ' ';
        }
        cell.selected = 0;
    }
    carried = current;
    carriedHidden = hidden;
}

}  // namespace

void Terminal::Restyle() {
    selection = CellRect{};
    const std::span<ScreenCell> cells = screen.writableInUse();
    // After a change that repaints everything (Clear Unit, a new geometry)
    // there is nothing to compare.
    DisplayAttributes current = DecodeAttribute(0x20);
    bool hidden = false;  // under a non-display attribute
    if (damage.all()) {
        RestyleEveryCell(cells, current, hidden);
        return;
    }
    const std::size_t count = cells.size();
    const std::size_t width = static_cast<std::size_t>(std::max(columns(), 1));
    // Row by row, so each row's changed cells make one span; a cell is
    // written only when its look changes, which is rare after the first
    // pass over a screen.
    int row = 0;
    for (std::size_t rowStart = 0; rowStart < count; rowStart += width, ++row) {
        const std::size_t rowEnd = std::min(count, rowStart + width);
        const ScreenDamage::Columns dirty = damage.row(row);
        if (dirty.left <= 0 && static_cast<std::size_t>(dirty.right) >= rowEnd - rowStart) {
            // A row damaged whole (a host write, Clear Unit) is written whole.
            RestyleEveryCell(cells.subspan(rowStart, rowEnd - rowStart), current, hidden);
            continue;
        }
        int left = -1;
        int right = -1;
        for (std::size_t p = rowStart; p < rowEnd; ++p) {
            ScreenCell& cell = cells[p];
            DisplayAttributes look{};
            std::uint8_t character = cell.character;
            if (IsAttributePosition(cell)) {
                const auto attribute = static_cast<std::uint8_t>(cell.ebcdic);
                current = DecodeAttribute(attribute);
                hidden = IsNonDisplay(attribute);
            } else {
                look = current;
                ApplyExtendedLook(look, cell);
                if (hidden) character = ' ';
            }
            // One test for the whole look, without a branch per member.
            const int differs = (cell.reverse ^ look.reverse) | (cell.blink ^ look.blink) |
                                (cell.underline ^ look.underline) |
                                (cell.foreground ^ look.foreground) |
                                (cell.background ^ look.background) |
                                (cell.character ^ character) | cell.selected;
            if (differs == 0) continue;
            cell.reverse = look.reverse;
            cell.blink = look.blink;
            cell.underline = look.underline;
            cell.foreground = look.foreground;
            cell.background = look.background;
            cell.character = character;
            cell.selected = 0;
            const int column = static_cast<int>(p - rowStart);
            if (left < 0) left = column;
            right = column + 1;
        }
        if (left >= 0) damage.Row(row, left, right);
    }
}

}  // namespace quenlix
