// Field editing on screens the host builds: field types, monocase, insert
// mode, field exit, right adjust, auto-enter, Backspace, Tab and moves.
#include <filesystem>
#include <fstream>

#include "InputFixture.h"

namespace quenlix::testing {
namespace {

using namespace ds;

class EditingTest : public InputTest {};

TEST_F(EditingTest, EachFieldTypeAcceptsItsCharacters) {
    const std::string candidates = "aZ5 ,.-+$\xE9";
    struct Row {
        std::uint8_t shiftEdit;
        std::string accepted;
    };
    const Row rows[] = {
        {0, candidates}, {1, "aZ ,.-"}, {2, candidates}, {3, "5 ,.-+"},
        {4, candidates}, {5, "5"},      {6, ""},         {7, "5"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("shiftEdit " + std::to_string(row.shiftEdit));
        Screen(Wtd().sba(5, 10).startOfField(0x40 | row.shiftEdit, 0, 0x20, 5));
        for (char c : candidates) {
            const bool expected = row.accepted.find(c) != std::string::npos;
            EXPECT_EQ(input.editor().Validate(4 * 80 + 10, static_cast<std::uint8_t>(c)), expected)
                << "character '" << c << "'";
        }
    }
    // The signed-numeric field keeps its last position for the sign.
    EXPECT_TRUE(input.editor().Validate(4 * 80 + 13, '5'));
    EXPECT_FALSE(input.editor().Validate(4 * 80 + 14, '5'));
    // Protected cells and bypass fields take nothing.
    EXPECT_FALSE(input.editor().Validate(4 * 80 + 9, 'A')) << "the attribute position";
    Screen(Wtd().sba(5, 10).startOfField(0x60, 0, 0x20, 5));
    EXPECT_FALSE(input.editor().Validate(4 * 80 + 10, 'A'));
}

TEST_F(EditingTest, TypedCharactersSetTagsAndMoveOn) {
    Screen(Wtd().sba(5, 10).startOfField(0x41, 0x20, 0x20, 5).insertCursor(5, 11));
    input.Type("a1");
    EXPECT_EQ(Text(5, 11, 2), "A ") << "monocase upper-cases; alphabetic-only refuses 1";
    EXPECT_EQ(Cell(5, 11).ebcdic, 0xC1);
    EXPECT_EQ(CursorColumn(), 12);
    EXPECT_EQ(Field(0).mdt, 1);
    EXPECT_EQ(terminal.state.operatorModified, 1);

    // A non-display field shows blanks; the host reads what was typed.
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x27, 4).insertCursor(5, 11));
    input.Type("pw");
    EXPECT_EQ(Text(5, 11, 2), "  ");
    EXPECT_EQ(EbcdicAt(5, 11, 2), Ebcdic("pw"));
}

TEST_F(EditingTest, InsertNeverDropsACharacter) {
    // A field whose last position is taken refuses the insert and says why.
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 5).text("ABCDE").insertCursor(5, 11));
    EXPECT_TRUE(input.PressKey("Insert"));
    EXPECT_EQ(terminal.state.insertMode, 1);
    input.Type("X");
    EXPECT_EQ(Text(5, 11, 5), "ABCDE");
    EXPECT_EQ(EbcdicAt(5, 11, 5), Ebcdic("ABCDE"));
    EXPECT_EQ(CursorColumn(), 11);
    EXPECT_EQ(terminal.state.refusedReason, "Insert: the field is full");
    EXPECT_EQ(messages.alarms, 1);
    EXPECT_EQ(Field(0).mdt, 0) << "nothing changed";

    // With room (a blank or a null last), the rest shifts right.
    for (const std::uint8_t last : {kEbcdicBlank, kEbcdicNull}) {
        Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 5).text("ABCD").raw({last})
                   .insertCursor(5, 11));
        input.SetInsertMode(true);  // the host's screen turned it off
        input.Type("X");
        EXPECT_EQ(Text(5, 11, 5), "XABCD");
        EXPECT_EQ(CursorColumn(), 12);
        EXPECT_TRUE(terminal.state.refusedReason.empty()) << "the next key cleared the reason";
    }

    // In a signed-numeric field the last digit counts; the sign position is
    // not shifted into.
    Screen(Wtd().sba(6, 10).startOfField(0x47, 0, 0x20, 5).text("123").insertCursor(6, 11));
    input.SetInsertMode(true);
    input.Type("9");
    EXPECT_EQ(Text(6, 11, 5), "9123 ");
    input.Type("8");
    EXPECT_EQ(Text(6, 11, 5), "9123 ") << "full up to the sign position";
    EXPECT_EQ(terminal.state.refusedReason, "Insert: the field is full");
}

TEST_F(EditingTest, FieldExitRequiredHoldsTheCursorOnTheLastPosition) {
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0x40, 0x20, 3).sba(6, 10)
               .startOfField(0x40, 0, 0x20, 3).sba(7, 10).startOfField(0x40, 0, 0x20, 2)
               .insertCursor(5, 11));
    input.Type("ABC");
    EXPECT_EQ(CursorRow(), 5);
    EXPECT_EQ(CursorColumn(), 13);
    EXPECT_TRUE(inputState.fieldExitPending);
    input.PressKey("Insert");
    EXPECT_TRUE(inputState.fieldExitPending) << "Insert leaves the flag alone";
    input.PressKey("Insert");
    input.PressKey("FieldPlus");
    EXPECT_EQ(Text(5, 11, 3), "ABC") << "the character typed last stays";
    EXPECT_FALSE(inputState.fieldExitPending);
    EXPECT_EQ(CursorRow(), 6);
    EXPECT_EQ(CursorColumn(), 11);

    // Without the flag the cursor skips to the next field.
    input.Type("DEF");
    EXPECT_EQ(CursorRow(), 7);
    EXPECT_EQ(CursorColumn(), 11);
}

TEST_F(EditingTest, FieldExitRequiredRefusesTheNextDataKeyUntilTheFieldIsLeft) {
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0x40, 0x20, 5).sba(6, 10)
               .startOfField(0x40, 0, 0x20, 5).insertCursor(5, 11));
    input.Type("ABCDEF");
    EXPECT_EQ(Text(5, 11, 5), "ABCDE") << "the last character is never overwritten";
    EXPECT_EQ(terminal.state.refusedReason, "Field Exit required");
    EXPECT_EQ(messages.alarms, 1);
    EXPECT_EQ(CursorColumn(), 15);
    // In insert mode too, and for Field Mark; the flag survives each refusal.
    input.SetInsertMode(true);
    input.Type("G");
    EXPECT_EQ(terminal.state.refusedReason, "Field Exit required") << "not: the field is full";
    input.SetInsertMode(false);
    input.PressKey("FieldMark");
    EXPECT_EQ(terminal.state.refusedReason, "Field Exit required");
    EXPECT_EQ(Text(5, 11, 5), "ABCDE");
    EXPECT_EQ(messages.alarms, 3);
    EXPECT_TRUE(inputState.fieldExitPending);
    input.PressKey("FieldExit");
    EXPECT_EQ(Text(5, 11, 5), "ABCDE");
    EXPECT_EQ(CursorRow(), 6) << "Field Exit leaves it whole";

    // Moving away and back makes the last position typeable again, once.
    const auto refill = [this] {
        CursorAt(5, 11);
        input.Type("VWXYZ");
        ASSERT_TRUE(inputState.fieldExitPending);
    };
    refill();
    input.PressKey("Left");
    input.PressKey("Right");
    input.Type("12");
    EXPECT_EQ(Text(5, 11, 5), "VWXY1");
    EXPECT_EQ(terminal.state.refusedReason, "Field Exit required") << "the 2";
    // A click on the cell is a move too.
    const int alarms = messages.alarms;
    input.mouse().PlaceCursor(14 * 12 + 6, 4 * 20 + 10);
    input.Type("3");
    EXPECT_EQ(Text(5, 11, 5), "VWXY3");
    EXPECT_EQ(messages.alarms, alarms);
    // Tab, Enter and Backspace leave it as they always did.
    input.PressKey("Tab");
    EXPECT_EQ(CursorRow(), 6);
    refill();
    input.PressKey("Backspace");
    EXPECT_EQ(Text(5, 11, 5), "VWXZ ");
    input.Type("Q");
    EXPECT_EQ(Text(5, 11, 5), "VWXQ ") << "typing goes on before the last position";
    // A paste that writes moves the cursor on from the position typed last.
    input.Type("R");
    ASSERT_TRUE(inputState.fieldExitPending);
    CursorAt(6, 11);
    input.Paste("pq");
    CursorAt(5, 15);
    input.Type("S");
    EXPECT_EQ(Text(5, 11, 5), "VWXQS");
}

TEST_F(EditingTest, FullFieldExitRequiredFieldKeepsItsTextWhenRightAdjusted) {
    Screen(Wtd().sba(5, 10).startOfField(0x45, 0x45, 0x20, 4).sba(6, 10)
               .startOfField(0x40, 0, 0x20, 2).insertCursor(5, 11));
    input.Type("1234");
    ASSERT_TRUE(inputState.fieldExitPending);
    input.PressKey("FieldPlus");
    EXPECT_EQ(Text(5, 11, 4), "1234");
}

TEST_F(EditingTest, SignedNumericFieldMinusSetsTheNegativeZone) {
    for (const bool minus : {true, false}) {
        SCOPED_TRACE(minus ? "Field-" : "Field+");
        Screen(Wtd().sba(5, 10).startOfField(0x47, 0, 0x20, 5).sba(7, 10)
                   .startOfField(0x40, 0, 0x20, 3).insertCursor(5, 11));
        input.Type("12");
        input.PressKey(minus ? "FieldMinus" : "FieldPlus");
        EXPECT_EQ(Text(5, 11, 5), minus ? "  12-" : "  12 ");
        // The sign position holds the minus the screen shows; a read sends it
        // as the zone of the last digit.
        EXPECT_EQ(EbcdicAt(5, 11, 5), (Bytes{0x40, 0x40, 0xF1, 0xF2, minus ? std::uint8_t{0x60} : std::uint8_t{0x40}}));
        EXPECT_EQ(CursorRow(), 7) << "on to the next field";
    }
    // A one-position signed field has no digit: its attribute stays intact.
    Screen(Wtd().sba(5, 10).startOfField(0x47, 0, 0x22, 1).insertCursor(5, 11));
    input.PressKey("FieldMinus");
    EXPECT_EQ(Cell(5, 10).ebcdic, 0x22);
    EXPECT_EQ(Text(5, 11, 1), "-");
}

TEST_F(EditingTest, RightAdjustFillsWithZerosOrBlanks) {
    Screen(Wtd().sba(5, 10).startOfField(0x45, 0x05, 0x20, 6).sba(6, 10)
               .startOfField(0x45, 0x06, 0x20, 6).insertCursor(5, 11));
    input.Type("42");
    input.PressKey("FieldPlus");
    EXPECT_EQ(Text(5, 11, 6), "000042");
    EXPECT_EQ(EbcdicAt(5, 11, 6), Ebcdic("000042"));
    input.Type("42");
    input.PressKey("FieldPlus");
    EXPECT_EQ(Text(6, 11, 6), "    42");
    EXPECT_EQ(EbcdicAt(6, 11, 6), Ebcdic("    42"));

    // Any other field is blanked from the cursor on.
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 6).text("ABCDEF").insertCursor(5, 13));
    input.PressKey("FieldPlus");
    EXPECT_EQ(Text(5, 11, 6), "AB    ");
}

TEST_F(EditingTest, MandatoryEnterRefusesFieldExitUntilModified) {
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0x08, 0x20, 4).sba(6, 10)
               .startOfField(0x40, 0, 0x20, 4).insertCursor(5, 11));
    input.PressKey("FieldPlus");
    EXPECT_EQ(CursorRow(), 5);
    EXPECT_EQ(Field(0).mdt, 0);
    input.Type("A");
    input.PressKey("FieldPlus");
    EXPECT_EQ(CursorRow(), 6);
}

TEST_F(EditingTest, AutoEnterSendsTheAdjustedFields) {
    // A plain field, the auto-enter zero-fill field and a blank-fill field.
    Screen(Wtd().sba(3, 10).startOfField(0x40, 0, 0x20, 3).text("XYZ")
               .sba(5, 10).startOfField(0x45, 0x85, 0x20, 4)
               .sba(7, 10).startOfField(0x40, 0x06, 0x20, 2).insertCursor(5, 11));
    input.Type("42");
    input.PressKey("FieldPlus");
    Bytes data = {5, 13, kAidEnter, 0x11, 5, 11};
    const Bytes digits = Ebcdic("0042");
    data.insert(data.end(), digits.begin(), digits.end());
    data.insert(data.end(), {0x11, 7, 11});  // blank fill: address without data
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], Sent(kOpPutGet, data)) << Hex(sender.sent[0]);
    EXPECT_EQ(terminal.state.inputInhibited, 1);
    EXPECT_EQ(CursorRow(), 7);
}

TEST_F(EditingTest, FieldExitInAnAutoEnterFieldSendsWhatTheScreenShows) {
    // Field Exit at the start of a field holding the host's text blanks it:
    // the automatic Enter carries the blanks, or the host would keep the old
    // value while the screen shows none.
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0x80, 0x20, 4).text("ABCD")
               .sba(7, 10).startOfField(0x40, 0, 0x20, 3).insertCursor(5, 11));
    input.PressKey("FieldPlus");
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], Sent(kOpPutGet, {5, 11, kAidEnter, 0x11, 5, 11, 0x40, 0x40, 0x40, 0x40}))
        << Hex(sender.sent[0]);
    EXPECT_EQ(Field(0).mdt, 1);
    EXPECT_EQ(Text(5, 11, 4), "    ") << "blanked from the cursor";
    EXPECT_EQ(CursorRow(), 7);
}

TEST_F(EditingTest, FillingAnAutoEnterFieldSendsTheEnter) {
    // Record advance: the last position typed sends the Enter with the
    // field's data, as a barcode scanner expects; a field-exit-required one
    // waits for Field Exit instead.
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0x80, 0x20, 3)
               .sba(6, 10).startOfField(0x40, 0xC0, 0x20, 2)
               .sba(7, 10).startOfField(0x47, 0x80, 0x20, 3).insertCursor(5, 11));
    input.Type("AB");
    EXPECT_TRUE(sender.sent.empty());
    input.Type("C");
    ASSERT_EQ(sender.sent.size(), 1u);
    Bytes data = {5, 13, kAidEnter, 0x11, 5, 11};
    for (auto b : Ebcdic("ABC")) data.push_back(b);
    data.insert(data.end(), {0x11, 6, 11});  // a field-exit-required field: its address
    EXPECT_EQ(sender.sent[0], Sent(kOpPutGet, data)) << Hex(sender.sent[0]);
    EXPECT_EQ(terminal.state.inputInhibited, 1);

    terminal.state.inputInhibited = 0;
    sender.sent.clear();
    CursorAt(6, 11);
    input.Type("XY");
    EXPECT_TRUE(sender.sent.empty()) << "field exit required: the cursor waits on the last position";
    input.PressKey("FieldPlus");
    EXPECT_EQ(sender.sent.size(), 1u);

    // A signed-numeric field is full at its last digit.
    terminal.state.inputInhibited = 0;
    sender.sent.clear();
    CursorAt(7, 11);
    input.Type("42");
    EXPECT_EQ(sender.sent.size(), 1u);
}

TEST_F(EditingTest, FieldMinusMeansNegativeWhereANumberIsKept) {
    // Numeric only: adjusted as Field+ does, the last digit negative (F2
    // becomes D2, shown as the character the host reads).
    Screen(Wtd().sba(5, 10).startOfField(0x43, 0x06, 0x20, 5).sba(7, 10)
               .startOfField(0x40, 0, 0x20, 3).insertCursor(5, 11));
    input.Type("12");
    input.PressKey("FieldMinus");
    EXPECT_EQ(EbcdicAt(5, 11, 5), (Bytes{0x40, 0x40, 0x40, 0xF1, 0xD2}));
    EXPECT_EQ(Text(5, 15, 1), std::string(1, static_cast<char>(tables.ToPc(0, 0xD2))));
    EXPECT_EQ(CursorRow(), 7);

    // Anywhere else Field- is refused: nothing changes, the reason shows.
    for (const std::uint8_t shiftEdit : {0x00, 0x01, 0x05}) {
        SCOPED_TRACE(static_cast<int>(shiftEdit));
        Screen(Wtd().sba(5, 10).startOfField(static_cast<std::uint8_t>(0x40 | shiftEdit), 0x06, 0x20, 5)
                   .sba(7, 10).startOfField(0x40, 0, 0x20, 3).insertCursor(5, 11));
        input.Type(shiftEdit == 0x01 ? "ab" : "12");
        messages.alarms = 0;
        input.PressKey("FieldMinus");
        EXPECT_EQ(CursorRow(), 5);
        EXPECT_EQ(terminal.state.refusedReason, "Field- only in numeric fields");
        EXPECT_EQ(messages.alarms, 1);
        EXPECT_NE(Text(5, 11, 2), "  ");
    }
}

TEST_F(EditingTest, RefusedKeysSayWhyUntilTheNextKey) {
    Screen(Wtd().sba(2, 1).text("LABEL").sba(5, 10).startOfField(0x45, 0, 0x20, 4)
               .sba(6, 10).startOfField(0x41, 0, 0x20, 4).sba(7, 10).startOfField(0x43, 0, 0x20, 4)
               .sba(8, 10).startOfField(0x46, 0, 0x20, 4).sba(9, 10).startOfField(0x40, 0, 0x20, 4)
               .insertCursor(5, 11));
    struct Row {
        int row, column;
        const char* typed;
        const char* reason;
    };
    const Row rows[] = {
        {5, 11, "A", "Numeric field: digits only"},
        {6, 11, "5", "Alphabetic field: letters , . - blank"},
        {7, 11, "X", "Numeric field: digits + - , . blank"},
        {8, 11, "1", "This field takes no typing"},
        {2, 1, "Q", "Protected area: no typing here"},
        {9, 11, "\x80", "Not in the host's code page"},  // the euro sign: code page 500 lacks it
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reason);
        CursorAt(row.row, row.column);
        messages.alarms = 0;
        const std::vector<ScreenCell> before = Snapshot();
        input.Type(row.typed);
        EXPECT_EQ(terminal.state.refusedReason, row.reason);
        EXPECT_EQ(messages.alarms, 1) << "the alarm once";
        EXPECT_TRUE(ChangedPositions(before).empty());
        EXPECT_TRUE(sender.sent.empty());
    }
    CursorAt(5, 11);
    input.Type("7");
    EXPECT_EQ(terminal.state.refusedReason, "") << "the next key ends the reason";
}

TEST_F(EditingTest, MandatoryFieldsAreCheckedByTheTerminal) {
    // A mandatory-enter field never entered refuses Enter and takes the
    // cursor to it; nothing is sent.
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 4).sba(6, 10)
               .startOfField(0x40, 0x08, 0x20, 4).sba(7, 10).startOfField(0x40, 0x07, 0x20, 4)
               .insertCursor(5, 11).readMdtFields());
    input.Type("A");
    input.PressKey("Enter");
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(terminal.state.refusedReason, "Mandatory field: enter data first");
    EXPECT_EQ(CursorRow(), 6);
    EXPECT_EQ(CursorColumn(), 11);

    // A mandatory-fill field left partly filled: Tab and Field Exit refuse,
    // Enter too; full or empty it may be left.
    input.Type("M");
    CursorAt(7, 11);
    input.Type("12");
    input.PressKey("Tab");
    EXPECT_EQ(CursorRow(), 7);
    EXPECT_EQ(terminal.state.refusedReason, "Mandatory fill: fill or clear it");
    input.PressKey("FieldPlus");
    EXPECT_EQ(CursorRow(), 7);
    input.PressKey("Enter");
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(CursorColumn(), 11) << "the cursor goes to the field";
    CursorAt(7, 13);
    input.Type("34");
    input.PressKey("Tab");
    EXPECT_EQ(terminal.state.refusedReason, "");
    EXPECT_NE(CursorRow(), 7);
    input.PressKey("Enter");
    EXPECT_EQ(SentAid(), kAidEnter);
}

TEST_F(EditingTest, EditsOverAnAttributeByteInAFieldAskForARestyle) {
    // An attribute byte the host wrote inside a field's extent, at (5,13).
    const RecordBuilder screen = Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 7).text("AB")
                                     .attribute(0x22).text("CDE").insertCursor(5, 11);
    const struct {
        const char* action;
        int column;
        bool (*edit)(FieldEditor&);
    } rows[] = {
        {"typing over it", 13, [](FieldEditor& e) { return e.EnterCharacter('X'); }},
        {"inserting before it", 11,
         [](FieldEditor& e) { return e.EnterCharacter('X'); }},  // insert mode set below; the field has room
        {"Backspace after it", 14, [](FieldEditor& e) { return e.Backspace(); }},
        {"Delete before it", 11, [](FieldEditor& e) { return e.Delete(); }},
        {"Field+ blanking it", 12, [](FieldEditor& e) { return e.FieldExit(false); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.action);
        Screen(screen);
        ASSERT_TRUE(IsAttributePosition(Cell(5, 13)));
        terminal.state.insertMode = std::string_view(row.action).starts_with("inserting");
        CursorAt(5, row.column);
        EXPECT_TRUE(row.edit(input.editor()));
        EXPECT_FALSE(IsAttributePosition(Cell(5, 13)));
    }
    // The same edits clear of the attribute report nothing.
    Screen(screen);
    terminal.state.insertMode = 0;
    CursorAt(5, 11);
    EXPECT_FALSE(input.editor().EnterCharacter('X'));
    CursorAt(5, 14);
    EXPECT_FALSE(input.editor().Delete());

    // Through the keyboard the report restyles, which ends the selection.
    Screen(screen);
    input.mouse().SelectAll();
    CursorAt(5, 13);
    input.Type("Y");
    EXPECT_TRUE(terminal.selection.empty());
    const ScreenDamage damage = terminal.TakeDamage();
    for (int row = 0; row < terminal.rows(); ++row) {
        EXPECT_FALSE(damage.row(row).empty()) << "row " << row << ": the selection is painted away";
    }
}

TEST_F(EditingTest, CharactersThatAreNoDataOnTheHostAreRefused) {
    // A table file that maps the printable "#" to 0x2C, an attribute byte.
    char folder[] = "/tmp/quenlix-input-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    TablePair pair = BuiltinTablePair();
    pair.ATOE['#'] = 0x2C;
    {
        std::ofstream file(std::string(folder) + "/999.tbl", std::ios::binary);
        file.write(reinterpret_cast<const char*>(pair.ATOE.data()), 256);
        file.write(reinterpret_cast<const char*>(pair.ETOA.data()), 256);
    }
    tables.InitTranslation(folder);
    settings.PageCode = 999;
    ASSERT_EQ(tables.ToEbcdic(999, '#'), 0x2C);

    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 8).sba(6, 10)
               .startOfField(0x40, 0, 0x20, 8).insertCursor(5, 11));
    EXPECT_FALSE(input.editor().Validate(4 * 80 + 10, '#'));
    EXPECT_TRUE(input.editor().Validate(4 * 80 + 10, '$'));
    input.Type("A#B" "C");
    EXPECT_EQ(Text(5, 11, 4), "ABC ") << "refused keys are dropped: the cursor stays";
    EXPECT_EQ(EbcdicAt(5, 11, 4), Ebcdic("ABC "));

    // A paste refuses it too, and with it the field's part of the paste.
    CursorAt(6, 11);
    input.Paste("1#2");
    EXPECT_EQ(Text(6, 11, 3), "   ");
    EXPECT_EQ(Cell(6, 12).ebcdic, 0x40);
    EXPECT_NE(terminal.state.refusedReason.find("left unchanged: a character not in the host's"),
              std::string::npos);

    // So does the system request line: the host would get the byte as is.
    input.PressKey("SysReq");
    input.Type("9#0");
    EXPECT_EQ(inputState.sysReqText, "90");
    EXPECT_EQ(terminal.CursorColumn(), 2);
    input.PressKey("Esc");

    std::filesystem::remove_all(folder);
}

TEST_F(EditingTest, BackspaceAndDelete) {
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 4).text("WXYZ")
               .sba(6, 10).startOfField(0x60, 0, 0x20, 4)  // bypass
               .sba(7, 10).startOfField(0x40, 0, 0x20, 4).text("ABCD").insertCursor(7, 11));
    input.PressKey("Backspace");
    EXPECT_EQ(CursorRow(), 5) << "to the last position of the previous non-bypass field";
    EXPECT_EQ(CursorColumn(), 14);
    EXPECT_EQ(Text(7, 11, 4), "ABCD");
    EXPECT_EQ(Text(5, 11, 4), "WXYZ");

    CursorAt(7, 13);
    input.PressKey("Backspace");
    EXPECT_EQ(Text(7, 11, 4), "ACD ");
    EXPECT_EQ(CursorColumn(), 12);
    input.PressKey("Delete");
    EXPECT_EQ(Text(7, 11, 4), "AD  ");
    EXPECT_EQ(EbcdicAt(7, 11, 4), Ebcdic("AD  "));
    EXPECT_EQ(CursorColumn(), 12);

    // A field-exit-required field cannot be left backwards.
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 4)
               .sba(7, 10).startOfField(0x40, 0x40, 0x20, 4).insertCursor(7, 11));
    input.PressKey("Backspace");
    EXPECT_EQ(CursorRow(), 7);
    EXPECT_EQ(CursorColumn(), 11);

    // An I/O field (shift/edit 6) takes neither.
    Screen(Wtd().sba(5, 10).startOfField(0x46, 0, 0x20, 4).text("IOIO").insertCursor(5, 13));
    input.PressKey("Backspace");
    input.PressKey("Delete");
    EXPECT_EQ(Text(5, 11, 4), "IOIO");
    EXPECT_EQ(CursorColumn(), 13);
    EXPECT_EQ(Field(0).mdt, 0);
    EXPECT_EQ(terminal.state.operatorModified, 0);
}

TEST_F(EditingTest, DeletingInANonDisplayFieldClearsTheHiddenByte) {
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x27, 4).insertCursor(5, 11));
    input.Type("ABCD");
    CursorAt(5, 11);
    input.PressKey("Delete");
    EXPECT_EQ(EbcdicAt(5, 11, 4), Ebcdic("BCD ")) << "no stale D for the host";
}

TEST_F(EditingTest, TabSkipsBypassFields) {
    Screen(Wtd().sba(3, 10).startOfField(0x40, 0, 0x20, 4)
               .sba(4, 10).startOfField(0x60, 0, 0x20, 4)
               .sba(5, 10).startOfOutputField(0x20, 4)
               .sba(6, 10).startOfField(0x40, 0, 0x20, 4).insertCursor(3, 12));
    input.PressKey("Tab");
    EXPECT_EQ(CursorRow(), 6);
    EXPECT_EQ(CursorColumn(), 11);
    input.PressKey("Tab");
    EXPECT_EQ(CursorRow(), 3) << "wraps to the first field";
    CursorAt(6, 13);
    input.PressKey("Backtab");
    EXPECT_EQ(CursorColumn(), 11) << "to the start of the same field";
    EXPECT_EQ(CursorRow(), 6);
    input.PressKey("Shift+Tab");
    EXPECT_EQ(CursorRow(), 3);
    EXPECT_EQ(CursorColumn(), 11);
}

TEST_F(EditingTest, TabOnAScreenWithoutInputFieldsGoesHome) {
    Screen(Wtd().sba(3, 10).startOfField(0x60, 0, 0x20, 4).sba(6, 10)
               .startOfField(0x60, 0, 0x20, 4).insertCursor(6, 12));
    input.PressKey("Tab");
    EXPECT_EQ(CursorRow(), 1);
    EXPECT_EQ(CursorColumn(), 1);

    // A field the host turned into bypass after the screen had input: the
    // scans end after one pass.
    Screen(Wtd().sba(3, 10).startOfField(0x40, 0, 0x20, 4).insertCursor(6, 12));
    terminal.formatTable.entry(0)->bypass = 1;
    for (const char* key : {"Tab", "Backtab"}) {
        CursorAt(6, 12);
        input.PressKey(key);
        EXPECT_EQ(terminal.CursorPosition(), 0) << key;
    }
}

TEST_F(EditingTest, HomeEndAndArrows) {
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 6).text("AB").sba(6, 10)
               .startOfField(0x40, 0, 0x20, 6).insertCursor(5, 15));
    input.PressKey("End");
    EXPECT_EQ(CursorColumn(), 13);
    input.PressKey("Home");
    EXPECT_EQ(CursorColumn(), 11);
    CursorAt(6, 14);
    input.PressKey("End");
    EXPECT_EQ(CursorColumn(), 11) << "an empty field: its first position";
    CursorAt(10, 30);
    input.PressKey("End");
    EXPECT_EQ(CursorColumn(), 80);
    input.PressKey("Home");
    EXPECT_EQ(CursorColumn(), 1);

    CursorAt(1, 10);
    input.PressKey("Shift+Right");
    EXPECT_EQ(CursorColumn(), 14);
    input.PressKey("Shift+Down");
    EXPECT_EQ(CursorRow(), 4);
    CursorAt(1, 10);
    input.PressKey("Up");
    EXPECT_EQ(CursorRow(), 24);
    EXPECT_EQ(CursorColumn(), 10);
    CursorAt(1, 1);
    input.PressKey("Left");
    EXPECT_EQ(CursorRow(), 24);
    EXPECT_EQ(CursorColumn(), 80);
    input.PressKey("Right");
    EXPECT_EQ(terminal.CursorPosition(), 0);
}

TEST_F(EditingTest, AFieldRunningPastTheScreenEndsWithIt) {
    Screen(Wtd().sba(24, 70).startOfField(0x40, 0, 0x20, 20));
    ASSERT_EQ(Cell(24, 80).fieldOffset, 9) << "the host's record is refused, its field stays";
    CursorAt(24, 71);
    input.Type("ABCDEFGHIJ");
    input.PressKey("End");
    EXPECT_EQ(terminal.CursorPosition(), 1919);
    input.PressKey("Delete");
    input.PressKey("FieldPlus");
    EXPECT_EQ(Text(24, 71, 10), "ABCDEFGHI ");
    EXPECT_TRUE(terminal.screen.contains(terminal.CursorPosition()));
}

TEST_F(EditingTest, WordMoves) {
    Screen(Wtd().sba(2, 1).text("HELLO  WORLD, NOW").sba(5, 10).startOfField(0x40, 0, 0x20, 4)
               .insertCursor(2, 2));
    input.PressKey("Ctrl+Right");
    EXPECT_EQ(CursorColumn(), 8);
    input.PressKey("Ctrl+Right");
    EXPECT_EQ(CursorColumn(), 13) << "stops on the comma";
    input.PressKey("Ctrl+Right");
    EXPECT_EQ(CursorColumn(), 15);
    input.PressKey("Ctrl+Left");
    EXPECT_EQ(CursorColumn(), 13);
    input.PressKey("Ctrl+Left");
    EXPECT_EQ(CursorColumn(), 8);

    // A blank screen: one pass, and the cursor stays.
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0, 0x20, 4).insertCursor(9, 9));
    input.PressKey("Ctrl+Right");
    EXPECT_EQ(CursorRow(), 9);
    EXPECT_EQ(CursorColumn(), 9);
    input.PressKey("Ctrl+Left");
    EXPECT_EQ(CursorRow(), 9);
    EXPECT_EQ(CursorColumn(), 9);
}

TEST_F(EditingTest, WordMovesOnScreensWithOneDelimiterOrNone) {
    // Every cell a letter: nothing to stop at, the cursor stays.
    Screen(Wtd().sba(1, 1).repeatToAddress(24, 80, 0xC1).insertCursor(10, 10));
    ASSERT_EQ(Row(24), std::string(80, 'A'));
    input.editor().WordLeft();
    EXPECT_EQ(terminal.CursorPosition(), 9 * 80 + 9);
    input.editor().WordRight();
    EXPECT_EQ(terminal.CursorPosition(), 9 * 80 + 9);

    // The cursor's own cell is the only delimiter: Ctrl+Left comes all the
    // way round to it and puts the cursor on the cell after it; Ctrl+Right
    // goes round to the same cell and stays.
    Screen(Wtd().sba(1, 1).repeatToAddress(24, 80, 0xC1).sba(10, 10).text(",")
               .insertCursor(10, 10));
    input.editor().WordLeft();
    EXPECT_EQ(terminal.CursorPosition(), 9 * 80 + 10);
    CursorAt(10, 10);
    input.editor().WordRight();
    EXPECT_EQ(terminal.CursorPosition(), 9 * 80 + 10) << "over the comma to the first letter";
}

}  // namespace
}  // namespace quenlix::testing
