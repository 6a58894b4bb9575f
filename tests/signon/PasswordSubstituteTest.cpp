// The password substitutes against their published vectors, the text rules
// (case, blanks, lengths, characters) and the refusals of what a level
// cannot take.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "signon/ClientSeed.h"
#include "signon/DesBlockCipher.h"
#include "signon/PasswordSubstitute.h"
#include "support/HexBytes.h"
#include "terminal/TranslationCache.h"

namespace quenlix::test {
namespace {

using signon::DesPasswordLengthRefusal;
using signon::MakePasswordSubstitute;
using signon::SeedPair;
using signon::SubstituteOutcome;

SeedPair Seeds(std::string_view server, std::string_view client) {
    SeedPair seeds;
    const Bytes s = FromHex(server);
    const Bytes c = FromHex(client);
    std::copy(s.begin(), s.end(), seeds.server.begin());
    std::copy(c.begin(), c.end(), seeds.client.begin());
    return seeds;
}

const SeedPair kRfcSeeds = Seeds("7D4C2319F28004B2", "08BEF662D851F4B1");
const SeedPair kShaSeeds = Seeds("A1B2C3D4E5F60718", "0102030405060708");

/// The substitute as hexadecimal, or the refusal for the failure message.
std::string Substitute(int level, std::string_view user, std::string_view password,
                       const SeedPair& seeds) {
    const SubstituteOutcome outcome =
        MakePasswordSubstitute(level, user, password, seeds, BuiltinTablePair());
    if (!outcome.made()) return "refused: " + outcome.refusal;
    return ToHex(outcome.substitute.data(), outcome.substitute.size());
}

/// A level, its text and seeds, and the substitute they make.
struct Row {
    int level;
    std::string_view user, password;
    SeedPair seeds;
    std::string_view expected;
};

TEST(PasswordSubstitute, EachMethodMatchesItsVector) {
    const Row rows[] = {
        // RFC 4777's own example of the DES substitute.
        {0, "USER123", "ABCDEFG", kRfcSeeds, "5a58bd50e4dd9b5f"},
        {1, "USER123", "ABCDEFG", kRfcSeeds, "5a58bd50e4dd9b5f"},
        {2, "usera", "Secret", kShaSeeds, "00e117418d24fbeced107c62a46ed895b442f267"},
        {3, "TESTUSR", "secret1", Seeds("a3b4c5d6e7f8091a", "1122334455667788"),
         "f0a91780745d803d674ef25056e9f5b551f50077"},
        {4, "usera", "Secret", kShaSeeds,
         "12951be37d7addd41c7ec53019187546725549ccb4a5f99c4bb0bbe344e5ecd0"
         "3d2aa8cd2fe2239032c4e319d34ab82594ad0465ea06ade8598d6491108e2996"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("level " + std::to_string(row.level));
        EXPECT_EQ(Substitute(row.level, row.user, row.password, row.seeds), row.expected);
    }
}

// Recomputed by a separate script from the same procedure: the 9th and 10th
// characters of a DES password make a second token, those of a user are
// folded into the token's input and chained on their own; non-ASCII text is
// UTF-16BE (with a surrogate pair) for SHA and UTF-8 for PBKDF2.
TEST(PasswordSubstitute, LongAndNonAsciiTextTakeEveryPath) {
    const Row rows[] = {
        {0, "QSECOFR123", "PASSWORD10", kRfcSeeds, "34868567ee393639"},
        {0, "QSECOFR12", "PASSWORD9", kRfcSeeds, "ed87bb73a4bacdca"},
        {0, "QSECOFR123", "PASSWORD", kRfcSeeds, "6717ce3c70da8a71"},
        {2, "usera", "P\xC3\xA4ssw\xC3\xB6rd\xE2\x82\xAC\xF0\x9F\x98\x80", kShaSeeds,
         "ef230f71a2ec5e93f8782316710bc7e5a1f8b298"},
        // Shorter than the four characters the salt takes.
        {4, "usera", "abc", kShaSeeds,
         "3456bb11b192ad5f098847ad8bd0e841cc54dfbcdb1dfd892fd9d2d931c8a867"
         "9d6b2adc5f0037142d11fb0f9b63cd86f7f6945fa32439689f417f400592b74f"},
        {4, "usera", "P\xC3\xA4ssw\xC3\xB6rd\xE2\x82\xAC\xF0\x9F\x98\x80", kShaSeeds,
         "69ec46e0fecd26862396d29154e97cb6d9dde2864d48c20e1c2f4ec154dc0880"
         "5d2f41309aa0dc346cea538e1d6786e118ade2d0c1b53f83b9aba7c0470d6dd1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.user) + " / level " + std::to_string(row.level));
        EXPECT_EQ(Substitute(row.level, row.user, row.password, row.seeds), row.expected);
    }
}

TEST(PasswordSubstitute, TextIsTakenAsTheHostTakesIt) {
    // DES upper-cases user and password; SHA and PBKDF2 upper-case the user only.
    EXPECT_EQ(Substitute(0, "user123 ", "abcdefg  ", kRfcSeeds), "5a58bd50e4dd9b5f");
    EXPECT_EQ(Substitute(2, "USERA", "Secret ", kShaSeeds),
              "00e117418d24fbeced107c62a46ed895b442f267");
    EXPECT_NE(Substitute(2, "usera", "secret", kShaSeeds),
              "00e117418d24fbeced107c62a46ed895b442f267");
    EXPECT_EQ(Substitute(4, "USERA  ", "Secret   ", kShaSeeds),
              Substitute(4, "usera", "Secret", kShaSeeds));
    EXPECT_NE(Substitute(4, "usera", "secret", kShaSeeds),
              Substitute(4, "usera", "Secret", kShaSeeds));
    // Each seed counts.
    EXPECT_NE(Substitute(2, "usera", "Secret", Seeds("A1B2C3D4E5F60718", "0102030405060709")),
              Substitute(2, "usera", "Secret", kShaSeeds));
    EXPECT_NE(Substitute(0, "USER123", "ABCDEFG", Seeds("7D4C2319F28004B3", "08BEF662D851F4B1")),
              "5a58bd50e4dd9b5f");
}

TEST(PasswordSubstitute, LengthsAtTheLimitsAreTaken) {
    const std::string password128(128, 'x');
    EXPECT_EQ(Substitute(2, "ABCDEFGHIJ", password128, kShaSeeds).size(), 40u);
    EXPECT_EQ(Substitute(4, "ABCDEFGHIJ", password128, kShaSeeds).size(), 128u);
    EXPECT_EQ(Substitute(1, "ABCDEFGHIJ", "ABCDEFGHIJ", kRfcSeeds).size(), 16u);
    // 128 characters of two bytes each: characters are counted, not bytes.
    std::string wide;
    for (int i = 0; i < 128; ++i) wide += "\xC3\xA4";
    EXPECT_EQ(Substitute(3, "usera", wide, kShaSeeds).size(), 40u);
}

TEST(PasswordSubstitute, OnlyTheDesLevelsRefuseAPasswordOverTenCharactersBeforehand) {
    EXPECT_EQ(DesPasswordLengthRefusal(0, "ABCDEFGHIJK"),
              "the password has 11 characters, too long for password level 0, which takes at "
              "most 10 characters");
    EXPECT_NE(DesPasswordLengthRefusal(1, std::string(128, 'A')), "");
    // Characters, not bytes, and trailing blanks do not count.
    std::string wide;
    for (int i = 0; i < 10; ++i) wide += "\xC3\xA4";
    EXPECT_EQ(DesPasswordLengthRefusal(1, wide + "   "), "");
    EXPECT_EQ(DesPasswordLengthRefusal(0, ""), "");
    for (const int level : {2, 3, 4, -1, 7}) {
        EXPECT_EQ(DesPasswordLengthRefusal(level, std::string(20, 'A')), "") << level;
    }
}

TEST(PasswordSubstitute, WhatALevelCannotTakeIsRefusedWithAReason) {
    struct Row {
        int level;
        std::string user, password;
        std::string_view reasonHas;
    };
    const Row rows[] = {
        {0, "USER", "ABCDEFGHIJK", "at most 10 characters"},
        {1, "USER", std::string(12, 'A'), "has 12"},
        {2, "USER", std::string(129, 'A'), "more than 128"},
        {4, "USER", std::string(129, 'A'), "more than 128"},
        {2, "ABCDEFGHIJK", "secret", "more than 10"},
        {2, "", "secret", "no user name"},
        {2, "   ", "secret", "no user name"},
        {2, "USER", "", "no password"},
        {0, "USER", "    ", "no password"},
        {5, "USER", "secret", "unknown"},
        {-1, "USER", "secret", "unknown"},
        {2, "USER", "sec\xC3", "not well-formed"},
        {4, "USER", "sec\xED\xA0\x80", "not well-formed"},  // an encoded surrogate
        {3, "USER", std::string("se\0cret", 7), "not well-formed"},
        // The built-in code page (EBCDIC 500) has no euro sign.
        {0, "USER", "ABC\xE2\x82\xAC", "code page lacks"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("level " + std::to_string(row.level) + " user '" + row.user + "'");
        const SubstituteOutcome outcome = MakePasswordSubstitute(row.level, row.user, row.password,
                                                                 kShaSeeds, BuiltinTablePair());
        EXPECT_FALSE(outcome.made());
        EXPECT_TRUE(outcome.substitute.empty());
        EXPECT_NE(outcome.refusal.find(row.reasonHas), std::string::npos) << outcome.refusal;
    }
}

TEST(PasswordSubstitute, TheDesLevelsUseTheSessionCodePage) {
    TranslationCache cache;
    cache.InitTranslation(QUENLIX_TABLE_DIR);
    if (cache.SelectTables(273) != kTablesSelected) {
        GTEST_SKIP() << "no table file for code page 273 in " << QUENLIX_TABLE_DIR;
    }
    // Letters and digits are the same in both code pages; '@' is not (0x7C in
    // EBCDIC 500, 0xB5 in the German code page 273).
    const TablePair& german = cache.current();
    const auto made = [&](const TablePair& tables, std::string_view password) {
        const SubstituteOutcome o =
            MakePasswordSubstitute(0, "USER123", password, kRfcSeeds, tables);
        return ToHex(o.substitute.data(), o.substitute.size());
    };
    EXPECT_EQ(made(german, "ABCDEFG"), "5a58bd50e4dd9b5f");
    EXPECT_NE(made(german, "ABC@EFG"), made(BuiltinTablePair(), "ABC@EFG"));
}

TEST(PasswordSubstitute, AHostRecognisesOnlyTheSameSubstitute) {
    const SubstituteOutcome made =
        MakePasswordSubstitute(3, "TESTUSR", "secret1", kShaSeeds, BuiltinTablePair());
    ASSERT_TRUE(made.made());
    Bytes received(made.substitute.data(), made.substitute.data() + made.substitute.size());
    EXPECT_TRUE(signon::SameSubstitute(made.substitute, received.data(), received.size()));
    received.back() ^= 1;
    EXPECT_FALSE(signon::SameSubstitute(made.substitute, received.data(), received.size()));
    EXPECT_FALSE(signon::SameSubstitute(made.substitute, received.data(), 8));
    EXPECT_FALSE(signon::SameSubstitute(signon::SecretBytes(), received.data(), 0));
}

TEST(DesBlockCipher, MatchesTheClassicVectorAndIgnoresParity) {
    signon::DesBlockCipher des;
    ASSERT_TRUE(des.available()) << "OpenSSL's legacy provider is missing";
    const Bytes key = FromHex("0123456789ABCDEF");
    const Bytes text = FromHex("4E6F772069732074");  // "Now is t"
    std::uint8_t out[8];
    ASSERT_TRUE(des.Encrypt(key.data(), text.data(), out));
    EXPECT_EQ(ToHex(out, 8), "3fa40e8a984d4815");
    // The low bit of each key byte is parity: flipping them all changes nothing.
    Bytes other = key;
    for (std::uint8_t& b : other) b ^= 1;
    ASSERT_TRUE(des.Encrypt(other.data(), text.data(), out));
    EXPECT_EQ(ToHex(out, 8), "3fa40e8a984d4815");
}

TEST(ClientSeed, EachSeedIsFresh) {
    std::set<signon::Seed> seen;
    for (int i = 0; i < 16; ++i) {
        const std::optional<signon::Seed> seed = signon::NewClientSeed();
        ASSERT_TRUE(seed.has_value());
        seen.insert(*seed);
    }
    EXPECT_EQ(seen.size(), 16u);
}

TEST(SecretBytes, GrowingKeepsTheBytesAndClearingEmpties) {
    signon::SecretBytes secret;
    for (int i = 0; i < 300; ++i) secret.Append(static_cast<std::uint8_t>(i));
    ASSERT_EQ(secret.size(), 300u);
    for (std::size_t i = 0; i < 300; ++i) EXPECT_EQ(secret[i], static_cast<std::uint8_t>(i));
    signon::SecretBytes moved = std::move(secret);
    EXPECT_EQ(moved.size(), 300u);
    moved.Clear();
    EXPECT_TRUE(moved.empty());
}

}  // namespace
}  // namespace quenlix::test
