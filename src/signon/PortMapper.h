// The host's port mapper (port 449): asked a service name, it answers the
// port that service listens on. Pure encoder and parser: the caller does the I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlix::signon {

inline constexpr std::uint16_t kPortMapperPort = 449;
/// The sign-on server's service names, plain and over TLS.
inline constexpr std::string_view kSignOnService = "as-signon";
inline constexpr std::string_view kSignOnTlsService = "as-signon-s";

/// The reply: '+' (0x2B) and the port as a big-endian u32; anything else
/// first (the host sends '-') means the service is unknown.
inline constexpr std::uint8_t kPortMapperFound = 0x2B;
inline constexpr std::size_t kPortMapperReplyLength = 5;

/// The request: the service name's bytes (ASCII), nothing before or after.
std::vector<std::uint8_t> BuildPortMapperRequest(std::string_view serviceName);

/// The port, or why the reply is refused.
struct PortOutcome {
    std::optional<std::uint16_t> port;
    std::string refusal;  ///< empty when the port is given
};

/// Reads a reply of at least its first byte. Refused: no '+' first, fewer than
/// 5 bytes after a '+', a port of 0 or above 65535. Bytes after the fifth are
/// not looked at (the host closes the connection after its answer).
PortOutcome ParsePortMapperReply(const std::uint8_t* bytes, std::size_t count);

}  // namespace quenlix::signon
