// Levels 0 and 1: the DES substitute of RFC 4777. The password, made into a
// DES key, encrypts the user into a token; the token then encrypts a chain
// over the server seed plus the sequence number, the client seed, the user and
// the sequence number again.
#include <openssl/crypto.h>

#include "signon/DesBlockCipher.h"
#include "signon/PasswordSubstitute.h"

namespace quenlix::signon {
namespace {

constexpr std::uint8_t kEbcdicBlank = 0x40;
constexpr std::size_t kMaxDesBytes = 10;

/// Eight bytes that may hold key material: cleared when they go.
struct Block {
    std::uint8_t b[8] = {};
    Block() = default;
    Block(const Block&) = default;
    Block& operator=(const Block&) = default;
    ~Block() { OPENSSL_cleanse(b, sizeof b); }
};

Block Xor(const Block& a, const Block& c) {
    Block r;
    for (int i = 0; i < 8; ++i) r.b[i] = a.b[i] ^ c.b[i];
    return r;
}

Block FromSeed(const Seed& seed) {
    Block r;
    for (int i = 0; i < 8; ++i) r.b[i] = seed[static_cast<std::size_t>(i)];
    return r;
}

/// `count` bytes from `from` of `bytes`, left-justified in a block of EBCDIC blanks.
Block Padded(const SecretBytes& bytes, std::size_t from, std::size_t count) {
    Block r;
    for (std::size_t i = 0; i < 8; ++i) {
        r.b[i] = i < count && from + i < bytes.size() ? bytes[from + i] : kEbcdicBlank;
    }
    return r;
}

/// The user as the token encrypts it: the first 8 bytes, and for a name of 9
/// or 10 characters the 9th and 10th folded in two bits at a time, the 9th
/// into bytes 1 to 4 and the 10th into bytes 5 to 8.
Block FoldedUser(const SecretBytes& user) {
    Block r = Padded(user, 0, 8);
    if (user.size() > 8) {
        const Block extra = Padded(user, 8, 2);
        for (int half = 0; half < 2; ++half) {
            const std::uint8_t c = extra.b[half];
            std::uint8_t* into = r.b + 4 * half;
            into[0] ^= c & 0xC0;
            into[1] ^= static_cast<std::uint8_t>((c & 0x30) << 2);
            into[2] ^= static_cast<std::uint8_t>((c & 0x0C) << 4);
            into[3] ^= static_cast<std::uint8_t>((c & 0x03) << 6);
        }
    }
    return r;
}

/// The token of 8 password bytes: the key is the password XOR 0x55 in every
/// byte, shifted left by one bit over all 64 bits.
bool TokenOf(DesBlockCipher& des, const Block& user, const Block& password, Block& token) {
    Block mixed;
    for (int i = 0; i < 8; ++i) mixed.b[i] = password.b[i] ^ 0x55;
    Block key;
    for (int i = 0; i < 8; ++i) {
        key.b[i] = static_cast<std::uint8_t>(mixed.b[i] << 1 | (i < 7 ? mixed.b[i + 1] >> 7 : 0));
    }
    return des.Encrypt(key.b, user.b, token.b);
}

Block PlusSequence(const Seed& seed) {
    Block r = FromSeed(seed);
    unsigned carry = 1;  // the sequence number, 1
    for (int i = 7; i >= 0 && carry; --i) {
        const unsigned sum = r.b[i] + carry;
        r.b[i] = static_cast<std::uint8_t>(sum);
        carry = sum >> 8;
    }
    return r;
}

}  // namespace

SubstituteOutcome DesSubstitute(const SecretBytes& userEbcdic, const SecretBytes& passwordEbcdic,
                                const SeedPair& seeds) {
    SubstituteOutcome outcome;
    if (userEbcdic.empty() || userEbcdic.size() > kMaxDesBytes) {
        outcome.refusal = "the user name must have 1 to 10 characters";
        return outcome;
    }
    if (passwordEbcdic.empty() || passwordEbcdic.size() > kMaxDesBytes) {
        outcome.refusal = "password level 0 or 1 takes passwords of 1 to 10 characters";
        return outcome;
    }
    DesBlockCipher des;
    if (!des.available()) {
        outcome.refusal =
            "DES, which password levels 0 and 1 need, is not available "
            "(OpenSSL's legacy provider could not be loaded)";
        return outcome;
    }
    const Block user = FoldedUser(userEbcdic);
    Block token;
    bool ok = TokenOf(des, user, Padded(passwordEbcdic, 0, 8), token);
    if (ok && passwordEbcdic.size() > 8) {
        // A password of 9 or 10 characters: the token of its last part,
        // blank-padded, is XORed into the token of its first 8.
        Block second;
        ok = TokenOf(des, user, Padded(passwordEbcdic, 8, 2), second);
        token = Xor(token, second);
    }

    const Block serverPlusSequence = PlusSequence(seeds.server);
    const Block inputs[] = {
        serverPlusSequence,
        FromSeed(seeds.client),
        Xor(Padded(userEbcdic, 0, 8), serverPlusSequence),
        Xor(Padded(userEbcdic, 8, 2), serverPlusSequence),
        FromSeed(kSubstituteSequence),
    };
    Block chain;  // zero: the first step encrypts its input alone
    for (const Block& input : inputs) {
        const Block in = Xor(chain, input);
        ok = ok && des.Encrypt(token.b, in.b, chain.b);
    }
    if (!ok) {
        outcome.refusal = "the DES substitute could not be computed";
        return outcome;
    }
    outcome.substitute.Append(chain.b, 8);
    return outcome;
}

}  // namespace quenlix::signon
