// Hexadecimal in and out for tests of byte protocols: vectors are written as
// the documents that define them write them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace quenlix::test {

using Bytes = std::vector<std::uint8_t>;

/// Bytes of hexadecimal digits; blanks between them are ignored.
inline Bytes FromHex(std::string_view hex) {
    Bytes out;
    int high = -1;
    for (const char c : hex) {
        int v;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            v = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            v = c - 'A' + 10;
        } else {
            continue;
        }
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(high << 4 | v));
            high = -1;
        }
    }
    return out;
}

inline std::string ToHex(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    char two[3];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(two, sizeof two, "%02x", bytes[i]);
        out += two;
    }
    return out;
}

inline std::string ToHex(const Bytes& bytes) { return ToHex(bytes.data(), bytes.size()); }

}  // namespace quenlix::test
