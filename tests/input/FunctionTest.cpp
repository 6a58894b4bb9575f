// The keyboard functions a key map can bind, performed on screens the host
// builds: what each writes, the tags it sets and what the host receives.
#include "InputFixture.h"
#include "input/KeyRefusal.h"

namespace quenlix::testing {
namespace {

using namespace ds;
using enum KeyFunction;

class FunctionTest : public InputTest {
protected:
    void Do(KeyFunction f) { input.keyboard().Perform(f); }
    /// Enter under the screen's read command; the one record it sent.
    Bytes EnterSends() {
        sender.sent.clear();
        Do(kEnter);
        return sender.sent.size() == 1 ? sender.sent[0] : Bytes{};
    }
};

TEST_F(FunctionTest, DupFillsADupEnabledFieldAndLeavesIt) {
    Screen(Wtd().sba(5, 10).startOfField(0x50, 0, 0x20, 4)
               .sba(7, 10).startOfField(0x40, 0, 0x20, 3).insertCursor(5, 11).readMdtFields());
    input.Type("A");
    Do(kDup);
    EXPECT_EQ(EbcdicAt(5, 11, 4), (Bytes{0xC1, 0x1C, 0x1C, 0x1C}));
    const std::string mark(1, static_cast<char>(input.editor().DupMark()));
    EXPECT_EQ(Text(5, 12, 3), mark + mark + mark);
    EXPECT_NE(mark, " ") << "a dup must look different from a blank";
    EXPECT_EQ(Field(0).mdt, 1);
    EXPECT_EQ(CursorRow(), 7) << "on to the next field, as Field Exit";
    // The host reads the dup bytes as they are.
    EXPECT_EQ(EnterSends(), Sent(kOpPutGet, {7, 11, kAidEnter, 0x11, 5, 11, 0xC1, 0x1C, 0x1C, 0x1C}));
}

TEST_F(FunctionTest, DupOrFieldMarkWhereTheyAreNotAllowedChangeNothing) {
    Screen(Wtd().sba(2, 1).text("LABEL").sba(5, 10).startOfField(0x40, 0, 0x20, 4).text("WXYZ")
               .insertCursor(5, 12).readMdtFields());
    struct Row {
        KeyFunction function;
        int row, column;
        std::string_view reason;
    };
    const Row rows[] = {
        {kDup, 5, 12, refusal::kDupNotAllowed},
        {kDup, 2, 2, refusal::kProtected},
        {kFieldMark, 2, 2, refusal::kProtected},
        {kEraseEof, 2, 2, refusal::kProtected},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(KeyFunctionName(row.function));
        CursorAt(row.row, row.column);
        messages.alarms = 0;
        const std::vector<ScreenCell> before = Snapshot();
        Do(row.function);
        EXPECT_EQ(terminal.state.refusedReason, row.reason);
        EXPECT_EQ(messages.alarms, 1);
        EXPECT_TRUE(ChangedPositions(before).empty());
        EXPECT_EQ(Field(0).mdt, 0);
        EXPECT_EQ(CursorRow(), row.row);
        EXPECT_TRUE(sender.sent.empty());
    }
}

TEST_F(FunctionTest, FieldMarkWritesItsByteAndAdvances) {
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 4).insertCursor(5, 11).readMdtFields());
    input.Type("A");
    Do(kFieldMark);
    input.Type("B");
    EXPECT_EQ(EbcdicAt(5, 11, 3), (Bytes{0xC1, 0x1E, 0xC2}));
    EXPECT_EQ(Text(5, 12, 1), ";");
    EXPECT_EQ(EnterSends(), Sent(kOpPutGet, {5, 14, kAidEnter, 0x11, 5, 11, 0xC1, 0x1E, 0xC2, 0x40}));
}

TEST_F(FunctionTest, EraseEofNullsTheRestOfTheField) {
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 6).text("ABCDEF")
               .insertCursor(5, 13).readMdtFields());
    Do(kEraseEof);
    EXPECT_EQ(EbcdicAt(5, 11, 6), (Bytes{0xC1, 0xC2, 0, 0, 0, 0}));
    EXPECT_EQ(Text(5, 11, 6), "AB    ");
    EXPECT_EQ(CursorColumn(), 13) << "the cursor stays";
    EXPECT_EQ(Field(0).mdt, 1);
    // Nulls are not blanks: the read leaves the trailing ones out.
    EXPECT_EQ(EnterSends(), Sent(kOpPutGet, {5, 13, kAidEnter, 0x11, 5, 11, 0xC1, 0xC2}));
}

TEST_F(FunctionTest, EraseInputThenEnterSendsNoFields) {
    // A modified field, an unmodified one, and a bypass field that keeps its text.
    Screen(Wtd().sba(3, 10).startOfField(0x60, 0, 0x20, 3).text("OUT")
               .sba(5, 10).startOfField(0x48, 0, 0x20, 4).text("HOST")
               .sba(7, 10).startOfField(0x40, 0, 0x20, 4).text("TEXT")
               .insertCursor(7, 13).readMdtFields());
    input.Type("Q");
    Do(kEraseInput);
    EXPECT_EQ(EbcdicAt(5, 11, 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(EbcdicAt(7, 11, 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Text(7, 11, 4), "    ");
    EXPECT_EQ(Text(3, 11, 3), "OUT");
    EXPECT_EQ(Field(1).mdt, 0);
    EXPECT_EQ(Field(2).mdt, 0);
    EXPECT_EQ(CursorRow(), 5) << "the first input field, past the bypass one";
    EXPECT_EQ(CursorColumn(), 11);
    EXPECT_EQ(EnterSends(), Sent(kOpPutGet, {5, 11, kAidEnter}));
}

TEST_F(FunctionTest, NewLineGoesToTheFirstFieldOfTheNextRows) {
    Screen(Wtd().sba(3, 10).startOfField(0x40, 0, 0x20, 3)
               .sba(5, 10).startOfField(0x40, 0, 0x20, 3).sba(5, 30).startOfField(0x40, 0, 0x20, 3)
               .sba(6, 10).startOfField(0x60, 0, 0x20, 3)
               .sba(8, 40).startOfField(0x40, 0, 0x20, 3).insertCursor(3, 11));
    const struct {
        int fromRow, fromColumn, toRow, toColumn;
    } rows[] = {{3, 11, 5, 11}, {4, 70, 5, 11}, {5, 11, 8, 41}, {6, 1, 8, 41}, {8, 41, 3, 11}};
    for (const auto& row : rows) {
        CursorAt(row.fromRow, row.fromColumn);
        Do(kNewLine);
        EXPECT_EQ(CursorRow(), row.toRow) << "from row " << row.fromRow;
        EXPECT_EQ(CursorColumn(), row.toColumn) << "from row " << row.fromRow;
    }
    Screen(Wtd().sba(2, 1).text("NO FIELDS").readMdtFields());
    CursorAt(24, 5);
    Do(kNewLine);
    EXPECT_EQ(CursorRow(), 1) << "past the last row it wraps";
    EXPECT_EQ(CursorColumn(), 1);
}

TEST_F(FunctionTest, HomePositionIsTheHostsCursorOrTheFirstField) {
    Screen(Wtd().sba(3, 10).startOfField(0x60, 0, 0x20, 3)
               .sba(5, 10).startOfField(0x40, 0, 0x20, 3)
               .sba(7, 10).startOfField(0x40, 0, 0x20, 3).insertCursor(7, 12));
    CursorAt(1, 1);
    Do(kHomePosition);
    EXPECT_EQ(CursorRow(), 7);
    EXPECT_EQ(CursorColumn(), 12);
    // Home itself still goes to the start of the field it is in.
    Do(kHome);
    EXPECT_EQ(CursorColumn(), 11);

    Screen(Wtd().sba(3, 10).startOfField(0x60, 0, 0x20, 3)
               .sba(5, 10).startOfField(0x40, 0, 0x20, 3));
    CursorAt(20, 1);
    Do(kHomePosition);
    EXPECT_EQ(CursorRow(), 5) << "no Insert Cursor: the first input field";
    EXPECT_EQ(CursorColumn(), 11);
}

TEST_F(FunctionTest, ResetEndsARefusalInsertModeAndTheRequestLine) {
    Screen(Wtd().sba(5, 10).startOfField(0x45, 0, 0x20, 4).insertCursor(5, 11).readMdtFields());
    input.Type("A");
    ASSERT_FALSE(terminal.state.refusedReason.empty());
    input.PressKey("Insert");
    Do(kReset);
    EXPECT_EQ(terminal.state.refusedReason, "");
    EXPECT_EQ(terminal.state.insertMode, 0);

    terminal.SetKeyboardLocked(true);
    input.keyboard().BeginSysReqLine();
    Do(kReset);
    EXPECT_EQ(terminal.state.sysReqMode, 0);
    EXPECT_EQ(terminal.state.inputInhibited, 1) << "the lock in force before comes back";
    EXPECT_EQ(CursorRow(), 5);
    EXPECT_TRUE(sender.sent.empty()) << "Reset never sends";
}

TEST_F(FunctionTest, NamedAttentionKeysSendWhatTheirKeysSend) {
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 4).insertCursor(5, 11).readMdtFields());
    const struct {
        KeyFunction function;
        int aid;
    } rows[] = {{kF1, 0x31},     {kF12, 0x3C},     {kF13, 0xB1},  {kF24, 0xBC},
                {kRollUp, 0xF5}, {kRollDown, 0xF4}, {kHelp, 0xF3}, {kPrint, 0xF6},
                {kClear, 0xBD},  {kPa1, 0x6C},      {kPa3, 0x6B},  {kEnter, 0xF1}};
    for (const auto& row : rows) {
        sender.sent.clear();
        terminal.SetKeyboardLocked(false);
        Do(row.function);
        EXPECT_EQ(SentAid(), row.aid) << KeyFunctionName(row.function);
    }
    // Backtab goes backward without Shift held; F13 needs no Shift either.
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 4)
               .sba(7, 10).startOfField(0x40, 0, 0x20, 4).insertCursor(7, 11));
    Do(kBacktab);
    EXPECT_EQ(CursorRow(), 5);
    // A screen without fields or read takes no function key, but Enter.
    Screen(Wtd().sba(2, 1).text("NOTHING"));
    Do(kF3);
    EXPECT_TRUE(sender.sent.empty());
    Do(kEnter);
    EXPECT_EQ(SentAid(), 0xF1);
}

}  // namespace
}  // namespace quenlix::testing
