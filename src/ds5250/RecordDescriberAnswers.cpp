// The record describer's reading of the terminal's answers: cursor and
// attention key, field data by the addresses or the read order of the
// host's fields, screen images row by row, the query reply, the fixed
// records. Which bytes are secret comes from the memory of the screen.
#include <algorithm>

#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordDescriber.h"

namespace quenlix {

using namespace ds;

namespace {

/// Bytes of an answer read whole (the query reply, the sense bytes, a
/// System Request's text) that are kept to be shown; the rest is counted.
constexpr std::size_t kRestKept = 256;

std::string Hex(std::uint8_t byte) { return TextTokens::Hex(byte); }
std::string Address(int row, int column) { return TextTokens::Address(row, column); }

}  // namespace

bool RecordDescriber::AnswerByte(std::uint8_t byte) {
    switch (phase_) {
        case Phase::kCursorAndAid:
            rest_.push_back(byte);
            if (rest_.size() == 3) CursorAndAidDone();
            return false;
        case Phase::kFieldsStart:
            return FieldsStartByte(byte);
        case Phase::kFieldAddress:
            operands_.push_back(byte);
            if (operands_.size() == 3) {
                const int row = operands_[1];
                const int column = operands_[2];
                const int position = HostPosition(row, column, memory_.columns());
                const int index = memory_.FieldStartingAt(position);
                const FieldEntry* e = memory_.fields().entry(index);
                BeginField(position, "field " + Address(row, column), e ? e->length : -1);
                phase_ = Phase::kFieldData;
            }
            return false;
        case Phase::kFieldData:
            if (!lookahead_.empty()) return FieldLookahead(byte);
            // A field ends after its length; one of unknown length (or one
            // sent as an address alone) at the next Set Buffer Address.
            if (byte == kOrderSetBufferAddress && (fieldLeft_ <= 0 || fieldBytes_ == 0)) {
                EndField();
                operands_.assign(1, byte);
                phase_ = Phase::kFieldAddress;
                return false;
            }
            if (fieldLeft_ == 0) {
                EndField();
                answer_ = Answer::kAfterFields;
                phase_ = Phase::kRest;
                return AnswerByte(byte);
            }
            if (byte == kOrderSetBufferAddress && !replaying_) {
                // Other terminals cut the trailing blanks of a field: an
                // address of a known field ends it early.
                return FieldLookahead(byte);
            }
            return FieldByte(byte);
        case Phase::kInputFields:
            if (!inField_) {
                answer_ = Answer::kAfterFields;
                phase_ = Phase::kRest;
                return AnswerByte(byte);
            }
            {
                const bool secret = FieldByte(byte);
                if (fieldLeft_ == 0) NextInputField();
                return secret;
            }
        case Phase::kScreenImage:
            return ImageByte(byte);
        case Phase::kRest:
            if (rest_.size() < kRestKept) rest_.push_back(byte);
            ++restCount_;
            return false;
        default:
            return false;
    }
}

void RecordDescriber::CursorAndAidDone() {
    const int row = rest_[0];
    const int column = rest_[1];
    const std::uint8_t aid = rest_[2];
    if (aid == kAidStructuredField) {
        answer_ = Answer::kQueryReply;  // rest_ keeps the bytes from offset 10 on
        restCount_ = rest_.size();
        phase_ = Phase::kRest;
        return;
    }
    rest_.clear();
    if (opcode_ == kOpNoOperation && aid == kAidNone) {
        Line("Read Immediate answer, cursor " + Address(row, column));
        readOrder_ = memory_.ReadOrder();
        phase_ = Phase::kInputFields;
        NextInputField();
        return;
    }
    // This terminal sends field data with Put/Get only; other terminals
    // send it under No Operation too, and it is read the same way.
    Line("cursor " + Address(row, column) + ", " + AidName(aid));
    phase_ = Phase::kFieldsStart;
}

bool RecordDescriber::FieldsStartByte(std::uint8_t byte) {
    // Read MDT Fields answers (and auto-enter) address every field; Read
    // Input Fields answers send the fields back to back. With Read Input
    // Fields pending, the first three bytes decide: 0x11 and the address of
    // a field mean addressed fields. Until then they are secret if they
    // would be data of a hidden field.
    if (memory_.pendingRead != kReadInputFields) {
        if (byte == kOrderSetBufferAddress) {
            operands_.assign(1, byte);
            phase_ = Phase::kFieldAddress;
            return false;
        }
        answer_ = Answer::kAfterAid;
        phase_ = Phase::kRest;
        return AnswerByte(byte);
    }
    lookahead_.push_back(byte);
    const std::vector<int> order = memory_.ReadOrder();
    bool secret = false;
    if (!order.empty()) {
        const FieldEntry& e = *memory_.fields().entry(order[0]);
        const int k = static_cast<int>(lookahead_.size()) - 1;
        secret = k < e.length && memory_.secret(FirstDataPosition(e, memory_.columns()) + k);
    }
    if (lookahead_.size() < 3) return secret;
    const std::vector<std::uint8_t> held = std::move(lookahead_);
    lookahead_.clear();
    if (held[0] == kOrderSetBufferAddress &&
        memory_.FieldStartingAt(HostPosition(held[1], held[2], memory_.columns())) >= 0) {
        operands_.assign(held.begin(), held.begin() + 2);
        phase_ = Phase::kFieldAddress;
        AnswerByte(held[2]);  // completes the address
        return secret;
    }
    readOrder_ = order;
    phase_ = Phase::kInputFields;
    NextInputField();
    ReplayAsData(held);
    return secret;
}

bool RecordDescriber::FieldLookahead(std::uint8_t byte) {
    // Until the address is whole the bytes count as data of this field.
    const int k = static_cast<int>(lookahead_.size());
    const bool secret = fieldPosition_ >= 0 && memory_.secret(fieldPosition_ + k);
    lookahead_.push_back(byte);
    if (lookahead_.size() < 3) return secret;
    const std::vector<std::uint8_t> held = std::move(lookahead_);
    lookahead_.clear();
    if (memory_.FieldStartingAt(HostPosition(held[1], held[2], memory_.columns())) >= 0) {
        EndField();
        operands_.assign(held.begin(), held.begin() + 2);
        phase_ = Phase::kFieldAddress;
        AnswerByte(held[2]);
        return secret;
    }
    ReplayAsData(held);
    return secret;
}

void RecordDescriber::ReplayAsData(const std::vector<std::uint8_t>& held) {
    replaying_ = true;
    for (std::uint8_t b : held) AnswerByte(b);
    replaying_ = false;
}

void RecordDescriber::BeginField(int position, const std::string& label, int length) {
    fieldPosition_ = position;
    fieldLeft_ = length;
    fieldBytes_ = 0;
    fieldLabel_ = label;
    inField_ = true;
}

bool RecordDescriber::FieldByte(std::uint8_t byte) {
    const bool secret = fieldPosition_ >= 0 && memory_.secret(fieldPosition_);
    if (fieldPosition_ >= 0) ++fieldPosition_;
    if (fieldLeft_ > 0) --fieldLeft_;
    ++fieldBytes_;
    text_.Add(byte, secret, false);
    return secret;
}

void RecordDescriber::EndField() {
    if (!inField_) return;
    inField_ = false;
    const std::string words = text_.Take();
    if (fieldBytes_ == 0 && fieldPosition_ < 0) return;  // no field known, no data
    Line(fieldLabel_ + (words.empty() ? " (no data)" : " " + words));
}

void RecordDescriber::NextInputField() {
    EndField();
    const FormatTable& table = memory_.fields();
    while (readIndex_ < readOrder_.size()) {
        const FieldEntry& e = *table.entry(readOrder_[readIndex_++]);
        // The terminal sends a field's positions on the screen only, and a
        // signed numeric field without its last (sign) position.
        const long long first = FirstDataPosition(e, memory_.columns());
        const long long last = first + e.length - 1;
        const long long from = std::max<long long>(first, 0);
        long long to = std::min<long long>(first + e.length, memory_.cellCount());
        if (e.shiftEdit == kShiftSignedNumeric && last >= from && last < to) to = last;
        if (to <= from) continue;
        const int start = static_cast<int>(from);
        const int row = start / memory_.columns() + 1;
        const int column = start % memory_.columns() + 1;
        BeginField(start, "field " + Address(row, column), static_cast<int>(to - from));
        return;
    }
    if (readOrder_.empty() && readIndex_ == 0) {
        // No field is known: the data is shown whole, at no known position.
        ++readIndex_;
        BeginField(-1, "field data", -1);
    }
}

bool RecordDescriber::ImageByte(std::uint8_t byte) {
    const int position = imagePosition_++;
    const bool secret = memory_.secret(position);
    text_.Add(byte, secret, true);
    if (imagePosition_ % memory_.columns() == 0) EndImageRow();
    return secret;
}

void RecordDescriber::EndImageRow() {
    if (text_.empty()) return;
    const int columns = memory_.columns();
    const int row = (imagePosition_ - 1) / columns + 1;
    Line("row " + std::to_string(row) + " " + text_.Take());
}

void RecordDescriber::DescribeAnswer() {
    const std::string more =
        restCount_ > rest_.size() ? " (" + std::to_string(restCount_) + " bytes)" : "";
    switch (answer_) {
        case Answer::kNegative: {
            std::string line = "negative response " + HexList(rest_);
            const bool standard =
                rest_.size() == 4 &&
                std::equal(std::begin(kSensePrefix), std::end(kSensePrefix), rest_.begin());
            const std::string meaning = rest_.empty() ? "" : SenseMeaning(rest_.back());
            if (standard && !meaning.empty()) line += ": " + meaning;
            if (!standard) line += " (not the sense bytes 10 05 01 c)";
            Line(line);
            return;
        }
        case Answer::kAttention:
            Line("Attention" + (rest_.empty() ? "" : ", then " + HexList(rest_) + more));
            return;
        case Answer::kSystemRequest:
            Line("System Request " + Quoted(rest_, 0, rest_.size()) + more);
            return;
        case Answer::kCancelInvite:
            Line("Cancel Invite answer" + (rest_.empty() ? "" : ", then " + HexList(rest_) + more));
            return;
        case Answer::kQueryReply:
            DescribeQueryReply();
            return;
        case Answer::kAfterAid:
        case Answer::kAfterFields:
        case Answer::kUnknown:
            if (!rest_.empty()) {
                Line(
                    std::string(answer_ == Answer::kAfterFields ? "after the fields: " : "data: ") +
                    HexList(rest_) + more);
            }
            return;
    }
}

void RecordDescriber::DescribeQueryReply() {
    // Offsets from byte 10 of the record: 0, 1 cursor; 2 AID 0x88; 3, 4
    // structured field length; 5 class; 6 type; 7 reply flag; 8, 9
    // controller hardware class; 10..12 code level; 13..28 reserved; 29
    // device type; 30..33 device type characters; 34..36 model; 37 keyboard.
    const std::vector<std::uint8_t>& r = rest_;
    auto has = [&](std::size_t n) { return r.size() >= n; };
    if (!has(8)) {
        Line("query reply cut short: " + HexList(r));
        return;
    }
    Line("query reply, length " + std::to_string(r[3] * 256 + r[4]) + ", class " + Hex(r[5]) +
         ", type " + Hex(r[6]) + ", flag " + Hex(r[7]));
    if (!has(38)) {
        Line("cut short: " + HexList(r, 8));
        return;
    }
    std::size_t modelFrom = 34;
    while (modelFrom < 37 && r[modelFrom] == 0x00) ++modelFrom;
    Line("controller " + Hex(r[8]) + " " + Hex(r[9]) + ", code level " + Hex(r[10]) + " " +
         Hex(r[11]) + " " + Hex(r[12]) + ", device " + Hex(r[29]) + " " + Quoted(r, 30, 4) +
         " model " + Quoted(r, modelFrom, 37 - modelFrom) + ", keyboard " + Hex(r[37]));
    if (r.size() > 38) {
        const std::string more =
            restCount_ > r.size() ? " (" + std::to_string(restCount_) + " bytes in all)" : "";
        Line("then " + HexList(r, 38) + more);
    }
}

}  // namespace quenlix
