// Records the terminal sends: header, cursor, AID, fields, framing.
#include "ds5250/HostResponses.h"

#include <algorithm>
#include <bitset>

#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordFramer.h"

namespace quenlix {

using namespace ds;

HostResponses::HostResponses(const InterpreterLinks& links)
    : links_(links), t_(links.terminal) {
    record_.reserve(4000);
    framed_.reserve(4100);
}

void HostResponses::Begin(std::uint8_t opcode, std::uint8_t flag1) {
    BeginRecord(record_, opcode, flag1);
}

void HostResponses::PushCursor() {
    const int row = t_.state.cellHeight > 0 ? t_.state.cursorY / t_.state.cellHeight + 1 : 1;
    const int column = t_.state.cellWidth > 0 ? t_.state.cursorX / t_.state.cellWidth + 1 : 1;
    record_.push_back(static_cast<std::uint8_t>(row));
    record_.push_back(static_cast<std::uint8_t>(column));
}

void HostResponses::PushFieldAddress(const FieldEntry& e) {
    // The first data position: the next row's first column when the
    // attribute sits in the last column.
    const int columns = t_.columns();
    record_.push_back(kOrderSetBufferAddress);
    record_.push_back(static_cast<std::uint8_t>(e.row + (e.column >= columns ? 1 : 0)));
    record_.push_back(static_cast<std::uint8_t>(e.column % columns + 1));
}

namespace {
constexpr std::uint8_t kEbcdicMinus = 0x60;  // '-' in every EBCDIC code page
constexpr std::uint8_t kNegativeZone = 0xD0;

bool IsEbcdicDigit(std::uint8_t b) { return b >= 0xF0 && b <= 0xF9; }
}  // namespace

bool HostResponses::PushModifiedField(const FieldEntry& e) {
    const std::size_t before = record_.size();
    PushFieldAddress(e);
    if (record_.size() > kMaxRecordLength || !PushFieldData(e, FieldRead::kModified)) {
        record_.resize(before);
        return false;
    }
    return true;
}

bool HostResponses::PushFieldData(const FieldEntry& e, FieldRead how) {
    const Terminal::Span span = t_.FieldSpan(e);
    int end = span.end;
    bool negative = false;
    // The sign position is the field's last; it is sent only as the zone of
    // the digit before it.
    const long long last =
        static_cast<long long>(FirstDataPosition(e, t_.columns())) + e.length - 1;
    if (e.shiftEdit == kShiftSignedNumeric && last >= span.first && last < span.end) {
        end = static_cast<int>(last);
        negative = t_.screen.at(end).ebcdic == kEbcdicMinus;
    }
    if (how == FieldRead::kModified) {
        while (end > span.first && t_.screen.at(end - 1).ebcdic == kEbcdicNull) --end;
    }
    const std::size_t count = end > span.first ? static_cast<std::size_t>(end - span.first) : 0;
    if (record_.size() + count > kMaxRecordLength) return false;
    for (int p = span.first; p < end; ++p) {
        const auto b = static_cast<std::uint8_t>(t_.screen.at(p).ebcdic);
        record_.push_back(b == kEbcdicNull ? kEbcdicBlank : b);
    }
    if (negative && count > 0 && IsEbcdicDigit(record_.back())) {
        record_.back() = static_cast<std::uint8_t>(kNegativeZone | (record_.back() & 0x0F));
    }
    return true;
}

void HostResponses::Finish() {
    FinishRecord(record_, framed_);
    links_.sender.Send(framed_.data(), framed_.size());
}

void HostResponses::LockKeyboard() { t_.SetKeyboardLocked(true); }

std::vector<int> HostResponses::ReadOrder() const {
    std::vector<int> order;
    const FormatTable& table = t_.formatTable;
    const int count = table.fieldCount();
    const int resequence = t_.state.hostFormat.resequenceField;
    std::bitset<FormatTable::kCapacity> visited;
    int i = resequence - 1 < 0 ? 0 : resequence - 1;
    while (i >= 0 && i < count && !visited[static_cast<std::size_t>(i)]) {
        visited[static_cast<std::size_t>(i)] = true;
        order.push_back(i);
        i = resequence == 0 ? i + 1 : table.entry(i)->fcw2;
    }
    return order;
}

void HostResponses::SendAid(std::uint8_t aid) {
    LockKeyboard();
    Begin(kOpPutGet);
    PushCursor();
    record_.push_back(aid);
    const FormatTable& table = t_.formatTable;
    if (t_.state.pendingRead == kReadMdtFields) {
        for (int i : ReadOrder()) {
            const FieldEntry& e = *table.entry(i);
            if (e.mdt && !PushModifiedField(e)) break;
        }
    } else if (t_.state.pendingRead == kReadInputFields && t_.state.operatorModified) {
        for (int i : ReadOrder()) {
            if (!PushFieldData(*table.entry(i), FieldRead::kEvery)) break;
        }
    }
    Finish();
}

void HostResponses::SendAidOnly(std::uint8_t aid) {
    LockKeyboard();
    Begin(kOpNoOperation);
    PushCursor();
    record_.push_back(aid);
    Finish();
}

void HostResponses::SendAutoEnter() {
    LockKeyboard();
    Begin(kOpPutGet);
    PushCursor();
    record_.push_back(kAidEnter);
    FormatTable& table = t_.formatTable;
    for (int i = 0; i < table.fieldCount(); ++i) {
        FieldEntry& e = *table.entry(i);
        const bool blankFill = e.fillType == kFillRightBlank;
        if (!(e.mdt || e.fieldExitRequired || e.mandatoryEnter || blankFill)) continue;
        if (e.mdt) {
            if (!PushModifiedField(e)) break;
        } else {
            if (record_.size() + 3 > kMaxRecordLength) break;
            PushFieldAddress(e);
        }
    }
    Finish();
}

void HostResponses::SendAttention() {
    Begin(kOpNoOperation, kFlagAttention);
    Finish();
}

void HostResponses::SendSysReq(std::string_view text) {
    Begin(kOpNoOperation, kFlagSystemRequest);
    for (char c : text) {
        record_.push_back(links_.tables.ToEbcdic(links_.settings.PageCode,
                                                 static_cast<std::uint8_t>(c)));
    }
    Finish();
}

void HostResponses::SendReadScreen() {
    Begin(kOpReadScreen);
    for (const ScreenCell& cell : t_.screen.inUse()) {
        record_.push_back(static_cast<std::uint8_t>(cell.ebcdic));
    }
    Finish();
}

namespace {

/// The Write Extended Attribute value of a cell's extended look.
std::uint8_t ExtendedPrimaryOf(int look) {
    std::uint8_t value = 0;
    if (look & kLookReverse) value |= kExtendedReverse;
    if (look & kLookUnderline) value |= kExtendedUnderline;
    if (look & kLookBlink) value |= kExtendedBlink;
    if (look & kLookColumnSeparator) value |= kExtendedColumnSeparator;
    return value;
}

/// The Write Extended Attribute colour of a colour index; 0x00 for none.
std::uint8_t ExtendedColorOf(int color) {
    switch (color) {
        case kColorBlue: return 0xF1;
        case kColorRed: return 0xF2;
        case kColorPink: return 0xF3;
        case kColorGreen: return 0xF4;
        case kColorTurquoise: return 0xF5;
        case kColorYellow: return 0xF6;
        case kColorWhite: return 0xF7;
        default: return kExtendedColorDefault;
    }
}

}  // namespace

void HostResponses::SendReadScreenExtended() {
    Begin(kOpReadScreen);
    int look = 0;
    int color = 0;
    for (const ScreenCell& cell : t_.screen.inUse()) {
        if (cell.extendedLook != look) {
            look = cell.extendedLook;
            record_.insert(record_.end(),
                           {kOrderWriteExtendedAttribute, kExtendedPrimary, ExtendedPrimaryOf(look)});
        }
        if (cell.extendedColor != color) {
            color = cell.extendedColor;
            record_.insert(record_.end(), {kOrderWriteExtendedAttribute, kExtendedForegroundColor,
                                           ExtendedColorOf(color)});
        }
        record_.push_back(static_cast<std::uint8_t>(cell.ebcdic));
    }
    Finish();
}

void HostResponses::SendReadImmediate() {
    Begin(kOpNoOperation);
    PushCursor();
    record_.push_back(0x00);
    if (t_.state.operatorModified) {
        const FormatTable& table = t_.formatTable;
        for (int i : ReadOrder()) {
            if (!PushFieldData(*table.entry(i), FieldRead::kEvery)) break;
        }
    }
    Finish();
}

void HostResponses::SendSaveScreen() {
    // A command stream that, sent back in a Restore Screen record, rebuilds
    // everything the operator had: fields and their MDT, contents with their
    // nulls, the cursor, the keyboard lock, the message light and the read
    // the host left pending.
    Begin(kOpSaveScreen);
    record_.insert(record_.end(), {kEscape, kCmdRestoreScreen});
    if (t_.rows() == 24) {
        record_.insert(record_.end(), {kEscape, kCmdClearUnit});
    } else {
        record_.insert(record_.end(), {kEscape, kCmdClearUnitAlternate, 0x00});
    }
    const TerminalState& s = t_.state;
    const std::uint8_t cc2 = static_cast<std::uint8_t>(
        (s.hostBlink ? kCc2CursorBlink : kCc2CursorSteady) |
        (s.inputInhibited ? 0 : kCc2UnlockKeyboard) |
        (s.messageWaiting ? kCc2MessageLightOn : kCc2MessageLightOff));
    record_.insert(record_.end(), {kEscape, kCmdWriteToDisplay, 0x00, cc2});
    FormatTable& table = t_.formatTable;
    for (int i = 0; i < table.fieldCount(); ++i) {
        FieldEntry& e = *table.entry(i);
        record_.insert(record_.end(), {kOrderSetBufferAddress, static_cast<std::uint8_t>(e.row),
                                       static_cast<std::uint8_t>(e.column), kOrderStartOfField});
        if (e.ffw1 != 0) {
            if (e.mdt) e.ffw1 |= kFfwModified;  // stored back, as the entry's tag
            // The image carries the MDT as it is now, not as the host first
            // sent it: a tag reset since then stays reset after the restore.
            const auto ffw1 = static_cast<std::uint8_t>(e.mdt ? (e.ffw1 | kFfwModified)
                                                              : (e.ffw1 & ~kFfwModified));
            record_.push_back(ffw1);
            record_.push_back(static_cast<std::uint8_t>(e.ffw2));
        }
        if (e.fcw1 != 0) {
            record_.push_back(static_cast<std::uint8_t>(e.fcw1));
            record_.push_back(static_cast<std::uint8_t>(e.fcw2));
        }
        record_.push_back(e.attribute);
        record_.push_back(static_cast<std::uint8_t>((e.length >> 8) & 0xFF));
        record_.push_back(static_cast<std::uint8_t>(e.length & 0xFF));
    }
    record_.insert(record_.end(), {kOrderSetBufferAddress, 0x01, 0x01});
    PushImage(0, t_.cellCount());
    record_.push_back(kOrderInsertCursor);
    PushCursor();
    if (s.pendingRead == kReadInputFields || s.pendingRead == kReadMdtFields) {
        record_.insert(record_.end(), {kEscape, s.pendingRead, 0x00, 0x00});
    }
    Finish();
}

void HostResponses::PushImage(int first, int end) {
    const auto cells = t_.screen.inUse();
    for (int p = first; p < end; ++p) {
        const ScreenCell& cell = cells[static_cast<std::size_t>(p)];
        // An extended look goes first: the order gives it to the position
        // the next byte is written to.
        if (cell.extendedLook != 0) {
            record_.insert(record_.end(), {kOrderWriteExtendedAttribute, kExtendedPrimary,
                                           ExtendedPrimaryOf(cell.extendedLook)});
        }
        if (cell.extendedColor != 0) {
            record_.insert(record_.end(), {kOrderWriteExtendedAttribute, kExtendedForegroundColor,
                                           ExtendedColorOf(cell.extendedColor)});
        }
        const auto b = static_cast<std::uint8_t>(cell.ebcdic);
        if (IsOrderCode(b)) {
            // A byte the interpreter would take for an order comes back as a
            // Repeat to Address of one position, which writes it as it is.
            const int row = p / t_.columns() + 1;
            const int column = p % t_.columns() + 1;
            record_.insert(record_.end(), {kOrderRepeatToAddress, static_cast<std::uint8_t>(row),
                                           static_cast<std::uint8_t>(column), b});
        } else {
            record_.push_back(b);
        }
    }
}

void HostResponses::SendSavePartialScreen(const PartialScreen& area) {
    // A command stream that, sent back, writes the rectangle's cells as they
    // are now: Restore Partial Screen with the rectangle, then a Write To
    // Display that resets nothing and writes each row from its first column.
    Begin(kOpSaveScreen);
    record_.insert(record_.end(),
                   {kEscape, kCmdRestorePartialScreen, area.flag,
                    static_cast<std::uint8_t>(area.row), static_cast<std::uint8_t>(area.column),
                    static_cast<std::uint8_t>(area.depth), static_cast<std::uint8_t>(area.width)});
    record_.insert(record_.end(), {kEscape, kCmdWriteToDisplay, 0x00, 0x00});
    for (int r = area.row; r < area.row + area.depth; ++r) {
        record_.insert(record_.end(), {kOrderSetBufferAddress, static_cast<std::uint8_t>(r),
                                       static_cast<std::uint8_t>(area.column)});
        const int first = HostPosition(r, area.column, t_.columns());
        PushImage(first, first + area.width);
    }
    Finish();
}

void HostResponses::SendQueryReply(std::uint8_t queryClass) {
    const std::string& name = links_.settings.TerminalName;
    const int codePage = links_.settings.PageCode;
    // A name too short for a byte leaves that byte 0x00.
    auto nameByte = [&](std::size_t index) -> std::uint8_t {
        return index < name.size()
                   ? links_.tables.ToEbcdic(codePage, static_cast<std::uint8_t>(name[index]))
                   : 0x00;
    };
    Begin(kOpNoOperation);
    record_.insert(record_.end(), {0x00, 0x00, kAidStructuredField, 0x00, 0x3A, queryClass,
                                   kQueryType, 0x80, 0x06, 0x00, 0x01, 0x03, 0x00});
    record_.insert(record_.end(), 16, 0x00);
    record_.push_back(0x01);
    for (std::size_t i = 4; i <= 7; ++i) record_.push_back(nameByte(i));
    // The model: the characters after index 8, right-aligned in three bytes.
    std::uint8_t model[3] = {0x00, 0x00, 0x00};
    if (name.size() > 9) {
        const std::size_t count = std::min<std::size_t>(3, name.size() - 9);
        for (std::size_t k = 0; k < count; ++k) model[3 - count + k] = nameByte(9 + k);
    }
    record_.insert(record_.end(), {model[0], model[1], model[2]});
    record_.insert(record_.end(), {0x02, 0x00, 0x00, 0x00, 0x61, 0x50, 0x00, 0x00, 0x7F, 0x00,
                                   0x00, 0x00, 0x18, 0x31, 0x00});
    record_.push_back(name.size() > 7 && name[7] == '5' ? 0x20 : 0x00);
    // The two bytes of the enhanced interface: 0x00 0x00 unless the session
    // offers it, so a session without it answers as it always has.
    if (links_.settings.Enhanced) {
        record_.insert(record_.end(), {kQueryEnhancedCapabilities, kQueryEnhancedLevel});
    } else {
        record_.insert(record_.end(), {0x00, 0x00});
    }
    record_.insert(record_.end(), 6, 0x00);
    Finish();
}

}  // namespace quenlix
