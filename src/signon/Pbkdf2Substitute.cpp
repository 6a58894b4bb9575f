// Level 4: the key is PBKDF2-HMAC-SHA512 of the password (UTF-8) with a salt
// of SHA-256 over UTF-16BE of the padded user and the password's last four
// characters, 10022 iterations, 64 bytes; the substitute is SHA-512 of the
// key, the server seed, the client seed, the padded user (UTF-16BE) and the
// sequence number.
#include <openssl/evp.h>

#include <string>

#include "signon/PasswordSubstitute.h"
#include "signon/SignOnText.h"

namespace quenlix::signon {
namespace {

/// The host's iteration count for level 4 keys.
constexpr int kPbkdf2Iterations = 10022;
constexpr std::size_t kKeyLength = 64;

}  // namespace

SubstituteOutcome Pbkdf2Substitute(std::string_view user, std::string_view password,
                                   const SeedPair& seeds) {
    SubstituteOutcome outcome;
    const std::string_view kept = WithoutTrailingBlanks(password);
    const std::string paddedUser = PaddedUser(user);
    SecretBytes userBytes;
    SecretBytes saltInput;
    if (!AppendUtf16BigEndian(paddedUser, userBytes) ||
        !AppendUtf16BigEndian(paddedUser, saltInput) ||
        !AppendUtf16BigEndian(LastCharacters(kept, 4), saltInput)) {
        outcome.refusal = "the user name or password is not well-formed text";
        return outcome;
    }
    SecretBytes salt;
    SecretBytes key;
    key.Grow(kKeyLength);
    bool ok = AppendDigest(saltInput, SecretHash::kSha256, salt) &&
              PKCS5_PBKDF2_HMAC(kept.data(), static_cast<int>(kept.size()), salt.data(),
                                static_cast<int>(salt.size()), kPbkdf2Iterations, EVP_sha512(),
                                static_cast<int>(key.size()), key.data()) == 1;
    SecretBytes substituteInput;
    substituteInput.Append(key);
    substituteInput.Append(seeds.server.data(), seeds.server.size());
    substituteInput.Append(seeds.client.data(), seeds.client.size());
    substituteInput.Append(userBytes);
    substituteInput.Append(kSubstituteSequence.data(), kSubstituteSequence.size());
    ok = ok && AppendDigest(substituteInput, SecretHash::kSha512, outcome.substitute);
    if (!ok) outcome.refusal = "the level 4 substitute could not be computed";
    return outcome;
}

}  // namespace quenlix::signon
