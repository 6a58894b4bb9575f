// The orders beyond the basic ones (Erase to Address, Move Cursor,
// Transparent Data, Write Extended Attribute), Write Error Code to Window
// and the partial screen commands.
#include <algorithm>

#include "ds5250/DataStreamCodes.h"
#include "ds5250/TN5250.h"

namespace quenlix {

using namespace ds;

namespace {

/// The colour index a Write Extended Attribute foreground colour names;
/// -1 for a value that is no colour.
int ExtendedColorIndex(std::uint8_t value) {
    switch (value) {
        case kExtendedColorDefault:
            return 0;
        case 0xF1:
            return kColorBlue;
        case 0xF2:
            return kColorRed;
        case 0xF3:
            return kColorPink;
        case 0xF4:
            return kColorGreen;
        case 0xF5:
            return kColorTurquoise;
        case 0xF6:
            return kColorYellow;
        case 0xF7:
            return kColorWhite;
        default:
            return -1;
    }
}

int ExtendedLookOf(std::uint8_t value) {
    int look = 0;
    if (value & kExtendedReverse) look |= kLookReverse;
    if (value & kExtendedUnderline) look |= kLookUnderline;
    if (value & kExtendedBlink) look |= kLookBlink;
    if (value & kExtendedColumnSeparator) look |= kLookColumnSeparator;
    return look;
}

bool IsEraseType(std::uint8_t type) {
    return (type >= kEraseCharacters && type <= kEraseIdeographic) || type == kEraseAll;
}

}  // namespace

void CTN5250::InsertCursor(int row, int column) {
    t_.state.hostFormat.insertCursorRow = row;
    t_.state.hostFormat.insertCursorColumn = column;
    r_.cursorGiven = true;
    r_.cursorMoved = false;  // the last of Insert Cursor and Move Cursor places the cursor
    // The Insert Cursor address is also the screen's home position, held to
    // the screen's edge as the cursor is.
    t_.state.hostFormat.homePosition = HostPosition(
        std::clamp(row, 1, t_.rows()), std::clamp(column, 1, t_.columns()), t_.columns());
}

void CTN5250::MoveCursor(int row, int column) {
    if (row < 1 || row > t_.rows() || column < 1 || column > t_.columns()) {
        StopWithNegativeResponse(kSenseInvalidAddress);
        return;
    }
    // The cursor goes there now, whatever the keyboard's state, and stays
    // there at the end of the record unless an Insert Cursor follows. The
    // home position is not changed.
    r_.changed = true;
    r_.cursorMoved = true;
    r_.movedRow = row;
    r_.movedColumn = column;
    t_.SetCursorCell(row - 1, column - 1);
}

void CTN5250::EraseToAddress(const EraseOrder& order) {
    if (order.row < 1 || order.row > t_.rows() || order.column < 1 || order.column > t_.columns()) {
        StopWithNegativeResponse(kSenseInvalidAddress);
        return;
    }
    if (order.length < kEraseLengthMin || order.length > kEraseLengthMax ||
        order.typeCount != order.length - 1u) {
        StopWithNegativeResponse(kSenseExtendedAttributeType);
        return;
    }
    bool characters = false, look = false, color = false;
    for (std::size_t k = 0; k < order.typeCount; ++k) {
        const std::uint8_t type = order.types[k];
        if (!IsEraseType(type)) {
            StopWithNegativeResponse(kSenseExtendedAttributeType);
            return;
        }
        characters |= type == kEraseCharacters || type == kEraseAll;
        look |= type == kEraseCharacters || type == kEraseAll;
        color |= type == kEraseColor || type == kEraseAll;
    }
    if (r_.writeColumn > t_.columns()) {
        ++r_.writeRow;
        r_.writeColumn = 1;
    }
    const int from = HostPosition(r_.writeRow, r_.writeColumn, t_.columns());
    const int to = HostPosition(order.row, order.column, t_.columns());
    if (!t_.screen.contains(from)) {
        StopWithNegativeResponse(kSenseWriteBeyondScreen);
        return;
    }
    if (to < from) {
        StopWithNegativeResponse(kSenseAddressBehind);
        return;
    }
    r_.changed = true;
    if (characters) t_.FillCells(from, to + 1, kEbcdicNull, ' ');
    if (look || color) {
        for (int p = from; p <= to; ++p) {
            const ScreenCell& cell = t_.screen.at(p);
            t_.SetExtendedAttributes(p, look ? 0 : cell.extendedLook,
                                     color ? 0 : cell.extendedColor);
        }
    }
    r_.writeRow = order.row;
    r_.writeColumn = order.column + 1;  // wraps at the next write
}

void CTN5250::TransparentData(int length) {
    if (walker_ && walker_->cut()) {
        StopWithNegativeResponse(kSenseWriteBeyondScreen);
        return;
    }
    if (length == 0) return;
    if (r_.writeColumn > t_.columns()) {
        ++r_.writeRow;
        r_.writeColumn = 1;
    }
    // All of it must fit from the write address on: none of it is written
    // otherwise.
    const long long first = HostPosition(r_.writeRow, r_.writeColumn, t_.columns());
    if (!t_.screen.contains(static_cast<int>(first)) || first + length > t_.cellCount()) {
        StopWithNegativeResponse(kSenseWriteBeyondScreen);
        return;
    }
    r_.changed = true;
}

void CTN5250::TransparentBytes(const std::uint8_t* bytes, std::size_t count) {
    // Written as display data is; only the reading of orders is skipped.
    Data(bytes, count);
}

void CTN5250::WriteExtendedAttribute(std::uint8_t type, std::uint8_t value) {
    if (walker_ && walker_->cut()) {
        StopWithNegativeResponse(kSenseExtendedAttributeType);
        return;
    }
    if (type != kExtendedPrimary && type != kExtendedForegroundColor &&
        type != kExtendedIdeographic) {
        StopWithNegativeResponse(kSenseExtendedAttributeType);
        return;
    }
    const int colorIndex = ExtendedColorIndex(value);
    if ((type == kExtendedPrimary && (value & kExtendedPrimaryReserved) != 0) ||
        (type == kExtendedForegroundColor && colorIndex < 0)) {
        StopWithNegativeResponse(kSenseExtendedAttribute);
        return;
    }
    // The attribute belongs to the position at the write address, which
    // does not move.
    int row = r_.writeRow, column = r_.writeColumn;
    if (column > t_.columns()) {
        ++row;
        column = 1;
    }
    const int p = HostPosition(row, column, t_.columns());
    if (!t_.screen.contains(p)) {
        StopWithNegativeResponse(kSenseWriteBeyondScreen);
        return;
    }
    r_.changed = true;
    const ScreenCell& cell = t_.screen.at(p);
    if (type == kExtendedPrimary) {
        t_.SetExtendedAttributes(p, ExtendedLookOf(value), cell.extendedColor);
    } else if (type == kExtendedForegroundColor) {
        t_.SetExtendedAttributes(p, cell.extendedLook, colorIndex);
    }
    // An ideographic attribute is taken and has no look on a single-byte screen.
}

void CTN5250::WriteErrorCodeToWindow(int firstColumn, int lastColumn) {
    if (firstColumn < 1 || lastColumn < firstColumn || lastColumn > t_.columns()) {
        StopWithNegativeResponse(kSenseErrorWindowAddress);
        return;
    }
    r_.errorWindowFirst = firstColumn;
    r_.errorWindowLast = lastColumn;
}

bool CTN5250::OnScreen(const PartialScreen& area) const {
    return area.row >= 1 && area.column >= 1 && area.depth >= 1 && area.width >= 1 &&
           area.row + area.depth - 1 <= t_.rows() && area.column + area.width - 1 <= t_.columns();
}

void CTN5250::SavePartialScreen(const PartialScreen& area) {
    if (!OnScreen(area)) {
        StopWithNegativeResponse(kSenseInvalidAddress);
        return;
    }
    reads_->SendSavePartialScreen(area);
}

void CTN5250::RestorePartialScreen(const PartialScreen& area) {
    // The commands that follow write the rectangle back; the rectangle
    // itself must lie on the screen.
    if (!OnScreen(area)) StopWithNegativeResponse(kSenseInvalidAddress);
}

}  // namespace quenlix
