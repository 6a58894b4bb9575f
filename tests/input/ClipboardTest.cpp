// Selection by mouse and word, the copy text, and paste onto the fields.
#include <algorithm>

#include "InputFixture.h"

namespace quenlix::testing {
namespace {

class ClipboardTest : public InputTest {
protected:
    /// Pixel of the centre of a 0-based cell (12 x 20 cells).
    static int X(int column) { return column * 12 + 6; }
    static int Y(int row) { return row * 20 + 10; }
};

TEST_F(ClipboardTest, CopyKeepsEveryRowAndTrimsOnlyTrailingBlanks) {
    // Rows end with LF on the Linux clipboard.
    Screen(Wtd().sba(2, 1).text("ABC").sba(3, 1).text("DEF").sba(5, 1).text("GH"));
    EXPECT_EQ(input.Copy({0, 1, 3, 3}, false), "ABC\nDEF") << "no break after the last row";
    EXPECT_EQ(input.Copy({0, 1, 5, 5}, false), "ABC  \nDEF  \n     \nGH   ");
    EXPECT_EQ(input.Copy({0, 1, 5, 5}, true), "ABC\nDEF\n\nGH") << "a blank row is an empty line";
    EXPECT_EQ(input.Copy({0, 0, 5, 3}, true), "\nABC\nDEF") << "a leading blank row";
    EXPECT_EQ(input.Copy({0, 1, 5, 7}, true), "ABC\nDEF\n\nGH\n\n") << "trailing blank rows";
    EXPECT_EQ(input.Copy({0, 5, 80, 8}, true), "\n\n") << "only blank rows";
    EXPECT_EQ(input.Copy({-5, -5, 500, 500}, false).size(), 24u * 81u - 1u) << "limited to the screen";
    EXPECT_EQ(input.Copy({3, 0, 3, 5}, false), "");

    // Select All then Copy: one line a row, the blank ones too, trimmed or not.
    Screen(Wtd().sba(2, 1).text("ABC\xE9").sba(3, 1).text("DEF").sba(5, 1).text("GH"));
    input.mouse().SelectAll();
    options.TrimBlankRight = 1;
    input.clipboard().Copy();
    ASSERT_TRUE(clipboard.text.has_value());
    EXPECT_EQ(*clipboard.text, "\nABC\xC3\xA9\nDEF\n\nGH" + std::string(19, '\n'));
    options.TrimBlankRight = 0;
    input.clipboard().Copy();
    EXPECT_EQ(std::count(clipboard.text->begin(), clipboard.text->end(), '\n'), 23);

    // The last screen of a closed session is still copied.
    terminal.state.connected = 0;
    clipboard.text.reset();
    EXPECT_TRUE(input.clipboard().CopyEnabled());
    input.clipboard().Copy();
    EXPECT_TRUE(clipboard.text.has_value());
    terminal.selection = {};
    EXPECT_FALSE(input.clipboard().CopyEnabled()) << "nothing selected";
}

TEST_F(ClipboardTest, DragSelectsTheSameCellsInEitherDirection) {
    auto& mouse = input.mouse();
    mouse.Press(X(10), Y(5));
    mouse.Move(X(3), Y(2));
    mouse.Release(X(3), Y(2));
    EXPECT_EQ(terminal.selection, (CellRect{3, 2, 11, 6}));
    const CellRect first = terminal.selection;
    mouse.Press(X(3), Y(2));
    EXPECT_TRUE(terminal.selection.empty());
    mouse.Move(X(10), Y(5));
    EXPECT_EQ(terminal.selection, first);
    EXPECT_EQ(Cell(3, 4).selected, 1);
    EXPECT_EQ(Cell(2, 4).selected, 0);
    mouse.Release(X(10), Y(5));

    // Beyond the screen the corners are limited to its last row and column.
    mouse.Press(X(70), Y(20));
    mouse.Move(5000, 5000);
    EXPECT_EQ(terminal.selection, (CellRect{70, 20, 80, 24}));
    mouse.Release(5000, 5000);
}

TEST_F(ClipboardTest, ClicksAndJitter) {
    auto& mouse = input.mouse();
    mouse.Press(X(7), Y(4));
    mouse.Move(X(7) + 1, Y(9));  // vertical movement within one pixel
    EXPECT_TRUE(terminal.selection.empty());
    mouse.Release(X(7), Y(4));
    EXPECT_EQ(terminal.CursorRow(), 4);
    EXPECT_EQ(terminal.CursorColumn(), 7);

    mouse.Press(X(20), Y(10));
    mouse.Release(X(20) + 1, Y(10));
    EXPECT_EQ(terminal.CursorColumn(), 7) << "not a click";
    EXPECT_TRUE(terminal.selection.empty());

    terminal.state.connected = 0;
    mouse.Press(X(30), Y(10));
    mouse.Release(X(30), Y(10));
    EXPECT_EQ(terminal.CursorColumn(), 7);
}

TEST_F(ClipboardTest, DoubleClickSelectsAWord) {
    Screen(Wtd().sba(3, 1).text("FIRST  (WORD) last").sba(4, 2).text("AB CD").sba(5, 75)
               .text("ENDING"));
    input.mouse().DoubleClick(X(10), Y(2));
    EXPECT_EQ(terminal.selection, (CellRect{8, 2, 12, 3})) << "WORD inside the brackets";
    input.mouse().DoubleClick(X(2), Y(2));
    EXPECT_EQ(terminal.selection, (CellRect{0, 2, 5, 3})) << "from column 0";
    input.mouse().DoubleClick(X(5), Y(2));
    EXPECT_TRUE(terminal.selection.empty()) << "a blank";
    EXPECT_EQ(Cell(3, 2).selected, 0);
    input.SelectWord(4, 77);
    EXPECT_EQ(terminal.selection, (CellRect{74, 4, 80, 5})) << "to the row's end";
    input.SelectWord(3, 2);
    EXPECT_EQ(terminal.selection, (CellRect{1, 3, 3, 4})) << "not the blank in column 0";
    input.mouse().DoubleClick(80 * 12 + 30, Y(2));
    EXPECT_TRUE(terminal.selection.empty()) << "the margin right of the screen";
}

TEST_F(ClipboardTest, AMouseSelectionGoesOnThePrimarySelectionAndTheClipboardStays) {
    Screen(Wtd().sba(3, 1).text("FIRST  WORD   ").sba(4, 1).text("SECOND"));
    clipboard.text = "on the clipboard";
    auto& mouse = input.mouse();
    mouse.Press(X(0), Y(2));
    mouse.Move(X(5), Y(3));
    mouse.Release(X(5), Y(3));
    input.clipboard().OfferSelection();
    EXPECT_EQ(clipboard.selection, "FIRST\nSECOND") << "built as Copy builds it";
    EXPECT_EQ(clipboard.text, "on the clipboard");
    input.mouse().DoubleClick(X(8), Y(2));
    input.clipboard().OfferSelection();
    EXPECT_EQ(clipboard.selection, "WORD");

    // A click leaves no selection, and the last one stays on offer.
    mouse.Press(X(30), Y(10));
    mouse.Release(X(30), Y(10));
    input.clipboard().OfferSelection();
    EXPECT_EQ(clipboard.selection, "WORD");

    // A system without a primary selection gets nothing.
    MemoryClipboard none;
    none.hasSelection = false;
    OperatorInput elsewhere{inputLinks, none, options};
    elsewhere.mouse().SelectAll();
    elsewhere.clipboard().OfferSelection();
    EXPECT_FALSE(none.selection.has_value());
    EXPECT_FALSE(none.GetSelectionText().has_value());
}

TEST_F(ClipboardTest, TheMiddleButtonPastesThePrimarySelectionAtTheCellItWasOn) {
    Screen(Wtd().sba(5, 9).startOfField(0x40, 0, 0x20, 20).sba(8, 10).text("PROT")
               .startOfField(0x40, 0x20, 0x20, 5).insertCursor(1, 1));
    clipboard.text = "clip";
    clipboard.selection = "sel\r\nX";
    // The cursor goes to the cell first; then the text goes in by Paste's
    // rules (lines from that column; the protected row takes nothing).
    input.mouse().PlaceCursor(X(12), Y(4));
    input.clipboard().PasteSelection();
    EXPECT_EQ(Text(5, 13, 4), "sel ");
    EXPECT_EQ(Text(6, 13, 1), " ");
    EXPECT_EQ(Field(0).mdt, 1);
    EXPECT_EQ(CursorRow(), 5);
    EXPECT_EQ(CursorColumn(), 16);
    EXPECT_EQ(clipboard.text, "clip");

    // Not while disconnected, and nothing without a selection.
    terminal.state.connected = 0;
    input.mouse().PlaceCursor(X(1), Y(1));
    input.clipboard().PasteSelection();
    EXPECT_EQ(CursorColumn(), 16);
    terminal.state.connected = 1;
    clipboard.selection.reset();
    input.clipboard().PasteSelection();
    EXPECT_EQ(Text(5, 13, 4), "sel ");
    clipboard.hasSelection = false;
    clipboard.selection = "ignored";
    input.clipboard().PasteSelection();
    EXPECT_EQ(Text(5, 13, 4), "sel ");
}

// The Paste command's enabling runs several times a second: it asks whether
// the clipboard holds text, never for the text, which may be a transfer.
TEST_F(ClipboardTest, PasteEnablingAsksOnlyWhetherThereIsText) {
    struct CountingClipboard : MemoryClipboard {
        std::optional<std::string> GetText() override {
            ++reads;
            return MemoryClipboard::GetText();
        }
        bool HasText() override { return text.has_value(); }
        int reads = 0;
    } counting;
    OperatorInput watched{inputLinks, counting, options};
    EXPECT_FALSE(watched.clipboard().PasteEnabled());
    counting.text = "";
    EXPECT_TRUE(watched.clipboard().PasteEnabled()) << "empty text is still text";
    terminal.state.connected = 0;
    EXPECT_FALSE(watched.clipboard().PasteEnabled());
    EXPECT_EQ(counting.reads, 0);

    // A clipboard without an answer of its own reads its text to tell.
    MemoryClipboard plain;
    EXPECT_FALSE(plain.HasText());
    plain.text = "x";
    EXPECT_TRUE(plain.HasText());
}

class PasteTest : public ClipboardTest {
protected:
    /// Two 20-position fields on rows 5 and 6 (data from column 10), a
    /// protected label on row 8 before a field (data from column 15).
    void PasteScreen() {
        Screen(Wtd().sba(5, 9).startOfField(0x40, 0, 0x20, 20).sba(6, 9)
                   .startOfField(0x40, 0, 0x20, 20).sba(8, 10).text("PROT")
                   .startOfField(0x40, 0x20, 0x20, 5));
    }
};

TEST_F(PasteTest, LinesStartInTheCursorsColumnAndPasteIsTyping) {
    PasteScreen();
    CursorAt(5, 10);
    input.Paste("ab\r\ncd");
    EXPECT_EQ(Text(5, 10, 3), "ab ");
    EXPECT_EQ(Text(6, 10, 3), "cd ");
    EXPECT_EQ(CursorRow(), 6);
    EXPECT_EQ(CursorColumn(), 12);
    EXPECT_EQ(Field(0).mdt, 1);
    EXPECT_EQ(terminal.state.operatorModified, 1) << "a paste is typing";

    // So a Read Input Fields answer carries what was pasted.
    Run(RecordBuilder().readInputFields().record());
    responses.SendAid(ds::kAidEnter);
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_GT(sender.sent[0].size(), 15u) << "the fields went with the key";
}

TEST_F(PasteTest, ProtectedCellsUseUpTheirPositions) {
    PasteScreen();
    CursorAt(8, 10);
    terminal.state.inputInhibited = 1;  // paste acts at once
    input.Paste("abcdefgh");
    EXPECT_EQ(Text(8, 10, 9), "PROT FGH ") << "monocase field; label and attribute refused";
    EXPECT_EQ(Cell(8, 14).ebcdic, 0x20);
    EXPECT_EQ(CursorColumn(), 18) << "after the last cell written";
    EXPECT_EQ(terminal.state.refusedReason, "Paste: 5 characters not placed");
    EXPECT_EQ(messages.alarms, 1);
}

TEST_F(PasteTest, RowEdgeScreenEndAndLastCell) {
    Screen(Wtd().sba(3, 70).startOfField(0x40, 0, 0x20, 10).sba(24, 70)
               .startOfField(0x40, 0, 0x20, 10));
    CursorAt(3, 78);
    input.Paste("xyz1234");
    EXPECT_EQ(Text(3, 78, 3), "xyz");
    EXPECT_EQ(Text(4, 1, 4), "    ") << "the excess is dropped";
    EXPECT_EQ(terminal.state.refusedReason, "Paste: 4 characters not placed") << "and said so";
    EXPECT_EQ(CursorRow(), 4);
    EXPECT_EQ(CursorColumn(), 1);

    CursorAt(24, 80);
    input.Paste("Z\r\nlost\r\nlost");
    EXPECT_EQ(Text(24, 80, 1), "Z");
    EXPECT_EQ(terminal.CursorPosition(), 0) << "after the screen's last cell: the first";
    EXPECT_EQ(Text(1, 80, 1), " ");
    EXPECT_EQ(terminal.state.refusedReason, "Paste: 8 characters not placed");
}

TEST_F(PasteTest, LineBreaksOfEverySystemAndTabsToTheNextField) {
    for (const char* text : {"ab\r\ncd", "ab\ncd", "ab\rcd"}) {
        SCOPED_TRACE(::testing::PrintToString(std::string(text)));
        PasteScreen();
        CursorAt(5, 10);
        input.Paste(text);
        EXPECT_EQ(Text(5, 10, 3), "ab ");
        EXPECT_EQ(Text(6, 10, 3), "cd ") << "the next line in the same column";
        EXPECT_EQ(terminal.state.refusedReason, "");
    }
    // Two line breaks, each of its own kind, make two rows.
    PasteScreen();
    CursorAt(5, 10);
    input.Paste("1\n\r\n3");
    EXPECT_EQ(Text(5, 10, 1), "1");
    EXPECT_EQ(Text(7, 10, 1), " ") << "row 7 has no field there";

    // A column copied from a spreadsheet lands in successive fields.
    Screen(Wtd().sba(5, 4).startOfField(0x40, 0, 0x20, 5).sba(5, 14).startOfField(0x40, 0, 0x20, 5)
               .sba(5, 24).startOfField(0x40, 0x20, 0x20, 5).sba(6, 4)
               .startOfField(0x40, 0, 0x20, 5).sba(6, 14).startOfField(0x40, 0, 0x20, 5));
    CursorAt(5, 5);
    input.Paste("north\t10\nsouth\t20\n");
    EXPECT_EQ(Text(5, 5, 5), "north");
    EXPECT_EQ(Text(5, 15, 5), "10   ");
    EXPECT_EQ(Text(6, 5, 5), "south");
    EXPECT_EQ(Text(6, 15, 5), "20   ");
    EXPECT_EQ(terminal.state.refusedReason, "");

    // A TAB with no field after it: the rest of the line has no place.
    CursorAt(6, 15);
    input.Paste("7\tlost");
    EXPECT_EQ(terminal.state.refusedReason, "Paste: 4 characters not placed");
}

TEST_F(PasteTest, LineBreaksBelowTheScreenEndThePaste) {
    PasteScreen();
    CursorAt(5, 10);
    std::string text = "top";
    for (int i = 0; i < 100000; ++i) text += "\r\n";
    text += "late";
    // From row 5, twenty line breaks leave the 24-row screen; the paste
    // reads no further, and what is left over is said.
    EXPECT_EQ(input.clipboard().PasteText(text), 3u + 19u * 2u + 2u);
    EXPECT_EQ(Text(5, 10, 4), "top ");
    EXPECT_EQ(CursorRow(), 5);
    EXPECT_EQ(CursorColumn(), 13);
    EXPECT_EQ(terminal.state.refusedReason, "Paste: 4 characters not placed");
    EXPECT_EQ(input.clipboard().PasteText("ok"), 2u) << "text that fits is taken whole";
}

TEST_F(PasteTest, NulsControlsAndWhatTheCodePageLacksLeaveTheFieldAsItWas) {
    PasteScreen();
    CursorAt(5, 10);
    input.Paste(std::string("ok\0no", 5));
    EXPECT_EQ(Text(5, 10, 5), "     ") << "a NUL is refused, and with it the field's part";
    EXPECT_EQ(terminal.state.refusedReason,
              "Paste: Field at row 5 column 10 left unchanged: a character not in the host's "
              "code page");
    EXPECT_EQ(CursorColumn(), 10) << "nothing written: the cursor stays";

    // A clipboard of control characters places nothing, and says so.
    PasteScreen();
    CursorAt(5, 10);
    input.Paste("\x01\x02\x1b\x7f\x07");
    EXPECT_EQ(Text(5, 10, 5), "     ");
    EXPECT_EQ(Field(0).mdt, 0);
    EXPECT_EQ(terminal.state.refusedReason,
              "Paste: Field at row 5 column 10 left unchanged: a character not in the host's "
              "code page");

    input.PressKey("SysReq");
    input.Paste("zz");
    EXPECT_EQ(Text(5, 10, 5), "     ");
    input.PressKey("Esc");
    input.Paste("\r");  // a CR at the end: nothing to skip
    terminal.state.connected = 0;
    input.Paste("nn");
    EXPECT_EQ(Text(6, 10, 2), "  ");
}

// The part of a paste that lands in one field goes in whole or not at all;
// the indicator row names each field left as it was, by its label.
TEST_F(PasteTest, EachFieldTakesItsPartWholeOrKeepsWhatItHeld) {
    const auto entryScreen = [this] {
        Screen(Wtd().sba(3, 2).text("Amount (numeric only)      . . :").sba(3, 38)
                   .startOfField(0x43, 0, 0x20, 8).text("1234").sba(4, 2)
                   .text("Surname (alphabetic only)  . . :").sba(4, 38)
                   .startOfField(0x41, 0, 0x20, 10).text("Smith").sba(5, 2)
                   .text("Code                       . . :")
                   .sba(5, 38).startOfField(0x40, 0, 0x20, 5).insertCursor(3, 39));
        terminal.state.operatorModified = 0;
    };
    struct Case {
        const char* name;
        int row, column;  // where the paste starts
        const char* text;
        const char* amount;
        const char* surname;
        const char* code;
        const char* reason;
        int cursorRow, cursorColumn;  // 1-based
    };
    const Case cases[] = {
        {"a refused $ keeps the old number", 3, 39, "$99", "1234    ", "Smith     ", "     ",
         "Paste: Amount (numeric only) left unchanged: digits + - , . blank only", 3, 39},
        {"a digit in letters", 4, 39, "O2Neil", "1234    ", "Smith     ", "     ",
         "Paste: Surname (alphabetic only) left unchanged: letters , . - blank only", 4, 39},
        {"accepted: overwrites as typing does", 3, 39, "99", "9934    ", "Smith     ", "     ",
         "", 3, 41},
        {"one field refused, the next lines go on", 3, 39, "x1\n77\nAB", "1234    ",
         "Smith     ", "AB   ",
         "Paste: Amount (numeric only) left unchanged: digits + - , . blank only; Surname "
         "(alphabetic only) left unchanged: letters , . - blank only",
         5, 41},
        {"the field's part whole, the rest has no place", 5, 39, "ABCDEFG", "1234    ",
         "Smith     ", "ABCDE", "Paste: 2 characters not placed", 5, 44},
        {"refused field and protected cells", 5, 39, "ABCD\xA4" "EFG", "1234    ", "Smith     ",
         "     ",
         "Paste: Code left unchanged: a character not in the host's code page; 3 characters not "
         "placed",
         5, 39},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        entryScreen();
        CursorAt(c.row, c.column);
        const int alarms = messages.alarms;
        input.Paste(c.text);
        EXPECT_EQ(Text(3, 39, 8), c.amount);
        EXPECT_EQ(Text(4, 39, 10), c.surname);
        EXPECT_EQ(Text(5, 39, 5), c.code);
        EXPECT_EQ(terminal.state.refusedReason, c.reason);
        EXPECT_EQ(messages.alarms - alarms, *c.reason ? 1 : 0);
        EXPECT_EQ(CursorRow(), c.cursorRow);
        EXPECT_EQ(CursorColumn(), c.cursorColumn);
        // A field left unchanged is not modified either.
        if (std::string(c.amount) == "1234    ") {
            EXPECT_EQ(Field(0).mdt, 0);
        }
        if (std::string(c.surname) == "Smith     ") {
            EXPECT_EQ(Field(1).mdt, 0);
        }
    }
    // EBCDIC as well as the screen: the host reads back what it wrote.
    entryScreen();
    CursorAt(3, 39);
    input.Paste("12$");
    EXPECT_EQ(EbcdicAt(3, 39, 4), Ebcdic("1234"));
    EXPECT_EQ(terminal.state.operatorModified, 0);
}

// Typographic characters of mail and office documents: mapped to what the
// code page holds before anything is refused, so the screen never shows
// what the host would not get.
TEST_F(PasteTest, TypographicCharactersAreMappedAndTheRestRefused) {
    settings.PageCode = 37;
    tables.InitTranslation(QUENLIX_TABLE_DIR);
    Screen(Wtd().sba(5, 9).startOfField(0x40, 0, 0x20, 40));
    CursorAt(5, 10);
    // “it’s” — 5 … • and a non-breaking space; € and ¬ as code page 37 has them or not.
    input.Paste("\u201Cit\u2019s\u201D \u2013 5\u2026\u2022\u00A0x \u00AC");
    EXPECT_EQ(Text(5, 10, 17), "\"it's\" - 5...* x ");
    const std::uint8_t notSign = static_cast<std::uint8_t>(Cell(5, 27).character);
    EXPECT_EQ(notSign, 0xAC) << "code page 37 has the not sign";
    EXPECT_EQ(Cell(5, 27).ebcdic, 0x5F);
    EXPECT_EQ(terminal.state.refusedReason, "");
    // It lacks the euro: the field keeps what it held.
    CursorAt(5, 28);
    input.Paste("ok \u20AC");
    EXPECT_EQ(Text(5, 28, 4), "    ");
    EXPECT_EQ(terminal.state.refusedReason,
              "Paste: Field at row 5 column 10 left unchanged: a character not in the host's "
              "code page");
    // What the host receives is what the screen shows.
    for (int c = 10; c < 28; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(tables.ToPc(37, static_cast<std::uint8_t>(Cell(5, c).ebcdic)), Cell(5, c).character);
    }
}

TEST_F(PasteTest, AHugeClipboardIsCutAtTheScreensCapacity) {
    PasteScreen();
    CursorAt(5, 10);
    const std::string huge(10u << 20, 'x');
    EXPECT_LE(input.clipboard().PasteUtf8(huge),
              static_cast<std::size_t>(input.clipboard().MaxPasteCharacters()));
    EXPECT_EQ(Text(5, 10, 20), std::string(20, 'x'));
    const std::size_t shown = std::stoul(terminal.state.refusedReason.substr(7));
    EXPECT_EQ(shown, (10u << 20) - 20u) << terminal.state.refusedReason;
}

}  // namespace
}  // namespace quenlix::testing
