// The password substitute: what an automatic sign-on sends instead of the
// password, proving it to the host without letting it cross the wire.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "signon/PasswordLevel.h"
#include "signon/SecretBytes.h"

namespace quenlix {
struct TablePair;
}

namespace quenlix::signon {

/// An 8-byte random seed; the host sends one, the terminal makes the other.
using Seed = std::array<std::uint8_t, 8>;

/// The two seeds of one sign-on. Every method hashes or encrypts the server
/// seed first, then the client seed.
struct SeedPair {
    Seed server{};
    Seed client{};
};

/// A substitute, or why none was made.
struct SubstituteOutcome {
    SecretBytes substitute;  ///< 8, 20 or 64 bytes (SubstituteLength) when made
    std::string refusal;     ///< empty when made; otherwise words for the operator

    bool made() const { return refusal.empty(); }
};

/// Why `password` (UTF-8) is too long for the DES levels 0 and 1, which take
/// at most 10 characters after trailing blanks; empty when it is not, or when
/// the level is another. Asked before connecting, so no sign-on is tried with
/// a password the level cannot carry.
std::string DesPasswordLengthRefusal(int passwordLevel, std::string_view password);

/// The substitute of `user` and `password` (UTF-8, as the session holds them)
/// for the host's password level 0 to 4. The user has 1 to 10 characters, the
/// password 1 to 128 (1 to 10 at levels 0 and 1); trailing blanks do not
/// count. `tables` is the session's code page pair: the DES levels work on
/// EBCDIC. Refused with a reason, never guessed: the level is outside 0..4,
/// the user or password is empty or too long for the level, the text is not
/// well-formed, a character has no EBCDIC byte in the code page (DES), or
/// the cryptographic library cannot do the method.
SubstituteOutcome MakePasswordSubstitute(int passwordLevel, std::string_view user,
                                         std::string_view password, const SeedPair& seeds,
                                         const TablePair& tables);

/// Levels 0 and 1 (RFC 4777, DES): user and password as upper-case EBCDIC,
/// the user 1 to 10 bytes, the password 1 to 10 bytes, without padding.
SubstituteOutcome DesSubstitute(const SecretBytes& userEbcdic, const SecretBytes& passwordEbcdic,
                                const SeedPair& seeds);

/// Levels 2 and 3 (SHA-1). The caller has checked the lengths and that both
/// are well-formed UTF-8.
SubstituteOutcome ShaSubstitute(std::string_view user, std::string_view password,
                                const SeedPair& seeds);

/// Level 4 (PBKDF2-HMAC-SHA512, then SHA-512). The caller has checked the
/// lengths and that both are well-formed UTF-8.
SubstituteOutcome Pbkdf2Substitute(std::string_view user, std::string_view password,
                                   const SeedPair& seeds);

/// Whether a received substitute is the expected one, compared in constant
/// time so that the time taken tells nothing of how much of it matched: for a
/// host's check of a terminal's sign-on (the demo host's).
bool SameSubstitute(const SecretBytes& expected, const std::uint8_t* received, std::size_t count);

/// The 8-byte sequence number all methods take: always 1 for a sign-on.
inline constexpr Seed kSubstituteSequence = {0, 0, 0, 0, 0, 0, 0, 1};

}  // namespace quenlix::signon
