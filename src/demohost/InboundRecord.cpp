// Decoding of terminal records.
#include "demohost/InboundRecord.h"

#include <algorithm>
#include <cstdio>

#include "ds5250/DataStreamCodes.h"
#include "terminal/TranslationCache.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

namespace {

std::string Hex(std::uint8_t b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}
}  // namespace

std::string ToText(const std::uint8_t* ebcdic, std::size_t count, const TablePair& tables) {
    std::string out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(static_cast<char>(tables.ETOA[ebcdic[i]]));
    }
    return out;
}

InboundRecord DecodeInbound(const Bytes& rec, const FieldLengthAt& lengthAt,
                            const TablePair& tables) {
    InboundRecord r;
    if (rec.size() < static_cast<std::size_t>(kHeaderLength)) {
        r.error = "record of " + std::to_string(rec.size()) + " bytes, shorter than a header";
        return r;
    }
    if (rec[2] != kRecordType1 || rec[3] != kRecordType2 || rec[4] != 0 || rec[5] != 0 ||
        rec[6] != kVariableHeaderLength) {
        r.error = "not a GDS record";
        return r;
    }
    r.declaredLength = rec[0] * 256 + rec[1];
    r.flag1 = rec[7];
    r.opcode = rec[9];
    r.data.assign(rec.begin() + kHeaderLength, rec.end());
    const Bytes& d = r.data;

    if (r.flag1 & kFlagError) {
        r.kind = InboundKind::kNegative;
        return r;
    }
    if (r.flag1 & kFlagAttention) {
        r.kind = InboundKind::kAttention;
        return r;
    }
    if (r.flag1 & kFlagSystemRequest) {
        r.kind = InboundKind::kSystemRequest;
        r.text = ToText(d, tables);
        return r;
    }
    switch (r.opcode) {
        case kOpReadScreen:
            r.kind = InboundKind::kReadScreen;
            return r;
        case kOpSaveScreen:
            r.kind = InboundKind::kSaveScreen;
            return r;
        case kOpCancelInvite:
            r.kind = InboundKind::kCancelInvite;
            return r;
        default:
            break;
    }
    if (d.size() < 3) {
        r.error = "no cursor and AID";
        return r;
    }
    r.cursorRow = d[0];
    r.cursorColumn = d[1];
    r.aid = d[2];
    if (r.aid == kAidStructuredField) {
        r.kind = InboundKind::kQueryReply;
        return r;
    }
    if (r.opcode == kOpNoOperation) {
        r.kind = r.aid == 0x00 ? InboundKind::kReadImmediate : InboundKind::kAidOnly;
        return r;
    }
    r.kind = InboundKind::kAid;
    // Read MDT Fields answer: SBA row column, then the field's data. A field
    // may come shorter than its length (trailing nulls are left out, a
    // signed field's sign position too) or as its address alone, so its
    // data ends at its length or at the address of another field the host
    // knows, whichever comes first. Terminals send no byte 0x11 as field
    // data (it is not a character), so that address is not data.
    auto fieldAddressAt = [&](std::size_t k) {
        return k + 2 < d.size() && d[k] == kOrderSetBufferAddress && lengthAt &&
               lengthAt(d[k + 1], d[k + 2]) >= 0;
    };
    std::size_t i = 3;
    while (i + 2 < d.size() && d[i] == kOrderSetBufferAddress) {
        InboundField f;
        f.row = d[i + 1];
        f.column = d[i + 2];
        i += 3;
        const int known = lengthAt ? lengthAt(f.row, f.column) : -1;
        std::size_t end = i;
        if (known >= 0) {
            const std::size_t limit = std::min(d.size(), i + static_cast<std::size_t>(known));
            while (end < limit && !fieldAddressAt(end)) ++end;
        } else {
            while (end < d.size() && d[end] != kOrderSetBufferAddress) ++end;
        }
        f.ebcdic.assign(d.begin() + static_cast<std::ptrdiff_t>(i),
                        d.begin() + static_cast<std::ptrdiff_t>(end));
        f.text = ToText(f.ebcdic, tables);
        r.fields.push_back(std::move(f));
        i = end;
    }
    return r;
}

std::string AidName(std::uint8_t aid) {
    if (const int key = FunctionKeyOfAid(aid); key > 0) return "F" + std::to_string(key);
    switch (aid) {
        case kAidEnter: return "Enter";
        case kAidRollDown: return "RollDown";
        case kAidRollUp: return "RollUp";
        case kAidHelp: return "Help";
        case kAidPrint: return "Print";
        case kAidClear: return "Clear";
        case kAidPa1: return "PA1";
        case kAidPa2: return "PA2";
        case kAidPa3: return "PA3";
        case kAidStructuredField: return "StructuredField";
        default: return Hex(aid);
    }
}

std::string OpcodeName(std::uint8_t opcode) {
    switch (opcode) {
        case kOpNoOperation: return "No Operation";
        case kOpInvite: return "Invite";
        case kOpOutputOnly: return "Output Only";
        case kOpPutGet: return "Put/Get";
        case kOpSaveScreen: return "Save Screen";
        case kOpRestoreScreen: return "Restore Screen";
        case kOpReadImmediate: return "Read Immediate";
        case kOpReadScreen: return "Read Screen";
        case kOpCancelInvite: return "Cancel Invite";
        case kOpMessageLightOn: return "Message Light On";
        case kOpMessageLightOff: return "Message Light Off";
        default: return Hex(opcode);
    }
}

}  // namespace quenlix::demohost
