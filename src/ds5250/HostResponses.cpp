// Records the terminal sends: header, cursor, AID, fields, framing.
#include "ds5250/HostResponses.h"

#include <algorithm>
#include <bitset>

#include "ds5250/DataStreamCodes.h"

namespace quenlix {

using namespace ds;

HostResponses::HostResponses(const InterpreterLinks& links, const CTN5250& interpreter)
    : links_(links), t_(links.terminal), interpreter_(interpreter) {
    record_.reserve(4000);
    framed_.reserve(4100);
}

void HostResponses::Begin(std::uint8_t opcode, std::uint8_t flag1) {
    record_.assign({0x00, 0x00, kRecordType1, kRecordType2, 0x00, 0x00, kVariableHeaderLength,
                    flag1, 0x00, opcode});
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

void HostResponses::PushFieldData(const FieldEntry& e, int dropLast) {
    const int first = (e.row - 1) * t_.columns() + e.column;
    for (int k = 0; k < e.length - dropLast; ++k) {
        record_.push_back(static_cast<std::uint8_t>(t_.screen.at(first + k).ebcdic));
    }
}

void HostResponses::Finish() {
    const std::size_t length = record_.size();
    record_[0] = static_cast<std::uint8_t>((length >> 8) & 0xFF);
    record_[1] = static_cast<std::uint8_t>(length & 0xFF);
    // Telnet binary mode: every 0xFF byte travels doubled, the low length
    // byte as well as field and screen data, so the host's telnet layer
    // never mistakes data for a command.
    framed_.clear();
    for (std::uint8_t b : record_) {
        framed_.push_back(b);
        if (b == kIac) framed_.push_back(kIac);
    }
    framed_.push_back(kIac);
    framed_.push_back(kEor);
    links_.sender.Send(framed_.data(), framed_.size());
}

void HostResponses::LockKeyboard() {
    t_.state.inputInhibited = 1;
    links_.view.DrawInhibitIndicator();
}

std::vector<int> HostResponses::ReadOrder() const {
    std::vector<int> order;
    const FormatTable& table = t_.formatTable;
    const int count = table.fieldCount();
    const int resequence = interpreter_.resequenceField();
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
            if (!e.mdt) continue;
            PushFieldAddress(e);
            PushFieldData(e);
        }
    } else if (t_.state.pendingRead == kReadInputFields && t_.state.operatorModified) {
        for (int i : ReadOrder()) PushFieldData(*table.entry(i));
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
    const FormatTable& table = t_.formatTable;
    for (int i = 0; i < table.fieldCount(); ++i) {
        const FieldEntry& e = *table.entry(i);
        if (!(e.mdt || e.fieldExitRequired || e.mandatoryEnter || e.fillType == 6)) continue;
        PushFieldAddress(e);
        if (e.mdt) PushFieldData(e);
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

void HostResponses::SendReadImmediate() {
    Begin(kOpNoOperation);
    PushCursor();
    record_.push_back(0x00);
    if (t_.state.operatorModified) {
        const FormatTable& table = t_.formatTable;
        for (int i : ReadOrder()) {
            const FieldEntry& e = *table.entry(i);
            PushFieldData(e, e.shiftEdit == 7 ? 1 : 0);
        }
    }
    Finish();
}

void HostResponses::SendSaveScreen() {
    Begin(kOpSaveScreen);
    record_.insert(record_.end(), {kEscape, kCmdRestoreScreen});
    if (t_.rows() == 24) {
        record_.insert(record_.end(), {kEscape, kCmdClearUnit});
    } else {
        record_.insert(record_.end(), {kEscape, kCmdClearUnitAlternate, 0x00});
    }
    const std::uint8_t cc2 = static_cast<std::uint8_t>((t_.state.hostBlink ? 0x10 : 0x20) |
                                                       (t_.state.inputInhibited ? 0x01 : 0x03));
    record_.insert(record_.end(), {kEscape, kCmdWriteToDisplay, 0x00, cc2});
    FormatTable& table = t_.formatTable;
    for (int i = 0; i < table.fieldCount(); ++i) {
        FieldEntry& e = *table.entry(i);
        record_.insert(record_.end(), {kOrderSetBufferAddress, static_cast<std::uint8_t>(e.row),
                                       static_cast<std::uint8_t>(e.column), kOrderStartOfField});
        if (e.ffw1 != 0) {
            if (e.mdt) e.ffw1 |= 0x08;  // restored with its tag
            record_.push_back(static_cast<std::uint8_t>(e.ffw1));
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
    for (const ScreenCell& cell : t_.screen.inUse()) {
        record_.push_back(static_cast<std::uint8_t>(cell.ebcdic));
    }
    record_.push_back(kOrderInsertCursor);
    PushCursor();
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
    record_.insert(record_.end(), 8, 0x00);
    Finish();
}

}  // namespace quenlix
