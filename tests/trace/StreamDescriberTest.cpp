// One reading of a TN5250 stream: telnet commands and records joined, the
// same whatever pieces the bytes come in, and the sign-on password of the
// NEW-ENVIRON answer kept out.
#include "TraceSupport.h"
#include "support/SampleScreens.h"
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

}  // namespace
}  // namespace quenlix::testing
