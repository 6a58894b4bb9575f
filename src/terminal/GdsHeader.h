// The GDS header of a 5250 record, the same in both directions: after the
// two length bytes come the record type 0x12 0xA0, two reserved bytes 0x00
// and the variable header length 0x04. The endpoint tells a record from
// telnet bytes by it; the interpreter checks every record against it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quenlix {

inline constexpr std::array<std::uint8_t, 5> kGdsHeader = {0x12, 0xA0, 0x00, 0x00, 0x04};

/// Whether the GDS header stands whole at `p` of data[0 .. length).
inline bool IsGdsHeaderAt(const std::uint8_t* data, std::size_t length, std::size_t p) {
    if (p > length || length - p < kGdsHeader.size()) return false;
    for (std::size_t k = 0; k < kGdsHeader.size(); ++k) {
        if (data[p + k] != kGdsHeader[k]) return false;
    }
    return true;
}

}  // namespace quenlix
