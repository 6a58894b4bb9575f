// Record framing, operation codes, command dispatch and the end-of-block work.
#include "ds5250/TN5250.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordFramer.h"
#include "terminal/GdsHeader.h"
#include "terminal/PrivateFiles.h"

namespace quenlix {

using namespace ds;

namespace {

constexpr const char* kBadFormat = "Bad format (not a GDS)";
constexpr const char* kBadFrameFormat = "Mauvais format de trame (non GDS)";

}  // namespace

CTN5250::CTN5250(const InterpreterLinks& links) : links_(links), t_(links.terminal) {
    // A launcher's working folder is often /usr/bin or the home folder: the
    // trace belongs with the program's own state, not there.
    const std::string folder = UserStateDirectory();
    if (!folder.empty()) tracePath_ = folder + "/" + kDefaultTraceFile;
}

void CTN5250::ProcessBlock(const std::uint8_t* bytes, std::size_t length) {
    // The copy is ours: the endpoint may refill its buffer while a message
    // box of this block runs a nested event loop, and a nested block gets a
    // copy of its own.
    if (copies_.size() <= depth_) {
        copies_.emplace_back();
        copies_.back().reserve(kPrivateBufferSize);
    }
    std::vector<std::uint8_t>& copy = copies_[depth_];
    copy.assign(bytes, bytes + length);
    // The nesting level is given back however the block ends: an answer
    // whose send fails throws out of here, and the next block must reuse
    // this copy rather than take a new one each time.
    struct DepthGuard {
        std::size_t& depth;
        ~DepthGuard() { --depth; }
    } guard{++depth_};

    etoa_ = &links_.tables.EtoaFor(CodePage());

    Block b;
    b.data = copy.data();
    b.length = copy.size();
    t_.state.errorLineWritten = 0;

    const std::size_t h = b.at(2) == kIac ? 3 : 2;  // a doubled length byte
    if (!IsGdsHeaderAt(b.data, b.length, h)) {
        links_.messages.ShowHostNotice(HostNotice::kBadFormat, kBadFormat);
        return;
    }
    b.pos = h + 7;
    b.state = b.at(b.pos);

    try {
        while (b.pos < b.length && !b.stopped) Step(b);
        if (!b.stopped) {
            EndOfWriteToDisplay(b);  // a record cut short after its display data
            EndOfBlock(b);
        }
    } catch (...) {
        if (!b.trace.empty()) WriteTrace(b);
        throw;
    }
    if (b.restoring) {
        // A saved screen brings its fields back with their MDT bits; the
        // operator had changed a field exactly when one of them is set.
        t_.state.operatorModified = 0;
        for (int i = 0; i < t_.formatTable.fieldCount(); ++i) {
            if (t_.formatTable.entry(i)->mdt) t_.state.operatorModified = 1;
        }
    }
    if (!b.trace.empty()) WriteTrace(b);
    // A nested block may have run under another code page: the enclosing
    // block goes on with the table of the one in force now.
    etoa_ = &links_.tables.EtoaFor(CodePage());
}

void CTN5250::Step(Block& b) {
    switch (b.state) {
        case kAwaitCommand: StepAwaitCommand(b); break;
        case kCommand: StepCommand(b); break;
        case kDisplayData: StepDisplayData(b); break;
        case kSaveScreen: StepSaveScreen(b); break;
        case kReadImmediate: StepRead(b, kCmdReadImmediate); break;
        case kReadScreen: StepRead(b, kCmdReadScreen); break;
        default: StepOperationCode(b); break;
    }
}

void CTN5250::StepOperationCode(Block& b) {
    switch (b.state) {
        case kOpNoOperation:
        case kOpReserved7:
        case kOpReserved9:
            ++b.pos;  // the rest of the block, further records included, is skipped
            break;
        case kOpInvite:
        case kOpPutGet:
            t_.SetKeyboardLocked(false);
            ++b.pos;
            b.state = kAwaitCommand;
            break;
        case kOpRestoreScreen:
            b.restoring = true;
            [[fallthrough]];
        case kOpOutputOnly:
            ++b.pos;
            b.state = kAwaitCommand;
            break;
        case kOpSaveScreen:
            ++b.pos;
            if (b.at(b.pos) == kEscape) {
                ++b.pos;
                b.state = kSaveScreen;
            }
            break;
        case kOpReadImmediate:
            ++b.pos;
            b.state = kReadImmediate;
            break;
        case kOpReadScreen:
            ++b.pos;
            b.state = kReadScreen;
            break;
        case kOpCancelInvite: {
            const std::vector<std::uint8_t> answer = FramedRecord(kOpCancelInvite, nullptr, 0);
            links_.sender.Send(answer.data(), answer.size());
            b.state = b.at(b.pos + 1);
            ++b.pos;
            break;
        }
        case kOpMessageLightOn:
        case kOpMessageLightOff:
            t_.SetMessageWaiting(b.state == kOpMessageLightOn);
            ++b.pos;
            b.state = b.at(b.pos);
            break;
        case kIac:
            EndOfRecordTest(b);
            break;
        default:
            Report(b, "Default  CodeEtat idx : %d  val : %d  %d  %d", true);
            ++b.pos;
            break;
    }
}

void CTN5250::StepAwaitCommand(Block& b) {
    const std::uint8_t v = b.at(b.pos);
    if (v == kEscape) {
        ++b.pos;
        b.state = kCommand;
    } else if (v == kIac) {
        EndOfRecordTest(b);
    } else {
        Report(b, "Default position 300 : %d  val : %d  %d  %d", false);
        ++b.pos;
    }
}

void CTN5250::StepCommand(Block& b) {
    const std::uint8_t code = b.at(b.pos);
    switch (code) {
        case kEscape:
            ++b.pos;  // a repeated escape byte
            break;
        case kCmdWriteToDisplay: {
            const WriteControl wc = ReadWriteControl(b);
            b.unlockAfterOrders = ProcessWriteControl(wc.cc1, wc.cc2);
            b.cursorStaysOnUnlock = (wc.cc2 & kCc2CursorStays) != 0;
            b.changed = true;
            b.state = kDisplayData;
            break;
        }
        case kCmdRestoreScreen:
            t_.formatTable.ClearFormatTable();  // the cells' field marks stay
            ++b.pos;
            b.state = kAwaitCommand;
            break;
        case kCmdClearUnitAlternate:
        case kCmdClearUnit:
            ClearUnit(b, code == kCmdClearUnitAlternate);
            break;
        case kCmdWriteErrorCode:
            WriteErrorCode(b);
            break;
        case kCmdRoll:
            Roll(b);
            break;
        case kCmdReadInputFields:
        case kCmdReadMdtFields: {
            // A read invites the operator's input: whatever its control
            // character reset, the keyboard is open once the read is in force.
            const WriteControl wc = ReadWriteControl(b);
            ProcessWriteControl(wc.cc1, wc.cc2);
            t_.SetKeyboardLocked(false);
            t_.state.pendingRead = ReadCommandOf(code);
            b.state = kAwaitCommand;
            break;
        }
        case kCmdClearFormatTable:
            ClearFormatTableCommand(b);
            break;
        case kCmdWriteStructuredField:
            b.state = kOpNoOperation;  // the rest of the block is skipped
            if (b.at(b.pos + 2) == 0x05 && b.at(b.pos + 4) == kQueryType &&
                b.at(b.pos + 5) == 0x00) {
                reads_->SendQueryReply(b.at(b.pos + 3));
            }
            ++b.pos;
            break;
        case kIac:
            EndOfRecordTest(b);
            break;
        default:
            Report(b, "Default position 304 : %d  val : %d  %d  %d", false);
            ++b.pos;
            break;
    }
}

CTN5250::WriteControl CTN5250::ReadWriteControl(Block& b) {
    // Either byte may be 0xFF, which the telnet layer doubles: its copy is
    // no part of the command.
    std::size_t p = b.pos + 1;
    WriteControl wc;
    wc.cc1 = b.at(p);
    p += wc.cc1 == kIac && b.at(p + 1) == kIac ? 2 : 1;
    wc.cc2 = b.at(p);
    p += wc.cc2 == kIac && b.at(p + 1) == kIac ? 2 : 1;
    b.pos = p;
    return wc;
}

void CTN5250::StepSaveScreen(Block& b) {
    if (b.at(b.pos) == kCmdSaveScreen) {
        reads_->SendSaveScreen();
        ++b.pos;
        b.state = b.at(b.pos);
    } else {
        ++b.pos;  // any other command byte here is consumed, so the walk goes on
    }
}

void CTN5250::StepRead(Block& b, std::uint8_t command) {
    if (b.at(b.pos) != kEscape) {
        b.stopped = true;
        return;
    }
    ++b.pos;
    if (b.at(b.pos) == command) {
        t_.state.pendingRead = ReadCommandOf(command);
        if (command == kCmdReadImmediate) {
            reads_->SendReadImmediate();
        } else {
            reads_->SendReadScreen();
        }
        ++b.pos;
        b.state = b.at(b.pos);
    }
}

void CTN5250::EndOfRecordTest(Block& b) {
    const int startState = b.state;
    if (b.at(b.pos + 1) != kEor) {
        // A lone 0xFF outside display data: consumed, so the walk cannot stall.
        ++b.pos;
        return;
    }
    b.pos += 2;
    if (b.pos >= b.length) return;
    std::size_t p = b.pos;
    if (b.at(p + 1) == 0xFF) ++p;  // doubled low length byte
    if (IsGdsHeaderAt(b.data, b.length, p + 2)) {
        b.pos = p + 9;
        b.state = b.at(b.pos);
        return;
    }
    links_.messages.ShowHostNotice(HostNotice::kBadFormat,
                                   startState == kCommand ? kBadFormat : kBadFrameFormat);
    b.stopped = true;
}

void CTN5250::ClearUnit(Block& b, bool alternate) {
    b.changed = true;
    const int oldColumns = t_.columns();
    const bool resized =
        alternate ? t_.screen.SetGeometry(132, 27) : t_.screen.SetGeometry(80, 24);
    if (!resized) {
        // The array could not be enlarged: refuse the command rather than
        // address memory that is not there.
        StopWithNegativeResponse(b, kSenseWriteBeyondScreen);
        return;
    }
    if (t_.columns() != oldColumns) t_.damage.Geometry();
    t_.FillCells(0, t_.cellCount(), kEbcdicBlank, ' ');
    t_.ClearFieldMarks();
    t_.state.pendingRead = kNoPendingRead;
    t_.SetInsertMode(false);
    t_.formatTable.ClearFormatTable();
    t_.state.operatorModified = 0;
    t_.state.hostFormat.insertCursorRow = 1;
    t_.state.hostFormat.insertCursorColumn = 1;
    t_.state.hostFormat.errorRow = 24;
    t_.state.hostFormat.resequenceField = 0;
    t_.state.hostFormat.homePosition = -1;
    b.cursorGiven = false;
    t_.SetCellByte(0, kAttributeFirst);
    b.pos += alternate ? 2 : 1;
    b.state = kAwaitCommand;
}

void CTN5250::ClearFormatTableCommand(Block& b) {
    t_.state.operatorModified = 0;
    t_.state.pendingRead = kNoPendingRead;
    t_.SetInsertMode(false);
    t_.state.hostFormat.errorRow = t_.rows();
    t_.state.hostFormat.resequenceField = 0;
    t_.state.hostFormat.insertCursorRow = 1;
    t_.state.hostFormat.insertCursorColumn = 1;
    t_.state.hostFormat.homePosition = -1;
    b.cursorGiven = false;
    t_.ClearFieldMarks();
    t_.formatTable.ClearFormatTable();
    ++b.pos;
    b.state = kAwaitCommand;
}

void CTN5250::WriteErrorCode(Block& b) {
    b.changed = true;
    t_.state.errorLineWritten = kCmdWriteErrorCode;
    if (b.at(b.pos + 1) == kOrderInsertCursor) {
        t_.state.hostFormat.insertCursorRow = b.at(b.pos + 2);
        t_.state.hostFormat.insertCursorColumn = b.at(b.pos + 3);
        b.cursorGiven = true;
        b.pos += 3;
    }
    b.writeRow = t_.state.hostFormat.errorRow >= 1 && t_.state.hostFormat.errorRow <= t_.rows() ? t_.state.hostFormat.errorRow : t_.rows();
    b.writeColumn = 1;
    ++b.pos;
    b.state = kDisplayData;
}

void CTN5250::Roll(Block& b) {
    const std::uint8_t control = b.at(b.pos + 1);
    const int top = b.at(b.pos + 2);
    const int bottom = b.at(b.pos + 3);
    const int rows = t_.rows();
    b.pos += 4;
    // A roll may reach the last row; only a top row of 0, a top row not
    // above the bottom row, or a bottom row past the screen is invalid.
    if (top == 0 || top >= bottom || bottom > rows) {
        SendNegativeResponse(kSenseInvalidRoll);
        return;
    }
    const int shift = (control & kRollLinesMask) * t_.columns();
    const int first = HostPosition(top, 1, t_.columns());
    const int last = bottom * t_.columns() - 1;
    auto move = [&](int from, int to) {
        // Rows moved above the first or below the last row, or taken from
        // beyond the screen, are skipped.
        t_.MoveCell(from, to);
    };
    if (control & kRollDown) {
        for (int q = last; q >= first; --q) move(q, q + shift);
    } else {
        for (int q = first; q <= last; ++q) move(q, q - shift);
    }
    b.rolled = true;
}

void CTN5250::StopWithNegativeResponse(Block& b, std::uint8_t sense) {
    SendNegativeResponse(sense);
    b.stopped = true;
}

void CTN5250::SendNegativeResponse(std::uint8_t sense) {
    const std::uint8_t data[] = {0x10, 0x05, 0x01, sense};
    const std::vector<std::uint8_t> record =
        FramedRecord(kOpNoOperation, data, sizeof data, kFlagError);
    links_.sender.Send(record.data(), record.size());
}

void CTN5250::EndOfBlock(Block& b) {
    if (!b.changed) {
        // A block that only rolled has no cursor to place; its rows are
        // damaged already and show with the next frame.
        if (b.rolled) t_.Restyle();
        return;
    }
    if (b.cursorStays && t_.screen.contains(t_.CursorPosition())) {
        // CC2 0x40: the keyboard unlocked with the cursor where it was.
    } else if (b.cursorGiven) {
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

void CTN5250::Report(Block& b, const char* format, bool withLength) {
    const int before = b.pos > 0 ? b.at(b.pos - 1) : 0;
    const int value = b.at(b.pos);
    const int after = b.at(b.pos + 1);
    const int position = static_cast<int>(b.pos) + 1;
    char text[160];
    if (withLength) {
        std::snprintf(text, sizeof text, "nbr_oct : %d\n", static_cast<int>(b.length));
        const std::size_t used = std::strlen(text);
        std::snprintf(text + used, sizeof text - used, format, position, before, value, after);
    } else {
        std::snprintf(text, sizeof text, format, position, before, value, after);
    }
    b.trace = text;
}

void CTN5250::WriteTrace(const Block& b) {
    // Each report replaced the file; writing only the last one, once, when
    // the block ends leaves the same file without rewriting it per byte.
    if (tracePath_.empty()) return;
    if (defaultTracePath_) {
        if (EnsurePrivateDirectory(tracePath_.substr(0, tracePath_.rfind('/'))) != 0) return;
        defaultTracePath_ = false;
    }
    std::string out = b.trace;
    out += '\n';
    char line[48];
    std::snprintf(line, sizeof line, "nb byte  : %d\n", static_cast<int>(b.length));
    out += line;
    for (std::size_t i = 0; i < b.length && out.size() < kMaxTraceBytes; ++i) {
        const std::uint8_t v = b.data[i];
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
    WritePrivateFile(tracePath_, out);
}

}  // namespace quenlix
