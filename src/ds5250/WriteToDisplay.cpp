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

void CTN5250::EndOfWriteToDisplay() {
    if (!r_.unlockAfterOrders) return;
    r_.unlockAfterOrders = false;
    t_.SetKeyboardLocked(false);
    // The cursor goes to the Insert Cursor address (or home) as the keyboard
    // unlocks, unless CC2 asked it to stay where the operator left it.
    r_.cursorStays = r_.cursorStaysOnUnlock;
}

void CTN5250::EndOfDisplayData() {
    EndOfWriteToDisplay();
    r_.errorWindowFirst = 0;  // an error line's window lasts to its command's end
    r_.errorWindowLast = 0;
}

void CTN5250::SetBufferAddress(int row, int column) {
    r_.writeRow = row;
    r_.writeColumn = column;
}

// Inline: it runs for nearly every run of a screen. The position the next
// data byte goes to, or -1 when it lies off the screen (the record stops).
inline int CTN5250::DataPosition() {
    if (r_.writeColumn > t_.columns()) {
        ++r_.writeRow;
        r_.writeColumn = 1;
    }
    const int p = HostPosition(r_.writeRow, r_.writeColumn, t_.columns());
    if (!t_.screen.contains(p)) [[unlikely]] {
        // Also for row or column 0, which address before the first position.
        StopWithNegativeResponse(kSenseWriteBeyondScreen);
        return -1;
    }
    return p;
}

void CTN5250::Data(const std::uint8_t* bytes, std::size_t count) {
    if (r_.errorWindowLast > 0) {
        // An error line kept to a window: what reaches past its last column
        // is not written.
        const int room = std::max(r_.errorWindowLast - r_.writeColumn + 1, 0);
        count = std::min(count, static_cast<std::size_t>(room));
    }
    // Printable EBCDIC, nearly all of a screen, goes to the model a run at a
    // time; the rest goes the long way.
    std::size_t pos = 0;
    while (pos < count && !r_.stopped) {
        if (!Terminal::IsPrintableHostData(bytes[pos])) {
            WriteDataByte(bytes[pos]);
            ++pos;
            continue;
        }
        const int first = DataPosition();
        if (first < 0) break;
        // This byte and those after it go into the cells that follow, from
        // row to row, as far as the screen reaches; at least this one.
        const std::size_t room = static_cast<std::size_t>(t_.cellCount() - first);
        const std::size_t run = t_.WriteDataRun(first, bytes + pos, std::min(count - pos, room), *etoa_);
        if (run == 0) break;  // not reached: the byte at pos is printable and on the screen
        pos += run;
        const int last = first + static_cast<int>(run) - 1;
        r_.writeRow = last / t_.columns() + 1;
        r_.writeColumn = last % t_.columns() + 2;  // one past the last; wraps at the next write
    }
}

void CTN5250::WriteDataByte(std::uint8_t byte) {
    const int p = DataPosition();
    if (p < 0) return;
    if (byte == 0xFF) {
        t_.SetCell(p, 0xFF, ' ');
    } else if (IsAttribute(byte)) {
        t_.SetCell(p, byte, ' ');
        // An attribute right before a field's first data position becomes
        // that field's attribute.
        if (t_.screen.contains(p + 1) && t_.screen.at(p + 1).inField) {
            FieldEntry* e = t_.formatTable.entry(t_.screen.at(p + 1).fieldIndex);
            if (e) e->attribute = byte;
        }
    } else {
        // A null stays a null, shown as a blank.
        t_.SetCell(p, byte, byte == kEbcdicNull ? ' ' : ToPc(byte));
    }
    ++r_.writeColumn;
}

void CTN5250::StartOfHeader(const HeaderOrder& order) {
    t_.state.hostFormat.resequenceField = order.resequenceField();
    t_.state.hostFormat.errorRow = order.errorRow();
    if (t_.state.hostFormat.errorRow > 24 && t_.rows() == 24) t_.state.hostFormat.errorRow = 24;
    t_.ClearFieldMarks();
    t_.formatTable.ClearFormatTable();
    r_.cursorGiven = false;
    t_.state.hostFormat.insertCursorRow = 1;
    t_.state.hostFormat.insertCursorColumn = 1;
    t_.state.hostFormat.homePosition = -1;
}

void CTN5250::RepeatToAddress(int row, int column, std::uint8_t stored) {
    const std::uint8_t shown = stored == kEbcdicNull ? ' ' : ToPc(stored);
    const int from = HostPosition(r_.writeRow, r_.writeColumn, t_.columns());
    const int to = HostPosition(row, column, t_.columns());
    // Both ends are checked before anything is written: a target off the
    // screen is refused with the screen as it was, not after a fill up to
    // its edge.
    if (from <= to && (!t_.screen.contains(from) || !t_.screen.contains(to))) {
        StopWithNegativeResponse(kSenseWriteBeyondScreen);
        return;
    }
    if (from <= to) t_.FillCells(from, to + 1, stored, shown);
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
    const int attributePos = HostPosition(r_.writeRow, r_.writeColumn, t_.columns());
    t_.SetCellByte(attributePos, attribute);
    e.length = order.length;
    ++r_.writeColumn;  // now the first data position; wraps at the next write

    if (index < 0) return;
    const int first = attributePos + 1;
    if (t_.MarkFieldCells(first, index, e.length) < e.length) {
        StopWithNegativeResponse(kSenseFieldBeyondScreen);
        return;
    }
    const int end = first + e.length;
    // The position after the field takes the normal attribute and leaves any field.
    if (t_.SetCellByte(end, kAttributeFirst)) t_.ClearFieldCell(end);
}

}  // namespace quenlix
