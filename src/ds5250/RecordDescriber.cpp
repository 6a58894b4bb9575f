// The record describer: a byte-by-byte walk of one record that follows the
// interpreter's reading of the host's commands and orders, and the layouts
// of the terminal's answers.
#include "ds5250/RecordDescriber.h"

#include <algorithm>

#include "ds5250/DataStreamCodes.h"
#include "terminal/GdsHeader.h"
#include "terminal/TranslationCache.h"

namespace quenlix {

using namespace ds;

namespace {

/// Bytes of an answer read whole (the query reply, the sense bytes, a
/// System Request's text) that are kept to be shown; the rest is counted.
constexpr std::size_t kRestKept = 256;
/// Bytes shown of data the terminal does not read.
constexpr std::size_t kNotReadShown = 16;
/// Field control words shown in one Start of Field line.
constexpr std::size_t kControlWordsShown = 8;

std::string Hex(std::uint8_t byte) { return TextTokens::Hex(byte); }

std::string Address(int row, int column) {
    return std::to_string(row) + "," + std::to_string(column);
}

std::string WriteControl(std::uint8_t cc1, std::uint8_t cc2) {
    std::string names;
    auto name = [&](bool on, const char* what) {
        if (!on) return;
        if (!names.empty()) names += ", ";
        names += what;
    };
    name(cc1 & kCc1ResetMask, "reset MDT, blank input fields");
    name(cc2 & 0x80, "reserved 80");
    name(cc2 & kCc2CursorStays, "cursor stays");
    name(cc2 & kCc2SteadyCursor, "steady cursor");
    name(cc2 & kCc2BlinkingCursor, "blinking cursor");
    name(cc2 & kCc2UnlockKeyboard, "unlock keyboard");
    name(cc2 & kCc2Alarm, "alarm");
    name(cc2 & kCc2LockKeyboardMask, "lock keyboard");
    std::string out = "CC1 " + Hex(cc1) + " CC2 " + Hex(cc2);
    if (!names.empty()) out += " (" + names + ")";
    return out;
}

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
    if (aid >= kAidF1 && aid < kAidF1 + 12) return "F" + std::to_string(aid - kAidF1 + 1);
    if (aid >= kAidF13 && aid < kAidF13 + 12) return "F" + std::to_string(aid - kAidF13 + 13);
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

bool RecordDescriber::Feed(std::uint8_t wireByte) {
    if (ended_ || finished_) return false;
    if (pendingIac_) {
        pendingIac_ = false;
        if (wireByte == kIac) return Plain(kIac);  // the second copy carries the secret
        if (wireByte == kEor) {
            ended_ = true;
            return false;
        }
        // A lone 0xFF: the interpreter drops it.
        FlushText();
        Unknown(kIac);
    }
    if (wireByte == kIac) {
        pendingIac_ = true;
        return false;
    }
    return Plain(wireByte);
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
    return commandStream_ ? CommandStreamByte(byte) : AnswerByte(byte);
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
        switch (opcode_) {
            case kOpNoOperation:
            case kOpReserved7:
            case kOpReserved9:
                phase_ = Phase::kNotRead;  // the interpreter skips the rest of the block
                break;
            case kOpRestoreScreen:
                imageSecrets_ =
                    std::make_unique<ScreenMemory::PositionSet>(memory_.secretPositions());
                commandStream_ = true;
                phase_ = Phase::kEscape;
                break;
            case kOpInvite:
            case kOpOutputOnly:
            case kOpPutGet:
            case kOpSaveScreen:
            case kOpReadImmediate:
            case kOpReadScreen:
            case kOpCancelInvite:
            case kOpMessageLightOn:
            case kOpMessageLightOff:
                commandStream_ = true;
                phase_ = Phase::kEscape;
                break;
            default:
                phase_ = Phase::kNotRead;  // an unknown operation code reads nothing
                break;
        }
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
        commandStream_ = true;
        phase_ = Phase::kEscape;
        return;
    } else if (opcode_ == kOpCancelInvite) {
        answer_ = Answer::kCancelInvite;
    } else if (opcode_ == kOpNoOperation || opcode_ == kOpPutGet) {
        phase_ = Phase::kCursorAndAid;
        return;
    }
    phase_ = Phase::kRest;
}

// ---------------------------------------------------------------------------
// Host command streams

bool RecordDescriber::CommandStreamByte(std::uint8_t byte) {
    switch (phase_) {
        case Phase::kEscape:
            if (byte == kEscape) {
                phase_ = Phase::kCommandCode;
            } else {
                Unknown(byte);
            }
            return false;
        case Phase::kCommandCode:
            CommandCode(byte);
            return false;
        case Phase::kCommandOperands:
            operands_.push_back(byte);
            if (operands_.size() >= operandsWanted_) CommandDone();
            return false;
        case Phase::kErrorCodeCursor:
            if (operands_.empty() && byte != kOrderInsertCursor) {
                phase_ = Phase::kDisplayData;
                return DisplayByte(byte);
            }
            operands_.push_back(byte);
            if (operands_.size() == 3) {
                Line("IC " + Address(operands_[1], operands_[2]));
                phase_ = Phase::kDisplayData;
            }
            return false;
        case Phase::kDisplayData:
            return DisplayByte(byte);
        case Phase::kOrderOperands:
            // A Start of Field is read as it comes: its control words may run long.
            if (order_ == kOrderStartOfField) {
                field_.Add(byte);
            } else {
                operands_.push_back(byte);
            }
            return OrderComplete() && OrderDone();
        default:
            return false;
    }
}

void RecordDescriber::CommandCode(std::uint8_t code) {
    command_ = code;
    operands_.clear();
    operandsWanted_ = 0;
    switch (code) {
        case kEscape:
            return;  // a repeated escape byte
        case kCmdWriteToDisplay:
        case kCmdReadInputFields:
        case kCmdReadMdtFields:
            operandsWanted_ = 2;
            break;
        case kCmdClearUnitAlternate:
            operandsWanted_ = 1;
            break;
        case kCmdRoll:
            operandsWanted_ = 3;
            break;
        case kCmdWriteStructuredField:
            operandsWanted_ = 5;  // length (2), class, type, flags
            break;
        case kCmdClearUnit:
            FlushUnknown();
            Line("Clear Unit");
            if (!stopped_) screen_->ClearUnit(80, 24);
            phase_ = Phase::kEscape;
            return;
        case kCmdClearFormatTable:
            FlushUnknown();
            Line("Clear Format Table");
            if (!stopped_) {
                screen_->ClearFields();
                screen_->pendingRead = 0;
                screen_->resequenceField = 0;
                screen_->errorRow = screen_->rows();
            }
            phase_ = Phase::kEscape;
            return;
        case kCmdRestoreScreen:
            FlushUnknown();
            Line("Restore Screen");
            if (!stopped_) screen_->ClearFields();  // the cells keep their contents
            phase_ = Phase::kEscape;
            return;
        case kCmdWriteErrorCode: {
            FlushUnknown();
            Line("Write Error Code");
            const int errorRow = screen_->errorRow;
            writeRow_ = errorRow >= 1 && errorRow <= screen_->rows() ? errorRow : screen_->rows();
            writeColumn_ = 1;
            phase_ = Phase::kErrorCodeCursor;
            return;
        }
        case kCmdSaveScreen:
        case kCmdReadScreen:
        case kCmdReadImmediate: {
            // Honoured only right after their operation codes.
            const bool honoured = (code == kCmdSaveScreen && opcode_ == kOpSaveScreen) ||
                                  (code == kCmdReadScreen && opcode_ == kOpReadScreen) ||
                                  (code == kCmdReadImmediate && opcode_ == kOpReadImmediate);
            if (!honoured || source_ == RecordSource::kTerminal) break;
            FlushUnknown();
            Line(code == kCmdSaveScreen   ? "Save Screen (answered with the screen)"
                 : code == kCmdReadScreen ? "Read Screen (answered with the screen)"
                                          : "Read Immediate (answered with the fields)");
            if (code != kCmdSaveScreen && !stopped_) screen_->pendingRead = code;
            phase_ = Phase::kEscape;
            return;
        }
        default:
            break;
    }
    if (operandsWanted_ > 0) {
        FlushUnknown();
        phase_ = Phase::kCommandOperands;
        return;
    }
    // An unknown command: the interpreter reads the next byte as a command
    // code again.
    Unknown(kEscape);
    Unknown(code);
}

void RecordDescriber::CommandDone() {
    const std::vector<std::uint8_t>& o = operands_;
    phase_ = Phase::kEscape;
    switch (command_) {
        case kCmdWriteToDisplay:
            Line("WTD " + WriteControl(o[0], o[1]));
            phase_ = Phase::kDisplayData;
            break;
        case kCmdReadInputFields:
        case kCmdReadMdtFields:
            Line(std::string(command_ == kCmdReadInputFields ? "Read Input Fields "
                                                             : "Read MDT Fields ") +
                 WriteControl(o[0], o[1]));
            if (!stopped_) screen_->pendingRead = command_;
            break;
        case kCmdClearUnitAlternate:
            Line("Clear Unit Alternate " + Hex(o[0]));
            if (!stopped_) screen_->ClearUnit(132, 27);
            break;
        case kCmdRoll:
            RollDone();
            break;
        case kCmdWriteStructuredField: {
            const bool query = o[1] == 0x05 && o[3] == kQueryType && o[4] == 0x00;
            std::string line = "WSF length " + std::to_string(o[0] * 256 + o[1]) + " class " +
                               Hex(o[2]) + " type " + Hex(o[3]) + " flags " + Hex(o[4]);
            line += query ? " (query: answered with the query reply)" : " (not a query: ignored)";
            Line(line);
            phase_ = Phase::kNotRead;  // the rest of the block is skipped
            break;
        }
        default:
            break;
    }
}

void RecordDescriber::RollDone() {
    const std::uint8_t control = operands_[0];
    const int top = operands_[1];
    const int bottom = operands_[2];
    const int rows = screen_->rows();
    const bool down = control & kRollDown;
    const int shift = control & kRollCountMask;
    std::string line = std::string("Roll ") + (down ? "down " : "up ") + std::to_string(shift) +
                       (shift == 1 ? " row" : " rows") + ", rows " + std::to_string(top) + " to " +
                       std::to_string(bottom);
    if (top == 0 || top == rows || bottom == 0 || bottom == rows || top >= bottom) {
        line += " (refused: sense " + Hex(kSenseInvalidRoll) + ", " +
                SenseMeaning(kSenseInvalidRoll) + ")";
        Line(line);
        return;
    }
    Line(line);
    if (!stopped_) screen_->Roll(top, bottom, shift, down);
}

bool RecordDescriber::HiddenData(int position) const {
    if (screen_->hidden(position)) return true;
    return imageSecrets_ && screen_->contains(position) &&
           (*imageSecrets_)[static_cast<std::size_t>(position)];
}

bool RecordDescriber::DisplayByte(std::uint8_t byte) {
    switch (byte) {
        case kEscape:
            FlushText();
            phase_ = Phase::kCommandCode;
            return false;
        case kOrderStartOfHeader:
        case kOrderRepeatToAddress:
        case kOrderInsertCursorAlt:
        case kOrderSetBufferAddress:
        case kOrderInsertCursor:
        case kOrderStartOfField:
            FlushText();
            order_ = byte;
            operands_.clear();
            field_ = FieldOrder();
            phase_ = Phase::kOrderOperands;
            return false;
        default:
            break;
    }
    // Display data at the write address, wrapped to the next row past the
    // last column as the interpreter does.
    if (writeColumn_ > screen_->columns()) {
        ++writeRow_;
        writeColumn_ = 1;
    }
    const int position = screen_->PositionOf(writeRow_, writeColumn_);
    const bool secret = HiddenData(position);
    if (!stopped_) {
        if (!screen_->contains(position)) {
            FlushText();
            Refused(kSenseWriteBeyondScreen, "data at " + Address(writeRow_, writeColumn_));
        } else {
            screen_->HostDataWrittenAt(position);
            if (IsAttribute(byte)) screen_->AttributeWrittenAt(position, byte);
        }
    }
    ++writeColumn_;
    text_.Add(byte, secret, true);
    return secret;
}

bool RecordDescriber::OrderComplete() const {
    const std::vector<std::uint8_t>& o = operands_;
    switch (order_) {
        case kOrderSetBufferAddress:
        case kOrderInsertCursor:
        case kOrderInsertCursorAlt:
            return o.size() == 2;
        case kOrderRepeatToAddress:
            return o.size() == 3;
        case kOrderStartOfHeader:
            return !o.empty() && o.size() == static_cast<std::size_t>(o[0]) + 1;
        case kOrderStartOfField:
            return field_.step == FieldOrder::Step::kDone;
        default:
            return true;
    }
}

bool RecordDescriber::OrderDone() {
    phase_ = Phase::kDisplayData;
    const std::vector<std::uint8_t>& o = operands_;
    switch (order_) {
        case kOrderSetBufferAddress:
            Line("SBA " + Address(o[0], o[1]));
            writeRow_ = o[0];
            writeColumn_ = o[1];
            return false;
        case kOrderInsertCursor:
            Line("IC " + Address(o[0], o[1]));
            return false;
        case kOrderInsertCursorAlt:
            Line("IC " + Address(o[0], o[1]) + " (order 03)");
            return false;
        case kOrderRepeatToAddress:
            return RepeatToAddressDone();
        case kOrderStartOfHeader:
            StartOfHeaderDone();
            return false;
        case kOrderStartOfField:
            StartOfFieldDone();
            return false;
        default:
            return false;
    }
}

bool RecordDescriber::RepeatToAddressDone() {
    const int row = operands_[0];
    const int column = operands_[1];
    const std::uint8_t character = operands_[2];
    const int from = screen_->PositionOf(writeRow_, writeColumn_);
    const int to = screen_->PositionOf(row, column);
    // The character is secret when it fills a position of a non-display field.
    bool secret = false;
    for (int p = std::max(from, 0); p <= to && screen_->contains(p); ++p) {
        if (HiddenData(p)) {
            secret = true;
            break;
        }
    }
    std::string line = "RA to " + Address(row, column) + " char ";
    line += secret && options_.maskSecrets ? TextTokens::Secret(1) : Hex(character);
    Line(line);
    if (!stopped_) {
        for (int p = from; p <= to; ++p) {
            if (!screen_->contains(p)) {
                Refused(kSenseWriteBeyondScreen, "Repeat to Address");
                break;
            }
            screen_->HostDataWrittenAt(p);
        }
    }
    writeRow_ = row;
    writeColumn_ = column + 1;
    if (writeColumn_ > screen_->columns()) {
        ++writeRow_;
        writeColumn_ = 1;
    }
    return secret;
}

void RecordDescriber::StartOfHeaderDone() {
    const std::vector<std::uint8_t>& o = operands_;
    // Offsets from the order byte: 1 length, 2 flag, 3 reserved, 4 first
    // field for reads, 5 error row, 6..8 command key switches.
    auto at = [&](std::size_t offset) -> int { return offset < o.size() + 1 ? o[offset - 1] : 0; };
    const int length = o[0];
    std::string line =
        "SOH first field " + std::to_string(at(4)) + ", error row " + std::to_string(at(5));
    if (at(2)) line += ", flag " + Hex(static_cast<std::uint8_t>(at(2)));
    if (at(6) || at(7) || at(8)) {
        line += ", keys " + Hex(static_cast<std::uint8_t>(at(6))) + " " +
                Hex(static_cast<std::uint8_t>(at(7))) + " " + Hex(static_cast<std::uint8_t>(at(8)));
    }
    if (length != 7) line += ", length " + std::to_string(length);
    if (length < 5) line += " (too short: the terminal reads the next bytes as these values)";
    Line(line);
    if (stopped_) return;
    screen_->ClearFields();
    screen_->resequenceField = at(4);
    screen_->errorRow = at(5);
    if (screen_->errorRow > 24 && screen_->rows() == 24) screen_->errorRow = 24;
}

void RecordDescriber::FieldOrder::Add(std::uint8_t byte) {
    switch (step) {
        case Step::kFirst:
            if (byte & kFfwPresent) {
                formatWord = true;
                ffw1 = byte;
                step = Step::kFormatWord2;
                return;
            }
            step = Step::kControlOrAttribute;
            Add(byte);
            return;
        case Step::kFormatWord2:
            ffw2 = byte;
            step = Step::kControlOrAttribute;
            return;
        case Step::kControlOrAttribute:
            if (byte & kFcwPresent) {
                controlByte = byte;
                step = Step::kControlWord2;
            } else {
                attribute = byte;
                step = Step::kLengthHigh;
            }
            return;
        case Step::kControlWord2:
            if (controlByte == kFcwResequence) {
                resequenced = true;
                resequence = byte;
            }
            if (++controlWords <= kControlWordsShown) {
                shownControlWords += " FCW " + Hex(controlByte) + " " + Hex(byte);
            }
            step = Step::kControlOrAttribute;
            return;
        case Step::kLengthHigh:
            length = byte * 256;
            step = Step::kLengthLow;
            return;
        case Step::kLengthLow:
            length += byte;
            step = Step::kDone;
            return;
        case Step::kDone:
            return;
    }
}

void RecordDescriber::StartOfFieldDone() {
    const FieldOrder& f = field_;
    std::string line = "SF";
    if (f.formatWord) line += " FFW " + Hex(f.ffw1) + " " + Hex(f.ffw2);
    line += f.shownControlWords;
    if (f.controlWords > kControlWordsShown) {
        line += " (" + std::to_string(f.controlWords - kControlWordsShown) + " more FCW)";
    }
    const std::uint8_t attribute = f.attribute;
    const int length = f.length;
    line += " attr " + Hex(attribute) + " len " + std::to_string(length);
    const bool nonDisplay = IsNonDisplayAttribute(attribute);
    if (nonDisplay) line += " (non-display)";
    Line(line);

    if (!stopped_) {
        FieldEntry* e = screen_->DefineField(writeRow_, writeColumn_);
        FieldEntry outside;  // a full table defines no field, but the data stays hidden
        FieldEntry& field = e ? *e : outside;
        field.row = writeRow_;
        field.column = writeColumn_;
        if (f.formatWord) {
            field.ffw1 = f.ffw1;
            field.ffw2 = f.ffw2;
            field.bypass = (f.ffw1 & kFfwBypass) ? 1 : 0;
            field.shiftEdit = f.ffw1 & kFfwShiftEditMask;
        }
        if (f.resequenced) {
            field.fcw1 = kFcwResequence;
            field.fcw2 = f.resequence;
        }
        field.attribute = attribute;
        field.length = length;
        const int attributePosition = screen_->PositionOf(writeRow_, writeColumn_);
        screen_->HostDataWrittenAt(attributePosition);
        if (nonDisplay) screen_->HideField(field);
        const int first = attributePosition + 1;
        if (e && length > 0 && !screen_->contains(first + length - 1)) {
            Refused(kSenseFieldBeyondScreen, "the field");
        } else if (e) {
            screen_->HostDataWrittenAt(first + length);  // the end attribute 0x20
        }
    }
    ++writeColumn_;
}

void RecordDescriber::Refused(std::uint8_t sense, const std::string& what) {
    if (stopped_) return;
    stopped_ = true;
    Line("(" + what + " beyond the screen: the terminal answers with sense " + Hex(sense) +
         " and reads no further)");
}

// ---------------------------------------------------------------------------
// Terminal answers

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
                const int position = memory_.PositionOf(row, column);
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
        shortenSigned_ = true;
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
    if (memory_.pendingRead != kCmdReadInputFields) {
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
        secret = k < e.length && memory_.secret(memory_.FirstDataPosition(e) + k);
    }
    if (lookahead_.size() < 3) return secret;
    const std::vector<std::uint8_t> held = std::move(lookahead_);
    lookahead_.clear();
    if (held[0] == kOrderSetBufferAddress &&
        memory_.FieldStartingAt(memory_.PositionOf(held[1], held[2])) >= 0) {
        operands_.assign(held.begin(), held.begin() + 2);
        phase_ = Phase::kFieldAddress;
        AnswerByte(held[2]);  // completes the address
        return secret;
    }
    readOrder_ = order;
    shortenSigned_ = false;
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
    if (memory_.FieldStartingAt(memory_.PositionOf(held[1], held[2])) >= 0) {
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
        int length = e.length;
        if (shortenSigned_ && e.shiftEdit == 7) --length;  // signed numeric: sign not sent
        if (length <= 0) continue;
        const int first = memory_.FirstDataPosition(e);
        const int row = first / memory_.columns() + 1;
        const int column = first % memory_.columns() + 1;
        BeginField(first, "field " + Address(row, column), length);
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

// ---------------------------------------------------------------------------
// Output

void RecordDescriber::Line(const std::string& text) {
    if (describedBytes_ > kMaxDescribedBytes) return;
    describedBytes_ += text.size();
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

std::vector<std::string> RecordDescriber::Finish() {
    if (finished_) return {};
    finished_ = true;
    FlushUnknown();
    switch (phase_) {
        case Phase::kHeader:
            Line("cut short: " + std::to_string(header_.size()) + " of the " +
                 std::to_string(kHeaderLength) + " header bytes" +
                 (header_.empty() ? "" : ": " + HexList(header_)));
            break;
        case Phase::kCommandOperands:
            Line("command " + Hex(command_) + " cut short" +
                 (operands_.empty() ? "" : ": " + HexList(operands_)));
            break;
        case Phase::kErrorCodeCursor:
            if (!operands_.empty()) Line("IC cut short: " + HexList(operands_));
            break;
        case Phase::kOrderOperands:
            Line("order " + Hex(order_) + " cut short" +
                 (operands_.empty() ? "" : ": " + HexList(operands_)));
            break;
        case Phase::kDisplayData:
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
            if (notReadCount_ > 0) {
                std::string line = "not read: " + HexList(notRead_);
                if (notReadCount_ > notRead_.size()) {
                    line += " ... (" + std::to_string(notReadCount_) + " bytes)";
                }
                Line(line);
            }
            break;
        case Phase::kEscape:
        case Phase::kCommandCode:
            break;
    }
    FlushUnknown();
    if (pendingIac_) lines_.push_back("  ?? FF (cut short)");
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
    std::size_t i = 0;
    for (; i < count && !describer.ended(); ++i) out.secret[i] = describer.Feed(bytes[i]);
    out.lines = describer.Finish();
    if (i < count) {
        out.lines.push_back("  (" + std::to_string(count - i) +
                            " bytes after IAC EOR are not part of the record)");
    }
    return out;
}

}  // namespace quenlix
