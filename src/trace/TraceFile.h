// Reading a trace back for a replay: the host's blocks are its
// "trace recv <hex>" lines, in order. A trace may hold anything else as well
// (its described lines, "trace sent" lines, the rest of a saved CLI output);
// all of that is passed over.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quenlix {

/// Whether a file's bytes are a trace rather than a raw recording of host
/// data. A trace is text: it holds no byte 0xFF and no byte 0x00, and at
/// least one of its lines begins "trace recv " (ReadTrace then refuses one
/// whose hex is bad, rather than have it replayed as raw bytes). A raw
/// recording of a TN5250 host always holds 0xFF (every telnet command and
/// every record's IAC EOR does), so raw data that happens to begin with the
/// words of a trace line is still replayed raw.
bool IsTrace(std::string_view file);

/// The host's blocks of a trace, one per "trace recv" line. A masked byte
/// "**" is replayed as 0x40, the EBCDIC blank (masked bytes are data of
/// non-display fields, which shows as nothing). False, with `error` naming
/// the line, when a "trace recv" line holds anything but pairs of hex digits
/// or "**".
bool ReadTrace(std::string_view file, std::vector<std::vector<std::uint8_t>>& blocks,
               std::string& error);

}  // namespace quenlix
