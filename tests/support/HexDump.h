// Readable hexadecimal for test failure messages, and the described form of
// a record beside it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ds5250/RecordDescriber.h"

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

/// The hex of a record the terminal sent, then its described lines (with
/// masking off: a failing test must show the data it compared).
inline std::string Described(const std::vector<std::uint8_t>& record,
                             RecordSource source = RecordSource::kTerminal) {
    DescribeOptions options;
    options.maskSecrets = false;
    std::string out = Hex(record);
    for (const std::string& line :
         DescribeRecord(record.data(), record.size(), source, options).lines) {
        out += "\n    " + line;
    }
    return out;
}

}  // namespace quenlix::testing
