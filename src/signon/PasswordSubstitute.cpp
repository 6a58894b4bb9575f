// The checks every method shares, then the method of the level. Lengths are
// counted in characters after trailing blanks are dropped, as the host counts
// what the operator types.
#include "signon/PasswordSubstitute.h"

#include <openssl/crypto.h>

#include <optional>

#include "signon/SignOnText.h"

namespace quenlix::signon {
namespace {

SubstituteOutcome Refused(std::string reason) {
    SubstituteOutcome outcome;
    outcome.refusal = std::move(reason);
    return outcome;
}

}  // namespace

std::string DesPasswordLengthRefusal(int passwordLevel, std::string_view password) {
    const std::optional<SubstituteMethod> method = MethodForPasswordLevel(passwordLevel);
    if (method != SubstituteMethod::Des) return {};
    const std::optional<std::size_t> length = CharacterCount(WithoutTrailingBlanks(password));
    if (!length || *length <= kMaxDesPasswordCharacters) return {};
    return "the password has " + std::to_string(*length) +
           " characters, too long for password level " + std::to_string(passwordLevel) +
           ", which takes at most " + std::to_string(kMaxDesPasswordCharacters) + " characters";
}

SubstituteOutcome MakePasswordSubstitute(int passwordLevel, std::string_view user,
                                         std::string_view password, const SeedPair& seeds,
                                         const TablePair& tables) {
    const std::optional<SubstituteMethod> method = MethodForPasswordLevel(passwordLevel);
    if (!method) {
        return Refused("the password level " + std::to_string(passwordLevel) +
                       " is unknown (levels are 0 to 4)");
    }
    const std::string_view userKept = WithoutTrailingBlanks(user);
    const std::string_view passwordKept = WithoutTrailingBlanks(password);
    const std::optional<std::size_t> userLength = CharacterCount(userKept);
    const std::optional<std::size_t> passwordLength = CharacterCount(passwordKept);
    if (!userLength || !passwordLength) {
        return Refused("the user name or password is not well-formed text");
    }
    if (*userLength == 0) return Refused("there is no user name");
    if (*userLength > kMaxUserCharacters) {
        return Refused("the user name has more than 10 characters");
    }
    if (*passwordLength == 0) return Refused("there is no password");
    if (*passwordLength > kMaxPasswordCharacters) {
        return Refused("the password has more than 128 characters");
    }

    switch (*method) {
        case SubstituteMethod::Des: {
            std::string tooLong = DesPasswordLengthRefusal(passwordLevel, passwordKept);
            if (!tooLong.empty()) return Refused(std::move(tooLong));
            SecretBytes userEbcdic;
            SecretBytes passwordEbcdic;
            if (!AppendUpperCaseEbcdic(userKept, tables, userEbcdic) ||
                !AppendUpperCaseEbcdic(passwordKept, tables, passwordEbcdic)) {
                return Refused(
                    "the user name or password holds a character that the host code page "
                    "lacks");
            }
            return DesSubstitute(userEbcdic, passwordEbcdic, seeds);
        }
        case SubstituteMethod::Sha1:
            return ShaSubstitute(userKept, passwordKept, seeds);
        case SubstituteMethod::Pbkdf2:
            return Pbkdf2Substitute(userKept, passwordKept, seeds);
    }
    return Refused("the password level is unknown");
}

bool SameSubstitute(const SecretBytes& expected, const std::uint8_t* received, std::size_t count) {
    return !expected.empty() && count == expected.size() &&
           CRYPTO_memcmp(expected.data(), received, count) == 0;
}

}  // namespace quenlix::signon
