// The record describer: golden descriptions of a real host's sign-on and of
// the record builder's screens, the terminal's own answers as HostResponses
// builds them with their secrets masked, and bad input shown for what it is.
#include <algorithm>
#include <fstream>
#include <iterator>

#include "InterpreterFixture.h"
#include "ds5250/RecordDescriber.h"
#include "ds5250/SelectionFieldBuilder.h"
#include "support/SampleScreens.h"
#include "telnet/TelnetReader.h"

namespace quenlix::testing {
namespace {

using namespace ds;
using Lines = std::vector<std::string>;

const std::string kRecording = QUENLIX_SOURCE_DIR "/../shared/refdata/signon-recording/";

/// A file of the recorded sign-on, or empty when the folder is absent.
Bytes Recorded(const std::string& name) {
    std::ifstream in(kRecording + name, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

#define SKIP_WITHOUT_RECORDING(bytes)                                  \
    if ((bytes).empty())                                               \
    GTEST_SKIP() << "the recorded sign-on is not here (" << kRecording \
                 << "): this clone has no ../shared/refdata"

RecordDescription Describe(const Bytes& record, RecordSource source, ScreenMemory& memory,
                           bool mask = true) {
    DescribeOptions options;
    options.maskSecrets = mask;
    return DescribeRecord(record.data(), record.size(), source, options, &memory);
}

bool Contains(const Lines& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

std::string Joined(const Lines& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

Bytes Ebcdic(std::string_view text) {
    Bytes out;
    for (char c : text) out.push_back(BuiltinTablePair().ATOE[static_cast<std::uint8_t>(c)]);
    return out;
}

/// Whether `needle` occurs in `hay` as a run of bytes.
bool HasRun(const Bytes& hay, const Bytes& needle) {
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}

TEST(RecordDescriberGolden, RecordedSignOnScreen) {
    const Bytes screen = Recorded("testsys-login-h2c-04-rec.bin");
    SKIP_WITHOUT_RECORDING(screen);
    ScreenMemory memory(132, 27);
    const Lines expected = {
        "Put/Get (03), length 501",
        "  Clear Unit",
        "  WTD CC1 00 CC2 18 (blinking cursor, unlock keyboard)",
        "  SOH first field 0, error row 25",
        "  SBA 1,22",
        "  attr 22 \"             Sign On\"",
        "  RA to 1,55 char 40",
        "  attr 20",
        "  SBA 2,47",
        "  attr 20 \"System  . . . . . :\" attr 20",
        "  SBA 2,69",
        "  attr 20 \"TESTSYS \" attr 20",
        "  SBA 3,47",
        "  attr 20 \"Subsystem . . . . :\" attr 20",
        "  SBA 3,69",
        "  attr 20 \"TESTS     \" attr 20",
        "  SBA 4,47",
        "  attr 20 \"Display . . . . . :\" attr 20",
        "  SBA 4,69",
        "  attr 20 \"TESTDISPLY\" attr 20",
        "  SBA 6,16",
        "  attr 20 \"User  . . . . . . . . . . . . . .\" attr 20",
        "  SBA 6,52",
        "  SF FFW 40 20 attr 24 len 10",
        "  00*10",
        "  SBA 7,52",
        "  SF FFW 40 20 attr 27 len 10 (non-display)",
        "  SBA 8,16",
        "  attr 20 \"Program/procedure . . . . . . . .\" attr 20",
        "  SBA 8,52",
        "  SF FFW 40 00 attr 24 len 10",
        "  00*10",
        "  SBA 9,16",
        "  attr 20 \"Menu  . . . . . . . . . . . . . .\" attr 20",
        "  SBA 9,52",
        "  SF FFW 40 00 attr 24 len 10",
        "  00*10",
        "  SBA 10,16",
        "  attr 20 \"Current library . . . . . . . . .\" attr 20",
        "  SBA 10,52",
        "  SF FFW 40 00 attr 24 len 10",
        "  00*10",
        "  SBA 7,16",
        "  attr 20 \"Password  . . . . . . . . . . . .\" attr 20",
        "  SBA 7,52",
        "  attr 27",
        // The host clears the password field: its fill byte is the field's data.
        "  RA to 7,62 char *** (1 byte)",
        "  SBA 24,39",
        "  attr 22 \" (C) COPYRIGHT IBM CORP. 1980, 2013.    \" attr 20",
        "  Read MDT Fields CC1 00 CC2 00",
    };
    const RecordDescription d = Describe(screen, RecordSource::kHost, memory);
    EXPECT_EQ(d.lines, expected) << Joined(d.lines);
    EXPECT_EQ(std::count(d.secret.begin(), d.secret.end(), true), 1);
    EXPECT_EQ(memory.columns(), 80) << "Clear Unit: a 24 x 80 screen";
    EXPECT_EQ(memory.fields().fieldCount(), 5);
    EXPECT_EQ(memory.pendingRead, kCmdReadMdtFields);
}

TEST(RecordDescriberGolden, RecordedEnterKeepsThePasswordOut) {
    const Bytes screen = Recorded("testsys-login-h2c-04-rec.bin");
    const Bytes enter = Recorded("testsys-login-c2h-01-rec.bin");
    SKIP_WITHOUT_RECORDING(enter);
    ScreenMemory memory(132, 27);
    Describe(screen, RecordSource::kHost, memory);

    // Another terminal's Enter: field data cut after its last non-blank.
    const RecordDescription d = Describe(enter, RecordSource::kTerminal, memory);
    EXPECT_EQ(d.lines, (Lines{"No Operation (00), length 33", "  cursor 7,60, Enter",
                              "  field 6,53 \"TESTUSR\"", "  field 7,53 *** (7 bytes)"}))
        << Joined(d.lines);
    const Bytes password = Ebcdic("TESTPSW");
    const auto at = std::search(enter.begin(), enter.end(), password.begin(), password.end());
    ASSERT_NE(at, enter.end());
    for (std::size_t i = 0; i < enter.size(); ++i) {
        const bool inPassword = i >= static_cast<std::size_t>(at - enter.begin()) &&
                                i < static_cast<std::size_t>(at - enter.begin()) + password.size();
        EXPECT_EQ(d.secret[i], inPassword) << "byte " << i;
    }

    const RecordDescription raw = Describe(enter, RecordSource::kTerminal, memory, false);
    EXPECT_TRUE(Contains(raw.lines, "field 7,53 \"TESTPSW\"")) << Joined(raw.lines);
}

TEST(RecordDescriberGolden, RecordedMenuQueryAndMessageLight) {
    const Bytes query = Recorded("testsys-login-h2c-05-rec.bin");
    SKIP_WITHOUT_RECORDING(query);
    ScreenMemory memory;
    EXPECT_EQ(Describe(query, RecordSource::kHost, memory).lines,
              (Lines{"Put/Get (03), length 17",
                     "  WSF length 5 class D9 type 70 flags 00 (query: answered with the query "
                     "reply)"}));
    const Lines reply =
        Describe(Recorded("testsys-login-c2h-02-rec.bin"), RecordSource::kTerminal, memory).lines;
    ASSERT_GE(reply.size(), 3u) << Joined(reply);
    EXPECT_EQ(reply[1], "  query reply, length 58, class D9, type 70, flag 80");
    EXPECT_EQ(
        reply[2],
        "  controller 06 00, code level 01 01 00, device 01 \"5251\" model \"011\", keyboard 02");
    EXPECT_EQ(Describe(Recorded("testsys-login-h2c-06-rec.bin"), RecordSource::kHost, memory).lines,
              (Lines{"Message Light Off (0C), length 10"}));

    const Lines menu =
        Describe(Recorded("testsys-login-h2c-07-rec.bin"), RecordSource::kHost, memory).lines;
    for (const char* line : {"  SF FFW 50 00 attr 20 len 153", "  IC 20,7",
                             "  WTD CC1 00 CC2 1C (blinking cursor, unlock keyboard, alarm)",
                             "attr 22 \"IBM i Main Menu\" attr 20"}) {
        EXPECT_TRUE(Contains(menu, line)) << line << "\n" << Joined(menu);
    }
    EXPECT_EQ(
        Describe(Recorded("testsys-login-c2h-03-rec.bin"), RecordSource::kTerminal, memory).lines,
        (Lines{"No Operation (00), length 17", "  cursor 20,8, Enter", "  field 20,7 \"1\""}));
}

TEST(RecordDescriberGolden, BuilderScreens) {
    ScreenMemory memory;
    RecordBuilder r;
    r.clearUnitAlternate()
        .writeToDisplay(0x40, 0x04)
        .startOfHeader(2, 27)
        .sba(1, 1)
        .attribute(0x20)
        .text("Q\"uote\\d")
        .repeatToAddress(1, 132, 0x00)
        .sba(3, 10)
        .startOfFieldResequenced(0x40, 0x07, 2, 0x24, 5)
        .text("12")
        .sba(4, 10)
        .startOfOutputField(0x20, 3)
        .sba(5, 10)
        .startOfField(0x60, 0x80, 0x3F, 255)
        .insertCursor(3, 11)
        .raw({kOrderEraseToAddress, 5, 20, 0x02, kEraseCharacters})
        .writeErrorCode()
        .insertCursor(27, 2)
        .text("ERROR")
        .roll(0x82, 2, 9)
        .clearFormatTable()
        .readInputFields(0x20, 0x03);
    EXPECT_EQ(Describe(r.record(), RecordSource::kHost, memory).lines,
              (Lines{"Put/Get (03), length 100",
                     "  Clear Unit Alternate 00",
                     "  WTD CC1 40 CC2 04 (reset MDT of input fields, alarm)",
                     "  SOH first field 2, error row 27",
                     "  SBA 1,1",
                     "  attr 20 \"Q\\\"uote\\\\d\"",
                     "  RA to 1,132 char 00",
                     "  SBA 3,10",
                     "  SF FFW 40 07 FCW 80 02 attr 24 len 5",
                     "  \"12\"",
                     "  SBA 4,10",
                     "  SF attr 20 len 3",
                     "  SBA 5,10",
                     "  SF FFW 60 80 attr 3F len 255 (non-display)",
                     "  IC 3,11",
                     "  EA to 5,20 length 2 types 01",
                     "  Write Error Code",
                     "  IC 27,2",
                     "  \"ERROR\"",
                     "  Roll down 2 rows, rows 2 to 9",
                     "  Clear Format Table",
                     "  Read Input Fields CC1 20 CC2 03 (reset pending AID, message light on)"}));
    EXPECT_EQ(memory.columns(), 132);
    EXPECT_EQ(memory.fields().fieldCount(), 0) << "Clear Format Table";
    EXPECT_EQ(memory.pendingRead, kCmdReadInputFields);

    const Lines signOn = Describe(samples::SignOnScreen(), RecordSource::kHost, memory).lines;
    EXPECT_EQ(signOn.front(), "Put/Get (03), length 309");
    EXPECT_TRUE(Contains(signOn, "  SF FFW 40 00 attr 27 len 10 (non-display)"));
    EXPECT_EQ(signOn.back(), "  Read MDT Fields CC1 00 CC2 00");
}

TEST(RecordDescriberGolden, TextInTheSessionsCodePage) {
    TranslationCache tables;
    tables.InitTranslation(QUENLIX_TABLE_DIR);
    DescribeOptions options;
    options.etoa = &tables.EtoaFor(37);
    options.charset = &PcCharset::ForCodePage(37);
    const Bytes record = RecordBuilder().writeToDisplay().raw({0x4A, 0x5A, 0xC1}).record();
    const Lines lines =
        DescribeRecord(record.data(), record.size(), RecordSource::kHost, options).lines;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "  \"\xC2\xA2!A\"") << "cent sign, exclamation mark, A: UTF-8";
    const Lines builtin = DescribeRecord(record.data(), record.size(), RecordSource::kHost).lines;
    EXPECT_EQ(builtin[2], "  \"[]A\"") << "the built-in pair is code page 500";
}

// The terminal's own answers, built by HostResponses on the screen the
// interpreter drew, read with the memory the describer kept of that screen.
class AnswerDescriptionTest : public InterpreterTest {
protected:
    void SignOn(std::uint8_t readCommand = kCmdReadMdtFields) {
        RecordBuilder r;
        r.clearUnit()
            .writeToDisplay()
            .sba(6, 17)
            .text("User")
            .sba(6, 52)
            .startOfField(0x40, 0x20, 0x24, 10)
            .sba(7, 17)
            .text("Password")
            .sba(7, 52)
            .startOfField(0x40, 0x00, 0x27, 10)
            .insertCursor(6, 53)
            .command(readCommand)
            .raw({0x00, 0x00});
        const Bytes screen = r.record();
        Run(screen);
        Describe(screen, RecordSource::kHost, memory);
        Type(6, 53, "QUSER");
        Type(7, 53, "PASSWORD");
        terminal.state.operatorModified = 1;
        sender.sent.clear();
    }
    void Type(int row, int column, std::string_view text) {
        const int first = HostPosition(row, column, terminal.columns());
        for (std::size_t k = 0; k < text.size(); ++k) {
            const int p = first + static_cast<int>(k);
            terminal.SetCellByte(p, BuiltinTablePair().ATOE[static_cast<std::uint8_t>(text[k])]);
        }
        const int index = terminal.formatTable.Find(row, column - 1);
        ASSERT_GE(index, 0);
        terminal.formatTable.entry(index)->mdt = 1;
    }
    /// The last record sent, described; its lines and hex must not hold the password.
    RecordDescription SentWithoutPassword() {
        EXPECT_FALSE(sender.sent.empty());
        const Bytes record = sender.sent.empty() ? Bytes{} : sender.sent.back();
        EXPECT_TRUE(HasRun(record, Ebcdic("PASSWORD"))) << "the record carries the password";
        RecordDescription d = Describe(record, RecordSource::kTerminal, memory);
        EXPECT_FALSE(Contains(d.lines, "PASSWORD")) << Joined(d.lines);
        Bytes shown;
        for (std::size_t i = 0; i < record.size(); ++i) {
            if (!d.secret[i]) shown.push_back(record[i]);
        }
        EXPECT_FALSE(HasRun(shown, Ebcdic("PASS"))) << "unmasked bytes";
        return d;
    }

    ScreenMemory memory;
};

TEST_F(AnswerDescriptionTest, EnterWithReadMdtFields) {
    SignOn();
    responses.SendAid(kAidEnter);
    EXPECT_EQ(SentWithoutPassword().lines,
              (Lines{"Put/Get (03), length 39", "  cursor 6,53, Enter",
                     "  field 6,53 \"QUSER     \"", "  field 7,53 *** (10 bytes)"}));
}

TEST_F(AnswerDescriptionTest, EnterWithReadInputFieldsAndAutoEnter) {
    SignOn(kCmdReadInputFields);
    responses.SendAid(kAidF3);
    EXPECT_EQ(SentWithoutPassword().lines,
              (Lines{"Put/Get (03), length 33", "  cursor 6,53, F3", "  field 6,53 \"QUSER     \"",
                     "  field 7,53 *** (10 bytes)"}));
    // Auto-enter addresses its fields whatever read is pending.
    responses.SendAutoEnter();
    EXPECT_EQ(SentWithoutPassword().lines,
              (Lines{"Put/Get (03), length 39", "  cursor 6,53, Enter",
                     "  field 6,53 \"QUSER     \"", "  field 7,53 *** (10 bytes)"}));
}

TEST_F(AnswerDescriptionTest, ASignedFieldIsSentWithoutItsSignPosition) {
    // Read Input Fields: the fields back to back, the signed numeric one a
    // byte short; the password after it is found all the same.
    RecordBuilder r;
    r.clearUnit().writeToDisplay().sba(5, 52).startOfField(0x47, 0x00, 0x24, 4).text("12")
        .sba(7, 52).startOfField(0x40, 0x00, 0x27, 10).readInputFields();
    Run(r.record());
    Describe(r.record(), RecordSource::kHost, memory);
    Type(7, 53, "PASSWORD");
    terminal.state.operatorModified = 1;
    sender.sent.clear();
    responses.SendAid(kAidEnter);
    const Lines lines = SentWithoutPassword().lines;
    ASSERT_EQ(lines.size(), 4u) << Joined(lines);
    EXPECT_EQ(lines[2], "  field 5,53 \"12 \"");
    EXPECT_EQ(lines[3], "  field 7,53 *** (10 bytes)");
}

TEST_F(AnswerDescriptionTest, ReadImmediateReadScreenAndSaveScreen) {
    SignOn();
    responses.SendReadImmediate();
    EXPECT_EQ(SentWithoutPassword().lines,
              (Lines{"No Operation (00), length 33", "  Read Immediate answer, cursor 6,53",
                     "  field 6,53 \"QUSER     \"", "  field 7,53 *** (10 bytes)"}));

    responses.SendReadScreen();
    const Lines image = SentWithoutPassword().lines;
    ASSERT_EQ(image.size(), 25u) << Joined(image);
    EXPECT_EQ(image[0], "Read Screen (08), length 1930");
    EXPECT_EQ(image[7], "  row 7 \"" + std::string(16, ' ') + "Password" + std::string(27, ' ') +
                            "\" attr 27 *** (10 bytes) attr 20 \"" + std::string(17, ' ') + "\"");

    // A Clear Format Table leaves the typed password in its cells.
    Run(RecordBuilder().clearFormatTable().record());
    Describe(RecordBuilder().clearFormatTable().record(), RecordSource::kHost, memory);
    responses.SendSaveScreen();
    const Lines saved = SentWithoutPassword().lines;
    EXPECT_EQ(saved[1], "  Restore Screen");
    EXPECT_TRUE(Contains(saved, "attr 27 *** (10 bytes) attr 20")) << Joined(saved);
    EXPECT_EQ(saved.back(), "  IC 6,53");
    EXPECT_EQ(memory.fields().fieldCount(), 0) << "the answer did not change the memory";
}

TEST_F(AnswerDescriptionTest, TheSavedScreenSentBackStaysMasked) {
    SignOn();
    responses.SendSaveScreen();
    Bytes restore = sender.sent.back();
    restore[9] = kOpRestoreScreen;
    const RecordDescription d = Describe(restore, RecordSource::kHost, memory);
    EXPECT_FALSE(Contains(d.lines, "PASSWORD")) << Joined(d.lines);
    EXPECT_TRUE(Contains(d.lines, "  SF FFW 48 00 attr 27 len 10 (non-display)"))
        << "restored with its MDT bit\n"
        << Joined(d.lines);
}

TEST_F(AnswerDescriptionTest, ATraceStartedAfterTheScreenKnowsItsFields) {
    SignOn();
    ScreenMemory now = ScreenMemory::Of(terminal);
    memory = now;
    responses.SendAid(kAidEnter);
    EXPECT_TRUE(Contains(SentWithoutPassword().lines, "field 7,53 *** (10 bytes)"));
}

TEST_F(AnswerDescriptionTest, ResequencedFieldsAreReadInTheirOrder) {
    RecordBuilder r;
    r.clearUnit().writeToDisplay().startOfHeader(2, 0);
    r.sba(2, 1).startOfFieldResequenced(0x40, 0, 0, 0x20, 2).text("AA");  // 0 -> end
    r.sba(3, 1).startOfFieldResequenced(0x40, 0, 0, 0x27, 2).text("BB");  // 1 -> 0
    r.readInputFields();
    Run(r.record());
    Describe(r.record(), RecordSource::kHost, memory);
    terminal.state.operatorModified = 1;
    sender.sent.clear();
    responses.SendAid(kAidEnter);
    EXPECT_EQ(Describe(sender.sent.back(), RecordSource::kTerminal, memory).lines,
              (Lines{"Put/Get (03), length 17", "  cursor 2,2, Enter", "  field 3,2 *** (2 bytes)",
                     "  field 2,2 \"AA\""}));
}

TEST_F(AnswerDescriptionTest, NegativeResponsesAndTheOtherFixedRecords) {
    for (auto [sense, meaning] : {std::pair{kSenseWriteBeyondScreen, "write beyond the screen"},
                                  std::pair{kSenseFieldBeyondScreen, "field beyond the screen"},
                                  std::pair{kSenseInvalidRoll, "invalid Roll"}}) {
        sender.sent.clear();
        interpreter.SendNegativeResponse(sense);
        EXPECT_EQ(
            Describe(sender.sent.back(), RecordSource::kTerminal, memory).lines,
            (Lines{"No Operation (00), flags 80 00 (error), length 14",
                   "  negative response 10 05 01 " + TextTokens::Hex(sense) + ": " + meaning}));
    }
    responses.SendAttention();
    responses.SendSysReq("90");
    responses.SendAidOnly(kAidPa1);
    Run(RecordBuilder(kOpCancelInvite).record());
    ASSERT_EQ(sender.sent.size(), 5u);
    EXPECT_EQ(Describe(sender.sent[1], RecordSource::kTerminal, memory).lines,
              (Lines{"No Operation (00), flags 40 00 (attention), length 10", "  Attention"}));
    EXPECT_EQ(Describe(sender.sent[2], RecordSource::kTerminal, memory).lines,
              (Lines{"No Operation (00), flags 04 00 (system request), length 12",
                     "  System Request \"90\""}));
    EXPECT_EQ(Describe(sender.sent[3], RecordSource::kTerminal, memory).lines,
              (Lines{"No Operation (00), length 13", "  cursor 1,1, PA1"}));
    EXPECT_EQ(Describe(sender.sent[4], RecordSource::kTerminal, memory).lines,
              (Lines{"Cancel Invite (0A), length 10", "  Cancel Invite answer"}));
}

TEST(RecordDescriberGolden, EveryOrderOfTheEnhancedStreamIsNamed) {
    ScreenMemory memory;
    RecordBuilder r;
    r.clearUnit()
        .writeToDisplay()
        .sba(2, 2)
        .eraseToAddress(2, 40, {kEraseCharacters, kEraseColor})
        .moveCursor(3, 4)
        .transparentData(Ebcdic("A"))
        .writeExtendedAttribute(kExtendedPrimary, kExtendedReverse | kExtendedUnderline)
        .writeExtendedAttribute(kExtendedForegroundColor, 0xF5)
        .writeExtendedAttribute(kExtendedIdeographic, 0x00)
        .sba(5, 10)
        .displayStructuredField(kWdsfCreateWindow, {kWindowCursorRestricted, 0, 0, 6, 30})
        .displayStructuredField(kWdsfUnrestrictedCursor, {0, 0, 0})
        .displayStructuredField(kWdsfDefineSelectionField, {0, 0, 0})
        .displayStructuredField(kWdsfDefineScrollBar, {0, 0, 0})
        .displayStructuredField(kWdsfProgrammableMouseButtons, {})
        .displayStructuredField(kWdsfDrawGridLines, {0})
        .displayStructuredField(kWdsfClearGridLines, {0})
        .displayStructuredField(kWdsfRemoveWindow, {0, 0})
        .displayStructuredField(kWdsfRemoveAllConstructs, {0, 0})
        .writeErrorCodeToWindow(10, 40)
        .text("E")
        .savePartialScreen(3, 5, 4, 20)
        .restorePartialScreen(3, 5, 4, 20);
    EXPECT_EQ(Describe(r.record(), RecordSource::kHost, memory).lines,
              (Lines{"Put/Get (03), length 128",
                     "  Clear Unit",
                     "  WTD CC1 00 CC2 00",
                     "  SBA 2,2",
                     "  EA to 2,40 length 3 types 01 03",
                     "  MC 3,4",
                     "  TD length 1",
                     "  \"A\"",
                     "  WEA primary C0 (reverse, underline)",
                     "  WEA colour F5 (turquoise)",
                     "  WEA ideographic 00",
                     "  SBA 5,10",
                     "  WDSF Create Window 6 rows, 30 columns, cursor kept inside, 5 bytes",
                     "  WDSF Unrestricted Cursor Movement, 3 bytes",
                     "  WDSF Define Selection Field, 3 bytes",
                     "  WDSF Define Scroll Bar, 3 bytes",
                     "  WDSF Programmable Mouse Buttons (ignored), 0 bytes",
                     "  WDSF Draw Grid Lines (ignored), 1 byte",
                     "  WDSF Clear Grid Lines (ignored), 1 byte",
                     "  WDSF Remove Window, 2 bytes",
                     "  WDSF Remove All Constructs, 2 bytes",
                     "  Write Error Code to Window, columns 10 to 40",
                     "  Write Error Code",
                     "  \"E\"",
                     "  Save Partial Screen, rows 3 to 6, columns 5 to 24",
                     "  Restore Partial Screen, rows 3 to 6, columns 5 to 24"}));

    // A selection field's kind and choices, a scroll bar's place in its list.
    RecordBuilder enhanced;
    enhanced.writeToDisplay()
        .displayStructuredField(kWdsfDefineSelectionField,
                                SelectionFieldBuilder(SelectionKind::kPushButtons)
                                    .choice("OK", ChoiceState::kSelected, 0, 0)
                                    .choice("Cancel", ChoiceState::kAvailable, 0, -1, kAidF12)
                                    .choice("Help", ChoiceState::kUnavailable, 3)
                                    .choice("Mouse", ChoiceState::kAvailable, 0, -1, 0, false)
                                    .data())
        .displayStructuredField(kWdsfDefineScrollBar, ScrollBarData(false, 40, 12, 8));
    const Lines lines = Describe(enhanced.record(), RecordSource::kHost, memory).lines;
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "  WDSF Define Selection Field push buttons: \"OK\" selected; \"Cancel\" sends F12; "
                        "\"Help\" unavailable; \"Mouse\" (for other displays), 56 bytes");
    EXPECT_EQ(lines[3], "  WDSF Define Scroll Bar down 8 cells, 40 rows, slider at 12, 11 bytes");

    struct Row {
        RecordBuilder record;
        const char* last;
    };
    const Row refusals[] = {
        {RecordBuilder().writeToDisplay().eraseToAddress(0, 5, {kEraseAll}),
         "  (Erase to Address refused: the terminal answers with sense 22, row or column not "
         "valid, and reads no further)"},
        {RecordBuilder().writeToDisplay().sba(3, 9).eraseToAddress(3, 5, {kEraseAll}),
         "  (Erase to Address refused: the terminal answers with sense 23, address before the "
         "current address, and reads no further)"},
        {RecordBuilder().writeToDisplay().writeExtendedAttribute(0x02, 0x00),
         "  (Write Extended Attribute refused: the terminal answers with sense 2D, extended "
         "attribute type not valid, and reads no further)"},
        {RecordBuilder().writeToDisplay().writeExtendedAttribute(kExtendedForegroundColor, 0xF9),
         "  (Write Extended Attribute refused: the terminal answers with sense 2F, extended "
         "attribute not valid, and reads no further)"},
        {RecordBuilder().writeToDisplay().moveCursor(25, 1),
         "  (Move Cursor refused: the terminal answers with sense 22, row or column not valid, "
         "and reads no further)"},
        {RecordBuilder().writeErrorCodeToWindow(30, 20),
         "  (Write Error Code to Window refused: the terminal answers with sense 32, error "
         "window columns not valid, and reads no further)"},
    };
    for (const Row& row : refusals) {
        const Lines lines = Describe(row.record.record(), RecordSource::kHost, memory).lines;
        EXPECT_TRUE(Contains(lines, row.last)) << Joined(lines);
    }
}

TEST_F(AnswerDescriptionTest, TheSavedRectangleIsACommandStream) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(2, 3).text("AB").record());
    Run(RecordBuilder(kOpOutputOnly).savePartialScreen(2, 3, 1, 2).record());
    ScreenMemory memory;
    EXPECT_EQ(Describe(sender.sent.back(), RecordSource::kTerminal, memory).lines,
              (Lines{"Save Screen (04), length 26",
                     "  Restore Partial Screen, rows 2 to 2, columns 3 to 4",
                     "  WTD CC1 00 CC2 00", "  SBA 2,3", "  \"AB\""}));
}

TEST(RecordDescriberRefusals, TheTerminalsRefusalsAreNamed) {
    ScreenMemory memory;
    const Lines beyond = Describe(RecordBuilder()
                                      .clearUnit()
                                      .writeToDisplay()
                                      .sba(24, 80)
                                      .text("AB")
                                      .sba(1, 1)
                                      .startOfField(0x40, 0, 0x27, 4)
                                      .record(),
                                  RecordSource::kHost, memory)
                             .lines;
    EXPECT_TRUE(Contains(beyond,
                         "(data at 25,1 beyond the screen: the terminal answers with "
                         "sense 2A and reads no further)"))
        << Joined(beyond);
    EXPECT_EQ(memory.fields().fieldCount(), 0) << "nothing after the refusal is taken";

    const Lines field = Describe(RecordBuilder()
                                     .clearUnit()
                                     .writeToDisplay()
                                     .sba(24, 70)
                                     .startOfField(0x40, 0, 0x20, 20)
                                     .record(),
                                 RecordSource::kHost, memory)
                            .lines;
    EXPECT_TRUE(Contains(field, "(the field beyond the screen: the terminal answers with sense 28"))
        << Joined(field);
    const Lines roll =
        Describe(RecordBuilder().clearUnit().roll(0x01, 5, 5).record(), RecordSource::kHost, memory)
            .lines;
    EXPECT_EQ(roll.back(), "  Roll up 1 row, rows 5 to 5 (refused: sense 2C, invalid Roll)");
    EXPECT_EQ(Describe(RecordBuilder().roll(0x01, 20, 24).record(), RecordSource::kHost, memory)
                  .lines.back(),
              "  Roll up 1 row, rows 20 to 24")
        << "a roll may reach the last row";
    EXPECT_EQ(Describe(RecordBuilder().roll(0x01, 3, 25).record(), RecordSource::kHost, memory)
                  .lines.back(),
              "  Roll up 1 row, rows 3 to 25 (refused: sense 2C, invalid Roll)");
}

TEST(RecordDescriberBadInput, CutShortAndUnknownBytesAreShown) {
    ScreenMemory memory;
    auto lines = [&](const Bytes& b, RecordSource s = RecordSource::kHost) {
        return DescribeRecord(b.data(), b.size(), s, {}, &memory).lines;
    };
    EXPECT_EQ(lines({0x00, 0x20, 0x12}), (Lines{"cut short: 3 of the 10 header bytes: 00 20 12",
                                                "  (no IAC EOR: the record is cut short)"}));
    EXPECT_EQ(lines({0x00, 0x0A, 0x12, 0xA1, 0x00, 0x00, 0x04, 0x00, 0x00, 0x03, 0x04, 0xFF, 0xEF}),
              (Lines{"not a 5250 record: header 00 0A 12 A1 00 00 04 00 00 03", "  not read: 04"}));
    EXPECT_EQ(lines(FrameRecord(0x3F, {0x04, 0x11})),
              (Lines{"opcode 3F (unknown), length 12", "  not read: 04 11"}));
    EXPECT_EQ(lines(FrameRecord(kOpPutGet, {0x3F, 0x04, 0x99, 0x04, 0x40})),
              (Lines{"Put/Get (03), length 15", "  ?? 3F 04 99", "  Clear Unit"}));
    EXPECT_EQ(lines(FrameRecord(kOpPutGet, {0x04, 0x11, 0x00, 0x00, 0xC1, 0x1D, 0x40})),
              (Lines{"Put/Get (03), length 17", "  WTD CC1 00 CC2 00", "  \"A\"",
                     "  order 1D cut short"}));
    Bytes noEnd = RecordBuilder().writeToDisplay().text("AB").record();
    noEnd.resize(noEnd.size() - 2);
    EXPECT_EQ(lines(noEnd).back(), "  (no IAC EOR: the record is cut short)");
    EXPECT_EQ(lines(FrameRecord(kOpPutGet, {0x04, 0x11, 0x00, 0x00, 0xFF, 0xC1})),
              (Lines{"Put/Get (03), length 16", "  WTD CC1 00 CC2 00", "  FF \"A\""}))
        << "a doubled 0xFF is one data byte";
    Bytes lone = FrameRecord(kOpPutGet, {0x04, 0x11, 0x00, 0x00, 0xC1});
    lone.insert(lone.begin() + 14, 0xFF);
    EXPECT_EQ(lines(lone), (Lines{"Put/Get (03), length 15 (14 bytes given)", "  WTD CC1 00 CC2 00",
                                  "  telnet IAC C1 (inside the record: no record data)"}))
        << "a lone 0xFF begins a telnet command, as the endpoint reads it";
    EXPECT_EQ(lines({0x00, 0x0E, 0x12, 0xA0, 0x00, 0x00, 0x04, 0x80, 0x00, 0x00, 0x10, 0x05, 0x01,
                     0x99, 0xFF, 0xEF},
                    RecordSource::kTerminal)
                  .back(),
              "  negative response 10 05 01 99");
    EXPECT_EQ(lines(FrameRecord(kOpPutGet, {0x04, 0x11})).back(), "  command 11 cut short");
}

TEST(RecordDescriberBadInput, LongRecordsAreDescribedWithinTheirBoundsAndStillMasked) {
    // The lines of one record stop at their limit, while secrets are
    // followed to the record's end.
    RecordBuilder r;
    r.clearUnit().writeToDisplay();
    for (int i = 0; i < 40000; ++i) r.sba(1, 1);
    r.sba(5, 1).startOfField(0x40, 0, 0x27, 4).text("HUSH");
    const Bytes record = r.record();
    ScreenMemory memory;
    const RecordDescription d = Describe(record, RecordSource::kHost, memory);
    std::size_t total = 0;
    for (const std::string& l : d.lines) total += l.size();
    EXPECT_LE(total, RecordDescriber::kMaxDescribedBytes + 100);
    EXPECT_EQ(d.lines.back(), "  (the rest of the record is not described)");
    const std::size_t hush = record.size() - 2 - 4;
    for (std::size_t i = hush; i < hush + 4; ++i) EXPECT_TRUE(d.secret[i]) << i;
    EXPECT_FALSE(d.secret[hush - 1]);

    // The text of one line is cut at its limit.
    TextTokens words(BuiltinTablePair().ETOA, nullptr, true);
    for (std::size_t i = 0; i < TextTokens::kMaxBytes + 100; ++i) words.Add(0xC1, false, true);
    words.Add(0x00, false, true);
    const std::string cut = words.Take();
    EXPECT_LE(cut.size(), TextTokens::kMaxBytes + 4);
    EXPECT_EQ(cut.substr(cut.size() - 4), " ...");
    EXPECT_TRUE(words.empty());
}

TEST(RecordDescriberBadInput, EveryPrefixAndEveryByteChangeIsDescribed) {
    // A record cut anywhere, or with any byte replaced, is still described:
    // the header line first, and secrets stay secrets up to the cut.
    const Bytes screen = samples::SignOnScreen();
    ScreenMemory full;
    const RecordDescription whole = Describe(screen, RecordSource::kHost, full);
    for (std::size_t cut = 0; cut <= screen.size(); ++cut) {
        ScreenMemory memory;
        const RecordDescription d =
            DescribeRecord(screen.data(), cut, RecordSource::kHost, {}, &memory);
        ASSERT_FALSE(d.lines.empty()) << cut;
        for (std::size_t i = 0; i < cut; ++i) ASSERT_EQ(d.secret[i], whole.secret[i]) << cut;
    }
    for (std::size_t at = 0; at < screen.size(); ++at) {
        for (std::uint8_t value : {0x00, 0x04, 0x1D, 0xFF}) {
            Bytes changed = screen;
            changed[at] = value;
            ScreenMemory memory;
            ASSERT_FALSE(Describe(changed, RecordSource::kHost, memory).lines.empty());
            ASSERT_FALSE(Describe(changed, RecordSource::kTerminal, memory).lines.empty());
        }
    }
}

// The describer reads a record's bytes undoubled, as the telnet reader hands
// them on, and says the same as of the record as it travelled: its secret
// bytes are the second copies of the doubled ones.
TEST(RecordDescriberUndoubled, ReadsAsTheRecordOnTheWire) {
    struct Undoubled : telnet::TelnetEvents {
        Bytes bytes;
        std::vector<std::size_t> wireIndex;  ///< of each undoubled byte
        const std::uint8_t* wire = nullptr;
        bool ended = false;
        void RecordData(const std::uint8_t* b, std::size_t count) override {
            for (std::size_t i = 0; i < count; ++i) {
                bytes.push_back(b[i]);
                wireIndex.push_back(static_cast<std::size_t>(b + i - wire));
            }
        }
        void EndOfRecord() override { ended = true; }
    };
    // A password field holding 0xFF (doubled on the wire) and data after it.
    const Bytes record = RecordBuilder()
                             .clearUnit()
                             .writeToDisplay()
                             .sba(7, 52)
                             .startOfField(0x40, 0x00, 0x27, 6)
                             .text("P")
                             .raw({0xFF, 0xFF})
                             .text("W")
                             .sba(9, 2)
                             .text("shown")
                             .readMdtFields()
                             .record();
    Undoubled undoubled;
    undoubled.wire = record.data();
    telnet::TelnetReader reader;
    reader.Feed(record.data(), record.size(), undoubled);
    ASSERT_TRUE(undoubled.ended);

    ScreenMemory wireMemory, memory;
    const RecordDescription wire = Describe(record, RecordSource::kHost, wireMemory);
    RecordDescriber describer(RecordSource::kHost, {}, memory);
    std::vector<bool> secret(record.size(), false);
    for (std::size_t i = 0; i < undoubled.bytes.size(); ++i) {
        secret[undoubled.wireIndex[i]] = describer.Feed(undoubled.bytes[i]);
    }
    describer.EndRecord();
    EXPECT_EQ(describer.Finish(), wire.lines);
    EXPECT_EQ(secret, wire.secret);
    EXPECT_EQ(std::count(secret.begin(), secret.end(), true), 4) << "P, 0xFF twice, W";
    EXPECT_EQ(memory.secretPositions(), wireMemory.secretPositions());

    // Not ended, the record is cut short; a telnet command inside it is
    // noted in its place.
    ScreenMemory blank;
    RecordDescriber cut(RecordSource::kHost, {}, blank);
    for (std::size_t i = 0; i < 12; ++i) cut.Feed(undoubled.bytes[i]);
    cut.TelnetInside("IAC NOP");
    const Lines lines = cut.Finish(true);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(Lines(lines.end() - 3, lines.end()),
              (Lines{"  telnet IAC NOP (inside the record: no record data)", "  ?? FF (cut short)",
                     "  (no IAC EOR: the record is cut short)"}))
        << ::testing::PrintToString(lines);
}

}  // namespace
}  // namespace quenlix::testing
