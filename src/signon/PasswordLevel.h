// The host's password level and the substitute each level takes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace quenlix::signon {

/// The host's password level is its system value QPWDLVL, 0 to 4. Telnet does
/// not announce it; the sign-on server does (SignOnServerExchange.h).
inline constexpr int kLowestPasswordLevel = 0;
inline constexpr int kHighestPasswordLevel = 4;

/// How the password substitute is made.
enum class SubstituteMethod {
    Des,     ///< levels 0 and 1: 8 bytes, DES over the EBCDIC password (RFC 4777)
    Sha1,    ///< levels 2 and 3: 20 bytes, SHA-1 over the UTF-16BE password
    Pbkdf2,  ///< level 4: 64 bytes, PBKDF2-HMAC-SHA512 then SHA-512
};

/// The method of a password level; nothing for a level outside 0..4.
std::optional<SubstituteMethod> MethodForPasswordLevel(int level);

/// Bytes of a substitute made by `method`: 8, 20 or 64.
std::size_t SubstituteLength(SubstituteMethod method);

/// "DES", "SHA-1", "PBKDF2-SHA-512", for messages.
std::string_view MethodName(SubstituteMethod method);

}  // namespace quenlix::signon
