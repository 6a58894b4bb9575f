// NEW-ENVIRON names and values as they travel inside IAC SB ... IAC SE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quenlix::telnet {

/// Appends `count` bytes of a NEW-ENVIRON name or value in their wire form:
/// each byte that would read as a type code (VAR, VALUE, ESC, USERVAR: 0x00
/// to 0x03) is preceded by ESC (RFC 1572), and each 0xFF is doubled so that
/// it does not read as IAC (RFC 854). Binary values (the seeds, the password
/// substitute) need both.
void AppendEnvironValue(std::vector<std::uint8_t>& out, const std::uint8_t* bytes,
                        std::size_t count);

}  // namespace quenlix::telnet
