// Readable hexadecimal for test failure messages.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace quenlix::testing {

inline std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char two[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(two, sizeof two, "%02X", bytes[i]);
        if (i) out += ' ';
        out += two;
    }
    return out;
}

}  // namespace quenlix::testing
