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
    e.dupEnable = (ffw1 & kFfwDupEnable) ? 1 : 0;
    e.mdt = (ffw1 & kFfwModified) ? 1 : 0;
    e.shiftEdit = ShiftEditOf(ffw1);
    e.autoEnter = (ffw2 & kFfw2AutoEnter) ? 1 : 0;
    e.fieldExitRequired = (ffw2 & kFfw2FieldExitRequired) ? 1 : 0;
    e.monocase = (ffw2 & kFfw2Monocase) ? 1 : 0;
    e.mandatoryEnter = (ffw2 & kFfw2MandatoryEnter) ? 1 : 0;
    e.fillType = FillTypeOf(ffw2);
}
// True for a byte that is display data, not an order or the IAC of the
// telnet layer.
constexpr bool IsPlainData(std::uint8_t byte) {
    switch (byte) {
        case kOrderStartOfHeader:
        case kOrderRepeatToAddress:
        case kOrderInsertCursorAlt:
        case kEscape:
        case kOrderSetBufferAddress:
        case kOrderInsertCursor:
        case kOrderStartOfField:
        case kIac:
            return false;
        default:
            return true;
    }
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
    t_.FillCells(span.first, span.end, kEbcdicNull, ' ');
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
        case kIac:
            if (b.at(b.pos + 1) == kEor) {
                EndOfWriteToDisplay(b);
                EndOfRecordTest(b);
            } else if (b.at(b.pos + 1) == kIac) {
                WriteDataByte(b, 0xFF, true);
                if (!b.stopped) b.pos += 2;
            } else {
                ++b.pos;  // a lone 0xFF is dropped
            }
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
                HostPosition(std::clamp(t_.state.hostFormat.insertCursorRow, 1, t_.rows()),
                             std::clamp(t_.state.hostFormat.insertCursorColumn, 1, t_.columns()),
                             t_.columns());
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

// Inline: it runs for nearly every byte of a screen. The position the next
// data byte goes to, or -1 when it lies off the screen (the block stops).
inline int CTN5250::DataPosition(Block& b) {
    if (b.writeColumn > t_.columns()) {
        ++b.writeRow;
        b.writeColumn = 1;
    }
    const int p = HostPosition(b.writeRow, b.writeColumn, t_.columns());
    if (!t_.screen.contains(p)) [[unlikely]] {
        // Also for row or column 0, which address before the first position.
        StopWithNegativeResponse(b, kSenseWriteBeyondScreen);
        return -1;
    }
    return p;
}

void CTN5250::WriteDataRun(Block& b) {
    // A run of data bytes is written without going back through the state
    // dispatch for each byte; printable EBCDIC, nearly all of a screen, goes
    // to the model in one piece, the rest goes the long way.
    std::uint8_t byte = b.at(b.pos);
    do {
        if (byte >= 0x40) {
            const int first = DataPosition(b);
            if (first < 0) break;
            // This byte and those after it go into the cells that follow,
            // from row to row, as far as the screen reaches. A byte from
            // 0x40 up is data unless it is the IAC.
            const std::size_t room = static_cast<std::size_t>(t_.cellCount() - first);
            const std::size_t end = std::min(b.length, b.pos + room);
            std::size_t pos = b.pos + 1;  // b.pos below b.length: at() gave a byte from 0x40 up
            while (pos < end && b.data[pos] >= 0x40 && IsPlainData(b.data[pos])) ++pos;
            const std::size_t count = pos - b.pos;
            t_.WriteDataRun(first, b.data + b.pos, count, *etoa_);
            const int last = first + static_cast<int>(count) - 1;
            b.writeRow = last / t_.columns() + 1;
            b.writeColumn = last % t_.columns() + 2;  // one past the last; wraps at the next write
            b.pos = pos;
        } else {
            WriteDataByte(b, byte, false);
            if (b.stopped) break;
            ++b.pos;
        }
        byte = b.at(b.pos);
    } while (b.pos < b.length && IsPlainData(byte));
}

void CTN5250::WriteDataByte(Block& b, std::uint8_t byte, bool fromDoubledIac) {
    const int p = DataPosition(b);
    if (p < 0) return;
    if (fromDoubledIac) {
        t_.SetCell(p, 0xFF, ' ');
    } else if (byte >= kAttributeFirst && byte <= kAttributeLast) {
        t_.SetCell(p, byte, ' ');
        // An attribute right before a field's first data position
        // becomes that field's attribute.
        if (t_.screen.contains(p + 1) && t_.screen.at(p + 1).inField) {
            FieldEntry* e = t_.formatTable.entry(t_.screen.at(p + 1).fieldIndex);
            if (e) e->attribute = byte;
        }
    } else {
        // A null stays a null, shown as a blank.
        t_.SetCell(p, byte, byte == kEbcdicNull ? ' ' : ToPc(byte));
    }
    ++b.writeColumn;
}

void CTN5250::StartOfHeader(Block& b) {
    const std::size_t order = b.pos;
    const int length = b.at(order + 1);
    std::size_t shift = 0;
    if (b.at(order + 3) == 0xFF) ++shift;
    t_.state.hostFormat.resequenceField = b.at(order + 4 + shift);
    t_.state.hostFormat.errorRow = b.at(order + 5 + shift);
    for (std::size_t offset = 6; offset <= 8; ++offset) {
        if (b.at(order + offset + shift) == 0xFF) ++shift;
    }
    b.pos = order + static_cast<std::size_t>(length) + 2 + shift;
    if (t_.state.hostFormat.errorRow > 24 && t_.rows() == 24) t_.state.hostFormat.errorRow = 24;
    t_.ClearFieldMarks();
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
    const int from = HostPosition(b.writeRow, b.writeColumn, t_.columns());
    const int to = HostPosition(row, column, t_.columns());
    // Both ends are checked before anything is written: a target off the
    // screen is refused with the screen as it was, not after a fill up to
    // its edge.
    if (from <= to && (!t_.screen.contains(from) || !t_.screen.contains(to))) {
        StopWithNegativeResponse(b, kSenseWriteBeyondScreen);
        return;
    }
    if (from <= to) t_.FillCells(from, to + 1, stored, shown);
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

    // The second byte of a format or control word may be 0xFF, which the
    // telnet layer doubles: its copy is skipped, as for the length below.
    const auto skipDoubled = [&b](std::size_t at) {
        return b.at(at) == kIac && b.at(at + 1) == kIac ? 1u : 0u;
    };
    if (b.at(i) & kFfwPresent) {
        DecodeFieldFormatWord(e, b.at(i), b.at(i + 1));
        if (index >= 0) table.noInputField &= e.bypass;
        i += 2 + skipDoubled(i + 1);
    }
    while (i < b.length && (b.at(i) & kFcwPresent)) {
        if (b.at(i) == kFcwResequence) {
            links_.messages.ShowHostNotice(HostNotice::kResequencing, kResequencingFound);
            e.fcw1 = kFcwResequence;
            e.fcw2 = b.at(i + 1);
        }
        i += 2 + skipDoubled(i + 1);
    }
    const std::uint8_t attribute = b.at(i++);
    e.attribute = attribute;
    const int attributePos = HostPosition(b.writeRow, b.writeColumn, t_.columns());
    t_.SetCellByte(attributePos, attribute);

    e.length = b.at(i) * 256 + b.at(i + 1);
    if (b.at(i + 1) == 0xFF) ++i;  // doubled low length byte
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
        t_.MarkFieldCell(p, index, k, e.length);
    }
    const int end = first + e.length;
    // The position after the field takes the normal attribute and leaves any field.
    if (t_.SetCellByte(end, kAttributeFirst)) t_.ClearFieldCell(end);
}

}  // namespace quenlix
