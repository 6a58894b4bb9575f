// The one place a 5250 record is framed for the wire, in either direction:
// the GDS header (length, record type, variable header length, the two flag
// bytes, the operation code), then telnet binary framing (every 0xFF byte
// doubled, the length's too, and IAC EOR at the end).
#pragma once

#include <cstdint>
#include <vector>

namespace quenlix::ds {

/// Makes `record` a bare header: two length bytes (filled in by
/// FinishRecord), the GDS header, `flag1`, a zero flag 2 and `opcode`. The
/// caller appends the record's data.
void BeginRecord(std::vector<std::uint8_t>& record, std::uint8_t opcode, std::uint8_t flag1 = 0);

/// Fills in the length of `record` (begun with BeginRecord; at most 65535
/// bytes, which the caller keeps to) and writes it into `framed` ready to
/// send: every 0xFF doubled, then IAC EOR. `framed` is replaced.
void FinishRecord(std::vector<std::uint8_t>& record, std::vector<std::uint8_t>& framed);

/// BeginRecord, `data`, FinishRecord: a whole framed record.
std::vector<std::uint8_t> FramedRecord(std::uint8_t opcode, const std::uint8_t* data,
                                       std::size_t count, std::uint8_t flag1 = 0);

}  // namespace quenlix::ds
