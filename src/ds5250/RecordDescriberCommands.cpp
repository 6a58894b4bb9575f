// The record describer's actions for the host's command streams (and the
// terminal's Save Screen answer, which is one): the record walker reads
// commands, orders and display data as the interpreter does, so the memory
// of the screen stays true; here each becomes its line.
#include <algorithm>

#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordDescriber.h"
#include "terminal/SelectionField.h"

namespace quenlix {

using namespace ds;

namespace {

/// Field control words shown in one Start of Field line.
constexpr std::size_t kControlWordsShown = FieldOrder::kControlWordsKept;

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

bool RecordDescriber::CutShort(const char* what, bool withOperands) {
    if (!walker_->cut()) return false;
    FlushText();
    std::string line = std::string(what) + " " + Hex(walker_->pendingCode()) + " cut short";
    std::vector<std::uint8_t> given;
    if (walker_->pendingCode() == kCmdWriteErrorCode) given.push_back(kOrderInsertCursor);
    const std::size_t count = std::min(walker_->givenCount(), RecordWalker::kGivenKept);
    given.insert(given.end(), walker_->given(), walker_->given() + count);
    if (withOperands && !given.empty()) line += ": " + HexList(given);
    Line(line);
    return true;
}

void RecordDescriber::OperationCode(std::uint8_t opcode) {
    // The header's line names the first; a later one is read where Cancel
    // Invite, a message light, Save Screen or a read left off.
    if (opcodes_++ == 0) return;
    FlushText();
    const std::string name = OpcodeName(opcode);
    Line("then operation code " +
         (name.empty() ? Hex(opcode) + " (unknown)" : name + " (" + Hex(opcode) + ")"));
}

void RecordDescriber::NotRead(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (notRead_.size() < kNotReadShown) notRead_.push_back(bytes[i]);
    }
    notReadCount_ += count;
}

void RecordDescriber::SaveScreen() {
    FlushUnknown();
    Line("Save Screen (answered with the screen)");
}

void RecordDescriber::ReadRequest(std::uint8_t command) {
    FlushUnknown();
    switch (command) {
        case kCmdReadImmediate:
            Line("Read Immediate (answered with the fields)");
            break;
        case kCmdReadScreenExtended:
            Line("Read Screen with Extended Attributes (answered with the screen)");
            break;
        case kCmdReadScreenToPrint:
            Line("Read Screen to Print (answered with the screen)");
            break;
        case kCmdReadScreenToPrintExtended:
            Line("Read Screen to Print with Extended Attributes (answered with the screen)");
            break;
        default:
            Line("Read Screen (answered with the screen)");
            break;
    }
    if (!stopped_) screen_->pendingRead = command == kCmdReadImmediate ? kReadImmediate : kReadScreen;
}

void RecordDescriber::ReadRequestMissing(std::uint8_t byte) {
    FlushText();
    Line("?? " + Hex(byte) + " (no escape and read command: the terminal reads no further)");
}

void RecordDescriber::NoEscape(std::uint8_t byte) { Unknown(byte); }

void RecordDescriber::UnknownCommand(std::uint8_t code) {
    // The interpreter reads the next byte as a command code again.
    Unknown(kEscape);
    Unknown(code);
}

void RecordDescriber::WriteToDisplay(WriteControlBytes wc) {
    FlushUnknown();
    if (CutShort("command")) return;
    Line("WTD " + WriteControl(wc.cc1, wc.cc2));
}

void RecordDescriber::ReadFields(std::uint8_t command, WriteControlBytes wc) {
    FlushUnknown();
    if (CutShort("command")) return;
    Line(std::string(command == kCmdReadInputFields ? "Read Input Fields " : "Read MDT Fields ") +
         WriteControl(wc.cc1, wc.cc2));
    if (!stopped_) screen_->pendingRead = ReadCommandOf(command);
}

void RecordDescriber::ClearUnit(bool alternate, std::uint8_t operand) {
    FlushUnknown();
    if (alternate && CutShort("command")) return;
    if (alternate) {
        Line("Clear Unit Alternate " + Hex(operand));
        if (!stopped_) screen_->ClearUnit(132, 27);
        return;
    }
    Line("Clear Unit");
    if (!stopped_) screen_->ClearUnit(80, 24);
}

void RecordDescriber::ClearFormatTable() {
    FlushUnknown();
    Line("Clear Format Table");
    if (stopped_) return;
    screen_->ClearFields();
    screen_->pendingRead = kNoPendingRead;
    screen_->resequenceField = 0;
    screen_->errorRow = screen_->rows();
}

void RecordDescriber::RestoreScreenCommand() {
    FlushUnknown();
    Line("Restore Screen");
    if (!stopped_) screen_->ClearFields();  // the cells keep their contents
}

void RecordDescriber::WriteErrorCode(bool cursorGiven, int row, int column) {
    FlushUnknown();
    Line("Write Error Code");
    const int errorRow = screen_->errorRow;
    writeRow_ = errorRow >= 1 && errorRow <= screen_->rows() ? errorRow : screen_->rows();
    writeColumn_ = 1;
    if (!cursorGiven) return;
    if (walker_->cut()) {
        Line("IC cut short: " + HexList([&] {
                 std::vector<std::uint8_t> given{kOrderInsertCursor};
                 given.insert(given.end(), walker_->given(),
                              walker_->given() + std::min<std::size_t>(walker_->givenCount(), 2));
                 return given;
             }()));
        return;
    }
    Line("IC " + Address(row, column));
}

void RecordDescriber::WriteErrorCodeToWindow(int firstColumn, int lastColumn) {
    FlushUnknown();
    if (CutShort("command")) return;
    Line("Write Error Code to Window, columns " + std::to_string(firstColumn) + " to " +
         std::to_string(lastColumn));
    if (firstColumn < 1 || lastColumn < firstColumn || lastColumn > screen_->columns()) {
        RefusedWith(kSenseErrorWindowAddress, "Write Error Code to Window");
    }
}

namespace {
std::string Rectangle(const PartialScreen& a) {
    return "rows " + std::to_string(a.row) + " to " + std::to_string(a.row + a.depth - 1) +
           ", columns " + std::to_string(a.column) + " to " +
           std::to_string(a.column + a.width - 1) + (a.flag ? ", flag " + Hex(a.flag) : "");
}
}  // namespace

void RecordDescriber::SavePartialScreen(const PartialScreen& area) {
    FlushUnknown();
    if (CutShort("command")) return;
    Line("Save Partial Screen, " + Rectangle(area));
}

void RecordDescriber::RestorePartialScreen(const PartialScreen& area) {
    FlushUnknown();
    if (CutShort("command")) return;
    Line("Restore Partial Screen, " + Rectangle(area));
}

void RecordDescriber::Roll(std::uint8_t control, int top, int bottom) {
    FlushUnknown();
    if (CutShort("command")) return;
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

void RecordDescriber::WriteStructuredField(const StructuredFieldStart& f) {
    FlushUnknown();
    if (CutShort("command")) return;
    const bool query = (f.length & 0xFF) == 0x05 && f.type == kQueryType && f.flags == 0x00;
    std::string line = "WSF length " + std::to_string(f.length) + " class " + Hex(f.fieldClass) +
                       " type " + Hex(f.type) + " flags " + Hex(f.flags);
    line += query ? " (query: answered with the query reply)" : " (not a query: ignored)";
    Line(line);
}

void RecordDescriber::EndOfDisplayData() { FlushText(); }

bool RecordDescriber::HiddenData(int position) const {
    if (screen_->hidden(position)) return true;
    return imageSecrets_ && screen_->contains(position) &&
           (*imageSecrets_)[static_cast<std::size_t>(position)];
}

void RecordDescriber::Data(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) byteSecret_ = DisplayByte(bytes[i]) || byteSecret_;
}

bool RecordDescriber::DisplayByte(std::uint8_t byte) {
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

void RecordDescriber::SetBufferAddress(int row, int column) {
    FlushText();
    if (CutShort("order")) return;
    Line("SBA " + Address(row, column));
    writeRow_ = row;
    writeColumn_ = column;
}

void RecordDescriber::InsertCursor(int row, int column) {
    FlushText();
    if (CutShort("order")) return;
    Line("IC " + Address(row, column));
}

void RecordDescriber::MoveCursor(int row, int column) {
    FlushText();
    if (CutShort("order")) return;
    Line("MC " + Address(row, column));
    if (row < 1 || row > screen_->rows() || column < 1 || column > screen_->columns()) {
        RefusedWith(kSenseInvalidAddress, "Move Cursor");
    }
}

void RecordDescriber::EraseToAddress(const EraseOrder& order) {
    FlushText();
    if (CutShort("order")) return;
    std::string line = "EA to " + Address(order.row, order.column) + " length " +
                       std::to_string(order.length);
    if (order.typeCount > 0) {
        line += " types";
        for (std::size_t k = 0; k < std::min(order.typeCount, order.types.size()); ++k) {
            line += " " + Hex(order.types[k]);
        }
    }
    Line(line);
    const int rows = screen_->rows(), columns = screen_->columns();
    if (order.row < 1 || order.row > rows || order.column < 1 || order.column > columns) {
        RefusedWith(kSenseInvalidAddress, "Erase to Address");
        return;
    }
    bool typesValid = order.length >= kEraseLengthMin && order.length <= kEraseLengthMax;
    for (std::size_t k = 0; k < order.typeCount && k < order.types.size(); ++k) {
        const std::uint8_t t = order.types[k];
        const bool known = (t >= kEraseCharacters && t <= kEraseIdeographic) || t == kEraseAll;
        typesValid = typesValid && known;
    }
    if (!typesValid) {
        RefusedWith(kSenseExtendedAttributeType, "Erase to Address");
        return;
    }
    if (writeColumn_ > columns) {
        ++writeRow_;
        writeColumn_ = 1;
    }
    const int from = HostPosition(writeRow_, writeColumn_, columns);
    const int to = HostPosition(order.row, order.column, columns);
    if (!screen_->contains(from)) {
        Refused(kSenseWriteBeyondScreen, "Erase to Address");
        return;
    }
    if (to < from) {
        RefusedWith(kSenseAddressBehind, "Erase to Address");
        return;
    }
    if (!stopped_) {
        for (int p = from; p <= to; ++p) screen_->HostDataWrittenAt(p);
    }
    writeRow_ = order.row;
    writeColumn_ = order.column + 1;
}

void RecordDescriber::TransparentData(int length) {
    FlushText();
    if (CutShort("order")) return;
    Line("TD length " + std::to_string(length));
}

void RecordDescriber::TransparentBytes(const std::uint8_t* bytes, std::size_t count) {
    Data(bytes, count);
}

void RecordDescriber::WriteExtendedAttribute(std::uint8_t type, std::uint8_t value) {
    FlushText();
    if (CutShort("order")) return;
    std::string line = "WEA ";
    std::uint8_t sense = 0;
    switch (type) {
        case kExtendedPrimary: {
            line += "primary " + Hex(value);
            std::string looks;
            auto look = [&](std::uint8_t bit, const char* name) {
                if (!(value & bit)) return;
                looks += looks.empty() ? " (" : ", ";
                looks += name;
            };
            look(kExtendedReverse, "reverse");
            look(kExtendedUnderline, "underline");
            look(kExtendedBlink, "blink");
            look(kExtendedColumnSeparator, "column separators");
            line += looks.empty() ? " (none)" : looks + ")";
            if (value & kExtendedPrimaryReserved) sense = kSenseExtendedAttribute;
            break;
        }
        case kExtendedForegroundColor: {
            static constexpr const char* kNames[] = {"blue",      "red",    "pink", "green",
                                                     "turquoise", "yellow", "white"};
            line += "colour " + Hex(value);
            if (value == kExtendedColorDefault) {
                line += " (the attribute's)";
            } else if (value >= kExtendedColorFirst && value <= kExtendedColorLast) {
                line += std::string(" (") + kNames[value - kExtendedColorFirst] + ")";
            } else {
                sense = kSenseExtendedAttribute;
            }
            break;
        }
        case kExtendedIdeographic:
            line += "ideographic " + Hex(value);
            break;
        default:
            line += "type " + Hex(type) + " value " + Hex(value);
            sense = kSenseExtendedAttributeType;
            break;
    }
    Line(line);
    if (sense != 0) RefusedWith(sense, "Write Extended Attribute");
}

void RecordDescriber::DisplayStructuredFieldOrder(const DisplayStructuredField& f) {
    FlushText();
    if (CutShort("order")) return;
    std::string line = "WDSF ";
    const std::uint8_t* d = f.bytes.data();
    const std::size_t kept = f.kept();
    if (f.fieldClass != kDisplayFieldClass) {
        line += "class " + Hex(f.fieldClass) + " type " + Hex(f.type);
    } else {
        switch (f.type) {
            case kWdsfCreateWindow:
                line += "Create Window";
                if (kept >= 5) {
                    line += " " + std::to_string(d[3]) + " rows, " + std::to_string(d[4]) +
                            " columns";
                    if (d[0] & kWindowCursorRestricted) line += ", cursor kept inside";
                    if (d[0] & kWindowPullDown) line += ", pull-down";
                }
                break;
            case kWdsfUnrestrictedCursor: line += "Unrestricted Cursor Movement"; break;
            case kWdsfDefineSelectionField:
                line += "Define Selection Field" + SelectionFieldWords(d, kept);
                break;
            case kWdsfDefineScrollBar:
                line += "Define Scroll Bar";
                if (kept >= kScrollBarFixedBytes) {
                    const auto be32 = [&](std::size_t at) {
                        return (static_cast<std::uint32_t>(d[at]) << 24) |
                               (static_cast<std::uint32_t>(d[at + 1]) << 16) |
                               (static_cast<std::uint32_t>(d[at + 2]) << 8) | d[at + 3];
                    };
                    line += std::string((d[0] & kScrollBarHorizontal) ? " across " : " down ") +
                            std::to_string(d[10]) + " cells, " + std::to_string(be32(2)) +
                            " rows, slider at " + std::to_string(be32(6));
                }
                break;
            case kWdsfWriteData: line += "Write Data"; break;
            case kWdsfRemoveSelectionField: line += "Remove Selection Field"; break;
            case kWdsfRemoveWindow: line += "Remove Window"; break;
            case kWdsfRemoveScrollBar: line += "Remove Scroll Bar"; break;
            case kWdsfRemoveAllConstructs: line += "Remove All Constructs"; break;
            case kWdsfProgrammableMouseButtons:
                line += "Programmable Mouse Buttons (ignored)";
                break;
            case kWdsfDrawGridLines: line += "Draw Grid Lines (ignored)"; break;
            case kWdsfClearGridLines: line += "Clear Grid Lines (ignored)"; break;
            default: line += "type " + Hex(f.type); break;
        }
    }
    line += ", " + std::to_string(f.count) + (f.count == 1 ? " byte" : " bytes");
    Line(line);
}

std::string RecordDescriber::SelectionFieldWords(const std::uint8_t* d, std::size_t kept) const {
    if (kept < kSelectionFixedBytes) return {};
    const std::uint8_t type = d[kSelectionTypeAt];
    std::string words = " ";
    words += IsSelectionKind(type) ? SelectionKindName(static_cast<SelectionKind>(type))
                                   : "kind " + Hex(type);
    if ((d[0] & kSelectionMouseMask) == kSelectionOnlyWithMouse) words += ", only with a mouse";
    std::size_t at = kSelectionFixedBytes + ((d[1] & kSelectionHasScrollBar) ? kSelectionScrollBytes : 0);
    int place = 0;
    // Each choice's number, text and state; the walk stops at a minor
    // structure that does not fit, as the terminal does.
    while (at + 2 <= kept) {
        const std::size_t length = d[at];
        if (length < 2 || at + length > kept) break;
        if (d[at + 1] == kMinorChoiceText && length >= kChoiceFixedBytes) {
            const std::uint8_t f1 = d[at + 2];
            std::size_t p = at + kChoiceFixedBytes;
            if (f1 & kChoiceHasMnemonic) ++p;
            std::uint8_t aid = 0;
            if ((f1 & kChoiceHasAid) && p < at + length) aid = d[p++];
            p += f1 & kChoiceDigitsMask;
            TextTokens text(etoa_, options_.charset, false);
            for (std::size_t k = p; k < at + length; ++k) text.Add(d[k], false, false);
            words += place++ == 0 ? ": " : "; ";
            words += text.Take();
            switch (f1 & kChoiceStateMask) {
                case kChoiceSelected: words += " selected"; break;
                case kChoiceUnavailable: words += " unavailable"; break;
                default: break;
            }
            if (aid != 0) words += " sends " + AidName(aid);
            if ((d[at + 4] & kChoiceForUnderliningDisplay) == 0) words += " (for other displays)";
        }
        at += length;
    }
    return words;
}

void RecordDescriber::RefusedWith(std::uint8_t sense, const std::string& what) {
    if (stopped_) return;
    stopped_ = true;
    Line("(" + what + " refused: the terminal answers with sense " + Hex(sense) + ", " +
         SenseMeaning(sense) + ", and reads no further)");
}

void RecordDescriber::RepeatToAddress(int row, int column, std::uint8_t character) {
    FlushText();
    if (CutShort("order")) return;
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
    byteSecret_ = secret;
}

void RecordDescriber::StartOfHeader(const HeaderOrder& order) {
    FlushText();
    if (CutShort("order")) return;
    // Offsets from the order byte: 1 length, 2 flag, 3 reserved, 4 first
    // field for reads, 5 error row, 6..8 command key switches.
    auto at = [&](std::size_t offset) -> int { return order.at(offset); };
    const int length = order.length;
    std::string line =
        "SOH first field " + std::to_string(at(4)) + ", error row " + std::to_string(at(5));
    if (at(2)) line += ", flag " + Hex(static_cast<std::uint8_t>(at(2)));
    if (at(6) || at(7) || at(8)) {
        line += ", keys " + Hex(static_cast<std::uint8_t>(at(6))) + " " +
                Hex(static_cast<std::uint8_t>(at(7))) + " " + Hex(static_cast<std::uint8_t>(at(8)));
    }
    if (length != 7) line += ", length " + std::to_string(length);
    if (length < 5) line += " (too short: the terminal takes 0 for the values it lacks)";
    Line(line);
    if (stopped_) return;
    screen_->ClearFields();
    screen_->resequenceField = at(4);
    screen_->errorRow = at(5);
    if (screen_->errorRow > 24 && screen_->rows() == 24) screen_->errorRow = 24;
}

void RecordDescriber::StartOfField(const FieldOrder& f) {
    FlushText();
    if (CutShort("order", false)) return;
    std::string line = "SF";
    if (f.formatWord) line += " FFW " + Hex(f.ffw1) + " " + Hex(f.ffw2);
    for (std::size_t k = 0; k < std::min(f.controlWords, kControlWordsShown); ++k) {
        line += " FCW " + Hex(f.controlWord[k][0]) + " " + Hex(f.controlWord[k][1]);
    }
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
