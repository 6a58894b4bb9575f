// Levels 2 and 3: the SHA-1 substitute. The token is SHA-1 of the user
// (upper case, blank-padded to 10) and the password (case kept, trailing
// blanks dropped), both UTF-16BE; the substitute is SHA-1 of the token, the
// server seed, the client seed, the user again and the sequence number.
#include "signon/PasswordSubstitute.h"
#include "signon/SignOnText.h"

namespace quenlix::signon {

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
    bool ok = AppendDigest(joinedToken, SecretHash::kSha1, token);
    substituteInput.Append(token);
    substituteInput.Append(seeds.server.data(), seeds.server.size());
    substituteInput.Append(seeds.client.data(), seeds.client.size());
    substituteInput.Append(userBytes);
    substituteInput.Append(kSubstituteSequence.data(), kSubstituteSequence.size());
    ok = ok && AppendDigest(substituteInput, SecretHash::kSha1, outcome.substitute);
    if (!ok) outcome.refusal = "the SHA-1 substitute could not be computed";
    return outcome;
}

}  // namespace quenlix::signon
