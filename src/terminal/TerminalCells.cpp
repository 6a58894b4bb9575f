// The verbs that change the cells of the presentation space, each recording
// the damage of what it changed.
#include <algorithm>

#include "terminal/TerminalState.h"

namespace quenlix {

bool Terminal::SetCell(int pos, std::uint8_t ebcdic, std::uint8_t character) {
    if (!screen.contains(pos)) return false;
    ScreenCell& cell = screen.writableAt(pos);
    cell.ebcdic = ebcdic;
    cell.character = character;
    DamagePosition(pos);
    return true;
}

bool Terminal::ChangeCell(int pos, std::uint8_t ebcdic, std::uint8_t character) {
    if (!screen.contains(pos)) return false;
    ScreenCell& cell = screen.writableAt(pos);
    if (cell.ebcdic == ebcdic && cell.character == character) return true;
    cell.ebcdic = ebcdic;
    cell.character = character;
    DamagePosition(pos);
    return true;
}

bool Terminal::SetCellByte(int pos, std::uint8_t ebcdic) {
    if (!screen.contains(pos)) return false;
    screen.writableAt(pos).ebcdic = ebcdic;
    DamagePosition(pos);
    return true;
}

bool Terminal::SetCellCharacter(int pos, std::uint8_t character) {
    if (!screen.contains(pos)) return false;
    screen.writableAt(pos).character = character;
    DamagePosition(pos);
    return true;
}

bool Terminal::FillCells(int first, int end, std::uint8_t ebcdic, std::uint8_t character) {
    if (first < 0 || first > end || end > cellCount()) return false;
    const std::span<ScreenCell> cells = screen.writableInUse();
    for (int p = first; p < end; ++p) {
        ScreenCell& cell = cells[static_cast<std::size_t>(p)];
        cell.ebcdic = ebcdic;
        cell.character = character;
    }
    DamageSpan(first, end);
    return true;
}

bool Terminal::SetExtendedAttributes(int pos, int look, int color) {
    if (!screen.contains(pos)) return false;
    ScreenCell& cell = screen.writableAt(pos);
    cell.extendedLook = look;
    cell.extendedColor = color;
    DamagePosition(pos);
    return true;
}

bool Terminal::MoveCell(int from, int to) {
    if (!screen.contains(from) || !screen.contains(to)) return false;
    const ScreenCell& source = screen.at(from);
    return ChangeCell(to, static_cast<std::uint8_t>(source.ebcdic), source.character);
}

std::size_t Terminal::WriteDataRun(int first, const std::uint8_t* data, std::size_t count,
                                  const std::array<std::uint8_t, 256>& toPc) {
    if (first < 0 || first > cellCount() || count > static_cast<std::size_t>(cellCount() - first)) {
        return 0;
    }
    ScreenCell* cell = screen.writableInUse().data() + first;
    const ScreenCell* changedFirst = nullptr;
    const ScreenCell* changedLast = nullptr;
    std::size_t k = 0;
    for (; k < count; ++k, ++cell) {
        const std::uint8_t byte = data[k];
        if (!IsPrintableHostData(byte)) break;
        const std::uint8_t character = toPc[byte];
        if (cell->ebcdic != byte || cell->character != character) {
            cell->ebcdic = byte;
            cell->character = character;
            if (!changedFirst) changedFirst = cell;
            changedLast = cell;
        }
    }
    if (changedFirst) {
        const ScreenCell* base = screen.writableInUse().data();
        DamageSpan(static_cast<int>(changedFirst - base), static_cast<int>(changedLast - base) + 1);
    }
    return k;
}

bool Terminal::MarkFieldCell(int pos, int index, int offset, int length) {
    if (!screen.contains(pos)) return false;
    ScreenCell& cell = screen.writableAt(pos);
    cell.inField = 1;
    cell.fieldIndex = index;
    cell.fieldOffset = offset;
    cell.fieldLength = length;
    return true;
}

int Terminal::MarkFieldCells(int first, int index, int length) {
    if (first < 0 || length <= 0) return 0;
    const int marked = first >= cellCount() ? 0 : std::min(length, cellCount() - first);
    ScreenCell* cell = screen.writableInUse().data() + first;
    for (int k = 0; k < marked; ++k, ++cell) {
        cell->inField = 1;
        cell->fieldIndex = index;
        cell->fieldOffset = k;
        cell->fieldLength = length;
    }
    return marked;
}

bool Terminal::ClearFieldCell(int pos) {
    if (!screen.contains(pos)) return false;
    ScreenCell& cell = screen.writableAt(pos);
    cell.inField = 0;
    cell.fieldIndex = -1;
    cell.fieldOffset = -1;
    cell.fieldLength = 0;
    return true;
}

void Terminal::ClearFieldMarks() { screen.ClearFieldMarks(); }

void Terminal::BlankOutsideFields() {
    // One pass: a Clear Unit empties the whole screen.
    for (ScreenCell& cell : screen.writableInUse()) {
        cell.ebcdic = kEbcdicBlank;
        cell.character = ' ';
        cell.inField = 0;
        cell.fieldIndex = -1;
        cell.fieldOffset = -1;
        cell.fieldLength = 0;
        cell.extendedLook = 0;
        cell.extendedColor = 0;
    }
    DamageSpan(0, cellCount());
}

void Terminal::BlankAll() {
    screen.BlankAll();
    damage.All();
}

bool Terminal::SetSelected(int pos, bool selected) {
    if (!screen.contains(pos)) return false;
    ScreenCell& cell = screen.writableAt(pos);
    const int value = selected ? 1 : 0;
    if (cell.selected == value) return true;
    cell.selected = value;
    DamagePosition(pos);
    return true;
}

void Terminal::SetAllSelected(bool selected) {
    for (int p = 0; p < cellCount(); ++p) SetSelected(p, selected);
}

}  // namespace quenlix
