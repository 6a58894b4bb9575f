// The trace file's "trace recv" lines back to bytes.
#include "trace/TraceFile.h"

#include "trace/TrafficTracer.h"

namespace quenlix {

namespace {

/// The byte that stands for a masked one in a replay.
constexpr std::uint8_t kMaskedReplay = 0x40;

int Digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/// The bytes of a hex line; false on anything but pairs of digits or "**".
bool ParseHexLine(std::string_view hex, std::vector<std::uint8_t>& out) {
    out.clear();
    if (hex.empty() || hex.size() % 2 != 0) return false;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        if (hex[i] == '*' && hex[i + 1] == '*') {
            out.push_back(kMaskedReplay);
            continue;
        }
        const int high = Digit(hex[i]);
        const int low = Digit(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        out.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

/// Calls `each(lineNumber, hex)` for every "trace recv" line; stops when it
/// returns false.
template <typename Each>
void ForEachReceivedLine(std::string_view file, Each each) {
    const std::string_view prefix = TrafficTracer::kReceivedPrefix;
    std::size_t start = 0;
    int number = 0;
    while (start < file.size()) {
        std::size_t end = file.find('\n', start);
        if (end == std::string_view::npos) end = file.size();
        std::string_view line = file.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.substr(0, prefix.size()) != prefix) continue;
        if (!each(number, line.substr(prefix.size()))) return;
    }
}

}  // namespace

bool IsTrace(std::string_view file) {
    if (file.find('\xFF') != std::string_view::npos) return false;
    if (file.find('\0') != std::string_view::npos) return false;
    bool found = false;
    ForEachReceivedLine(file, [&](int, std::string_view) {
        found = true;
        return false;
    });
    return found;
}

bool ReadTrace(std::string_view file, std::vector<std::vector<std::uint8_t>>& blocks,
               std::string& error) {
    blocks.clear();
    bool ok = true;
    ForEachReceivedLine(file, [&](int number, std::string_view hex) {
        std::vector<std::uint8_t> bytes;
        if (!ParseHexLine(hex, bytes)) {
            error = "trace line " + std::to_string(number) + " is not hexadecimal";
            ok = false;
            return false;
        }
        blocks.push_back(std::move(bytes));
        return true;
    });
    return ok;
}

}  // namespace quenlix
