// The record describer's reading of the host's command streams (and of the
// terminal's Save Screen answer, which is one): commands, Write To Display
// orders and display data, followed as the interpreter follows them so that
// the memory of the screen stays true.
#include <algorithm>

#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordDescriber.h"

namespace quenlix {

using namespace ds;

namespace {

/// Field control words shown in one Start of Field line.
constexpr std::size_t kControlWordsShown = 8;

std::string Hex(std::uint8_t byte) { return TextTokens::Hex(byte); }
std::string Address(int row, int column) { return TextTokens::Address(row, column); }

std::string ResetName(std::uint8_t cc1) {
    switch (static_cast<Cc1Reset>(cc1 & kCc1ResetMask)) {
        case kCc1NoReset:
            return "";
        case kCc1ResetPendingAid:
            return "reset pending AID";
        case kCc1ResetMdtNonBypass:
            return "reset MDT of input fields";
        case kCc1ResetMdtAll:
            return "reset MDT of all fields";
        case kCc1NullModifiedNonBypass:
            return "null modified input fields";
        case kCc1ResetMdtNullAllNonBypass:
            return "reset MDT, null input fields";
        case kCc1NullModifiedResetMdtNonBypass:
            return "null modified input fields, reset MDT";
        case kCc1NullAllNonBypassResetMdtAll:
            return "null input fields, reset MDT of all";
    }
    return "";
}

std::string WriteControl(std::uint8_t cc1, std::uint8_t cc2) {
    std::string names;
    auto name = [&](bool on, const std::string& what) {
        if (!on || what.empty()) return;
        if (!names.empty()) names += ", ";
        names += what;
    };
    name(true, ResetName(cc1));
    name(cc2 & 0x80, "reserved 80");
    name(cc2 & kCc2CursorStays, "cursor stays");
    name(cc2 & kCc2CursorSteady, "steady cursor");
    name(cc2 & kCc2CursorBlink, "blinking cursor");
    name(cc2 & kCc2UnlockKeyboard, "unlock keyboard");
    name(cc2 & kCc2Alarm, "alarm");
    // The message light goes on when both bits are set.
    name((cc2 & kCc2MessageLightOn) != 0, "message light on");
    name((cc2 & kCc2MessageLightOff) && !(cc2 & kCc2MessageLightOn), "message light off");
    std::string out = "CC1 " + Hex(cc1) + " CC2 " + Hex(cc2);
    if (!names.empty()) out += " (" + names + ")";
    return out;
}

}  // namespace

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
                screen_->pendingRead = kNoPendingRead;
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
            if (code != kCmdSaveScreen && !stopped_) screen_->pendingRead = ReadCommandOf(code);
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
            if (!stopped_) screen_->pendingRead = ReadCommandOf(command_);
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
    const int shift = control & kRollLinesMask;
    std::string line = std::string("Roll ") + (down ? "down " : "up ") + std::to_string(shift) +
                       (shift == 1 ? " row" : " rows") + ", rows " + std::to_string(top) + " to " +
                       std::to_string(bottom);
    // The interpreter's rule: a roll may reach the last row.
    if (top == 0 || top >= bottom || bottom > rows) {
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
    const int position = HostPosition(writeRow_, writeColumn_, screen_->columns());
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
    const int from = HostPosition(writeRow_, writeColumn_, screen_->columns());
    const int to = HostPosition(row, column, screen_->columns());
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
            field.shiftEdit = ShiftEditOf(f.ffw1);
        }
        if (f.resequenced) {
            field.fcw1 = kFcwResequence;
            field.fcw2 = f.resequence;
        }
        field.attribute = attribute;
        field.length = length;
        const int attributePosition = HostPosition(writeRow_, writeColumn_, screen_->columns());
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

}  // namespace quenlix
