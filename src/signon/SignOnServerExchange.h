// The first exchange with the host's sign-on server (service "as-signon"):
// the attribute exchange, which needs no credentials and tells the host's
// password level. Pure encoder and parser: the caller does the I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "signon/PasswordSubstitute.h"

namespace quenlix::signon {

/// The sign-on server's ports: plain TCP and TLS.
inline constexpr std::uint16_t kSignOnServerPort = 8476;
inline constexpr std::uint16_t kSignOnServerTlsPort = 9476;

/// Every request and reply starts with this header: length (u32, the whole
/// message), header ID (u16), server ID (u16), instance (u32), correlation
/// (u32), template length (u16), request or reply ID (u16); big-endian.
inline constexpr std::size_t kHeaderLength = 20;
inline constexpr std::uint16_t kSignOnServerId = 0xE009;
inline constexpr std::uint16_t kExchangeAttributesRequestId = 0x7003;
inline constexpr std::uint16_t kExchangeAttributesReplyId = 0xF003;

/// Parameter code points: each parameter is a length (u32, counting its own
/// 6 bytes of length and code point), a code point (u16) and its value.
inline constexpr std::uint16_t kVersionParameter = 0x1101;          ///< u32
inline constexpr std::uint16_t kDatastreamLevelParameter = 0x1102;  ///< u16
inline constexpr std::uint16_t kSeedParameter = 0x1103;             ///< 8 bytes
inline constexpr std::uint16_t kPasswordLevelParameter = 0x1119;    ///< 1 byte
inline constexpr std::size_t kParameterHeaderLength = 6;

/// The datastream level this terminal announces: 2, SHA password support.
inline constexpr std::uint16_t kClientDatastreamLevel = 2;

/// The reply of the attribute exchange is small (the recorded one from a
/// V7R5 host has 94 bytes); a reader refuses a length beyond this bound
/// before reading, so a host cannot make it hold an unbounded buffer.
inline constexpr std::size_t kMaxReplyLength = 4096;
/// The shortest reply: the header and the 4-byte return code template.
inline constexpr std::size_t kMinReplyLength = kHeaderLength + 4;

/// The exchange-attributes request: the header (length 0x34, server ID
/// 0xE009, request ID 0x7003, no template), then client version 1, the
/// client datastream level and the client seed.
std::vector<std::uint8_t> BuildExchangeAttributesRequest(
    const Seed& clientSeed, std::uint16_t datastreamLevel = kClientDatastreamLevel);

/// The whole reply's length from its first 4 bytes, for a reader that reads
/// the rest; nothing when it is below kMinReplyLength or above kMaxReplyLength.
std::optional<std::size_t> ReplyLengthFromPrefix(const std::uint8_t prefix[4]);

/// What the host's reply says.
struct ServerAttributes {
    std::optional<std::uint32_t> serverVrm;        ///< 0x00070500 for V7R5M0
    std::optional<std::uint16_t> datastreamLevel;  ///< the server's
    std::optional<Seed> serverSeed;                ///< the sign-on server's seed
    int passwordLevel = 0;                         ///< QPWDLVL, 0 to 4
};

/// The reply read, or why it is refused.
struct AttributesOutcome {
    std::optional<ServerAttributes> attributes;
    std::string refusal;  ///< empty when attributes are given
};

/// Reads a whole exchange-attributes reply: its length field must be the
/// buffer's size, its server ID 0xE009 and reply ID 0xF003, its template at
/// least the 4-byte return code, which must be 0. Parameters are walked by
/// their lengths, never by assumed offsets; unknown ones are skipped. Refused:
/// a truncated or over-long reply, a parameter length below 6 or past the
/// end, a known parameter of the wrong size or given twice, a password level
/// outside 0..4, and no password level at all.
AttributesOutcome ParseExchangeAttributesReply(const std::uint8_t* bytes, std::size_t count);

/// "V7R5M0" from 0x00070500.
std::string VrmText(std::uint32_t vrm);

}  // namespace quenlix::signon
