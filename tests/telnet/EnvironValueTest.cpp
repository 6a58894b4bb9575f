// NEW-ENVIRON values on the wire: type codes escaped, IAC doubled.
#include <gtest/gtest.h>

#include "support/HexBytes.h"
#include "telnet/EnvironValue.h"

namespace quenlix::test {
namespace {

TEST(EnvironValue, TypeCodesAreEscapedAndIacDoubled) {
    struct Row {
        Bytes value, wire;
    };
    const Row rows[] = {
        {FromHex("00 01 02 03 04 FF 41"), FromHex("02 00 02 01 02 02 02 03 04 FF FF 41")},
        {FromHex("FF FF"), FromHex("FF FF FF FF")},
        {FromHex("55 53 45 52"), FromHex("55 53 45 52")},
        {{}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(ToHex(row.value));
        Bytes out = FromHex("03");  // what is there already stays
        telnet::AppendEnvironValue(out, row.value.data(), row.value.size());
        Bytes expected = FromHex("03");
        expected.insert(expected.end(), row.wire.begin(), row.wire.end());
        EXPECT_EQ(ToHex(out), ToHex(expected));
    }
}

}  // namespace
}  // namespace quenlix::test
