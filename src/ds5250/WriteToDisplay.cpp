// Write To Display: the write control character, the orders, display data
// and field definitions.
#include <algorithm>
#include <array>
#include <span>

#include "ds5250/DataStreamCodes.h"
#include "ds5250/TN5250.h"

namespace quenlix {

using namespace ds;

namespace {
constexpr const char* kResequencingFound = "Resequencing FCW found";

// Decodes every flag of an entry from its field format word.
void DecodeFieldFormatWord(FieldEntry& e, std::uint8_t ffw1, std::uint8_t ffw2) {
    e.ffw1 = ffw1;
    e.ffw2 = ffw2;
    e.bypass = (ffw1 & kFfwBypass) ? 1 : 0;
    e.dupEnable = (ffw1 & 0x10) ? 1 : 0;
    e.mdt = (ffw1 & kFfwModified) ? 1 : 0;
    e.shiftEdit = ffw1 & 0x07;
    e.autoEnter = (ffw2 & 0x80) ? 1 : 0;
    e.fieldExitRequired = (ffw2 & 0x40) ? 1 : 0;
    e.monocase = (ffw2 & 0x20) ? 1 : 0;
    e.mandatoryEnter = (ffw2 & 0x08) ? 1 : 0;
    e.fillType = ffw2 & 0x07;
}
}  // namespace

bool CTN5250::ProcessWriteControl(std::uint8_t cc1, std::uint8_t cc2) {
    bool resetMdtNonBypass = false, resetMdtAll = false;
    bool nullModified = false, nullAll = false;
    switch (static_cast<Cc1Reset>(cc1 & kCc1ResetMask)) {
        case kCc1NoReset:
        case kCc1ResetPendingAid:
            // No AID is ever left pending here: an attention key goes out at
            // once, and keys typed while locked wait in type-ahead, which is
            // the operator's and stays.
            break;
        case kCc1ResetMdtNonBypass: resetMdtNonBypass = true; break;
        case kCc1ResetMdtAll: resetMdtAll = true; break;
        case kCc1NullModifiedNonBypass: nullModified = true; break;
        case kCc1ResetMdtNullAllNonBypass: resetMdtNonBypass = nullAll = true; break;
        case kCc1NullModifiedResetMdtNonBypass: nullModified = resetMdtNonBypass = true; break;
        case kCc1NullAllNonBypassResetMdtAll: nullAll = resetMdtAll = true; break;
    }
    FormatTable& table = t_.formatTable;
    bool mdtReset = false;
    for (int i = 0; i < table.fieldCount(); ++i) {
        FieldEntry& e = *table.entry(i);
        // Nulling first: "the fields whose MDT is on" are those of before the reset.
        if (!e.bypass && (nullAll || (nullModified && e.mdt))) NullField(e);
        if (resetMdtAll || (resetMdtNonBypass && !e.bypass)) {
            e.mdt = 0;
            mdtReset = true;
        }
    }
    if (mdtReset) t_.state.operatorModified = 0;
    // Every reset pattern also locks the keyboard: an output-only screen
    // takes no keys until CC2, a read or the next invitation opens it.
    if ((cc1 & kCc1ResetMask) != kCc1NoReset) t_.SetKeyboardLocked(true);

    if (cc2 & kCc2CursorSteady) t_.state.hostBlink = 0;
    if (cc2 & kCc2CursorBlink) t_.state.hostBlink = 1;
    if (cc2 & kCc2Alarm) links_.messages.Alarm();
    if (cc2 & (kCc2MessageLightOn | kCc2MessageLightOff)) {
        t_.SetMessageWaiting((cc2 & kCc2MessageLightOn) != 0);
    }
    return (cc2 & kCc2UnlockKeyboard) != 0;
}

void CTN5250::NullField(const FieldEntry& e) {
    // Both bytes: what the screen shows and what a read sends always agree.
    // Only the field's positions on the screen are walked, so a field
    // recorded longer than the screen costs no more than the screen.
    const Terminal::Span span = t_.FieldSpan(e);
    for (int p = span.first; p < span.end; ++p) {
        ScreenCell& cell = t_.screen.at(p);
        cell.ebcdic = kEbcdicNull;
        cell.character = ' ';
    }
    t_.DamageSpan(span.first, span.end);
}

void CTN5250::EndOfWriteToDisplay() {
    if (!r_.unlockAfterOrders) return;
    r_.unlockAfterOrders = false;
    t_.SetKeyboardLocked(false);
    // The cursor goes to the Insert Cursor address (or home) as the keyboard
    // unlocks, unless CC2 asked it to stay where the operator left it.
    r_.cursorStays = r_.cursorStaysOnUnlock;
}

void CTN5250::EndOfDisplayData() { EndOfWriteToDisplay(); }

void CTN5250::InsertCursor(std::uint8_t, int row, int column) {
    t_.state.hostFormat.insertCursorRow = row;
    t_.state.hostFormat.insertCursorColumn = column;
    r_.cursorGiven = true;
    // The Insert Cursor address is also the screen's home position, held to
    // the screen's edge as the cursor is.
    t_.state.hostFormat.homePosition =
        (std::clamp(row, 1, t_.rows()) - 1) * t_.columns() + std::clamp(column, 1, t_.columns()) - 1;
}

void CTN5250::SetBufferAddress(int row, int column) {
    r_.writeRow = row;
    r_.writeColumn = column;
}

// Inline: it runs for nearly every byte of a screen.
inline ScreenCell* CTN5250::DataCell() {
    if (r_.writeColumn > t_.columns()) {
        ++r_.writeRow;
        r_.writeColumn = 1;
    }
    const int p = (r_.writeRow - 1) * t_.columns() + r_.writeColumn - 1;
    if (!t_.screen.contains(p)) [[unlikely]] {
        // Also for row or column 0, which address before the first position.
        StopWithNegativeResponse(kSenseWriteBeyondScreen);
        return nullptr;
    }
    return &t_.screen.inUse()[static_cast<std::size_t>(p)];  // p checked above
}

void CTN5250::Data(const std::uint8_t* bytes, std::size_t count) {
    // Printable EBCDIC, nearly all of a screen, is stored straight into the
    // cell, a row's part of the run at a time; the rest goes the long way.
    const std::array<std::uint8_t, 256>& etoa = *etoa_;
    // The run's cells follow each other: the ones it changes are damaged as
    // one span, also when the run ends in a throw (a negative response that
    // cannot be sent). A host that writes the screen that is already there
    // (a refresh, a status line rewritten) has nothing repainted.
    struct ChangedSpan {
        Terminal& t;
        const ScreenCell* first = nullptr;
        const ScreenCell* last = nullptr;
        ~ChangedSpan() {
            if (!first) return;
            const ScreenCell* base = t.screen.inUse().data();
            t.DamageSpan(static_cast<int>(first - base), static_cast<int>(last - base) + 1);
        }
    } changed{t_};
    // 0xFF (a doubled IAC on the wire) is shown blank, not translated.
    const auto fast = [](std::uint8_t byte) { return byte >= 0x40 && byte != 0xFF; };
    std::size_t pos = 0;
    while (pos < count && !r_.stopped) {
        const std::uint8_t byte = bytes[pos];
        if (!fast(byte)) {
            WriteDataByte(byte);
            ++pos;
            continue;
        }
        ScreenCell* cell = DataCell();
        if (!cell) break;
        // This byte and those after it that land on the rest of the row go
        // into the cells that follow, which are on the screen as far as it
        // reaches.
        const std::span<ScreenCell> cells = t_.screen.inUse();
        const std::size_t onScreen = cells.size() - static_cast<std::size_t>(cell - cells.data());
        const int rowLeft = std::max(1, t_.columns() - r_.writeColumn + 1);
        const std::size_t room = std::min(onScreen, static_cast<std::size_t>(rowLeft));
        const std::size_t end = std::min(count, pos + room);
        const std::size_t from = pos;
        do {
            const std::uint8_t data = bytes[pos];
            const std::uint8_t character = etoa[data];
            if (cell->ebcdic != data || cell->character != character) {
                cell->ebcdic = data;
                cell->character = character;
                if (!changed.first) changed.first = cell;
                changed.last = cell;
            }
            ++pos;
            ++cell;
        } while (pos < end && fast(bytes[pos]));
        r_.writeColumn += static_cast<int>(pos - from);
    }
}

void CTN5250::WriteDataByte(std::uint8_t byte) {
    ScreenCell* found = DataCell();
    if (!found) return;
    ScreenCell& cell = *found;
    t_.DamagePosition(static_cast<int>(found - t_.screen.inUse().data()));
    if (byte == 0xFF) {
        cell.ebcdic = 0xFF;
        cell.character = ' ';
    } else {
        cell.ebcdic = byte;  // a null stays a null, shown as a blank
        if (byte >= 0x20 && byte <= 0x3F) {
            cell.character = ' ';
            // An attribute right before a field's first data position
            // becomes that field's attribute.
            const int p = (r_.writeRow - 1) * t_.columns() + r_.writeColumn - 1;
            if (t_.screen.contains(p + 1) && t_.screen.at(p + 1).inField) {
                FieldEntry* e = t_.formatTable.entry(t_.screen.at(p + 1).fieldIndex);
                if (e) e->attribute = byte;
            }
        } else if (byte == 0x00) {
            cell.character = ' ';
        } else {
            cell.character = ToPc(byte);
        }
    }
    ++r_.writeColumn;
}

void CTN5250::StartOfHeader(const HeaderOrder& order) {
    t_.state.hostFormat.resequenceField = order.resequenceField();
    t_.state.hostFormat.errorRow = order.errorRow();
    if (t_.state.hostFormat.errorRow > 24 && t_.rows() == 24) t_.state.hostFormat.errorRow = 24;
    t_.screen.ClearFieldMarks();
    t_.formatTable.ClearFormatTable();
    r_.cursorGiven = false;
    t_.state.hostFormat.insertCursorRow = 1;
    t_.state.hostFormat.insertCursorColumn = 1;
    t_.state.hostFormat.homePosition = -1;
}

void CTN5250::RepeatToAddress(int row, int column, std::uint8_t stored) {
    const std::uint8_t shown = stored == kEbcdicNull ? ' ' : ToPc(stored);
    const int from = (r_.writeRow - 1) * t_.columns() + r_.writeColumn - 1;
    const int to = (row - 1) * t_.columns() + column - 1;
    // Both ends are checked before anything is written: a target off the
    // screen is refused with the screen as it was, not after a fill up to
    // its edge.
    if (from <= to && (!t_.screen.contains(from) || !t_.screen.contains(to))) {
        StopWithNegativeResponse(kSenseWriteBeyondScreen);
        return;
    }
    for (int p = from; p <= to; ++p) {
        ScreenCell& cell = t_.screen.at(p);
        cell.character = shown;
        cell.ebcdic = stored;
    }
    t_.DamageSpan(from, to + 1);
    r_.writeRow = row;
    r_.writeColumn = column + 1;
    if (r_.writeColumn > t_.columns()) {
        ++r_.writeRow;
        r_.writeColumn = 1;
    }
}

void CTN5250::StartOfField(const FieldOrder& order) {
    FormatTable& table = t_.formatTable;
    int index = table.Find(r_.writeRow, r_.writeColumn);
    if (index < 0) {
        // A new entry of an output-only field (no format word) is a bypass
        // field, so no stale flags of an earlier field in that slot let the
        // operator type into it. A full table takes no 257th entry: the
        // order is read and its attribute shown, but no field is defined.
        FieldEntry fresh;
        fresh.row = r_.writeRow;
        fresh.column = r_.writeColumn;
        fresh.bypass = 1;
        index = table.Append(fresh);
    }
    FieldEntry ignored;
    FieldEntry& e = index >= 0 ? *table.entry(index) : ignored;
    if (index >= 0) table.currentField = index;

    if (order.formatWord) {
        DecodeFieldFormatWord(e, order.ffw1, order.ffw2);
        if (index >= 0) table.noInputField &= e.bypass;
    }
    for (std::size_t k = 0; k < order.resequenceWords; ++k) {
        Notice(HostNotice::kResequencing, kResequencingFound);
    }
    if (order.resequenced) {
        e.fcw1 = kFcwResequence;
        e.fcw2 = order.resequence;
    }
    const std::uint8_t attribute = order.attribute;
    e.attribute = attribute;
    const int attributePos = (r_.writeRow - 1) * t_.columns() + r_.writeColumn - 1;
    if (t_.screen.contains(attributePos)) {
        t_.screen.at(attributePos).ebcdic = attribute;
        t_.DamagePosition(attributePos);
    }
    e.length = order.length;
    ++r_.writeColumn;  // now the first data position; wraps at the next write

    if (index < 0) return;
    const int first = attributePos + 1;
    for (int k = 0; k < e.length; ++k) {
        const int p = first + k;
        if (!t_.screen.contains(p)) {
            StopWithNegativeResponse(kSenseFieldBeyondScreen);
            return;
        }
        ScreenCell& cell = t_.screen.at(p);
        cell.inField = 1;
        cell.fieldIndex = index;
        cell.fieldLength = e.length;
        cell.fieldOffset = k;
    }
    const int end = first + e.length;
    if (t_.screen.contains(end)) {
        ScreenCell& cell = t_.screen.at(end);
        t_.DamagePosition(end);
        cell.ebcdic = 0x20;
        cell.inField = 0;
        cell.fieldIndex = -1;
        cell.fieldLength = 0;
        cell.fieldOffset = -1;
    }
}

}  // namespace quenlix
