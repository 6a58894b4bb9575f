// The record, its operation codes and commands, and the end-of-record work.
#include "ds5250/TN5250.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordFramer.h"
#include "terminal/GdsHeader.h"

namespace quenlix {

using namespace ds;

namespace {

constexpr const char* kBadFormat = "Bad format (not a GDS)";

}  // namespace

CTN5250::CTN5250(const InterpreterLinks& links) : links_(links), t_(links.terminal) {
    outcome_.notices.reserve(RecordOutcome::kMaxNotices);
}

const RecordOutcome& CTN5250::ProcessRecord(const std::uint8_t* bytes, std::size_t length) {
    outcome_.notices.clear();
    outcome_.trace.clear();
    r_ = RecordState();
    record_ = bytes;
    recordLength_ = length;
    etoa_ = &links_.tables.EtoaFor(CodePage());
    t_.state.errorLineWritten = 0;

    if (!IsGdsHeaderAt(bytes, length, 2)) {
        Notice(HostNotice::kBadFormat, kBadFormat);
        return outcome_;
    }
    RecordWalker walker(tap_ ? *tap_ : static_cast<RecordActions&>(*this));
    walker_ = &walker;
    // The walker ends with the record, however the record ends: an answer
    // whose send fails throws out of here, the report written.
    struct Done {
        CTN5250& self;
        ~Done() {
            self.walker_ = nullptr;
            if (!self.r_.report.empty()) self.TraceUnplacedByte();
        }
    } done{*this};

    // A header without its operation code reads as No Operation.
    if (length > static_cast<std::size_t>(kHeaderLength) - 1) {
        walker.Feed(bytes + kHeaderLength - 1, length - (kHeaderLength - 1));
    }
    walker.Finish();
    if (!r_.stopped) EndOfRecord();
    if (r_.restoring) {
        // A saved screen brings its fields back with their MDT bits; the
        // operator had changed a field exactly when one of them is set.
        t_.state.operatorModified = 0;
        for (int i = 0; i < t_.formatTable.fieldCount(); ++i) {
            if (t_.formatTable.entry(i)->mdt) t_.state.operatorModified = 1;
        }
    }
    return outcome_;
}

void CTN5250::Notice(HostNotice kind, const char* text) {
    if (outcome_.notices.size() < RecordOutcome::kMaxNotices) outcome_.notices.push_back({kind, text});
}

std::size_t CTN5250::WalkIndex(std::size_t ahead) const {
    return kHeaderLength - 1 + (walker_ ? walker_->offset() : 0) + ahead;
}

void CTN5250::OperationCode(std::uint8_t opcode) {
    switch (opcode) {
        case kOpNoOperation:
        case kOpReserved7:
        case kOpReserved9:
        case kOpOutputOnly:
        case kOpSaveScreen:
        case kOpReadImmediate:
        case kOpReadScreen:
            break;
        case kOpInvite:
        case kOpPutGet:
            t_.SetKeyboardLocked(false);
            break;
        case kOpRestoreScreen:
            r_.restoring = true;
            break;
        case kOpCancelInvite: {
            const std::vector<std::uint8_t> answer = FramedRecord(kOpCancelInvite, nullptr, 0);
            links_.sender.Send(answer.data(), answer.size());
            break;
        }
        case kOpMessageLightOn:
        case kOpMessageLightOff:
            t_.SetMessageWaiting(opcode == kOpMessageLightOn);
            break;
        default:
            // Every byte after an unknown operation code is reported too.
            r_.unknownOperationCode = true;
            Report(WalkIndex(), "Default  CodeEtat idx : %d  val : %d  %d  %d", true);
            break;
    }
}

void CTN5250::NotRead(const std::uint8_t*, std::size_t count) {
    if (r_.unknownOperationCode && count > 0) {
        Report(WalkIndex(count - 1), "Default  CodeEtat idx : %d  val : %d  %d  %d", true);
    }
}

void CTN5250::SaveScreen() { reads_->SendSaveScreen(); }

void CTN5250::ReadRequest(std::uint8_t command) {
    if (command == kCmdReadImmediate) {
        t_.state.pendingRead = kReadImmediate;
        reads_->SendReadImmediate();
    } else {
        // Every kind of Read Screen answers with the screen's image; the
        // extended ones also with the extended attributes where they change.
        t_.state.pendingRead = kReadScreen;
        const bool extended =
            command == kCmdReadScreenExtended || command == kCmdReadScreenToPrintExtended;
        if (extended) {
            reads_->SendReadScreenExtended();
        } else {
            reads_->SendReadScreen();
        }
    }
}

void CTN5250::ReadRequestMissing(std::uint8_t) { r_.stopped = true; }

void CTN5250::NoEscape(std::uint8_t) {
    Report(WalkIndex(), "Default position 300 : %d  val : %d  %d  %d", false);
}

void CTN5250::UnknownCommand(std::uint8_t) {
    Report(WalkIndex(), "Default position 304 : %d  val : %d  %d  %d", false);
}

void CTN5250::WriteToDisplay(WriteControlBytes wc) {
    r_.unlockAfterOrders = ProcessWriteControl(wc.cc1, wc.cc2);
    r_.cursorStaysOnUnlock = (wc.cc2 & kCc2CursorStays) != 0;
    r_.changed = true;
}

void CTN5250::ReadFields(std::uint8_t command, WriteControlBytes wc) {
    // A read invites the operator's input: whatever its control character
    // reset, the keyboard is open once the read is in force.
    ProcessWriteControl(wc.cc1, wc.cc2);
    t_.SetKeyboardLocked(false);
    t_.state.pendingRead = ReadCommandOf(command);
}

void CTN5250::RestoreScreenCommand() {
    t_.formatTable.ClearFormatTable();  // the cells' field marks stay
}

void CTN5250::WriteStructuredField(const StructuredFieldStart& field) {
    if ((field.length & 0xFF) == 0x05 && field.type == kQueryType && field.flags == 0x00) {
        reads_->SendQueryReply(field.fieldClass);
    }
}

void CTN5250::ClearUnit(bool alternate, std::uint8_t) {
    r_.changed = true;
    const int oldColumns = t_.columns();
    const bool resized =
        alternate ? t_.screen.SetGeometry(132, 27) : t_.screen.SetGeometry(80, 24);
    if (!resized) {
        // The array could not be enlarged: refuse the command rather than
        // address memory that is not there.
        StopWithNegativeResponse(kSenseWriteBeyondScreen);
        return;
    }
    if (t_.columns() != oldColumns) t_.damage.Geometry();
    t_.BlankOutsideFields();
    t_.constructs.Clear();
    t_.state.pendingRead = kNoPendingRead;
    t_.SetInsertMode(false);
    t_.formatTable.ClearFormatTable();
    t_.state.operatorModified = 0;
    t_.state.hostFormat.insertCursorRow = 1;
    t_.state.hostFormat.insertCursorColumn = 1;
    t_.state.hostFormat.errorRow = 24;
    t_.state.hostFormat.resequenceField = 0;
    t_.state.hostFormat.homePosition = -1;
    r_.cursorGiven = false;
    t_.SetCellByte(0, kAttributeFirst);
}

void CTN5250::ClearFormatTable() {
    t_.state.operatorModified = 0;
    t_.state.pendingRead = kNoPendingRead;
    t_.SetInsertMode(false);
    t_.state.hostFormat.errorRow = t_.rows();
    t_.state.hostFormat.resequenceField = 0;
    t_.state.hostFormat.insertCursorRow = 1;
    t_.state.hostFormat.insertCursorColumn = 1;
    t_.state.hostFormat.homePosition = -1;
    r_.cursorGiven = false;
    t_.ClearFieldMarks();
    t_.formatTable.ClearFormatTable();
}

void CTN5250::WriteErrorCode(bool cursorGiven, int row, int column) {
    r_.changed = true;
    t_.state.errorLineWritten = kCmdWriteErrorCode;
    if (cursorGiven) {
        t_.state.hostFormat.insertCursorRow = row;
        t_.state.hostFormat.insertCursorColumn = column;
        r_.cursorGiven = true;
    }
    const int errorRow = t_.state.hostFormat.errorRow;
    r_.writeRow = errorRow >= 1 && errorRow <= t_.rows() ? errorRow : t_.rows();
    r_.writeColumn = r_.errorWindowFirst > 0 ? r_.errorWindowFirst : 1;
}

void CTN5250::Roll(std::uint8_t control, int top, int bottom) {
    const int rows = t_.rows();
    // A roll may reach the last row; only a top row of 0, a top row not
    // above the bottom row, or a bottom row past the screen is invalid.
    if (top == 0 || top >= bottom || bottom > rows) {
        SendNegativeResponse(kSenseInvalidRoll);
        return;
    }
    const int shift = (control & kRollLinesMask) * t_.columns();
    const int first = HostPosition(top, 1, t_.columns());
    const int last = bottom * t_.columns() - 1;
    // Rows moved above the first or below the last row, or taken from beyond
    // the screen, are skipped.
    auto move = [&](int from, int to) { t_.MoveCell(from, to); };
    if (control & kRollDown) {
        for (int q = last; q >= first; --q) move(q, q + shift);
    } else {
        for (int q = first; q <= last; ++q) move(q, q - shift);
    }
    r_.rolled = true;
}

void CTN5250::StopWithNegativeResponse(std::uint8_t sense) {
    r_.stopped = true;
    if (walker_) walker_->Stop();
    SendNegativeResponse(sense);
}

void CTN5250::SendNegativeResponse(std::uint8_t sense) {
    const std::uint8_t data[] = {0x10, 0x05, 0x01, sense};
    const std::vector<std::uint8_t> record =
        FramedRecord(kOpNoOperation, data, sizeof data, kFlagError);
    links_.sender.Send(record.data(), record.size());
}

void CTN5250::EndOfRecord() {
    EndOfWriteToDisplay();  // a record cut short after its display data
    if (!r_.changed) {
        // A record that only rolled has no cursor to place; its rows are
        // damaged already and show with the next frame.
        if (r_.rolled) t_.Restyle();
        return;
    }
    if (r_.cursorStays && t_.screen.contains(t_.CursorPosition())) {
        // CC2 0x40: the keyboard unlocked with the cursor where it was.
    } else if (r_.cursorMoved) {
        t_.SetCursorCell(r_.movedRow - 1, r_.movedColumn - 1);
    } else if (r_.cursorGiven) {
        // An address outside the screen is held to its edge, so the cursor
        // always names a real cell.
        const int row = std::clamp(t_.state.hostFormat.insertCursorRow, 1, t_.rows());
        const int column = std::clamp(t_.state.hostFormat.insertCursorColumn, 1, t_.columns());
        t_.SetCursorCell(row - 1, column - 1);
    } else if (t_.formatTable.fieldCount() == 0) {
        t_.SetCursorPixels(0, 0);
    } else {
        PlaceCursorOnFirstInputField();
    }
    t_.Restyle();
}

void CTN5250::PlaceCursorOnFirstInputField() {
    FormatTable& table = t_.formatTable;
    table.currentField = 0;
    if (table.noInputField != 0) return;
    // Every entry is tried once at most: the fields that once took input may
    // all have been redefined as bypass fields.
    const int count = table.fieldCount();
    int index = 0;
    for (int tried = 0; tried < count; ++tried, index = (index + 1) % count) {
        const FieldEntry* e = table.entry(index);
        if (!e->bypass) {
            table.currentField = index;
            // The first data position follows the attribute position, also
            // when the attribute sits in the last column.
            const int first = FirstDataPosition(*e, t_.columns());
            if (t_.screen.contains(first)) t_.SetCursorPosition(first);
            return;
        }
    }
}

void CTN5250::Report(std::size_t index, const char* format, bool withLength) {
    auto at = [this](std::size_t i) -> int { return i < recordLength_ ? record_[i] : 0; };
    const int before = index > 0 ? at(index - 1) : 0;
    const int value = at(index);
    const int after = at(index + 1);
    const int position = static_cast<int>(index) + 1;
    char text[160];
    if (withLength) {
        std::snprintf(text, sizeof text, "nbr_oct : %d\n", static_cast<int>(recordLength_));
        const std::size_t used = std::strlen(text);
        std::snprintf(text + used, sizeof text - used, format, position, before, value, after);
    } else {
        std::snprintf(text, sizeof text, format, position, before, value, after);
    }
    r_.report = text;
}

void CTN5250::TraceUnplacedByte() {
    // Only the last report of a record is kept, with the record's bytes.
    std::string& out = outcome_.trace;
    out = r_.report;
    out += '\n';
    char line[48];
    std::snprintf(line, sizeof line, "nb byte  : %d\n", static_cast<int>(recordLength_));
    out += line;
    for (std::size_t i = 0; i < recordLength_ && out.size() < kMaxTraceBytes; ++i) {
        const std::uint8_t v = record_[i];
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X", v);
        if (v == kOrderStartOfField) {
            out += "\n\n";
            out += hex;
        } else {
            out += hex;
            if (i % 2 == 1) out += "  ";
        }
    }
    if (out.size() > kMaxTraceBytes) out.resize(kMaxTraceBytes);
}

}  // namespace quenlix
