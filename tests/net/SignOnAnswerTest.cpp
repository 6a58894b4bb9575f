// The environment answer of an automatic sign-on: the password substitute
// when the host sent its seed and the password level is known, never the
// password itself unless the session allows it.
#include <gtest/gtest.h>

#include <string>

#include "NetTestSupport.h"
#include "net/Telnet.h"

namespace quenlix::test {
namespace {

using Seed = std::array<std::uint8_t, 8>;

Bytes Hex(std::string_view hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

/// A value's wire form: type codes after ESC, 0xFF doubled.
Bytes Escaped(const Bytes& value) {
    Bytes out;
    for (const std::uint8_t b : value) {
        if (b <= USERVAR) out.push_back(ESC);
        if (b == IAC) out.push_back(IAC);
        out.push_back(b);
    }
    return out;
}

/// The host's request with `seed` right after the name, escaped as a host does.
Bytes SendWithSeed(const Bytes& seed) {
    return Cat({IAC, SB, NEW_ENVIRON, SEND, VAR, "USER", USERVAR, "IBMRSEED", Escaped(seed),
                USERVAR, "IBMSUBSPW", IAC, SE});
}

const Bytes kSendWithoutSeed = {IAC, SB, NEW_ENVIRON, SEND, VAR, 'U', 'S', 'E', 'R', IAC, SE};

class SignOnAnswerTest : public ::testing::Test {
protected:
    SignOnAnswerTest() {
        settings.AutoConnection = 1;
        settings.UserID = "usera";
        settings.UserPassword = "Secret";
    }

    Bytes Answer(const Bytes& block) {
        sender.sends.clear();
        telnet.Negotiate(block.data(), block.size());
        return RecordingSender::Joined(sender.sends);
    }

    void Plan(std::optional<int> level, bool clear = false) {
        SignOnPlan plan;
        plan.passwordLevel = level;
        plan.levelSource = level ? "session setting" : "no answer from the sign-on server";
        plan.sendInClear = clear;
        telnet.SetSignOnPlan(plan);
    }

    void FixClientSeed(const Bytes& seed) {
        Seed fixed{};
        std::copy(seed.begin(), seed.end(), fixed.begin());
        telnet.SetClientSeedSource([fixed] { return std::optional<Seed>(fixed); });
    }

    bool Holds(const Bytes& answer, std::string_view text) const {
        return std::search(answer.begin(), answer.end(), text.begin(), text.end()) != answer.end();
    }

    SessionSettings settings;
    RecordingSender sender;
    CTelnet telnet{sender, settings};
};

TEST_F(SignOnAnswerTest, TheSubstituteGoesWithTheClientSeedByteForByte) {
    Plan(2);
    FixClientSeed(Hex("0102030405060708"));
    const Bytes answer = Answer(SendWithSeed(Hex("A1B2C3D4E5F60718")));
    EXPECT_TRUE(SameBytes(
        answer,
        Cat({IAC,     SB,         NEW_ENVIRON, IS,
             VAR,     "USER",     VALUE,       "usera",
             USERVAR, "IBMRSEED", VALUE,       ESC,
             0x01,    ESC,        0x02,        ESC,
             0x03,    0x04,       0x05,        0x06,
             0x07,    0x08,       USERVAR,     "IBMSUBSPW",
             VALUE,   ESC,        0x00,        Hex("e117418d24fbeced107c62a46ed895b442f267"),
             IAC,     SE})));
    EXPECT_EQ(telnet.signOnReport().Text(), "signon: level 2 (session setting)");
}

TEST_F(SignOnAnswerTest, EveryMethodAnswersItsVector) {
    struct Row {
        int level;
        const char *user, *password, *server, *client, *substitute;
    };
    const Row rows[] = {
        {0, "USER123", "ABCDEFG", "7D4C2319F28004B2", "08BEF662D851F4B1", "5A58BD50E4DD9B5F"},
        {3, "TESTUSR", "secret1", "a3b4c5d6e7f8091a", "1122334455667788",
         "f0a91780745d803d674ef25056e9f5b551f50077"},
        {4, "usera", "Secret", "A1B2C3D4E5F60718", "0102030405060708",
         "12951be37d7addd41c7ec53019187546725549ccb4a5f99c4bb0bbe344e5ecd03d2aa8cd2fe2239032c4e319d"
         "3"
         "4ab82594ad0465ea06ade8598d6491108e2996"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.level);
        settings.UserID = row.user;
        settings.UserPassword = row.password;
        Plan(row.level);
        FixClientSeed(Hex(row.client));
        const Bytes answer = Answer(SendWithSeed(Hex(row.server)));
        EXPECT_TRUE(SameBytes(
            answer, IsAnswer(NEW_ENVIRON, {Variable(VAR, "USER", row.user), USERVAR, "IBMRSEED",
                                           VALUE, Escaped(Hex(row.client)), USERVAR, "IBMSUBSPW",
                                           VALUE, Escaped(Hex(row.substitute))})));
        EXPECT_FALSE(Holds(answer, row.password));
    }
}

// Without the host's seed, or without the level, the password stays home:
// the answer names the user only and the report says why.
TEST_F(SignOnAnswerTest, NoSeedOrNoLevelSendsNoPassword) {
    struct Row {
        const char* what;
        std::optional<int> level;
        Bytes request;
        const char* reason;
    };
    const Row rows[] = {
        {"no seed, level known", 3, kSendWithoutSeed, "offers no encryption"},
        {"a seed cut short", 3,
         Cat({IAC, SB, NEW_ENVIRON, SEND, USERVAR, "IBMRSEED", "ABC", USERVAR, "IBMSUBSPW", IAC,
              SE}),
         "offers no encryption"},
        {"seed, level unknown", std::nullopt, SendWithSeed(Hex("A1B2C3D4E5F60718")),
         "password level unknown: no answer from the sign-on server"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Plan(row.level);
        const Bytes answer = Answer(row.request);
        EXPECT_TRUE(SameBytes(answer, IsAnswer(NEW_ENVIRON, {Variable(VAR, "USER", "usera"),
                                                             Variable(USERVAR, "IBMRSEED")})));
        EXPECT_EQ(telnet.signOnReport().kind, SignOnReport::Kind::kNoPassword);
        EXPECT_NE(telnet.signOnReport().Text().find(row.reason), std::string::npos)
            << telnet.signOnReport().Text();
    }
    // A password the level's method refuses is not sent either: DES takes 10 characters.
    settings.UserPassword = "Elevenchars";
    Plan(1);
    EXPECT_FALSE(Holds(Answer(SendWithSeed(Hex("A1B2C3D4E5F60718"))), "IBMSUBSPW"));
    EXPECT_EQ(telnet.signOnReport().kind, SignOnReport::Kind::kNoPassword);
    // Nor when no client seed can be made.
    settings.UserPassword = "Secret";
    telnet.SetClientSeedSource([] { return std::optional<Seed>(); });
    EXPECT_FALSE(Holds(Answer(SendWithSeed(Hex("A1B2C3D4E5F60718"))), "IBMSUBSPW"));
}

TEST_F(SignOnAnswerTest, TheClearPasswordGoesOnlyWhenAllowedAndNoSeedCame) {
    Plan(std::nullopt, true);
    EXPECT_TRUE(SameBytes(
        Answer(kSendWithoutSeed),
        IsAnswer(NEW_ENVIRON, {Variable(VAR, "USER", "usera"), Variable(USERVAR, "IBMRSEED"),
                               Variable(USERVAR, "IBMSUBSPW", "Secret")})));
    EXPECT_EQ(telnet.signOnReport().kind, SignOnReport::Kind::kClear);
    // A host that sends a seed expects a substitute: the permission does not apply.
    EXPECT_FALSE(Holds(Answer(SendWithSeed(Hex("A1B2C3D4E5F60718"))), "Secret"));
    EXPECT_EQ(telnet.signOnReport().kind, SignOnReport::Kind::kNoPassword);
}

TEST_F(SignOnAnswerTest, FreshClientSeedsDifferAndResetForgetsTheReport) {
    Plan(2);
    const Bytes request = SendWithSeed(Hex("A1B2C3D4E5F60718"));
    const Bytes first = Answer(request);
    const Bytes second = Answer(request);
    EXPECT_NE(first, second) << "each answer has a client seed of its own";
    EXPECT_EQ(telnet.signOnReport().kind, SignOnReport::Kind::kSubstitute);
    telnet.Reset();
    EXPECT_EQ(telnet.signOnReport().kind, SignOnReport::Kind::kNotAsked);
    EXPECT_TRUE(telnet.signOnPlan().passwordLevel) << "the plan is the front end's, kept";
}

}  // namespace
}  // namespace quenlix::test
