// Selection by mouse and word, the copy text, and paste onto the fields.
#include "InputFixture.h"

namespace quenlix::testing {
namespace {

class ClipboardTest : public InputTest {
protected:
    /// Pixel of the centre of a 0-based cell (12 x 20 cells).
    static int X(int column) { return column * 12 + 6; }
    static int Y(int row) { return row * 20 + 10; }
};

TEST_F(ClipboardTest, CopyTrimsBlankRowsAwayOnlyWhenAsked) {
    Screen(Wtd().sba(2, 1).text("ABC").sba(3, 1).text("DEF").sba(5, 1).text("GH"));
    EXPECT_EQ(input.Copy({0, 1, 3, 3}, false), "ABC\r\nDEF") << "no break after the last row";
    EXPECT_EQ(input.Copy({0, 1, 5, 5}, false), "ABC  \r\nDEF  \r\n     \r\nGH   ");
    EXPECT_EQ(input.Copy({0, 1, 5, 5}, true), "ABC\r\nDEF\r\nGH") << "the blank row vanishes";
    EXPECT_EQ(input.Copy({0, 0, 5, 3}, true), "\r\nABC\r\nDEF") << "leading blank rows: one line";
    EXPECT_EQ(input.Copy({0, 1, 5, 7}, true), "ABC\r\nDEF\r\nGH") << "trailing blank rows vanish";
    EXPECT_EQ(input.Copy({-5, -5, 500, 500}, false).size(), 24u * 82u - 2u) << "limited to the screen";
    EXPECT_EQ(input.Copy({3, 0, 3, 5}, false), "");

    // The Copy command takes the selection and the option.
    input.mouse().SelectAll();
    options.TrimBlankRight = 1;
    input.clipboard().Copy();
    ASSERT_TRUE(clipboard.text.has_value());
    EXPECT_EQ(*clipboard.text, "\r\nABC\r\nDEF\r\nGH");
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
    EXPECT_EQ(clipboard.selection, "FIRST\r\nSECOND") << "built as Copy builds it";
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

TEST_F(PasteTest, LinesStartInTheCursorsColumn) {
    PasteScreen();
    CursorAt(5, 10);
    input.Paste("ab\r\ncd");
    EXPECT_EQ(Text(5, 10, 3), "ab ");
    EXPECT_EQ(Text(6, 10, 3), "cd ");
    EXPECT_EQ(CursorRow(), 6);
    EXPECT_EQ(CursorColumn(), 12);
    EXPECT_EQ(Field(0).mdt, 1);
    EXPECT_EQ(terminal.state.operatorModified, 0) << "paste is not typing";

    CursorAt(5, 12);
    input.Paste("1\t2");
    EXPECT_EQ(Text(5, 10, 9), "ab1    2 ") << "TAB: four blanks";
    EXPECT_EQ(CursorColumn(), 18);
}

TEST_F(PasteTest, ProtectedCellsUseUpTheirPositions) {
    PasteScreen();
    CursorAt(8, 10);
    terminal.state.inputInhibited = 1;  // paste acts at once
    input.Paste("abcdefgh");
    EXPECT_EQ(Text(8, 10, 9), "PROT FGH ") << "monocase field; label and attribute refused";
    EXPECT_EQ(Cell(8, 14).ebcdic, 0x20);
    EXPECT_EQ(CursorColumn(), 18) << "after the last cell written";
}

TEST_F(PasteTest, RowEdgeScreenEndAndLastCell) {
    Screen(Wtd().sba(3, 70).startOfField(0x40, 0, 0x20, 10).sba(24, 70)
               .startOfField(0x40, 0, 0x20, 10));
    CursorAt(3, 78);
    input.Paste("xyz1234");
    EXPECT_EQ(Text(3, 78, 3), "xyz");
    EXPECT_EQ(Text(4, 1, 4), "    ") << "the excess is dropped";
    EXPECT_EQ(CursorRow(), 4);
    EXPECT_EQ(CursorColumn(), 1);

    CursorAt(24, 80);
    input.Paste("Z\r\nlost\r\nlost");
    EXPECT_EQ(Text(24, 80, 1), "Z");
    EXPECT_EQ(terminal.CursorPosition(), 0) << "after the screen's last cell: the first";
    EXPECT_EQ(Text(1, 80, 1), " ");
}

TEST_F(PasteTest, LineBreaksAndTabs) {
    PasteScreen();
    CursorAt(5, 10);
    input.Paste("ab\rXcd");
    EXPECT_EQ(Text(6, 10, 3), "cd ") << "whatever follows CR is skipped";

    // A lone LF is an ordinary character, but no data on the host: refused,
    // it still uses its position.
    CursorAt(5, 20);
    input.Paste("a\nb");
    EXPECT_EQ(Text(5, 20, 3), "a b");
    EXPECT_EQ(Cell(5, 21).ebcdic, 0x40);

    for (const int tabs : {0, -3}) {
        SCOPED_TRACE(tabs);
        PasteScreen();
        options.NbrTabSpace = tabs;
        CursorAt(6, 10);
        input.Paste("a\tb");
        EXPECT_EQ(Text(6, 10, 3), "ab ") << "a TAB of no blanks";
    }

    // A TAB cut off at the row's end: blanks up to the edge, then nothing.
    options.NbrTabSpace = 4;
    Screen(Wtd().sba(3, 70).startOfField(0x40, 0, 0x20, 10).text("ABCDEFGHIJ"));
    CursorAt(3, 78);
    input.Paste("\tZ");
    EXPECT_EQ(Text(3, 71, 10), "ABCDEFG   ");
    EXPECT_EQ(Text(4, 1, 2), "  ");
    EXPECT_EQ(CursorRow(), 4) << "after the row's last cell";
    EXPECT_EQ(CursorColumn(), 1);
}

TEST_F(PasteTest, LineBreaksBelowTheScreenEndThePaste) {
    PasteScreen();
    CursorAt(5, 10);
    std::string text = "top";
    for (int i = 0; i < 100000; ++i) text += "\r\n";
    text += "late";
    // From row 5, twenty line breaks leave the 24-row screen; the paste
    // reads no further.
    EXPECT_EQ(input.clipboard().PasteText(text), 3u + 19u * 2u + 1u);
    EXPECT_EQ(Text(5, 10, 4), "top ");
    EXPECT_EQ(CursorRow(), 5);
    EXPECT_EQ(CursorColumn(), 13);
    EXPECT_EQ(input.clipboard().PasteText("ok"), 2u) << "text that fits is taken whole";
}

TEST_F(PasteTest, RefusedOrIgnoredText) {
    PasteScreen();
    CursorAt(5, 10);
    input.Paste(std::string("ok\0no", 5));
    EXPECT_EQ(Text(5, 10, 5), "ok   ") << "the clipboard's text ends at NUL";
    input.PressKey("SysReq");
    input.Paste("zz");
    EXPECT_EQ(Text(5, 10, 5), "ok   ");
    input.PressKey("Esc");
    input.Paste("\r");  // a CR at the end: nothing to skip
    terminal.state.connected = 0;
    input.Paste("nn");
    EXPECT_EQ(Text(6, 10, 2), "  ");
}

}  // namespace
}  // namespace quenlix::testing
