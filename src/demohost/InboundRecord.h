// Records a terminal sends to the host, decoded: header, operation code,
// cursor, attention identifier and field data; and one-line renderings of
// them for the host's log.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "demohost/HostTelnet.h"
#include "terminal/TranslationCache.h"

namespace quenlix::demohost {

/// One field of a Read MDT Fields answer.
struct InboundField {
    int row = 0;     ///< 1-based address of the field's first data position
    int column = 0;
    Bytes ebcdic;
    std::string text;  ///< ebcdic through the host's translation table
};

/// What kind of record it is, from flags, operation code and AID slot.
enum class InboundKind {
    kInvalid,         ///< too short or not a GDS header
    kAid,             ///< an attention key with cursor, AID and field data
    kAidOnly,         ///< PA keys: operation code 0 with cursor and AID
    kAttention,       ///< flag 0x40
    kSystemRequest,   ///< flag 0x04, data is the operator's text
    kNegative,        ///< flag 0x80, sense bytes
    kQueryReply,      ///< AID 0x88
    kReadImmediate,   ///< operation code 0 with AID slot 0x00
    kReadScreen,      ///< operation code 0x08, the screen's EBCDIC bytes
    kSaveScreen,      ///< operation code 0x04, a command stream
    kCancelInvite,    ///< operation code 0x0A
};

struct InboundRecord {
    InboundKind kind = InboundKind::kInvalid;
    std::string error;          ///< why a record is kInvalid
    int declaredLength = 0;     ///< the length bytes of the header
    std::uint8_t flag1 = 0;
    std::uint8_t opcode = 0;
    int cursorRow = 0;
    int cursorColumn = 0;
    std::uint8_t aid = 0;
    Bytes data;                 ///< everything after the 10-byte header
    std::vector<InboundField> fields;
    std::string text;           ///< kSystemRequest: the translated text
};

/// Gives the length of the field whose first data position is (row, column),
/// or -1 when the host has no field there.
using FieldLengthAt = std::function<int(int row, int column)>;

/// Decodes one record (IAC doubling already undone, IAC EOR removed).
/// Field data of a Read MDT Fields answer end at the length that `lengthAt`
/// gives or at the address of another field it knows, whichever is first
/// (a field may come shorter than its length, or as its address alone); for
/// an unknown address they run to the next Set Buffer Address byte 0x11.
/// Text is translated with `tables`, the host's code page. The data of a
/// Read Input Fields or Read Immediate answer stays in `data` (after the
/// cursor and AID); see SplitFieldData.
InboundRecord DecodeInbound(const Bytes& record, const FieldLengthAt& lengthAt,
                            const TablePair& tables = BuiltinTablePair());

/// "Enter", "F3", "RollUp", ... or the hex value.
std::string AidName(std::uint8_t aid);
/// "Put/Get", "Read Screen", ... or the hex value.
std::string OpcodeName(std::uint8_t opcode);
/// EBCDIC to PC text through the ETOA table of `tables`.
std::string ToText(const std::uint8_t* ebcdic, std::size_t count,
                   const TablePair& tables = BuiltinTablePair());
inline std::string ToText(const Bytes& ebcdic, const TablePair& tables = BuiltinTablePair()) {
    return ToText(ebcdic.data(), ebcdic.size(), tables);
}

}  // namespace quenlix::demohost
