// The sign-on server's attribute exchange: the request byte for byte, the
// reply recorded from a V7R5 host, and every truncated or lying reply refused.
#include <gtest/gtest.h>

#include <string>

#include "signon/SignOnServerExchange.h"
#include "support/HexBytes.h"

namespace quenlix::test {
namespace {

using signon::AttributesOutcome;
using signon::ParseExchangeAttributesReply;

// As a V7R5 host sent it: header, return code 0, server VRM, datastream
// level, seed, password level 3 and the server job's name.
const Bytes kRecordedReply = FromHex(
    "0000005E 0000 E009 00000000 00000000 0004 F003 00000000"
    " 0000000A 1101 00070500"
    " 00000008 1102 000F"
    " 0000000E 1103 2FA8C1F7F1CE7CE5"
    " 00000007 1119 03"
    " 0000001F 111F 00000000 F6F5F7F0F0F761D8E4E2C5D961D8E9E2D6E2C9C7D5");

AttributesOutcome Parse(const Bytes& reply) {
    return ParseExchangeAttributesReply(reply.data(), reply.size());
}

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

TEST(SignOnServerExchange, RequestIsByteExact) {
    const signon::Seed seed = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    EXPECT_EQ(ToHex(signon::BuildExchangeAttributesRequest(seed)),
              ToHex(FromHex("00000034 0000 E009 00000000 00000000 0000 7003"
                            " 0000000A 1101 00000001"
                            " 00000008 1102 0002"
                            " 0000000E 1103 0102030405060708")));
}

TEST(SignOnServerExchange, RecordedReplyIsRead) {
    const AttributesOutcome outcome = Parse(kRecordedReply);
    ASSERT_TRUE(outcome.attributes.has_value()) << outcome.refusal;
    const signon::ServerAttributes& a = *outcome.attributes;
    EXPECT_EQ(a.passwordLevel, 3);
    ASSERT_TRUE(a.serverVrm && a.datastreamLevel && a.serverSeed);
    EXPECT_EQ(signon::VrmText(*a.serverVrm), "V7R5M0");
    EXPECT_EQ(*a.datastreamLevel, 0x000F);
    EXPECT_EQ(ToHex(a.serverSeed->data(), a.serverSeed->size()), "2fa8c1f7f1ce7ce5");
    EXPECT_TRUE(outcome.refusal.empty());
}

TEST(SignOnServerExchange, EveryTruncationIsRefused) {
    // Cut anywhere: the length field then says more than there is.
    for (std::size_t n = 0; n < kRecordedReply.size(); ++n) {
        SCOPED_TRACE("first " + std::to_string(n) + " bytes");
        const Bytes cut(kRecordedReply.begin(), kRecordedReply.begin() + static_cast<long>(n));
        EXPECT_FALSE(Parse(cut).attributes.has_value());
    }
    // Cut and the length field made to agree: only cuts after the password
    // level's parameter (63 bytes) keep a readable reply.
    for (std::size_t n = signon::kMinReplyLength; n < kRecordedReply.size(); ++n) {
        SCOPED_TRACE("first " + std::to_string(n) + " bytes, length field matching");
        Bytes cut(kRecordedReply.begin(), kRecordedReply.begin() + static_cast<long>(n));
        PutU32(cut, 0, static_cast<std::uint32_t>(n));
        const AttributesOutcome outcome = Parse(cut);
        EXPECT_EQ(outcome.attributes.has_value(), n == 63) << outcome.refusal;
    }
}

TEST(SignOnServerExchange, LyingRepliesAreRefused) {
    struct Row {
        const char* what;
        std::size_t at;  ///< where to write
        Bytes bytes;     ///< what to write there
        std::string_view reasonHas;
    };
    const Row rows[] = {
        {"parameter length below its own header", 24, FromHex("00000005"), "fewer than its own 6"},
        {"parameter length zero", 34, FromHex("00000000"), "fewer than its own 6"},
        {"parameter length past the end", 63, FromHex("00000020"), "remain"},
        {"parameter length huge", 56, FromHex("FFFFFFFF"), "remain"},
        {"password level of two bytes", 56, FromHex("00000008 1119"), "value bytes"},
        {"version of three bytes", 24, FromHex("00000009"), "value bytes"},
        {"return code not 0", 20, FromHex("00000001"), "return code 0x00000001"},
        {"another server", 6, FromHex("E004"), "server ID"},
        {"another reply", 18, FromHex("F004"), "reply ID"},
        {"template too short for the return code", 16, FromHex("0002"), "template length"},
        {"template past the end", 16, FromHex("0100"), "template length"},
        {"password level 5", 62, FromHex("05"), "unknown"},
        {"password level 255", 62, FromHex("FF"), "unknown"},
        {"password level given twice", 63, FromHex("00000007 1119 03"), "twice"},
        {"no password level", 60, FromHex("1118"), "does not tell the password level"},
        {"length field longer", 0, FromHex("0000005F"), "length field"},
        {"length field shorter", 0, FromHex("0000005D"), "length field"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Bytes reply = kRecordedReply;
        std::copy(row.bytes.begin(), row.bytes.end(), reply.begin() + static_cast<long>(row.at));
        const AttributesOutcome outcome = Parse(reply);
        EXPECT_FALSE(outcome.attributes.has_value());
        EXPECT_NE(outcome.refusal.find(row.reasonHas), std::string::npos) << outcome.refusal;
    }
}

TEST(SignOnServerExchange, UnknownParametersAndALongerTemplateAreSkipped) {
    // An empty parameter of an unknown code point before the password level,
    // and a template of 6 bytes (the return code and 2 more).
    Bytes reply = kRecordedReply;
    const Bytes empty = FromHex("00000006 1234");
    reply.insert(reply.begin() + 56, empty.begin(), empty.end());
    const Bytes extra = FromHex("ABCD");
    reply.insert(reply.begin() + 24, extra.begin(), extra.end());
    reply[17] = 6;
    PutU32(reply, 0, static_cast<std::uint32_t>(reply.size()));
    const AttributesOutcome outcome = Parse(reply);
    ASSERT_TRUE(outcome.attributes.has_value()) << outcome.refusal;
    EXPECT_EQ(outcome.attributes->passwordLevel, 3);
}

TEST(SignOnServerExchange, ReplyLengthIsBoundedBeforeReading) {
    struct Row {
        Bytes prefix;
        std::optional<std::size_t> length;
    };
    const Row rows[] = {
        {FromHex("0000005E"), 94},           {FromHex("00000018"), 24},
        {FromHex("00000017"), std::nullopt}, {FromHex("00001000"), 4096},
        {FromHex("00001001"), std::nullopt}, {FromHex("FFFFFFFF"), std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(ToHex(row.prefix));
        EXPECT_EQ(signon::ReplyLengthFromPrefix(row.prefix.data()), row.length);
    }
}

}  // namespace
}  // namespace quenlix::test
