// The host's telnet reader, environment parsing and record decoding, fed
// with what a terminal sends.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "demohost/FieldData.h"
#include "demohost/HostSession.h"
#include "demohost/HostTelnet.h"
#include "demohost/InboundRecord.h"
#include "ds5250/RecordBuilder.h"
#include "net/Telnet.h"

namespace quenlix::demohost {
namespace {

std::vector<TelnetEvent> Read(const Bytes& bytes, std::size_t cut) {
    TelnetReader reader;
    std::vector<TelnetEvent> events;
    reader.Feed(bytes.data(), cut, events);
    reader.Feed(bytes.data() + cut, bytes.size() - cut, events);
    return events;
}

TEST(DemoHostTelnet, SplitsCommandsSubnegotiationsAndRecordsAtEveryOffset) {
    // A record whose data holds 0xFF (sent doubled) and whose length low
    // byte is 0xFF too.
    Bytes data(245, 0x40);
    data[3] = 0xFF;
    const Bytes record = FrameRecord(ds::kOpPutGet, data);
    const Bytes stream = Concat({{0xFF, 0xFB, 0x18, 0xFF, 0xFA, 0x18, 0x00, 'A', 0xFF, 0xFF, 'B',
                                  0xFF, 0xF0},
                                 record,
                                 {0xFF, 0xF1}});
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        const auto events = Read(stream, cut);
        ASSERT_EQ(events.size(), 4u);
        EXPECT_EQ(events[0].kind, TelnetEvent::kCommand);
        EXPECT_EQ(events[0].verb, telnet::kWill);
        EXPECT_EQ(events[0].option, 0x18);
        EXPECT_EQ(events[1].kind, TelnetEvent::kSubnegotiation);
        EXPECT_EQ(events[1].payload, Bytes({0x00, 'A', 0xFF, 'B'}));
        ASSERT_EQ(events[2].kind, TelnetEvent::kRecord);
        ASSERT_EQ(events[2].payload.size(), 255u);
        EXPECT_EQ(events[2].payload[1], 0xFF);  // the length's low byte, undoubled
        EXPECT_EQ(events[2].payload[13], 0xFF);
        EXPECT_EQ(events[3].verb, 0xF1);  // NOP, reported but not answered
    }
}

bool Same(const std::vector<TelnetEvent>& a, const std::vector<TelnetEvent>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.kind == y.kind && x.verb == y.verb && x.option == y.option &&
               x.payload == y.payload && x.truncated == y.truncated;
    });
}

// What a terminal sends in a sign-on (the recorded other emulator's answers
// after this terminal's negotiation, a password with 0xFF in it) reads the
// same cut at every offset.
TEST(DemoHostTelnet, ATerminalsSignOnReadsTheSameCutAtEveryOffset) {
    const std::string folder = QUENLIX_SOURCE_DIR "/../shared/refdata/signon-recording/";
    Bytes stream = {0xFF, 0xFB, 0x27, 0xFF, 0xFB, 0x18, 0xFF, 0xFA, 0x18, 0x00, 'I',  'B',
                    'M',  '-',  '3',  '4',  '7',  '7',  '-',  'F',  'C',  0xFF, 0xF0, 0xFF,
                    0xFA, 0x27, 0x00, 0x00, 'U',  'S',  'E',  'R',  0x01, 'Q',  0x03, 'I',
                    'B',  'M',  'S',  'U',  'B',  'S',  'P',  'W',  0x01, 'p',  0xFF, 0xFF,
                    0x02, 0x01, 0xFF, 0xF0, 0xFF, 0xFB, 0x19, 0xFF, 0xFB, 0x00};
    std::size_t records = 0;
    for (const char* name : {"c2h-01-rec", "c2h-02-rec", "c2h-03-rec"}) {
        std::ifstream in(folder + "testsys-login-" + name + ".bin", std::ios::binary);
        if (!in) GTEST_SKIP() << "the recorded sign-on is not here (" << folder << ")";
        stream.insert(stream.end(), std::istreambuf_iterator<char>(in),
                      std::istreambuf_iterator<char>());
        ++records;
    }
    const auto whole = Read(stream, stream.size());
    ASSERT_EQ(whole.size(), 6u + records);
    EXPECT_EQ(whole[3].kind, TelnetEvent::kSubnegotiation);
    EXPECT_EQ(ParseEnvironment(whole[3].payload).get("IBMSUBSPW"), std::string("p\xFF\x01"));
    EXPECT_EQ(ParseTerminalType(whole[2].payload), "IBM-3477-FC");
    for (std::size_t i = 6; i < whole.size(); ++i) {
        ASSERT_EQ(whole[i].kind, TelnetEvent::kRecord);
        const InboundKind kind = DecodeInbound(whole[i].payload, [](int, int) { return -1; }).kind;
        EXPECT_NE(kind, InboundKind::kInvalid);
        if (i == 7) {
            EXPECT_EQ(kind, InboundKind::kQueryReply);
        }
    }
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        ASSERT_TRUE(Same(Read(stream, cut), whole)) << "cut at " << cut;
    }
}

// A subnegotiation that an IAC and another command cut short is dropped;
// the command is read as one and what follows is read as before.
TEST(DemoHostTelnet, ASubnegotiationCutShortIsDropped) {
    const Bytes stream = {0xFF, 0xFA, 0x18, 0x00, 'X', 0xFF, 0xFB, 0x19,
                          0xFF, 0xFA, 0x18, 0x00, 'Y', 0xFF, 0xF0};
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        const auto events = Read(stream, cut);
        ASSERT_EQ(events.size(), 2u) << "cut at " << cut;
        EXPECT_EQ(events[0].verb, telnet::kWill);
        EXPECT_EQ(events[0].option, 0x19);
        EXPECT_EQ(events[1].payload, Bytes({0x00, 'Y'}));
    }
}

TEST(DemoHostTelnet, OverlongRecordsAndSubnegotiationsAreCutNotGrown) {
    Bytes huge(TelnetReader::kMaxRecord + 100, 0x40);
    huge.insert(huge.end(), {0xFF, 0xEF});
    Bytes sb = {0xFF, 0xFA, 0x27};
    sb.insert(sb.end(), TelnetReader::kMaxSubnegotiation + 10, 'x');
    sb.insert(sb.end(), {0xFF, 0xF0});
    const auto events = Read(Concat({huge, sb}), 7);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[0].truncated);
    EXPECT_EQ(events[0].payload.size(), TelnetReader::kMaxRecord);
    EXPECT_TRUE(events[1].truncated);
    EXPECT_EQ(events[1].payload.size(), TelnetReader::kMaxSubnegotiation);
}

TEST(DemoHostTelnet, EnvironmentAnswerWithVarUservarEscapeAndEmptyValues) {
    const Bytes payload = {0x00, 0x00, 'U', 'S', 'E', 'R', 0x01, 'b', 'o', 'b',
                           0x03, 'I', 'B', 'M', 'R', 'S', 'E', 'E', 'D', 0x01,
                           0x03, 'P', 'W', 0x01, 'a', 0x02, 0x01, 'z',
                           0x03, 'N', 'O', 'V', 'A', 'L', 'U', 'E'};
    const Environment env = ParseEnvironment(payload);
    EXPECT_EQ(env.get("USER"), "bob");
    EXPECT_TRUE(env.has("IBMRSEED"));
    EXPECT_EQ(env.get("IBMRSEED"), "");
    EXPECT_EQ(env.get("PW"), std::string("a\x01z"));
    EXPECT_TRUE(env.has("NOVALUE"));
    EXPECT_TRUE(ParseEnvironment({0x01, 0x00, 'X'}).values.empty());  // SEND, not IS

    Bytes many = {0x00};
    for (int i = 0; i < 100; ++i) {
        many.insert(many.end(), {0x03, static_cast<std::uint8_t>('A' + i % 26),
                                 static_cast<std::uint8_t>('0' + i / 26), 0x01});
        many.insert(many.end(), 300, 'v');
    }
    const Environment big = ParseEnvironment(many);
    EXPECT_EQ(big.values.size(), Environment::kMaxVariables);
    EXPECT_EQ(big.values.begin()->second.size(), Environment::kMaxValue);
}

// The seed goes right after the name, as an IBM i host sends it: type codes
// escaped, 0xFF doubled, so the terminal's negotiator reads it back whole.
TEST(DemoHostTelnet, EnvironmentRequestCarriesItsSeedEscaped) {
    const Seed seed = {0x00, 0x03, 0xFF, 0xF0, 0x02, 'A', 0x04, 0x01};
    const Bytes request = EnvironmentRequest(seed);
    const std::string seedName = "IBMRSEED";
    const auto at = std::search(request.begin(), request.end(), seedName.begin(), seedName.end());
    ASSERT_NE(at, request.end());
    const Bytes after(at + static_cast<std::ptrdiff_t>(seedName.size()),
                      at + static_cast<std::ptrdiff_t>(seedName.size()) + 14);
    EXPECT_EQ(after, Bytes({0x02, 0x00, 0x02, 0x03, 0xFF, 0xFF, 0xF0, 0x02, 0x02, 'A', 0x04, 0x02,
                            0x01, 0x03}));
    EXPECT_EQ(Bytes(request.end() - 2, request.end()), Bytes({0xFF, 0xF0}));

    NullRecordSender discard;
    SessionSettings settings;
    CTelnet terminal(discard, settings);
    terminal.Negotiate(request.data(), request.size());
    EXPECT_EQ(terminal.hostSeed(), Bytes(seed.begin(), seed.end()));
    EXPECT_TRUE(terminal.environSent());

    // A session's seed is its own unless the configuration names one.
    EXPECT_NE(HostSession().seed(), HostSession().seed());
    HostConfig config;
    config.seed = seed;
    EXPECT_EQ(HostSession(config).seed(), seed);
}

TEST(DemoHostRecords, DecodesEveryKindOfTerminalRecord) {
    auto unframe = [](const Bytes& framed) {
        std::vector<TelnetEvent> events;
        TelnetReader reader;
        reader.Feed(framed.data(), framed.size(), events);
        return events.at(0).payload;
    };
    const TablePair& t = BuiltinTablePair();
    // Read MDT Fields answer: two fields, the first shorter than its data
    // would run if the lengths were not known.
    Bytes mdt = {6, 60, 0xF1, 0x11, 6, 53, t.ATOE['A'], t.ATOE['B'], 0x11, 7, 53, t.ATOE['x']};
    auto lengths = [](int row, int) { return row == 6 ? 2 : -1; };
    InboundRecord r = DecodeInbound(unframe(FrameRecord(ds::kOpPutGet, mdt)), lengths);
    ASSERT_EQ(r.kind, InboundKind::kAid);
    EXPECT_EQ(r.aid, ds::kAidEnter);
    EXPECT_EQ(r.cursorRow, 6);
    EXPECT_EQ(r.cursorColumn, 60);
    ASSERT_EQ(r.fields.size(), 2u);
    EXPECT_EQ(r.fields[0].text, "AB");
    EXPECT_EQ(r.fields[1].row, 7);
    EXPECT_EQ(r.fields[1].text, "x");

    const struct {
        Bytes framed;
        InboundKind kind;
    } rows[] = {
        {FrameRecord(0, {}, ds::kFlagAttention), InboundKind::kAttention},
        {FrameRecord(0, {t.ATOE['9'], t.ATOE['0']}, ds::kFlagSystemRequest),
         InboundKind::kSystemRequest},
        {FrameRecord(0, {0x10, 0x05, 0x01, 0x2A}, ds::kFlagError), InboundKind::kNegative},
        {FrameRecord(0, {1, 1, ds::kAidPa1}), InboundKind::kAidOnly},
        {FrameRecord(0, {0, 0, 0x88, 0x00, 0x3A}), InboundKind::kQueryReply},
        {FrameRecord(0, {3, 4, 0x00}), InboundKind::kReadImmediate},
        {FrameRecord(ds::kOpReadScreen, Bytes(1920, 0x40)), InboundKind::kReadScreen},
        {FrameRecord(ds::kOpSaveScreen, {0x04, 0x12}), InboundKind::kSaveScreen},
        {FrameRecord(ds::kOpCancelInvite, {}), InboundKind::kCancelInvite},
        {Bytes{0x00, 0x05, 0x12, 0xFF, 0xEF}, InboundKind::kInvalid},
        {Bytes{0x00, 0x0A, 0x12, 0xA1, 0, 0, 4, 0, 0, 3, 0xFF, 0xEF}, InboundKind::kInvalid},
    };
    for (const auto& row : rows) {
        const InboundRecord d = DecodeInbound(unframe(row.framed), nullptr);
        SCOPED_TRACE(d.error);
        EXPECT_EQ(d.kind, row.kind);
    }
    EXPECT_EQ(DecodeInbound(unframe(rows[1].framed), nullptr).text, "90");
}

TEST(DemoHostRecords, AutoEnterAddressesWithoutDataDoNotSwallowTheNextField) {
    const TablePair& t = BuiltinTablePair();
    // A field-exit-required field sent as an address only, then a field
    // with data.
    const Bytes data = {1, 1, 0xF1, 0x11, 5, 10, 0x11, 6, 10, t.ATOE['Q']};
    auto lengths = [](int row, int) { return row == 5 ? 5 : 1; };
    // Taken by its length alone, the first field would swallow the second.
    const InboundRecord r =
        DecodeInbound(Concat({{0, 0, 0x12, 0xA0, 0, 0, 4, 0, 0, ds::kOpPutGet}, data}), lengths);
    ASSERT_EQ(r.fields.size(), 2u);
    EXPECT_TRUE(r.fields[0].ebcdic.empty());
    EXPECT_EQ(r.fields[1].text, "Q");
}

TEST(DemoHostRecords, ShortFieldsAndAddressesAloneEndAtTheNextKnownField) {
    const TablePair& t = BuiltinTablePair();
    // Fields of 5, 7 and 3 positions: the first without its trailing nulls,
    // the second all nulls (its address alone), the third in full; then an
    // unknown address, whose data runs to the end.
    auto lengths = [](int row, int) { return row == 5 ? 5 : row == 6 ? 7 : row == 7 ? 3 : -1; };
    const Bytes data = {1,    1,         0xF1,      0x11,      5,         10,   t.ATOE['A'],
                        0x40, t.ATOE['B'], 0x11,    6,         10,        0x11, 7,
                        10,   t.ATOE['X'], t.ATOE['Y'], t.ATOE['Z'], 0x11, 9, 9, t.ATOE['Q']};
    const InboundRecord r =
        DecodeInbound(Concat({{0, 0, 0x12, 0xA0, 0, 0, 4, 0, 0, ds::kOpPutGet}, data}), lengths);
    ASSERT_EQ(r.fields.size(), 4u);
    EXPECT_EQ(r.fields[0].text, "A B");
    EXPECT_TRUE(r.fields[1].ebcdic.empty());
    EXPECT_EQ(r.fields[2].text, "XYZ");
    EXPECT_EQ(r.fields[3].row, 9);
    EXPECT_EQ(r.fields[3].text, "Q");
}

TEST(DemoHostFieldData, EveryPositionAndDataPositionsOnlyReadAlike) {
    const FieldDef text{"Text", 1, 1, ds::kFfwPresent, 0, kAttrInput, 10, ""};
    const std::uint8_t numeric = ds::kFfwPresent | ds::kShiftNumericOnly;
    const std::uint8_t signedNumeric = ds::kFfwPresent | ds::kShiftSignedNumeric;
    const FieldDef amount{"Amount", 1, 1, numeric, 0, kAttrInput, 8, ""};
    const FieldDef signedField{"Signed", 1, 1, signedNumeric, 0, kAttrInput, 7, ""};
    const Bytes b4(4, 0x40);
    const struct {
        const char* what;
        const FieldDef& field;
        Bytes sent;
        const char* echo;
        bool negative;
    } cases[] = {
        {"text, trailing nulls left out", text, {0xC1, 0x40, 0xC2}, "A B", false},
        {"text, address alone", text, {}, "", false},
        {"amount, Field-", amount, Concat({b4, {0x40, 0x40, 0xF4, 0xD2}}), "-42", true},
        {"amount, -0", amount, {0xD0}, "-0", true},
        {"amount, typed left, nulls left out", amount, {0xF1, 0xF2}, "12", false},
        {"amount, address alone", amount, {}, "", false},
        {"signed, every position, negative", signedField, Concat({b4, {0xF4, 0xD2, 0x40}}),
         "-42", true},
        {"signed, every position, minus shown", signedField, Concat({b4, {0xF4, 0xF2, 0x60}}),
         "-42", true},
        {"signed, every position, positive", signedField, Concat({b4, {0xF4, 0xF2, 0x40}}), "42",
         false},
        {"signed, no sign position, negative", signedField, Concat({b4, {0xF4, 0xD2}}), "-42",
         true},
        {"signed, no sign position, positive", signedField, Concat({b4, {0xF4, 0xF2}}), "42",
         false},
        {"signed, typed left, nulls left out", signedField, {0xF1, 0xF2, 0xF3}, "123", false},
        {"signed, address alone", signedField, {}, "", false},
        {"signed, a letter in the sign position", signedField, Concat({b4, {0xF4, 0xD2, 0xC1}}),
         "4K", false},  // the checks refuse it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const FieldValue v = ReadFieldData(c.field, c.sent);
        EXPECT_EQ(EchoText(c.field, v), c.echo);
        EXPECT_EQ(v.negative, c.negative);
        EXPECT_EQ(v.text.size(), static_cast<std::size_t>(c.field.length));
    }
}

TEST(DemoHostFieldData, ReadFieldsAreSplitByEitherFormsLengths) {
    const std::vector<FieldDef> fields = {
        {"Text", 1, 1, ds::kFfwPresent, 0, kAttrInput, 3, ""},
        {"Signed", 2, 1, ds::kFfwPresent | ds::kShiftSignedNumeric, 0, kAttrInput, 4, ""},
        {"Digits", 3, 1, ds::kFfwPresent | ds::kShiftDigitsOnly, 0, kAttrInput, 2, ""},
    };
    const Bytes every = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    auto withSign = SplitFieldData(fields, every.data(), every.size());
    ASSERT_TRUE(withSign);
    EXPECT_EQ(*withSign, (std::vector<Bytes>{{1, 2, 3}, {4, 5, 6, 7}, {8, 9}}));
    auto without = SplitFieldData(fields, every.data(), every.size() - 1);
    ASSERT_TRUE(without);
    EXPECT_EQ(*without, (std::vector<Bytes>{{1, 2, 3}, {4, 5, 6}, {7, 8}}));
    EXPECT_FALSE(SplitFieldData(fields, every.data(), 7));
    EXPECT_FALSE(SplitFieldData(fields, every.data(), 0));
}

}  // namespace
}  // namespace quenlix::demohost
