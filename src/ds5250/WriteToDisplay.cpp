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
// True for a byte that is display data, not an order.
constexpr bool IsPlainData(std::uint8_t byte) {
    switch (byte) {
        case kOrderStartOfHeader:
        case kOrderRepeatToAddress:
        case kOrderInsertCursorAlt:
        case kEscape:
        case kOrderSetBufferAddress:
        case kOrderInsertCursor:
        case kOrderStartOfField:
            return false;
        default:
            return true;
    }
}
// True for a data byte that a code page's table gives a character:
// 0x40..0xFE. The others (controls, attributes, 0xFF) take the long way.
constexpr bool IsTranslated(std::uint8_t byte) {
    return static_cast<std::uint8_t>(byte - 0x40) < 0xBF;
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

void CTN5250::EndOfWriteToDisplay(Block& b) {
    if (!b.unlockAfterOrders) return;
    b.unlockAfterOrders = false;
    t_.SetKeyboardLocked(false);
    // The cursor goes to the Insert Cursor address (or home) as the keyboard
    // unlocks, unless CC2 asked it to stay where the operator left it.
    b.cursorStays = b.cursorStaysOnUnlock;
}

void CTN5250::StepDisplayData(Block& b) {
    const std::uint8_t v = b.at(b.pos);
    switch (v) {
        case kEscape:
            EndOfWriteToDisplay(b);
            ++b.pos;
            b.state = kCommand;
            break;
        case kOrderStartOfHeader:
            StartOfHeader(b);
            break;
        case kOrderRepeatToAddress:
            RepeatToAddress(b);
            break;
        case kOrderInsertCursorAlt:
        case kOrderInsertCursor:
            t_.state.hostFormat.insertCursorRow = b.at(b.pos + 1);
            t_.state.hostFormat.insertCursorColumn = b.at(b.pos + 2);
            b.cursorGiven = true;
            // The Insert Cursor address is also the screen's home position,
            // held to the screen's edge as the cursor is.
            t_.state.hostFormat.homePosition =
                (std::clamp(t_.state.hostFormat.insertCursorRow, 1, t_.rows()) - 1) * t_.columns() +
                std::clamp(t_.state.hostFormat.insertCursorColumn, 1, t_.columns()) - 1;
            b.pos += 3;
            break;
        case kOrderSetBufferAddress:
            b.writeRow = b.at(b.pos + 1);
            b.writeColumn = b.at(b.pos + 2);
            b.pos += 3;
            break;
        case kOrderStartOfField:
            StartOfField(b);
            break;
        default:
            // Includes 0x10, 0x12, 0x14 and 0x15: not orders here, plain data.
            WriteDataRun(b);
            break;
    }
}

// Inline: it runs for nearly every byte of a screen.
inline ScreenCell* CTN5250::DataCell(Block& b) {
    if (b.writeColumn > t_.columns()) {
        ++b.writeRow;
        b.writeColumn = 1;
    }
    const int p = (b.writeRow - 1) * t_.columns() + b.writeColumn - 1;
    if (!t_.screen.contains(p)) [[unlikely]] {
        // Also for row or column 0, which address before the first position.
        StopWithNegativeResponse(b, kSenseWriteBeyondScreen);
        return nullptr;
    }
    return &t_.screen.inUse()[static_cast<std::size_t>(p)];  // p checked above
}

void CTN5250::WriteDataRun(Block& b) {
    // A run of data bytes is written without going back through the state
    // dispatch for each byte; printable EBCDIC, nearly all of a screen, is
    // stored straight into the cell, the rest goes the long way.
    const std::array<std::uint8_t, 256>& etoa = *etoa_;
    std::uint8_t byte = b.at(b.pos);
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
    do {
        if (IsTranslated(byte)) {
            ScreenCell* cell = DataCell(b);
            if (!cell) break;
            // This byte and those after it that land on the rest of the row
            // go into the cells that follow, which are on the screen as far
            // as it reaches.
            const std::span<ScreenCell> cells = t_.screen.inUse();
            const std::size_t onScreen =
                cells.size() - static_cast<std::size_t>(cell - cells.data());
            const int rowLeft = std::max(1, t_.columns() - b.writeColumn + 1);
            const std::size_t room = std::min(onScreen, static_cast<std::size_t>(rowLeft));
            const std::size_t end = std::min(b.length, b.pos + room);
            std::size_t pos = b.pos;  // below b.length: at() gave a byte from 0x40 up
            do {
                const std::uint8_t data = b.data[pos];
                const std::uint8_t character = etoa[data];
                if (cell->ebcdic != data || cell->character != character) {
                    cell->ebcdic = data;
                    cell->character = character;
                    if (!changed.first) changed.first = cell;
                    changed.last = cell;
                }
                ++pos;
                ++cell;
            } while (pos < end && IsTranslated(b.data[pos]));
            b.writeColumn += static_cast<int>(pos - b.pos);
            b.pos = pos;
        } else {
            WriteDataByte(b, byte);
            if (b.stopped) break;
            ++b.pos;
        }
        byte = b.at(b.pos);
    } while (b.pos < b.length && IsPlainData(byte));
}

void CTN5250::WriteDataByte(Block& b, std::uint8_t byte) {
    ScreenCell* found = DataCell(b);
    if (!found) return;
    ScreenCell& cell = *found;
    t_.DamagePosition(static_cast<int>(found - t_.screen.inUse().data()));
    cell.ebcdic = byte;  // a null stays a null, shown as a blank
    if (byte >= 0x20 && byte <= 0x3F) {
        cell.character = ' ';
        // An attribute right before a field's first data position
        // becomes that field's attribute.
        const int p = (b.writeRow - 1) * t_.columns() + b.writeColumn - 1;
        if (t_.screen.contains(p + 1) && t_.screen.at(p + 1).inField) {
            FieldEntry* e = t_.formatTable.entry(t_.screen.at(p + 1).fieldIndex);
            if (e) e->attribute = byte;
        }
    } else if (byte == 0x00 || byte >= 0x40) {
        cell.character = ' ';  // a null, or 0xFF: no code page gives it a character
    } else {
        cell.character = ToPc(byte);
    }
    ++b.writeColumn;
}

void CTN5250::StartOfHeader(Block& b) {
    const std::size_t order = b.pos;
    const int length = b.at(order + 1);
    t_.state.hostFormat.resequenceField = b.at(order + 4);
    t_.state.hostFormat.errorRow = b.at(order + 5);
    b.pos = order + static_cast<std::size_t>(length) + 2;
    if (t_.state.hostFormat.errorRow > 24 && t_.rows() == 24) t_.state.hostFormat.errorRow = 24;
    t_.screen.ClearFieldMarks();
    t_.formatTable.ClearFormatTable();
    b.cursorGiven = false;
    t_.state.hostFormat.insertCursorRow = 1;
    t_.state.hostFormat.insertCursorColumn = 1;
    t_.state.hostFormat.homePosition = -1;
}

void CTN5250::RepeatToAddress(Block& b) {
    const int row = b.at(b.pos + 1);
    const int column = b.at(b.pos + 2);
    const std::uint8_t stored = b.at(b.pos + 3);
    const std::uint8_t shown = stored == kEbcdicNull ? ' ' : ToPc(stored);
    const int from = (b.writeRow - 1) * t_.columns() + b.writeColumn - 1;
    const int to = (row - 1) * t_.columns() + column - 1;
    // Both ends are checked before anything is written: a target off the
    // screen is refused with the screen as it was, not after a fill up to
    // its edge.
    if (from <= to && (!t_.screen.contains(from) || !t_.screen.contains(to))) {
        StopWithNegativeResponse(b, kSenseWriteBeyondScreen);
        return;
    }
    for (int p = from; p <= to; ++p) {
        ScreenCell& cell = t_.screen.at(p);
        cell.character = shown;
        cell.ebcdic = stored;
    }
    t_.DamageSpan(from, to + 1);
    b.writeRow = row;
    b.writeColumn = column + 1;
    if (b.writeColumn > t_.columns()) {
        ++b.writeRow;
        b.writeColumn = 1;
    }
    b.pos += 4;
}

void CTN5250::StartOfField(Block& b) {
    FormatTable& table = t_.formatTable;
    std::size_t i = b.pos + 1;

    int index = table.Find(b.writeRow, b.writeColumn);
    if (index < 0) {
        // A new entry of an output-only field (no format word) is a bypass
        // field, so no stale flags of an earlier field in that slot let the
        // operator type into it. A full table takes no 257th entry: the
        // order is read and its attribute shown, but no field is defined.
        FieldEntry fresh;
        fresh.row = b.writeRow;
        fresh.column = b.writeColumn;
        fresh.bypass = 1;
        index = table.Append(fresh);
    }
    FieldEntry ignored;
    FieldEntry& e = index >= 0 ? *table.entry(index) : ignored;
    if (index >= 0) table.currentField = index;

    if (b.at(i) & 0x40) {
        DecodeFieldFormatWord(e, b.at(i), b.at(i + 1));
        if (index >= 0) table.noInputField &= e.bypass;
        i += 2;
    }
    while (i < b.length && (b.at(i) & 0x80)) {
        if (b.at(i) == 0x80) {
            links_.messages.ShowHostNotice(HostNotice::kResequencing, kResequencingFound);
            e.fcw1 = 0x80;
            e.fcw2 = b.at(i + 1);
        }
        i += 2;
    }
    const std::uint8_t attribute = b.at(i++);
    e.attribute = attribute;
    const int attributePos = (b.writeRow - 1) * t_.columns() + b.writeColumn - 1;
    if (t_.screen.contains(attributePos)) {
        t_.screen.at(attributePos).ebcdic = attribute;
        t_.DamagePosition(attributePos);
    }

    e.length = b.at(i) * 256 + b.at(i + 1);
    i += 2;
    b.pos = i;
    ++b.writeColumn;  // now the first data position; wraps at the next write

    if (index < 0) return;
    const int first = attributePos + 1;
    for (int k = 0; k < e.length; ++k) {
        const int p = first + k;
        if (!t_.screen.contains(p)) {
            StopWithNegativeResponse(b, kSenseFieldBeyondScreen);
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
