// The host's seed in its NEW-ENVIRON SEND: read right after the name, with
// escaped bytes, in any pieces; absent, short or ambiguous seeds give none.
#include <gtest/gtest.h>

#include <string>

#include "support/HexBytes.h"
#include "telnet/EnvironSeedReader.h"

namespace quenlix::test {
namespace {

using telnet::EnvironSeedReader;

constexpr std::uint8_t kSend = 0x01, kIs = 0x00, kVar = 0x00, kValue = 0x01, kEsc = 0x02,
                       kUserVar = 0x03;

/// Type code then a name.
Bytes Item(std::uint8_t type, std::string_view name) {
    Bytes b{type};
    for (const char c : name) b.push_back(static_cast<std::uint8_t>(c));
    return b;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct Reading {
    bool isSend = false;
    bool asksForSeed = false;
    std::string seed;  ///< hex, empty when none

    bool operator==(const Reading&) const = default;
};

/// Feeds the payload in pieces cut at `cuts` (ascending offsets).
Reading Read(const Bytes& payload, std::initializer_list<std::size_t> cuts = {}) {
    EnvironSeedReader reader;
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
        reader.Feed(payload.data() + from, cut - from);
        from = cut;
    }
    reader.Feed(payload.data() + from, payload.size() - from);
    reader.Finish();
    Reading r{reader.isSend(), reader.asksForSeed(), ""};
    if (reader.serverSeed()) r.seed = ToHex(reader.serverSeed()->data(), 8);
    return r;
}

const Bytes kSeed = FromHex("A1B2C3D4E5F60718");
const Bytes kSeedName = Item(kUserVar, "IBMRSEED");

struct Row {
    const char* what;
    Bytes payload;
    bool asks;
    std::string_view seed;
};

std::vector<Row> Rows() {
    return {
        {"seed between other items",
         Join({{kSend}, Item(kVar, "USER"), kSeedName, kSeed, Item(kUserVar, "IBMSUBSPW")}), true,
         "a1b2c3d4e5f60718"},
        {"seed at the end", Join({{kSend}, Item(kVar, ""), kSeedName, kSeed}), true,
         "a1b2c3d4e5f60718"},
        {"escaped type codes in the seed",
         Join({{kSend},
               kSeedName,
               FromHex("02 00 02 01 02 02 02 03 FF 10 20 30"),
               Item(kVar, "USER")}),
         true, "00010203ff102030"},
        {"unescaped type codes in the seed",
         Join({{kSend}, kSeedName, FromHex("80 00 01 03 FF 10 20 30"), Item(kVar, "USER")}), true,
         "80000103ff102030"},
        {"a lone ESC in the seed is a seed byte",
         Join({{kSend}, kSeedName, FromHex("80 02 41 42 43 44 45 02")}), true, "8002414243444502"},
        {"seed after a VALUE byte",
         Join({{kSend}, kSeedName, {kValue}, FromHex("80 B2 C3 D4 E5 F6 07 18")}), true,
         "80b2c3d4e5f60718"},
        {"seed starting with a type code and a letter",
         Join({{kSend}, kSeedName, FromHex("00 41 B7 C8 D9 EA FB 0C"), Item(kVar, "USER")}), true,
         "0041b7c8d9eafb0c"},
        {"escaped name before the seed name",
         Join({{kSend}, Item(kUserVar, "X"), {kEsc, kValue}, kSeedName, kSeed}), true,
         "a1b2c3d4e5f60718"},
        // No seed: the name alone, a name item after it, or too few bytes.
        {"name alone at the end", Join({{kSend}, kSeedName}), true, ""},
        {"name then a VAR item",
         Join({{kSend}, kSeedName, Item(kVar, "USER"), Item(kVar, "DEVNAME")}), true, ""},
        {"name then a USERVAR item that is 8 bytes long",
         Join({{kSend}, kSeedName, Item(kUserVar, "DEVNAME"), Item(kUserVar, "X")}), true, ""},
        {"name then VAR USERVAR", Join({{kSend}, kSeedName, {kVar, kUserVar}}), true, ""},
        {"seed cut short", Join({{kSend}, kSeedName, FromHex("A1 B2 C3 D4 E5")}), true, ""},
        {"seed followed by more than a new item",
         Join({{kSend}, kSeedName, kSeed, FromHex("99"), Item(kVar, "USER")}), true, ""},
        // Raw 02 00 ... read both ways gives two different seeds that each
        // end at an item: ambiguous, so none.
        {"ambiguous escape", Join({{kSend}, kSeedName, FromHex("02 00 41 42 43 44 45 46 03")}),
         true, ""},
        {"IBMRSEED as a VAR is not the seed", Join({{kSend}, Item(kVar, "IBMRSEED"), kSeed}), false,
         ""},
        {"another name starting alike", Join({{kSend}, Item(kUserVar, "IBMRSEEX"), kSeed}), false,
         ""},
        {"no SEND", Join({{kIs}, kSeedName, kSeed}), false, ""},
    };
}

TEST(EnvironSeedReader, SeedRightAfterTheNameIsRead) {
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.what);
        const Reading r = Read(row.payload);
        EXPECT_EQ(r.isSend, row.payload[0] == kSend);
        EXPECT_EQ(r.asksForSeed, row.asks);
        EXPECT_EQ(r.seed, row.seed);
    }
}

TEST(EnvironSeedReader, EverySplitGivesTheSameReading) {
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.what);
        const Reading whole = Read(row.payload);
        for (std::size_t a = 0; a <= row.payload.size(); ++a) {
            for (std::size_t b = a; b <= row.payload.size(); ++b) {
                ASSERT_EQ(Read(row.payload, {a, b}), whole) << "cut at " << a << " and " << b;
            }
        }
    }
}

TEST(EnvironSeedReader, ReadsAgainAfterReset) {
    EnvironSeedReader reader;
    const Bytes first = Join({{kSend}, kSeedName, kSeed});
    reader.Feed(first.data(), first.size());
    reader.Finish();
    ASSERT_TRUE(reader.serverSeed().has_value());
    reader.Reset();
    const Bytes second = Join({{kSend}, kSeedName});
    reader.Feed(second.data(), second.size());
    reader.Finish();
    EXPECT_TRUE(reader.asksForSeed());
    EXPECT_FALSE(reader.serverSeed().has_value());
}

TEST(EnvironSeedReader, AnEndlessPayloadHoldsNoMoreThanItsWindow) {
    const Bytes head = Join({{kSend}, kSeedName, kSeed, {kVar}});
    const Bytes filler(64 * 1024, 'A');
    EnvironSeedReader reader;
    reader.Feed(head.data(), head.size());
    for (int i = 0; i < 64; ++i) reader.Feed(filler.data(), filler.size());
    reader.Finish();
    EXPECT_EQ(ToHex(reader.serverSeed().value_or(EnvironSeedReader::Seed{}).data(), 8),
              "a1b2c3d4e5f60718");
}

}  // namespace
}  // namespace quenlix::test
