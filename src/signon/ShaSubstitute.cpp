// Levels 2 and 3: the SHA-1 substitute. The token is SHA-1 of the user
// (upper case, blank-padded to 10) and the password (case kept, trailing
// blanks dropped), both UTF-16BE; the substitute is SHA-1 of the token, the
// server seed, the client seed, the user again and the sequence number.
#include <openssl/evp.h>

#include "signon/PasswordSubstitute.h"
#include "signon/SignOnText.h"

namespace quenlix::signon {
namespace {

/// SHA-1 of `input` appended to `out`; false when OpenSSL fails.
bool Sha1(const SecretBytes& input, SecretBytes& out) {
    SecretBytes digest;
    digest.Grow(20);
    unsigned int length = 0;
    if (EVP_Digest(input.data(), input.size(), digest.data(), &length, EVP_sha1(), nullptr) != 1 ||
        length != 20) {
        return false;
    }
    out.Append(digest);
    return true;
}

}  // namespace

SubstituteOutcome ShaSubstitute(std::string_view user, std::string_view password,
                                const SeedPair& seeds) {
    SubstituteOutcome outcome;
    SecretBytes userBytes;
    SecretBytes tokenInput;
    if (!AppendUtf16BigEndian(PaddedUser(user), userBytes) ||
        !AppendUtf16BigEndian(WithoutTrailingBlanks(password), tokenInput)) {
        outcome.refusal = "the user name or password is not well-formed text";
        return outcome;
    }
    SecretBytes token;
    SecretBytes joinedToken;
    joinedToken.Append(userBytes);
    joinedToken.Append(tokenInput);
    SecretBytes substituteInput;
    bool ok = Sha1(joinedToken, token);
    substituteInput.Append(token);
    substituteInput.Append(seeds.server.data(), seeds.server.size());
    substituteInput.Append(seeds.client.data(), seeds.client.size());
    substituteInput.Append(userBytes);
    substituteInput.Append(kSubstituteSequence.data(), kSubstituteSequence.size());
    ok = ok && Sha1(substituteInput, outcome.substitute);
    if (!ok) outcome.refusal = "the SHA-1 substitute could not be computed";
    return outcome;
}

}  // namespace quenlix::signon
