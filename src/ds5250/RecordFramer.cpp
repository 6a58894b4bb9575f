#include "ds5250/RecordFramer.h"

#include "ds5250/DataStreamCodes.h"

namespace quenlix::ds {

void BeginRecord(std::vector<std::uint8_t>& record, std::uint8_t opcode, std::uint8_t flag1) {
    record.assign({0x00, 0x00, kRecordType1, kRecordType2, 0x00, 0x00, kVariableHeaderLength,
                   flag1, 0x00, opcode});
}

void FinishRecord(std::vector<std::uint8_t>& record, std::vector<std::uint8_t>& framed) {
    const std::size_t length = record.size();
    record[0] = static_cast<std::uint8_t>((length >> 8) & 0xFF);
    record[1] = static_cast<std::uint8_t>(length & 0xFF);
    // Telnet binary mode: every 0xFF byte travels doubled, the low length
    // byte as well as field and screen data, so the peer's telnet layer
    // never mistakes data for a command.
    framed.clear();
    framed.reserve(length + length / 16 + 2);
    for (std::uint8_t b : record) {
        framed.push_back(b);
        if (b == kIac) framed.push_back(kIac);
    }
    framed.push_back(kIac);
    framed.push_back(kEor);
}

std::vector<std::uint8_t> FramedRecord(std::uint8_t opcode, const std::uint8_t* data,
                                       std::size_t count, std::uint8_t flag1) {
    std::vector<std::uint8_t> record;
    record.reserve(kHeaderLength + count);
    BeginRecord(record, opcode, flag1);
    record.insert(record.end(), data, data + count);
    std::vector<std::uint8_t> framed;
    FinishRecord(record, framed);
    return framed;
}

}  // namespace quenlix::ds
