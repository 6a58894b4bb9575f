// Records the terminal sends: attention keys with fields, the reads answered
// at once, Save/Restore Screen, the query reply.
#include "InterpreterFixture.h"

namespace quenlix::testing {
namespace {

using namespace ds;

class ResponsesTest : public InterpreterTest {
protected:
    /// Two input fields: 3,10 (length 4) and 5,10 (length 5).
    void TwoFieldScreen(std::uint8_t readCommand) {
        RecordBuilder r;
        r.clearUnit().writeToDisplay().sba(3, 10).startOfField(0x40, 0, 0x20, 4).text("AAAA")
            .sba(5, 10).startOfField(0x40, 0, 0x20, 5).text("HELLO").insertCursor(5, 12)
            .command(readCommand).raw({0x00, 0x00});
        Run(r.record());
        sender.sent.clear();
    }
    Bytes Ebcdic(std::string_view text) const {
        Bytes out;
        for (char c : text) out.push_back(BuiltinTablePair().ATOE[static_cast<std::uint8_t>(c)]);
        return out;
    }
};

TEST_F(ResponsesTest, EnterWithReadMdtFieldsSendsOnlyModifiedFields) {
    TwoFieldScreen(kCmdReadMdtFields);
    terminal.formatTable.entry(1)->mdt = 1;
    responses.SendAid(kAidEnter);
    Bytes data = {5, 12, kAidEnter, 0x11, 0x05, 0x0B};
    const Bytes hello = Ebcdic("HELLO");
    data.insert(data.end(), hello.begin(), hello.end());
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], Sent(kOpPutGet, data)) << Described(sender.sent[0]);
    EXPECT_EQ(terminal.state.inputInhibited, 1);
    EXPECT_EQ(terminal.state.pendingRead, kReadMdtFields) << "the pending read stays";
}

TEST_F(ResponsesTest, FieldInTheLastColumnIsAddressedOnTheNextRow) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(6, 80).startOfField(0x48, 0, 0x20, 2)
            .text("OK").readMdtFields().record());
    sender.sent.clear();
    responses.SendAid(kAidEnter);
    ASSERT_EQ(sender.sent.size(), 1u);
    const Bytes& r = sender.sent[0];
    EXPECT_EQ(Bytes(r.begin() + 13, r.begin() + 16), (Bytes{0x11, 0x07, 0x01}));
}

TEST_F(ResponsesTest, ReadInputFieldsSendsEveryFieldOnlyAfterAChange) {
    TwoFieldScreen(kCmdReadInputFields);
    responses.SendAid(kAidEnter);
    EXPECT_EQ(sender.sent.at(0), Sent(kOpPutGet, {5, 12, kAidEnter}));

    terminal.state.operatorModified = 1;
    responses.SendAid(kAidF3);
    Bytes data = {5, 12, 0x33};
    for (auto part : {Ebcdic("AAAA"), Ebcdic("HELLO")}) data.insert(data.end(), part.begin(), part.end());
    EXPECT_EQ(sender.sent.at(1), Sent(kOpPutGet, data));
}

TEST_F(ResponsesTest, ReadOrderFollowsResequencingAndEndsOnACycle) {
    RecordBuilder r;
    r.clearUnit().writeToDisplay().startOfHeader(2, 0);
    r.sba(2, 1).startOfFieldResequenced(0x40, 0, 2, 0x20, 1);  // 0 -> 2
    r.sba(3, 1).startOfFieldResequenced(0x40, 0, 0, 0x20, 1);  // 1 -> 0
    r.sba(4, 1).startOfFieldResequenced(0x40, 0, 1, 0x20, 1);  // 2 -> 1
    Run(r.record());
    EXPECT_EQ(responses.ReadOrder(), (std::vector<int>{1, 0, 2}));

    Run(RecordBuilder().writeToDisplay().startOfHeader(0, 0).sba(2, 1)
            .startOfField(0x40, 0, 0x20, 1).sba(3, 1).startOfField(0x40, 0, 0x20, 1).record());
    EXPECT_EQ(responses.ReadOrder(), (std::vector<int>{0, 1}));
}

TEST_F(ResponsesTest, FixedRecords) {
    TwoFieldScreen(kCmdReadMdtFields);
    responses.SendAidOnly(kAidPa1);
    EXPECT_EQ(sender.sent.at(0), (Bytes{0x00, 0x0D, 0x12, 0xA0, 0x00, 0x00, 0x04, 0x00, 0x00,
                                        0x00, 5, 12, 0x6C, 0xFF, 0xEF}));
    responses.SendAttention();
    EXPECT_EQ(sender.sent.at(1), (Bytes{0x00, 0x0A, 0x12, 0xA0, 0x00, 0x00, 0x04, 0x40, 0x00,
                                        0x00, 0xFF, 0xEF}));
    responses.SendSysReq("90");
    EXPECT_EQ(sender.sent.at(2), (Bytes{0x00, 0x0C, 0x12, 0xA0, 0x00, 0x00, 0x04, 0x04, 0x00,
                                        0x00, 0xF9, 0xF0, 0xFF, 0xEF}));
}

TEST_F(ResponsesTest, AutoEnterSendsTaggedAndRequiredFieldAddresses) {
    RecordBuilder r;
    r.clearUnit().writeToDisplay();
    r.sba(2, 1).startOfField(0x40, 0x00, 0x20, 2);        // plain, untouched: left out
    r.sba(3, 1).startOfField(0x40, 0x40, 0x20, 2);        // field exit required
    r.sba(4, 1).startOfField(0x48, 0x80, 0x20, 2).text("OK");  // modified
    r.sba(5, 1).startOfField(0x40, 0x06, 0x20, 2);        // blank fill
    Run(r.record());
    sender.sent.clear();
    terminal.SetCursorCell(3, 1);
    responses.SendAutoEnter();
    Bytes data = {4, 2, kAidEnter, 0x11, 3, 2, 0x11, 4, 2};
    for (auto b : Ebcdic("OK")) data.push_back(b);
    data.insert(data.end(), {0x11, 5, 2});
    EXPECT_EQ(sender.sent.at(0), Sent(kOpPutGet, data)) << Described(sender.sent.at(0));
}

TEST_F(ResponsesTest, ReadScreenOfA24By80Screen) {
    Run(RecordBuilder().clearUnit().record());
    sender.sent.clear();
    Run(FrameRecord(kOpReadScreen, {0x04, 0x62}));
    ASSERT_EQ(sender.sent.size(), 1u);
    const Bytes& r = sender.sent[0];
    EXPECT_EQ(r.size(), 1932u);
    EXPECT_EQ(r[0] * 256 + r[1], 1930);
    EXPECT_EQ(r[9], kOpReadScreen);
    EXPECT_EQ(r[10], 0x20) << "the first position holds the normal attribute";
    EXPECT_EQ(terminal.state.pendingRead, kReadScreen);
}

// Field data as each read sends it: an alphanumeric, a numeric-only and a
// signed-numeric field (its last position the sign), each with the host's
// nulls, typed text, a minus, or nothing.
TEST_F(ResponsesTest, FieldDataInEveryRead) {
    const std::uint8_t N = kEbcdicNull, B = kEbcdicBlank, M = 0x60;  // null, blank, minus
    struct Row {
        const char* what;
        std::uint8_t ffw1;
        Bytes cells;     // the field's EBCDIC bytes on the screen (length 5)
        Bytes modified;  // Read MDT Fields: the data after the address
        Bytes every;     // Read Input Fields and Read Immediate
    };
    const Bytes A = Ebcdic("AB"), D = Ebcdic("12");
    const Row rows[] = {
        {"alphanumeric, trailing nulls", 0x40, {A[0], A[1], N, N, N}, {A[0], A[1]},
         {A[0], A[1], B, B, B}},
        {"alphanumeric, leading and embedded nulls", 0x40, {N, A[0], N, A[1], N},
         {B, A[0], B, A[1]}, {B, A[0], B, A[1], B}},
        {"alphanumeric, typed blanks stay", 0x40, {A[0], B, B, N, N}, {A[0], B, B},
         {A[0], B, B, B, B}},
        {"alphanumeric, all nulls: the address alone", 0x40, {N, N, N, N, N}, {},
         {B, B, B, B, B}},
        {"numeric only", 0x43, {D[0], D[1], N, N, N}, {D[0], D[1]}, {D[0], D[1], B, B, B}},
        {"signed, positive", 0x47, {B, B, D[0], D[1], B}, {B, B, D[0], D[1]},
         {B, B, D[0], D[1]}},
        {"signed, negative", 0x47, {B, B, D[0], D[1], M}, {B, B, D[0], 0xD2},
         {B, B, D[0], 0xD2}},
        {"signed, a minus over no digit", 0x47, {N, N, N, B, M}, {B, B, B, B}, {B, B, B, B}},
        {"signed, empty", 0x47, {N, N, N, N, N}, {}, {B, B, B, B}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Run(RecordBuilder().clearUnit().writeToDisplay().sba(2, 1)
                .startOfField(static_cast<std::uint8_t>(row.ffw1 | 0x08), 0, 0x20, 5)
                .raw(row.cells).insertCursor(2, 2).readMdtFields().record());
        terminal.state.operatorModified = 1;
        sender.sent.clear();
        responses.SendAid(kAidEnter);
        Bytes expected = {2, 2, kAidEnter, 0x11, 2, 2};
        expected.insert(expected.end(), row.modified.begin(), row.modified.end());
        EXPECT_EQ(sender.sent.at(0), Sent(kOpPutGet, expected)) << Described(sender.sent.at(0));

        Run(RecordBuilder().readInputFields().record());
        sender.sent.clear();
        responses.SendAid(kAidEnter);
        expected = {2, 2, kAidEnter};
        expected.insert(expected.end(), row.every.begin(), row.every.end());
        EXPECT_EQ(sender.sent.at(0), Sent(kOpPutGet, expected)) << Described(sender.sent.at(0));

        sender.sent.clear();
        Run(FrameRecord(kOpReadImmediate, {0x04, 0x72}));
        expected = {2, 2, 0x00};
        expected.insert(expected.end(), row.every.begin(), row.every.end());
        EXPECT_EQ(sender.sent.at(0), Sent(kOpNoOperation, expected)) << Described(sender.sent.at(0));
    }
}

// A record is never sent with a wrapped length, and no position past the
// screen goes out as padding.
TEST_F(ResponsesTest, ReadsStopAtTheLongestRecordAndAtTheScreensEnd) {
    // 40 modified fields, each over the rest of the 27 x 132 screen: about
    // 140 000 bytes of field data if all were sent.
    RecordBuilder r;
    r.clearUnitAlternate().writeToDisplay();
    for (int i = 0; i < 40; ++i) r.sba(1, 1 + i * 3).startOfField(0x48, 0, 0x20, 3440);
    r.sba(1, 1).text(std::string(3564, 'Q')).readMdtFields();
    Run(r.record());
    ASSERT_EQ(terminal.formatTable.fieldCount(), 40);
    sender.sent.clear();
    responses.SendAid(kAidEnter);
    const Bytes& sent = sender.sent.at(0);
    // The high byte is 0xFF here, and travels doubled like any 0xFF.
    ASSERT_EQ(sent[0], 0xFF);
    ASSERT_EQ(sent[1], 0xFF);
    const std::size_t length = sent[0] * 256u + sent[2];
    EXPECT_LE(length, HostResponses::kMaxRecordLength);
    // Whole fields only: the header, cursor and AID, then 19 fields of 3 +
    // 3440 bytes; the 20th would pass the limit.
    EXPECT_EQ(length, 13u + 19 * (3 + 3440)) << "header and " << (length - 13) / 3443 << " fields";

    // A field recorded past the screen's end sends its positions on it only.
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(24, 70)
            .startOfField(0x48, 0, 0x20, 0x7FFE).record());
    Run(RecordBuilder().writeToDisplay().sba(24, 71).text("TAIL").readInputFields().record());
    terminal.state.operatorModified = 1;
    terminal.SetCursorCell(0, 0);
    sender.sent.clear();
    responses.SendAid(kAidEnter);
    Bytes expected = {1, 1, kAidEnter};
    for (auto b : Ebcdic("TAIL      ")) expected.push_back(b);
    EXPECT_EQ(sender.sent.at(0), Sent(kOpPutGet, expected)) << Described(sender.sent.at(0));
}

// Save Screen, then the host's copy back in a Restore Screen record, after
// the operator typed into two fields with a Read MDT Fields pending and the
// keyboard free: everything comes back, and Enter sends exactly those two.
TEST_F(ResponsesTest, RestoredScreenSendsWhatTheOperatorTyped) {
    Run(RecordBuilder().clearUnit().writeToDisplay(0x00, 0x08).sba(1, 1).text("ORDER")
            .sba(3, 10).startOfField(0x40, 0, 0x24, 6).raw(Bytes(6, kEbcdicNull))
            .sba(4, 10).startOfField(0x40, 0, 0x24, 6).text("HOST")
            .sba(5, 10).startOfField(0x40, 0, 0x24, 6).raw(Bytes(6, kEbcdicNull))
            .insertCursor(3, 11).readMdtFields().record());
    ASSERT_EQ(terminal.state.inputInhibited, 0);
    // The operator's typing: first and third fields.
    for (auto [row, text] : {std::pair{3, "AB"}, std::pair{5, "XYZ"}}) {
        const Bytes e = Ebcdic(text);
        for (std::size_t k = 0; k < e.size(); ++k) {
            terminal.SetCell(HostPosition(row, 11, 80) + static_cast<int>(k), e[k],
                             static_cast<std::uint8_t>(text[k]));
        }
        terminal.formatTable.entry(row - 3)->mdt = 1;
    }
    terminal.state.operatorModified = 1;
    terminal.state.messageWaiting = 1;
    terminal.SetCursorCell(4, 12);
    sender.sent.clear();
    Run(FrameRecord(kOpSaveScreen, {0x04, 0x02}));
    Bytes restore = sender.sent.at(0);
    restore[9] = kOpRestoreScreen;

    // A pop-up over it, answered; then the host restores the screen.
    Run(RecordBuilder().clearUnit().writeToDisplay().text("POP-UP").readInputFields().record());
    responses.SendAid(kAidEnter);
    terminal.state.messageWaiting = 0;
    ASSERT_EQ(terminal.state.inputInhibited, 1);
    Run(restore);
    EXPECT_EQ(terminal.state.inputInhibited, 0);
    EXPECT_EQ(terminal.state.pendingRead, kReadMdtFields);
    EXPECT_EQ(terminal.state.messageWaiting, 1);
    EXPECT_EQ(terminal.state.operatorModified, 1);
    EXPECT_EQ(CursorRow(), 5);
    EXPECT_EQ(CursorColumn(), 13);
    EXPECT_EQ(Text(4, 11, 4), "HOST");
    EXPECT_EQ(Cell(3, 13).ebcdic, kEbcdicNull) << "the nulls came back as nulls";

    sender.sent.clear();
    responses.SendAid(kAidEnter);
    Bytes expected = {5, 13, kAidEnter, 0x11, 3, 11};
    for (auto b : Ebcdic("AB")) expected.push_back(b);
    expected.insert(expected.end(), {0x11, 5, 11});
    for (auto b : Ebcdic("XYZ")) expected.push_back(b);
    EXPECT_EQ(sender.sent.at(0), Sent(kOpPutGet, expected)) << Described(sender.sent.at(0));
}

TEST_F(ResponsesTest, SaveScreenRestoresTheSameScreen) {
    RecordBuilder r;
    r.clearUnit().writeToDisplay().sba(1, 1).attribute(0x22).text("TITLE").sba(4, 10)
        .startOfField(0x40, 0x20, 0x24, 6).text("VALUE1").sba(6, 10).startOfField(0x50, 0, 0x20, 3)
        .insertCursor(6, 11);
    Run(r.record());
    terminal.formatTable.entry(1)->mdt = 1;
    const std::vector<ScreenCell> before(terminal.screen.inUse().begin(),
                                         terminal.screen.inUse().end());
    std::vector<FieldEntry> fieldsBefore;
    for (int i = 0; i < terminal.formatTable.fieldCount(); ++i) {
        fieldsBefore.push_back(*terminal.formatTable.entry(i));
    }
    sender.sent.clear();
    Run(FrameRecord(kOpSaveScreen, {0x04, 0x02}));
    ASSERT_EQ(sender.sent.size(), 1u);
    const Bytes saved = sender.sent[0];
    EXPECT_EQ(saved[9], kOpSaveScreen);

    // Wreck the screen, then hand the host's copy back as a Restore Screen.
    Run(RecordBuilder().clearUnit().writeToDisplay().text("SOMETHING ELSE").record());
    Bytes restore = saved;
    restore[9] = kOpRestoreScreen;
    Run(restore);
    for (int p = 0; p < terminal.cellCount(); ++p) {
        ASSERT_EQ(terminal.screen.at(p).ebcdic, before[static_cast<size_t>(p)].ebcdic) << p;
        ASSERT_EQ(terminal.screen.at(p).inField, before[static_cast<size_t>(p)].inField) << p;
    }
    ASSERT_EQ(terminal.formatTable.fieldCount(), 2);
    EXPECT_EQ(terminal.formatTable.entry(0)->monocase, 1);
    EXPECT_EQ(terminal.formatTable.entry(1)->mdt, 1) << "restored with its tag";
    EXPECT_EQ(terminal.formatTable.entry(1)->dupEnable, 1);
    EXPECT_EQ(CursorRow(), 6);
    EXPECT_EQ(CursorColumn(), 11);
    EXPECT_EQ(Text(1, 2, 5), "TITLE");
}

TEST_F(ResponsesTest, SaveScreenKeepsTheTagsAsTheyAreNotAsTheHostFirstSentThem) {
    // Both fields arrive with their MDT on; the host's next write resets the
    // MDT of the non-bypass fields. Neither the save nor the restore may
    // bring it back, or the host would read a field nobody changed.
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(4, 10)
            .startOfField(0x48, 0x00, 0x20, 4).text("KEEP").sba(6, 10)
            .startOfField(0x48, 0x00, 0x20, 4).text("TYPE").readMdtFields().record());
    Run(RecordBuilder().writeToDisplay(kCc1ResetMdtNonBypass, kCc2UnlockKeyboard).record());
    ASSERT_EQ(terminal.formatTable.entry(0)->mdt, 0);
    terminal.formatTable.entry(1)->mdt = 1;  // the operator typed into the second
    sender.sent.clear();
    Run(FrameRecord(kOpSaveScreen, {0x04, 0x02}));
    Bytes restore = sender.sent.at(0);
    restore[9] = kOpRestoreScreen;
    Run(restore);
    EXPECT_EQ(terminal.formatTable.entry(0)->mdt, 0);
    EXPECT_EQ(terminal.formatTable.entry(1)->mdt, 1);
}

TEST_F(ResponsesTest, SaveScreenBytes) {
    RecordBuilder r;
    r.clearUnit().writeToDisplay();
    r.sba(2, 1).startOfField(0x40, 0x20, 0x24, 3).text("ABC");  // FFW only
    r.sba(3, 10).startOfFieldResequenced(0x40, 0x00, 0, 0x20, 2);  // FFW and FCW
    r.sba(5, 1).startOfField(0x40, 0x00, 0x20, 255);  // length low byte 0xFF
    r.insertCursor(3, 11);
    Run(r.record());
    ASSERT_EQ(terminal.formatTable.fieldCount(), 3);
    terminal.formatTable.entry(0)->mdt = 1;
    sender.sent.clear();
    responses.SendSaveScreen();
    ASSERT_EQ(sender.sent.size(), 1u);

    Bytes screen;
    for (const ScreenCell& cell : terminal.screen.inUse()) {
        screen.push_back(static_cast<std::uint8_t>(cell.ebcdic));
    }
    const Bytes expected = FrameRecord(
        kOpSaveScreen,
        Concat({{0x04, 0x12, 0x04, 0x40, 0x04, 0x11, 0x00, 0x2A},
                {0x11, 2, 1, 0x1D, 0x48, 0x20, 0x24, 0x00, 3},  // MDT: 0x08 in FFW byte 1
                {0x11, 3, 10, 0x1D, 0x40, 0x00, 0x80, 0x00, 0x20, 0x00, 2},
                {0x11, 5, 1, 0x1D, 0x40, 0x00, 0x20, 0x00, 0xFF},
                {0x11, 0x01, 0x01},
                screen,
                {0x13, 3, 11}}));
    EXPECT_EQ(sender.sent[0], expected) << Described(sender.sent[0]);
    EXPECT_EQ(terminal.formatTable.entry(0)->ffw1, 0x48) << "stored back";
    EXPECT_EQ(terminal.formatTable.entry(1)->ffw1, 0x40);

    // CC2: blink or not, the keyboard unlocked or not, the message light.
    struct Cc2 {
        int hostBlink, inhibited, light;
        std::uint8_t cc2;
    };
    for (const Cc2 c : {Cc2{0, 0, 0, 0x2A}, Cc2{1, 0, 0, 0x1A}, Cc2{0, 1, 0, 0x22},
                        Cc2{1, 1, 0, 0x12}, Cc2{0, 0, 1, 0x29}, Cc2{1, 1, 1, 0x11}}) {
        terminal.state.hostBlink = c.hostBlink;
        terminal.state.inputInhibited = c.inhibited;
        terminal.state.messageWaiting = c.light;
        responses.SendSaveScreen();
        EXPECT_EQ(sender.sent.back()[17], c.cc2) << c.hostBlink << c.inhibited << c.light;
    }

    // A 27 x 132 screen is cleared with Clear Unit Alternate.
    Run(RecordBuilder().clearUnitAlternate().writeToDisplay().insertCursor(27, 132).record());
    ASSERT_EQ(terminal.rows(), 27);
    terminal.state.hostBlink = 0;
    terminal.state.inputInhibited = 0;
    terminal.state.messageWaiting = 0;
    sender.sent.clear();
    responses.SendSaveScreen();
    const Bytes& wide = sender.sent.at(0);
    EXPECT_EQ(Bytes(wide.begin() + 10, wide.begin() + 22),
              (Bytes{0x04, 0x12, 0x04, 0x20, 0x00, 0x04, 0x11, 0x00, 0x2A, 0x11, 0x01, 0x01}));
    EXPECT_EQ(wide.size(), 22u + 3564 + 3 + 2);
    EXPECT_EQ(Bytes(wide.end() - 5, wide.end()), (Bytes{0x13, 27, 132, 0xFF, 0xEF}));
}

TEST_F(ResponsesTest, ReadScreenCarriesEveryPositionAsItIs) {
    Run(RecordBuilder().clearUnitAlternate().writeToDisplay().sba(27, 129).text("LAST").record());
    sender.sent.clear();
    Run(FrameRecord(kOpReadScreen, {0x04, 0x62}));
    Bytes screen;
    for (const ScreenCell& cell : terminal.screen.inUse()) {
        screen.push_back(static_cast<std::uint8_t>(cell.ebcdic));
    }
    ASSERT_EQ(screen.size(), 3564u);
    EXPECT_EQ(Bytes(screen.end() - 4, screen.end()), Ebcdic("LAST"));
    ASSERT_EQ(sender.sent.size(), 1u);
    // Length 3574 (0x0DF6), opcode Read Screen, no cursor and no AID.
    EXPECT_EQ(sender.sent[0], FrameRecord(kOpReadScreen, screen));
    EXPECT_EQ(Bytes(sender.sent[0].begin(), sender.sent[0].begin() + 10),
              (Bytes{0x0D, 0xF6, 0x12, 0xA0, 0x00, 0x00, 0x04, 0x00, 0x00, kOpReadScreen}));
}

TEST_F(ResponsesTest, LengthWhoseLowByteIsFFTravelsDoubled) {
    // 13 bytes of header, cursor and AID, 3 of field address and 239 of data:
    // a record of 255 bytes.
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(2, 1).startOfField(0x48, 0, 0x20, 239)
            .text("X").readMdtFields().record());
    terminal.SetCursorCell(0, 0);
    sender.sent.clear();
    responses.SendAid(kAidEnter);
    const Bytes& r = sender.sent.at(0);
    ASSERT_EQ(r.size(), 255u + 1 + 2);
    EXPECT_EQ(Bytes(r.begin(), r.begin() + 5), (Bytes{0x00, 0xFF, 0xFF, 0x12, 0xA0}));
    EXPECT_EQ(Bytes(r.end() - 2, r.end()), (Bytes{0xFF, 0xEF}));
}

TEST_F(ResponsesTest, LargeAnswersAreBuiltWhole) {
    // A 27 x 132 screen with 60 fields: far beyond 4000 bytes.
    RecordBuilder r;
    r.clearUnitAlternate().writeToDisplay();
    for (int i = 0; i < 60; ++i) r.sba(1 + i / 3, 1 + (i % 3) * 44).startOfField(0x48, 0, 0x20, 40);
    Run(r.record());
    sender.sent.clear();
    Run(FrameRecord(kOpSaveScreen, {0x04, 0x02}));
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_GT(sender.sent[0].size(), 4000u);
    EXPECT_EQ(sender.sent[0].size(), 10u + 2 + 3 + 4 + 60 * 9 + 3 + 3564 + 3 + 2);
    Run(RecordBuilder().readMdtFields().record());
    sender.sent.clear();
    responses.SendAid(kAidEnter);
    EXPECT_EQ(sender.sent.at(0).size(), 10u + 3 + 60 * (3 + 40) + 2);
}

TEST_F(ResponsesTest, DataBytesFFTravelDoubled) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(2, 1).startOfField(0x48, 0, 0x20, 2)
            .raw({0xFF}).text("A").readMdtFields().record());
    ASSERT_EQ(Cell(2, 2).ebcdic, 0xFF);
    sender.sent.clear();
    responses.SendAid(kAidEnter);
    const Bytes& r = sender.sent.at(0);
    // Length counts the byte once; the wire carries it twice.
    EXPECT_EQ(r[1], 10 + 3 + 3 + 2);
    EXPECT_EQ(Bytes(r.end() - 6, r.end()), (Bytes{0x02, 0xFF, 0xFF, 0xC1, 0xFF, 0xEF}));
}

TEST_F(ResponsesTest, QueryReplyForEachTerminalName) {
    Run(RecordBuilder(kOpOutputOnly).queryStructuredField().record());
    ASSERT_EQ(sender.sent.size(), 1u);
    // "IBM-3477-FC", every byte.
    const Bytes expected = Concat({
        {0x00, 0x47, 0x12, 0xA0, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00},  // length 71, opcode 0
        {0x00, 0x00, 0x88},                                            // cursor 0,0; AID
        {0x00, 0x3A, 0xD9, 0x70, 0x80},  // field length 58, class, Query, reply
        {0x06, 0x00, 0x01, 0x03, 0x00},  // controller class and code level
        Bytes(16, 0x00),
        {0x01},                    // display station
        {0xF3, 0xF4, 0xF7, 0xF7},  // "3477"
        {0x00, 0xC6, 0xC3},        // model "FC", right-aligned
        {0x02, 0x00, 0x00, 0x00, 0x61, 0x50, 0x00, 0x00, 0x7F, 0x00, 0x00, 0x00},
        {0x18, 0x31, 0x00},
        {0x00},  // the name's eighth character is not '5'
        Bytes(8, 0x00),
        {0xFF, 0xEF},
    });
    ASSERT_EQ(expected.size(), 73u);
    EXPECT_EQ(sender.sent[0], expected) << Described(sender.sent[0]);

    struct Row {
        const char* name;
        Bytes device;  ///< bytes 40 to 46
        std::uint8_t byte62;
    };
    const Row rows[] = {
        {"IBM-5292-2", {0xF5, 0xF2, 0xF9, 0xF2, 0x00, 0x00, 0xF2}, 0x00},
        {"IBM-3485-HC", {0xF3, 0xF4, 0xF8, 0xF5, 0x00, 0xC8, 0xC3}, 0x20},
        {"IBM-3179-ABC", {0xF3, 0xF1, 0xF7, 0xF9, 0xC1, 0xC2, 0xC3}, 0x00},
        {"IBM", {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 0x00},  // too short: 0x00
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        settings.TerminalName = row.name;
        responses.SendQueryReply(0xD9);
        const Bytes& s = sender.sent.back();
        ASSERT_EQ(s.size(), 73u);
        EXPECT_EQ(Bytes(s.begin() + 40, s.begin() + 47), row.device);
        EXPECT_EQ(s[62], row.byte62);
        // Everything else is the same for every name.
        Bytes rest = s, expectedRest = expected;
        for (Bytes* b : {&rest, &expectedRest}) {
            b->erase(b->begin() + 62);
            b->erase(b->begin() + 40, b->begin() + 47);
        }
        EXPECT_EQ(rest, expectedRest);
    }
}

}  // namespace
}  // namespace quenlix::testing
