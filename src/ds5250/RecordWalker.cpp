#include "ds5250/RecordWalker.h"

#include "ds5250/DataStreamCodes.h"

namespace quenlix::ds {

namespace {

// The bytes that end a run of display data, looked up once a byte.
constexpr std::array<bool, 256> kEndsData = [] {
    std::array<bool, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = IsOrderCode(static_cast<std::uint8_t>(b));
    return table;
}();

}  // namespace

void RecordWalker::Feed(const std::uint8_t* bytes, std::size_t count) {
    const std::uint8_t* p = bytes;
    const std::uint8_t* const end = bytes + count;
    // Each pass takes at least one byte (a byte handed back by Byte is taken
    // by the display data pass that follows), so the walk ends.
    while (p < end) {
        if (state_ == kStopped) {
            offset_ += static_cast<std::size_t>(end - p);
            return;
        }
        if (state_ == kDisplayData && !kEndsData[*p]) {
            const std::uint8_t* run = p;
            while (p < end && !kEndsData[*p]) ++p;
            actions_.Data(run, static_cast<std::size_t>(p - run));
            offset_ += static_cast<std::size_t>(p - run);
            continue;
        }
        if (state_ == kTransparentBytes || state_ == kStructuredFieldBody) {
            const std::size_t used = CountedRun(p, static_cast<std::size_t>(end - p));
            p += used;
            offset_ += used;
            continue;
        }
        if (state_ == kNotRead) {
            actions_.NotRead(p, static_cast<std::size_t>(end - p));
            offset_ += static_cast<std::size_t>(end - p);
            return;
        }
        if (state_ == kDisplayData) {
            // An order whose operands are all here is read at once; one cut
            // by the end of these bytes is read a byte at a time below.
            const std::size_t used = WholeOrder(p, static_cast<std::size_t>(end - p));
            if (used > 0) {
                p += used;
                continue;
            }
        }
        if (Byte(*p)) {
            ++p;
            ++offset_;
        }
    }
}

std::size_t RecordWalker::WholeOrder(const std::uint8_t* p, std::size_t left) {
    std::size_t used = 0;
    switch (*p) {
        case kOrderSetBufferAddress:
        case kOrderInsertCursor:
        case kOrderMoveCursor:
        case kOrderWriteExtendedAttribute:
            used = 3;
            break;
        case kOrderRepeatToAddress:
            used = 4;
            break;
        case kOrderStartOfField:
            return WholeField(p, left);
        default:
            return 0;
    }
    if (left < used) return 0;
    BeginOperands(*p, used - 1);
    for (std::size_t k = 1; k < used; ++k) Keep(p[k]);
    offset_ += used - 1;  // the action is taken at the order's last byte
    OrderDone();
    ++offset_;
    return used;
}

std::size_t RecordWalker::WholeField(const std::uint8_t* p, std::size_t left) {
    // The same reading as the steps of Byte: an optional format word,
    // control words while 0x80 is set, the attribute, two length bytes.
    std::size_t i = 1;
    FieldOrder field;
    if (i < left && (p[i] & kFfwPresent)) {
        if (i + 1 >= left) return 0;
        field.formatWord = true;
        field.ffw1 = p[i];
        field.ffw2 = p[i + 1];
        i += 2;
    }
    while (i < left && (p[i] & kFcwPresent)) {
        if (i + 1 >= left) return 0;
        if (field.controlWords < FieldOrder::kControlWordsKept) {
            field.controlWord[field.controlWords] = {p[i], p[i + 1]};
        }
        ++field.controlWords;
        if (p[i] == kFcwResequence) {
            field.resequenced = true;
            field.resequence = p[i + 1];
            ++field.resequenceWords;
        }
        i += 2;
    }
    if (i + 2 >= left) return 0;  // the attribute and the length are not all here
    field.attribute = p[i];
    field.length = p[i + 1] * 256 + p[i + 2];
    i += 3;
    BeginOperands(kOrderStartOfField, 0);
    for (std::size_t k = 1; k < i; ++k) Keep(p[k]);
    field_ = field;
    offset_ += i - 1;
    FieldDone();
    ++offset_;
    return i;
}

bool RecordWalker::Byte(std::uint8_t byte) {
    switch (state_) {
        case kOperationCode:
            OperationCode(byte);
            return true;
        case kSaveScreenEscape:
            if (byte == kEscape) {
                state_ = kSaveScreenCommand;
            } else {
                actions_.NotRead(&byte, 1);
            }
            return true;
        case kSaveScreenCommand:
            if (byte == kCmdSaveScreen) {
                state_ = kOperationCode;  // the byte after it is read as an operation code
                actions_.SaveScreen();
            } else {
                actions_.NotRead(&byte, 1);
            }
            return true;
        case kReadEscape:
        case kReadCommand:
            if (state_ == kReadCommand &&
                (byte == readCommand_ || (readCommand_ == kCmdReadScreen && IsReadScreenCommand(byte)))) {
                state_ = kOperationCode;
                actions_.ReadRequest(byte);
            } else if (byte == kEscape) {
                state_ = kReadCommand;
            } else {
                state_ = kStopped;
                actions_.ReadRequestMissing(byte);
            }
            return true;
        case kAwaitEscape:
            if (byte == kEscape) {
                state_ = kCommandCode;
            } else {
                actions_.NoEscape(byte);
            }
            return true;
        case kCommandCode:
            CommandCode(byte);
            return true;
        case kCommandOperands:
        case kOrderOperands:
        case kErrorCodeCursor:
            Keep(byte);
            if (givenCount_ < wanted_) return true;
            if (state_ == kOrderOperands) {
                OrderDone();
            } else {
                CommandDone();
            }
            return true;
        case kErrorCodeFirst:
            if (byte == kOrderInsertCursor) {
                BeginOperands(kCmdWriteErrorCode, 2);
                state_ = kErrorCodeCursor;
                return true;
            }
            state_ = kDisplayData;
            actions_.WriteErrorCode(false, 0, 0);
            return false;  // the byte is display data
        case kDisplayData:
            DisplayOrder(byte);
            return true;
        case kHeaderLength:
            header_ = HeaderOrder();
            header_.length = byte;
            Keep(byte);
            wanted_ = byte;
            if (byte == 0) OrderDone();
            else state_ = kHeaderBytes;
            return true;
        case kHeaderBytes:
            header_.bytes[givenCount_ - 1] = byte;  // below 255: wanted_ is a byte
            Keep(byte);
            if (givenCount_ > wanted_) OrderDone();
            return true;
        case kFieldFirst:
            Keep(byte);
            if (byte & kFfwPresent) {
                field_.formatWord = true;
                field_.ffw1 = byte;
                state_ = kFieldFormatWord2;
                return true;
            }
            state_ = kFieldControlOrAttribute;
            --givenCount_;  // kept again below
            return Byte(byte);
        case kFieldFormatWord2:
            Keep(byte);
            field_.ffw2 = byte;
            state_ = kFieldControlOrAttribute;
            return true;
        case kFieldControlOrAttribute:
            Keep(byte);
            if (byte & kFcwPresent) {
                controlByte_ = byte;
                state_ = kFieldControlWord2;
            } else {
                field_.attribute = byte;
                state_ = kFieldLengthHigh;
            }
            return true;
        case kFieldControlWord2:
            Keep(byte);
            if (field_.controlWords < FieldOrder::kControlWordsKept) {
                field_.controlWord[field_.controlWords] = {controlByte_, byte};
            }
            ++field_.controlWords;
            if (controlByte_ == kFcwResequence) {
                field_.resequenced = true;
                field_.resequence = byte;
                ++field_.resequenceWords;
            }
            state_ = kFieldControlOrAttribute;
            return true;
        case kFieldLengthHigh:
            Keep(byte);
            field_.length = byte * 256;
            state_ = kFieldLengthLow;
            return true;
        case kFieldLengthLow:
            Keep(byte);
            field_.length += byte;
            FieldDone();
            return true;
        case kEraseTypes:
            Keep(byte);
            if (erase_.typeCount < erase_.types.size()) erase_.types[erase_.typeCount] = byte;
            ++erase_.typeCount;
            if (givenCount_ >= wanted_) OrderDone();
            return true;
        case kTransparentBytes:
        case kStructuredFieldBody:
            return CountedRun(&byte, 1) == 1;
        case kNotRead:
        case kStopped:
            return true;
    }
    return true;
}

std::size_t RecordWalker::CountedRun(const std::uint8_t* p, std::size_t left) {
    const std::size_t run = counted_ < left ? counted_ : left;
    if (state_ == kTransparentBytes) {
        counted_ -= run;
        if (counted_ == 0) state_ = kDisplayData;  // before the action, which may stop the walk
        if (run > 0) actions_.TransparentBytes(p, run);
        return run;
    }
    DisplayStructuredField& f = displayField_;
    for (std::size_t k = 0; k < run; ++k) {
        if (f.count < DisplayStructuredField::kMaxBytes) f.bytes[f.count] = p[k];
        ++f.count;
    }
    counted_ -= run;
    if (counted_ == 0) {
        offset_ += run > 0 ? run - 1 : 0;  // the action is taken at the field's last byte
        state_ = kDisplayData;
        actions_.DisplayStructuredFieldOrder(f);
        offset_ -= run > 0 ? run - 1 : 0;
    }
    return run;
}

void RecordWalker::OperationCode(std::uint8_t opcode) {
    switch (opcode) {
        case kOpInvite:
        case kOpPutGet:
        case kOpOutputOnly:
        case kOpRestoreScreen:
            state_ = kAwaitEscape;
            break;
        case kOpSaveScreen:
            state_ = kSaveScreenEscape;
            break;
        case kOpReadImmediate:
            state_ = kReadEscape;
            readCommand_ = kCmdReadImmediate;
            break;
        case kOpReadScreen:
            state_ = kReadEscape;
            readCommand_ = kCmdReadScreen;
            break;
        case kOpCancelInvite:
        case kOpMessageLightOn:
        case kOpMessageLightOff:
            state_ = kOperationCode;  // the next byte is read as an operation code
            break;
        default:
            state_ = kNotRead;  // No Operation, the reserved and unknown codes
            break;
    }
    actions_.OperationCode(opcode);
}

void RecordWalker::BeginOperands(std::uint8_t code, std::size_t wanted) {
    code_ = code;
    wanted_ = wanted;
    givenCount_ = 0;
}

void RecordWalker::Keep(std::uint8_t byte) {
    if (givenCount_ < kGivenKept) given_[givenCount_] = byte;
    ++givenCount_;
}

void RecordWalker::CommandCode(std::uint8_t code) {
    switch (code) {
        case kEscape:
            return;  // a repeated escape byte
        case kCmdWriteToDisplay:
        case kCmdReadInputFields:
        case kCmdReadMdtFields:
            BeginOperands(code, 2);
            state_ = kCommandOperands;
            return;
        case kCmdClearUnitAlternate:
            BeginOperands(code, 1);
            state_ = kCommandOperands;
            return;
        case kCmdRoll:
            BeginOperands(code, 3);
            state_ = kCommandOperands;
            return;
        case kCmdWriteStructuredField:
            BeginOperands(code, 5);  // length (2), class, type, flags
            state_ = kCommandOperands;
            return;
        case kCmdWriteErrorCode:
            BeginOperands(code, 0);
            state_ = kErrorCodeFirst;
            return;
        case kCmdWriteErrorCodeToWindow:
            BeginOperands(code, 2);
            state_ = kCommandOperands;
            return;
        case kCmdSavePartialScreen:
        case kCmdRestorePartialScreen:
            BeginOperands(code, 5);  // flag, row, column, depth, width
            state_ = kCommandOperands;
            return;
        case kCmdClearUnit:
            state_ = kAwaitEscape;
            actions_.ClearUnit(false, 0);
            return;
        case kCmdClearFormatTable:
            state_ = kAwaitEscape;
            actions_.ClearFormatTable();
            return;
        case kCmdRestoreScreen:
            state_ = kAwaitEscape;
            actions_.RestoreScreenCommand();
            return;
        default:
            // The next byte is read as a command code again.
            actions_.UnknownCommand(code);
            return;
    }
}

void RecordWalker::CommandDone() {
    const std::uint8_t* o = given_.data();
    switch (code_) {
        case kCmdWriteToDisplay:
            state_ = kDisplayData;
            actions_.WriteToDisplay({o[0], o[1]});
            return;
        case kCmdReadInputFields:
        case kCmdReadMdtFields:
            state_ = kAwaitEscape;
            actions_.ReadFields(code_, {o[0], o[1]});
            return;
        case kCmdClearUnitAlternate:
            state_ = kAwaitEscape;
            actions_.ClearUnit(true, o[0]);
            return;
        case kCmdRoll:
            state_ = kCommandCode;  // the next byte is read as a command code
            actions_.Roll(o[0], o[1], o[2]);
            return;
        case kCmdWriteStructuredField: {
            state_ = kNotRead;  // the rest of the record is skipped
            StructuredFieldStart field;
            field.length = o[0] * 256 + o[1];
            field.fieldClass = o[2];
            field.type = o[3];
            field.flags = o[4];
            actions_.WriteStructuredField(field);
            return;
        }
        case kCmdWriteErrorCode:
            state_ = kDisplayData;
            actions_.WriteErrorCode(true, o[0], o[1]);
            return;
        case kCmdWriteErrorCodeToWindow:
            actions_.WriteErrorCodeToWindow(o[0], o[1]);
            if (state_ == kStopped) return;
            // An Insert Cursor and the error's data follow as Write Error Code's.
            BeginOperands(kCmdWriteErrorCode, 0);
            state_ = kErrorCodeFirst;
            return;
        case kCmdSavePartialScreen:
        case kCmdRestorePartialScreen: {
            state_ = kAwaitEscape;
            PartialScreen area;
            area.flag = o[0];
            area.row = o[1];
            area.column = o[2];
            area.depth = o[3];
            area.width = o[4];
            if (code_ == kCmdSavePartialScreen) {
                actions_.SavePartialScreen(area);
            } else {
                actions_.RestorePartialScreen(area);
            }
            return;
        }
        default:
            state_ = kAwaitEscape;
            return;
    }
}

void RecordWalker::DisplayOrder(std::uint8_t order) {
    switch (order) {
        case kEscape:
            state_ = kCommandCode;
            actions_.EndOfDisplayData();
            return;
        case kOrderStartOfHeader:
            BeginOperands(order, 0);
            state_ = kHeaderLength;
            return;
        case kOrderRepeatToAddress:
            BeginOperands(order, 3);
            state_ = kOrderOperands;
            return;
        case kOrderInsertCursor:
        case kOrderMoveCursor:
        case kOrderSetBufferAddress:
        case kOrderWriteExtendedAttribute:
        case kOrderTransparentData:  // its length
            BeginOperands(order, 2);
            state_ = kOrderOperands;
            return;
        case kOrderEraseToAddress:  // row, column, length; the types follow
        case kOrderDisplayStructuredField:  // length (2), class, type; the data follow
            BeginOperands(order, order == kOrderEraseToAddress ? 3 : 4);
            erase_ = EraseOrder();
            state_ = kOrderOperands;
            return;
        case kOrderStartOfField:
            BeginOperands(order, 0);
            field_ = FieldOrder();
            state_ = kFieldFirst;
            return;
        default:
            actions_.Data(&order, 1);  // not reached: runs take display data
            return;
    }
}

void RecordWalker::OrderDone() {
    const std::uint8_t* o = given_.data();
    state_ = kDisplayData;
    switch (code_) {
        case kOrderStartOfHeader:
            actions_.StartOfHeader(header_);
            return;
        case kOrderRepeatToAddress:
            actions_.RepeatToAddress(o[0], o[1], o[2]);
            return;
        case kOrderInsertCursor:
            actions_.InsertCursor(o[0], o[1]);
            return;
        case kOrderSetBufferAddress:
            actions_.SetBufferAddress(o[0], o[1]);
            return;
        case kOrderMoveCursor:
            actions_.MoveCursor(o[0], o[1]);
            return;
        case kOrderWriteExtendedAttribute:
            actions_.WriteExtendedAttribute(o[0], o[1]);
            return;
        case kOrderEraseToAddress:
            if (givenCount_ <= 3) {
                erase_.row = o[0];
                erase_.column = o[1];
                erase_.length = o[2];
                // A length outside 2..5 names no types: the order is refused
                // as it stands and no byte after it is taken for a type.
                if (!cut_ && o[2] >= kEraseLengthMin && o[2] <= kEraseLengthMax) {
                    wanted_ = 3 + (o[2] - 1u);
                    state_ = kEraseTypes;
                    return;
                }
            }
            actions_.EraseToAddress(erase_);
            return;
        case kOrderTransparentData: {
            const int length = o[0] * 256 + o[1];
            actions_.TransparentData(length);
            if (state_ == kStopped || cut_) return;
            counted_ = static_cast<std::size_t>(length);
            if (counted_ > 0) state_ = kTransparentBytes;
            return;
        }
        case kOrderDisplayStructuredField: {
            DisplayStructuredField& f = displayField_;
            f.length = o[0] * 256 + o[1];
            f.fieldClass = o[2];
            f.type = o[3];
            f.count = 0;
            const int body = f.length - kDisplayFieldHeader;
            counted_ = body > 0 && !cut_ ? static_cast<std::size_t>(body) : 0;
            if (counted_ > 0) {
                state_ = kStructuredFieldBody;
                return;
            }
            actions_.DisplayStructuredFieldOrder(f);
            return;
        }
        default:
            return;
    }
}

void RecordWalker::FieldDone() {
    state_ = kDisplayData;
    actions_.StartOfField(field_);
}

void RecordWalker::Finish() {
    const auto padded = [this] {
        cut_ = true;
        for (std::size_t k = givenCount_; k < wanted_ && k < kGivenKept; ++k) given_[k] = 0;
    };
    switch (state_) {
        case kCommandOperands:
        case kErrorCodeCursor:
            padded();
            CommandDone();
            break;
        case kErrorCodeFirst:
            cut_ = true;
            state_ = kDisplayData;
            actions_.WriteErrorCode(false, 0, 0);
            break;
        case kOrderOperands:
            padded();
            OrderDone();
            break;
        case kEraseTypes:
            cut_ = true;
            state_ = kDisplayData;
            actions_.EraseToAddress(erase_);  // the types that came
            break;
        case kStructuredFieldBody:
            cut_ = true;
            state_ = kDisplayData;
            actions_.DisplayStructuredFieldOrder(displayField_);  // the data that came
            break;
        case kHeaderLength:
            cut_ = true;
            header_ = HeaderOrder();
            code_ = kOrderStartOfHeader;
            OrderDone();
            break;
        case kHeaderBytes:
            cut_ = true;
            OrderDone();  // the bytes not come are 0
            break;
        case kFieldFirst:
        case kFieldFormatWord2:
        case kFieldControlOrAttribute:
        case kFieldControlWord2:
        case kFieldLengthHigh:
        case kFieldLengthLow:
            cut_ = true;
            FieldDone();  // what has not come is 0
            break;
        default:
            break;
    }
    cut_ = false;
    if (state_ != kStopped) state_ = kNotRead;
}

}  // namespace quenlix::ds
