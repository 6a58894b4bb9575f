// One reading of a TN5250 stream: telnet commands and records joined, the
// same whatever pieces the bytes come in, and the sign-on password of the
// NEW-ENVIRON answer kept out.
#include "TraceSupport.h"
#include "support/SampleScreens.h"
#include "telnet/EnvironValue.h"
#include "trace/StreamDescriber.h"

namespace quenlix::testing {
namespace {

struct Reading {
    Lines lines;
    std::vector<bool> secret;
};

/// The stream fed in pieces cut at `cuts` (increasing offsets).
Reading InPieces(const Bytes& stream, RecordSource source, const std::vector<std::size_t>& cuts) {
    DescribeOptions options;
    ScreenMemory memory;
    StreamDescriber describer(source, options, memory);
    Reading r;
    std::size_t from = 0;
    std::vector<std::size_t> ends = cuts;
    ends.push_back(stream.size());
    for (std::size_t to : ends) {
        std::vector<bool> secret;
        describer.Feed(stream.data() + from, to - from, secret, r.lines);
        r.secret.insert(r.secret.end(), secret.begin(), secret.end());
        from = to;
    }
    describer.Finish(r.lines);
    return r;
}

TEST(StreamDescriber, RecordedSignOnJoinsTelnetAndRecords) {
    const std::vector<Bytes> blocks = RecordedHostBlocks();
    if (blocks.empty()) GTEST_SKIP() << "the recorded sign-on is not here (" << kRecording << ")";
    DescribeOptions options;
    ScreenMemory memory(132, 27);
    StreamDescriber describer(RecordSource::kHost, options, memory);
    Lines lines;
    std::vector<bool> secret;
    for (const Bytes& block : blocks) describer.Feed(block.data(), block.size(), secret, lines);
    describer.Finish(lines);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "IAC DO NEW-ENVIRON IAC DO TERMINAL-TYPE");
    EXPECT_EQ(lines[1], "IAC SB TERMINAL-TYPE 01 IAC SE");
    EXPECT_EQ(lines[2],
              "IAC DO END-OF-RECORD IAC WILL END-OF-RECORD IAC DO TRANSMIT-BINARY "
              "IAC WILL TRANSMIT-BINARY");
    EXPECT_EQ(lines[3], "Put/Get (03), length 501");
    Lines headers;
    for (const std::string& l : lines) {
        if (l.rfind("  ", 0) != 0 && l.rfind("IAC", 0) != 0) headers.push_back(l);
    }
    EXPECT_EQ(headers, (Lines{"Put/Get (03), length 501", "Put/Get (03), length 17",
                              "Message Light Off (0C), length 10", "Put/Get (03), length 652",
                              "Put/Get (03), length 752"}))
        << Joined(lines);
}

TEST(StreamDescriber, AnyPiecesGiveTheSameReading) {
    // A screen whose host data fills a non-display field, a doubled 0xFF,
    // then telnet commands between records.
    const Bytes hostStream = Concat({{0xFF, 0xFD, 0x18},
                                     RecordBuilder()
                                         .clearUnit()
                                         .writeToDisplay()
                                         .sba(7, 52)
                                         .startOfField(0x40, 0x00, 0x27, 6)
                                         .text("SEC")
                                         .raw({0xFF})
                                         .text("RT")
                                         .readMdtFields()
                                         .record(),
                                     {0xFF, 0xFA, 0x18, 0x01, 0xFF, 0xF0},
                                     samples::SignOnScreen()});
    const Reading whole = InPieces(hostStream, RecordSource::kHost, {});
    EXPECT_EQ(std::count(whole.secret.begin(), whole.secret.end(), true), 6)
        << "SEC, the second copy of the 0xFF, RT";
    for (std::size_t cut = 1; cut < hostStream.size(); ++cut) {
        const Reading two = InPieces(hostStream, RecordSource::kHost, {cut});
        ASSERT_EQ(two.secret, whole.secret) << "cut at " << cut;
        // Telnet commands are described with the piece that completes them,
        // so a cut may split a line of them in two; records never change.
        Lines records, wholeRecords;
        for (const auto& l : two.lines)
            if (l.rfind("IAC", 0) != 0) records.push_back(l);
        for (const auto& l : whole.lines)
            if (l.rfind("IAC", 0) != 0) wholeRecords.push_back(l);
        ASSERT_EQ(records, wholeRecords) << "cut at " << cut;
    }
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < hostStream.size(); ++i) everyByte.push_back(i);
    EXPECT_EQ(InPieces(hostStream, RecordSource::kHost, everyByte).secret, whole.secret);
}

TEST(StreamDescriber, TheSignOnPasswordOfTheEnvironmentIsMasked) {
    // "PA", an escaped 0x01, "S", a doubled 0xFF, "W": eight bytes on the wire.
    const Bytes value = {'P', 'A', 0x02, 0x01, 'S', 0xFF, 0xFF, 'W'};
    const Bytes answer = EnvironAnswer(value);
    const Reading r = InPieces(answer, RecordSource::kTerminal, {});
    EXPECT_EQ(r.lines, (Lines{"IAC SB NEW-ENVIRON 00 00 'USER' 01 'QUSER' 03 'IBMSUBSPW' 01 "
                              "*** (8 bytes) 03 'IBMPROGRAM' 01 'X' IAC SE"}));
    const auto first =
        std::search(answer.begin(), answer.end(), value.begin(), value.end()) - answer.begin();
    for (std::size_t i = 0; i < answer.size(); ++i) {
        const bool inValue = i >= static_cast<std::size_t>(first) &&
                             i < static_cast<std::size_t>(first) + value.size();
        EXPECT_EQ(r.secret[i], inValue) << "byte " << i;
    }
    // Cut between the two copies of the 0xFF, the first has left already:
    // only the second can be masked.
    const std::size_t between = static_cast<std::size_t>(first) + 6;
    const Reading cut = InPieces(answer, RecordSource::kTerminal, {between});
    EXPECT_FALSE(cut.secret[between - 1]);
    EXPECT_TRUE(cut.secret[between]);

    // Other variables, and names that only begin like it, are no secret.
    Bytes other = answer;
    const Bytes name = {'I', 'B', 'M', 'S', 'U', 'B', 'S', 'P', 'W'};
    const auto at = std::search(other.begin(), other.end(), name.begin(), name.end());
    other.insert(at + 9, 'X');
    const Reading plain = InPieces(other, RecordSource::kTerminal, {});
    EXPECT_EQ(std::count(plain.secret.begin(), plain.secret.end(), true), 0);
    EXPECT_NE(Joined(plain.lines).find("'PA' 02 01 'S'"), std::string::npos) << Joined(plain.lines);
}

// The host's seed (right after its name in the SEND, escapes and a doubled
// 0xFF in it), the terminal's seed and the substitute are masked like the
// password, in whatever pieces they arrive.
TEST(StreamDescriber, TheSeedsAndTheSubstituteAreMasked) {
    const Bytes send = {0xFF, 0xFA, 0x27, 0x01, 0x00, 'U', 'S', 'E', 'R',  0x03,
                        'I',  'B',  'M',  'R',  'S',  'E', 'E', 'D', 0x02, 0x01,
                        0xFF, 0xFF, 'k',  'l',  'm',  'n', 'o', 'p', 0x03, 'I',
                        'B',  'M',  'S',  'U',  'B',  'S', 'P', 'W', 0xFF, 0xF0};
    const Bytes answer = {0xFF, 0xFA, 0x27, 0x00, 0x00, 'U',  'S', 'E',  'R',  0x01, 'Q',
                          0x03, 'I',  'B',  'M',  'R',  'S',  'E', 'E',  'D',  0x01, 0x02,
                          0x00, 'q',  'r',  's',  't',  'u',  'v', 'w',  0x03, 'I',  'B',
                          'M',  'S',  'U',  'B',  'S',  'P',  'W', 0x01, 'x',  'y',  'z',
                          0xFF, 0xFF, 'x',  'y',  'z',  0xFF, 0xF0};
    struct Row {
        const Bytes& stream;
        RecordSource source;
        std::size_t secretBytes;
        const char* line;
    };
    const Row rows[] = {
        {send, RecordSource::kHost, 10,
         "IAC SB NEW-ENVIRON 01 00 'USER' 03 'IBMRSEED' *** (10 bytes) 03 'IBMSUBSPW' IAC SE"},
        {answer, RecordSource::kTerminal, 17,
         "IAC SB NEW-ENVIRON 00 00 'USER' 01 'Q' 03 'IBMRSEED' 01 *** (9 bytes) 03 'IBMSUBSPW' 01 "
         "*** (8 bytes) IAC SE"},
    };
    for (const Row& row : rows) {
        std::vector<std::size_t> everyByte;
        for (std::size_t i = 1; i < row.stream.size(); ++i) everyByte.push_back(i);
        for (const auto& cuts : {std::vector<std::size_t>{}, everyByte}) {
            const Reading r = InPieces(row.stream, row.source, cuts);
            // Cut between the two copies of a 0xFF, the first has left unmasked.
            const long masked = std::count(r.secret.begin(), r.secret.end(), true);
            const long whole = static_cast<long>(row.secretBytes);
            EXPECT_EQ(masked, cuts.empty() ? whole : whole - 1);
            if (cuts.empty()) {
                EXPECT_EQ(r.lines, (Lines{row.line}));
            }
        }
    }
    // A name that only begins like the seed's in an answer is no secret.
    const Bytes other = {0xFF, 0xFA, 0x27, 0x00, 0x03, 'I',  'B', 'M',  'R',
                         'S',  'E',  'E',  'D',  'X',  0x01, 'a', 0xFF, 0xF0};
    const Reading plain = InPieces(other, RecordSource::kTerminal, {});
    EXPECT_EQ(std::count(plain.secret.begin(), plain.secret.end(), true), 0);
}

TEST(StreamDescriber, LongAndUnfinishedUnitsEnd) {
    Bytes sub = {0xFF, 0xFA, 0x18, 0x00};
    sub.insert(sub.end(), 3 * StreamDescriber::kMaxTelnetBytes, 'A');
    sub.insert(sub.end(), {0xFF, 0xF0});
    const Reading r = InPieces(sub, RecordSource::kHost, {});
    EXPECT_EQ(r.lines.size(), 4u) << "described in parts of 4096 bytes";
    EXPECT_EQ(r.lines.back().substr(r.lines.back().size() - 6), "IAC SE");

    const Reading cut = InPieces({0xFF, 0xFA, 0x27, 0x00, 0x03}, RecordSource::kTerminal, {});
    EXPECT_EQ(cut.lines, (Lines{"IAC SB NEW-ENVIRON 00 03 (cut short)"}));
    const Reading record = InPieces({0x00, 0x20, 0x12}, RecordSource::kHost, {});
    EXPECT_EQ(record.lines.back(), "  (no IAC EOR: the record is cut short)");
}

/// One side's bytes of a session, in the order they were exchanged.
struct Block {
    RecordSource source;
    Bytes bytes;
};

/// A session read by one describer per direction over one screen memory,
/// block `cutBlock` fed in two pieces at `cut` (no cut when out of range).
/// Consecutive telnet lines are joined: a cut may split one line of them.
Reading ReadSession(const std::vector<Block>& session, std::size_t cutBlock, std::size_t cut) {
    DescribeOptions options;
    ScreenMemory memory(132, 27);
    StreamDescriber host(RecordSource::kHost, options, memory);
    StreamDescriber terminal(RecordSource::kTerminal, options, memory);
    Reading r;
    Lines lines;
    for (std::size_t b = 0; b < session.size(); ++b) {
        StreamDescriber& describer = session[b].source == RecordSource::kHost ? host : terminal;
        const Bytes& bytes = session[b].bytes;
        const std::size_t first = b == cutBlock && cut < bytes.size() ? cut : bytes.size();
        for (const auto& [from, to] : {std::pair{std::size_t{0}, first}, {first, bytes.size()}}) {
            if (from == to) continue;
            std::vector<bool> secret;
            describer.Feed(bytes.data() + from, to - from, secret, lines);
            r.secret.insert(r.secret.end(), secret.begin(), secret.end());
        }
    }
    host.Finish(lines);
    terminal.Finish(lines);
    for (const std::string& l : lines) {
        const bool telnet = l.rfind("IAC", 0) == 0;
        if (telnet && !r.lines.empty() && r.lines.back().rfind("IAC", 0) == 0) {
            r.lines.back() += " " + l;
        } else {
            r.lines.push_back(l);
        }
    }
    return r;
}

/// Cut at every offset of every block, a session reads as it does whole:
/// the same lines and the same secret bytes, except the first copy of a
/// doubled 0xFF in a secret value when the cut falls between the copies
/// (it has left unmasked before the second told what it was).
void ExpectTheSameAtEveryCut(const std::vector<Block>& session, long expectedSecrets) {
    const Reading whole = ReadSession(session, session.size(), 0);
    EXPECT_EQ(std::count(whole.secret.begin(), whole.secret.end(), true), expectedSecrets)
        << Joined(whole.lines);
    std::size_t offset = 0;
    for (std::size_t b = 0; b < session.size(); ++b) {
        const Bytes& bytes = session[b].bytes;
        for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
            const Reading r = ReadSession(session, b, cut);
            ASSERT_EQ(r.lines, whole.lines) << "block " << b << " cut at " << cut;
            std::vector<bool> expected = whole.secret;
            if (bytes[cut - 1] == telnet::kIAC && bytes[cut] == telnet::kIAC &&
                r.secret[offset + cut] && !r.secret[offset + cut - 1]) {
                expected[offset + cut - 1] = false;
            }
            ASSERT_EQ(r.secret, expected) << "block " << b << " cut at " << cut;
        }
        offset += bytes.size();
    }
}

Bytes RecordedFile(const std::string& name) {
    std::ifstream in(kRecording + "testsys-login-" + name + ".bin", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(StreamDescriberCuts, ARecordedSignOnReadsTheSameCutAtEveryOffset) {
    std::vector<Block> session;
    for (const char* name :
         {"h2c-01-neg", "h2c-02-neg", "h2c-03-neg", "h2c-04-rec", "c2h-01-rec", "h2c-05-rec",
          "c2h-02-rec", "h2c-06-rec", "h2c-07-rec", "c2h-03-rec", "h2c-08-rec"}) {
        const Bytes bytes = RecordedFile(name);
        if (bytes.empty()) {
            GTEST_SKIP() << "the recorded sign-on is not here (" << kRecording << ")";
        }
        const bool host = name[0] == 'h';
        session.push_back({host ? RecordSource::kHost : RecordSource::kTerminal, bytes});
    }
    // The host's Repeat to Address character in the non-display field and
    // the password the other emulator typed into it.
    ExpectTheSameAtEveryCut(session, 1 + 7);
}

TEST(StreamDescriberCuts, ASignOnWithASubstituteReadsTheSameCutAtEveryOffset) {
    using telnet::Byte;
    const std::uint8_t iac = telnet::kIAC, sb = Byte(telnet::Command::SB),
                       se = Byte(telnet::Command::SE), env = Byte(telnet::Option::NEW_ENVIRON),
                       uservar = Byte(telnet::EnvironCode::USERVAR),
                       value = Byte(telnet::EnvironCode::VALUE);
    auto text = [](Bytes& out, std::string_view t) { out.insert(out.end(), t.begin(), t.end()); };
    auto binary = [](Bytes& out, const Bytes& b) {
        telnet::AppendEnvironValue(out, b.data(), b.size());
    };
    const Bytes hostSeed = {0xFF, 0x01, 'h', 's', 'e', 'e', 'd', 0x02};
    const Bytes clientSeed = {'c', 0x00, 0xFF, 's', 'e', 'e', 'd', '!'};
    const Bytes substitute = {0x10, 0xFF, 0x03, 's', 'u', 'b', 0xFF, 0xFF};
    Bytes request = {iac, Byte(telnet::Command::DO),          env,    iac, sb,
                     env, Byte(telnet::Subnegotiation::SEND), uservar};
    text(request, "IBMRSEED");
    binary(request, hostSeed);
    request.push_back(uservar);
    text(request, "IBMSUBSPW");
    request.insert(request.end(), {iac, se});
    Bytes answer = {iac, Byte(telnet::Command::WILL),      env,    iac, sb,
                    env, Byte(telnet::Subnegotiation::IS), uservar};
    text(answer, "IBMRSEED");
    answer.push_back(value);
    binary(answer, clientSeed);
    answer.push_back(uservar);
    text(answer, "IBMSUBSPW");
    answer.push_back(value);
    binary(answer, substitute);
    answer.insert(answer.end(), {iac, se});
    // The sign-on screen and the terminal's Enter with a password typed into
    // its non-display field at row 7, column 53.
    const Bytes enter = RecordBuilder(ds::kOpPutGet)
                            .raw({6, 53, ds::kAidEnter, 0x11, 6, 53})
                            .raw(Ebcdic("QUSER"))
                            .raw({0x11, 7, 53})
                            .raw(Ebcdic("SECRET"))
                            .record();
    // Wire bytes of the secrets: host seed 8 + 2 ESC + 1 doubled, client
    // seed 8 + 1 ESC + 1 doubled, substitute 8 + 1 ESC + 3 doubled; and
    // the six password bytes.
    ExpectTheSameAtEveryCut({{RecordSource::kHost, request},
                             {RecordSource::kTerminal, answer},
                             {RecordSource::kHost, samples::SignOnScreen()},
                             {RecordSource::kTerminal, enter}},
                            11 + 10 + 12 + 6);
}

// An IAC inside a record followed by anything but IAC or EOR is dropped as
// the interpreter drops it, the bytes after it data, wherever the record is
// cut; a doubled 0xFF in a non-display field is masked in its second copy.
TEST(StreamDescriberCuts, CommandsInsideARecordAreNotedAtEveryCut) {
    const Bytes record = RecordBuilder()
                             .clearUnit()
                             .writeToDisplay()
                             .sba(7, 52)
                             .startOfField(0x40, 0x00, 0x27, 12)
                             .text("AB")
                             .raw({0xFF})
                             .text("C")
                             .record();
    Bytes stream = record;
    // IAC WILL, IAC SB, IAC NOP inside the hidden data, before IAC EOR.
    const Bytes inside = {0xFF, 0xFB, 0xC4, 0xFF, 0xFA, 0xC5, 0xFF, 0xF1};
    stream.insert(stream.end() - 2, inside.begin(), inside.end());
    const Reading whole = InPieces(stream, RecordSource::kHost, {});
    // The endpoint answers them as commands and goes on with the record.
    const Lines notes = {"  telnet IAC WILL C4 (inside the record: no record data)",
                         "  telnet IAC SB C5 *** (0 bytes) (inside the record: no record data)",
                         "  telnet IAC NOP (inside the record: no record data)"};
    for (const std::string& note : notes) {
        EXPECT_EQ(std::count(whole.lines.begin(), whole.lines.end(), note), 1)
            << note << "\n" << Joined(whole.lines);
    }
    // "AB", the second copy of the 0xFF and "C"; no byte of the commands.
    EXPECT_EQ(std::count(whole.secret.begin(), whole.secret.end(), true), 4);
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        const Reading r = InPieces(stream, RecordSource::kHost, {cut});
        ASSERT_EQ(r.lines, whole.lines) << "cut at " << cut;
        ASSERT_EQ(r.secret, whole.secret) << "cut at " << cut;
    }
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < stream.size(); ++i) everyByte.push_back(i);
    const Reading bytes = InPieces(stream, RecordSource::kHost, everyByte);
    EXPECT_EQ(bytes.lines, whole.lines);
    EXPECT_EQ(bytes.secret, whole.secret);
    // The record alone reads the same.
    ScreenMemory memory;
    const RecordDescription d =
        DescribeRecord(stream.data(), stream.size(), RecordSource::kHost, {}, &memory);
    EXPECT_EQ(d.lines, whole.lines);
    EXPECT_EQ(d.secret, whole.secret);
}

}  // namespace
}  // namespace quenlix::testing
