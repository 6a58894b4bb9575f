// The record describer: the framing of a record (the header, the operation
// code), the names of the codes and the lines it writes. The
// host's command streams and the terminal's answers have files of their own.
#include "ds5250/RecordDescriber.h"

#include <algorithm>

#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordOnTheWire.h"
#include "terminal/GdsHeader.h"
#include "terminal/TranslationCache.h"

namespace quenlix {

using namespace ds;

namespace {

std::string Hex(std::uint8_t byte) { return TextTokens::Hex(byte); }

}  // namespace

namespace ds {

std::string OpcodeName(std::uint8_t opcode) {
    switch (opcode) {
        case kOpNoOperation:
            return "No Operation";
        case kOpInvite:
            return "Invite";
        case kOpOutputOnly:
            return "Output Only";
        case kOpPutGet:
            return "Put/Get";
        case kOpSaveScreen:
            return "Save Screen";
        case kOpRestoreScreen:
            return "Restore Screen";
        case kOpReadImmediate:
            return "Read Immediate";
        case kOpReserved7:
            return "reserved";
        case kOpReadScreen:
            return "Read Screen";
        case kOpReserved9:
            return "reserved";
        case kOpCancelInvite:
            return "Cancel Invite";
        case kOpMessageLightOn:
            return "Message Light On";
        case kOpMessageLightOff:
            return "Message Light Off";
        default:
            return {};
    }
}

std::string AidName(std::uint8_t aid) {
    if (const int key = FunctionKeyOfAid(aid); key > 0) return "F" + std::to_string(key);
    switch (aid) {
        case kAidEnter:
            return "Enter";
        case kAidRollDown:
            return "RollDown";
        case kAidRollUp:
            return "RollUp";
        case kAidHelp:
            return "Help";
        case kAidPrint:
            return "Print";
        case kAidClear:
            return "Clear";
        case kAidPa1:
            return "PA1";
        case kAidPa2:
            return "PA2";
        case kAidPa3:
            return "PA3";
        case kAidStructuredField:
            return "StructuredField";
        default:
            return "AID " + Hex(aid);
    }
}

std::string SenseMeaning(std::uint8_t sense) {
    switch (sense) {
        case kSenseFieldBeyondScreen:
            return "field beyond the screen";
        case kSenseWriteBeyondScreen:
            return "write beyond the screen";
        case kSenseInvalidRoll:
            return "invalid Roll";
        case kSenseStructuredFieldLength:
            return "structured field length not valid";
        case kSenseStructuredFieldType:
            return "structured field class or type not valid";
        case kSenseStructuredFieldParameter:
            return "structured field parameter not valid";
        case kSenseMinorStructureLength:
            return "minor structure length not valid";
        case kSenseMinorStructureParameter:
            return "minor structure parameter not valid";
        case kSenseInvalidAddress:
            return "row or column not valid";
        case kSenseAddressBehind:
            return "address before the current address";
        case kSenseExtendedAttributeType:
            return "extended attribute type not valid";
        case kSenseExtendedAttribute:
            return "extended attribute not valid";
        case kSenseErrorWindowAddress:
            return "error window columns not valid";
        case kSenseTooManyWindows:
            return "too many windows";
        default:
            return {};
    }
}

}  // namespace ds

RecordDescriber::RecordDescriber(RecordSource source, const DescribeOptions& options,
                                 ScreenMemory& memory)
    : source_(source),
      options_(options),
      etoa_(options.etoa ? *options.etoa : BuiltinTablePair().ETOA),
      memory_(memory),
      screen_(&memory),
      text_(etoa_, options.charset, options.maskSecrets) {}

bool RecordDescriber::Feed(std::uint8_t byte) {
    if (ended_ || finished_) return false;
    return Plain(byte);
}

void RecordDescriber::TelnetInside(const std::string& words) {
    if (ended_ || finished_) return;
    FlushText();
    Line("telnet " + words + " (inside the record: no record data)");
}

bool RecordDescriber::Plain(std::uint8_t byte) {
    ++plainCount_;
    if (phase_ == Phase::kHeader) {
        header_.push_back(byte);
        if (header_.size() == static_cast<std::size_t>(kHeaderLength)) EndHeader();
        return false;
    }
    if (phase_ == Phase::kNotRead) {
        if (notRead_.size() < kNotReadShown) notRead_.push_back(byte);
        ++notReadCount_;
        return false;
    }
    if (phase_ == Phase::kCommandStream) {
        byteSecret_ = false;
        walker_->Feed(&byte, 1);
        return byteSecret_;
    }
    return AnswerByte(byte);
}

void RecordDescriber::EndHeader() {
    headerValid_ = IsGdsHeaderAt(header_.data(), header_.size(), 2);
    if (!headerValid_) {
        Line("not a 5250 record: header " + HexList(header_));
        phase_ = Phase::kNotRead;
        return;
    }
    flag1_ = header_[7];
    const std::uint8_t flag2 = header_[8];
    opcode_ = header_[9];
    const std::string name = OpcodeName(opcode_);
    std::string line =
        name.empty() ? "opcode " + Hex(opcode_) + " (unknown)" : name + " (" + Hex(opcode_) + ")";
    if (source_ == RecordSource::kHost) {
        if (flag1_ || flag2) line += ", flags " + Hex(flag1_) + " " + Hex(flag2);
    } else if (flag1_ || flag2) {
        std::string names;
        if (flag1_ & kFlagError) names += ", error";
        if (flag1_ & kFlagAttention) names += ", attention";
        if (flag1_ & kFlagSystemRequest) names += ", system request";
        line += ", flags " + Hex(flag1_) + " " + Hex(flag2);
        if (!names.empty()) line += " (" + names.substr(2) + ")";
    }
    line += ", length " + std::to_string(header_[0] * 256 + header_[1]);
    Line(line);

    if (source_ == RecordSource::kHost) {
        if (opcode_ == kOpRestoreScreen) {
            imageSecrets_ = std::make_unique<ScreenMemory::PositionSet>(memory_.secretPositions());
        }
        // The operation code is the walk's first byte.
        BeginCommandStream(RecordWalker::Start::kOperationCode);
        walker_->Feed(&opcode_, 1);
        return;
    }
    if (flag1_ & kFlagError) {
        answer_ = Answer::kNegative;
    } else if (flag1_ & kFlagAttention) {
        answer_ = Answer::kAttention;
    } else if (flag1_ & kFlagSystemRequest) {
        answer_ = Answer::kSystemRequest;
    } else if (opcode_ == kOpReadScreen) {
        phase_ = Phase::kScreenImage;
        return;
    } else if (opcode_ == kOpSaveScreen) {
        // The saved screen is a command stream that rebuilds it: read as the
        // host's records are, on a copy of the screen.
        scratch_ = std::make_unique<ScreenMemory>(memory_);
        screen_ = scratch_.get();
        imageSecrets_ = std::make_unique<ScreenMemory::PositionSet>(memory_.secretPositions());
        BeginCommandStream(RecordWalker::Start::kCommands);
        return;
    } else if (opcode_ == kOpCancelInvite) {
        answer_ = Answer::kCancelInvite;
    } else if (opcode_ == kOpNoOperation || opcode_ == kOpPutGet) {
        phase_ = Phase::kCursorAndAid;
        return;
    }
    phase_ = Phase::kRest;
}

void RecordDescriber::BeginCommandStream(RecordWalker::Start start) {
    phase_ = Phase::kCommandStream;
    walker_.emplace(tap_ ? *tap_ : static_cast<RecordActions&>(*this), start);
}

void RecordDescriber::Line(const std::string& text) {
    if (describedBytes_ > kMaxDescribedBytes) return;
    describedBytes_ += text.size() + 2;  // with the indent
    if (describedBytes_ > kMaxDescribedBytes) {
        lines_.push_back("  (the rest of the record is not described)");
        return;
    }
    lines_.push_back(lines_.empty() ? text : "  " + text);
}

void RecordDescriber::FlushText() {
    FlushUnknown();
    if (text_.empty()) return;
    Line(text_.Take());
}

void RecordDescriber::Unknown(std::uint8_t byte) {
    if (!text_.empty()) Line(text_.Take());
    unknown_ += " " + Hex(byte);
}

void RecordDescriber::FlushUnknown() {
    if (unknown_.empty()) return;
    std::string words;
    words.swap(unknown_);
    Line("??" + words);
}

std::string RecordDescriber::HexList(const std::vector<std::uint8_t>& bytes,
                                     std::size_t from) const {
    TextTokens words(etoa_, nullptr, false);
    for (std::size_t i = from; i < bytes.size(); ++i) words.AddWord(Hex(bytes[i]));
    return words.Take();
}

std::string RecordDescriber::Quoted(const std::vector<std::uint8_t>& ebcdic, std::size_t from,
                                    std::size_t count) const {
    TextTokens words(etoa_, options_.charset, false);
    for (std::size_t i = from; i < from + count && i < ebcdic.size(); ++i) {
        words.Add(ebcdic[i], false, false);
    }
    const std::string out = words.Take();
    return out.empty() ? "\"\"" : out;
}

std::vector<std::string> RecordDescriber::Finish(bool cutAfterIac) {
    if (finished_) return {};
    finished_ = true;
    FlushUnknown();
    switch (phase_) {
        case Phase::kHeader:
            Line("cut short: " + std::to_string(header_.size()) + " of the " +
                 std::to_string(kHeaderLength) + " header bytes" +
                 (header_.empty() ? "" : ": " + HexList(header_)));
            break;
        case Phase::kCommandStream:
            walker_->Finish();
            FlushText();
            break;
        case Phase::kCursorAndAid:
            Line("cursor and AID cut short" + (rest_.empty() ? "" : ": " + HexList(rest_)));
            break;
        case Phase::kFieldsStart: {
            if (lookahead_.empty()) break;
            const std::vector<std::uint8_t> held = std::move(lookahead_);
            lookahead_.clear();
            readOrder_ = memory_.ReadOrder();
            phase_ = Phase::kInputFields;
            NextInputField();
            ReplayAsData(held);
            EndField();
            break;
        }
        case Phase::kFieldAddress:
            Line("field address cut short: " + HexList(operands_));
            break;
        case Phase::kFieldData:
        case Phase::kInputFields: {
            const std::vector<std::uint8_t> held = std::move(lookahead_);
            lookahead_.clear();
            ReplayAsData(held);
            EndField();
            DescribeAnswer();
            break;
        }
        case Phase::kScreenImage:
            EndImageRow();
            break;
        case Phase::kRest:
            DescribeAnswer();
            break;
        case Phase::kNotRead:
            break;
    }
    FlushUnknown();
    if (notReadCount_ > 0) {
        std::string line = "not read: " + HexList(notRead_);
        if (notReadCount_ > notRead_.size()) {
            line += " ... (" + std::to_string(notReadCount_) + " bytes)";
        }
        Line(line);
    }
    if (cutAfterIac && !ended_) lines_.push_back("  ?? FF (cut short)");
    if (!ended_) {
        lines_.push_back(lines_.empty() ? "(no IAC EOR: the record is cut short)"
                                        : "  (no IAC EOR: the record is cut short)");
    } else if (headerValid_) {
        const std::size_t declared = header_[0] * 256u + header_[1];
        if (declared != plainCount_) {
            lines_[0] += " (" + std::to_string(plainCount_) + " bytes given)";
        }
    }
    return std::move(lines_);
}

RecordDescription DescribeRecord(const std::uint8_t* bytes, std::size_t count, RecordSource source,
                                 const DescribeOptions& options, ScreenMemory* memory) {
    ScreenMemory blank;
    RecordDescriber describer(source, options, memory ? *memory : blank);
    RecordDescription out;
    out.secret.resize(count, false);
    telnet::TelnetReader reader;
    RecordOnTheWire wire(describer);
    wire.Piece(bytes, count, reader.state(), out.secret);
    reader.Feed(bytes, count, wire);
    out.lines = describer.Finish(RecordOnTheWire::HoldsIac(reader));
    if (describer.ended() && wire.endIndex() < count) {
        out.lines.push_back("  (" + std::to_string(count - wire.endIndex()) +
                            " bytes after IAC EOR are not part of the record)");
    }
    return out;
}

}  // namespace quenlix
