// The port mapper's request and the reading of its answer.
#include <gtest/gtest.h>

#include "signon/PortMapper.h"
#include "support/HexBytes.h"

namespace quenlix::test {
namespace {

TEST(PortMapper, RequestIsTheServiceName) {
    EXPECT_EQ(ToHex(signon::BuildPortMapperRequest(signon::kSignOnService)), "61732d7369676e6f6e");
    EXPECT_EQ(ToHex(signon::BuildPortMapperRequest(signon::kSignOnTlsService)),
              "61732d7369676e6f6e2d73");
}

TEST(PortMapper, AnswersAreReadOrRefused) {
    struct Row {
        Bytes reply;
        std::optional<std::uint16_t> port;
        std::string_view reasonHas;
    };
    const Row rows[] = {
        {FromHex("2B 0000211C"), 8476, ""},
        {FromHex("2B 00002504 FFFF"), 9476, ""},  // what follows is not read
        {FromHex("2B 0000FFFF"), 65535, ""},
        {FromHex("2D"), std::nullopt, "does not know"},
        {FromHex("00 0000211C"), std::nullopt, "does not know"},
        {{}, std::nullopt, "without an answer"},
        {FromHex("2B 0000"), std::nullopt, "cut off"},
        {FromHex("2B 00000000"), std::nullopt, "no TCP port"},
        {FromHex("2B 00010000"), std::nullopt, "no TCP port"},
        {FromHex("2B FFFFFFFF"), std::nullopt, "no TCP port"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(ToHex(row.reply));
        const signon::PortOutcome outcome =
            signon::ParsePortMapperReply(row.reply.data(), row.reply.size());
        EXPECT_EQ(outcome.port, row.port);
        EXPECT_NE(outcome.refusal.find(row.reasonHas), std::string::npos) << outcome.refusal;
        EXPECT_EQ(outcome.refusal.empty(), row.port.has_value());
    }
}

}  // namespace
}  // namespace quenlix::test
