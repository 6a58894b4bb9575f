// The terminal: presentation space, FormatTable, colours and the scalars
// every subsystem reads. One object per session; the program owns it and
// hands it to the parts that need it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "terminal/ColorTable.h"
#include "terminal/FormatTable.h"
#include "terminal/HostConstructs.h"
#include "terminal/PendingRead.h"
#include "terminal/PresentationSpace.h"
#include "terminal/ScreenAddress.h"
#include "terminal/ScreenDamage.h"

namespace quenlix {

/// A rectangle of cells; right and bottom exclusive. Empty when right <= left
/// or bottom <= top.
struct CellRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

/// A rectangle in pixels; right and bottom exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

/// What the host's Start of Header and Insert Cursor orders left in force.
/// The interpreter writes it; the answers to the host's reads and the
/// keyboard read it from the model.
struct HostFormatState {
    int resequenceField = 0;    ///< where reads start: 0 table order, n from format table entry n-1
    int errorRow = 0;           ///< 1-based row for Write Error Code; 0 or off the screen: the last row
    int insertCursorRow = 1;    ///< the last Insert Cursor address, 1-based, as the host sent it
    int insertCursorColumn = 1;
    /// The screen's home position: the linear position the host's Insert
    /// Cursor order named, held to the screen, -1 when the screen has none
    /// (cleared with the format table).
    int homePosition = -1;
};

/// The terminal's scalars with their start values. Geometry (`columns`,
/// `rows`, `cellCount`) lives in the PresentationSpace, which keeps it
/// consistent with the allocation.
struct TerminalState {
    int cellWidth = 12;   ///< pixels
    int cellHeight = 20;  ///< pixels
    int cursorX = 0;      ///< cursor column x cellWidth
    int cursorY = 0;      ///< cursor row x cellHeight; row `rows` is the system request line
    int inputInhibited = 0;
    int sysReqMode = 0;
    int connected = 0;
    int messageWaiting = 0;
    int hostBlink = 0;
    int BlinkCursor = 1;
    int CheckRepere = 0;
    int CursorForm = 0;  ///< 0 solid block, 1 underscore, 2 vertical bar
    int operatorModified = 0;
    int insertMode = 0;  ///< the operator's insert mode; the host turns it off
    PendingRead pendingRead = kNoPendingRead;
    HostFormatState hostFormat;
    std::uint8_t errorLineWritten = 0;  ///< 0x21 after a Write Error Code
    std::string computerName;           ///< at most 15 characters
    /// Why the last session ended when the host ended it ("Disconnected by
    /// the host", "Connection lost: ..."), shown on the blank screen and in
    /// the status bar until the next connect; empty otherwise.
    std::string connectionNotice;
    /// Why the terminal refused the operator's last key, shown on the
    /// indicator row until the next key; empty otherwise.
    std::string refusedReason;
};

/// Everything the terminal model holds for one session.
struct Terminal {
    PresentationSpace screen;
    FormatTable formatTable;
    /// The host's windows, selection fields and scroll bars of the enhanced interface.
    HostConstructs constructs;
    TerminalState state;
    ColorTable colors = kDefaultColors;
    CellRect selection;  ///< the operator's selection, emptied by Restyle
    /// What changed since the front end last painted; the verbs below and
    /// the writers of cells record it.
    ScreenDamage damage;

    /// The damage so far, leaving the record clean (the front end's paint).
    ScreenDamage TakeDamage() {
        const ScreenDamage taken = damage;
        damage.Clear();
        return taken;
    }
    /// Records a change of the cell at a linear position, or of [first, end).
    void DamagePosition(int pos) { damage.Position(pos, columns()); }
    void DamageSpan(int first, int end) { damage.Span(first, end, columns()); }
    /// Records a change of a rectangle of cells (right and bottom exclusive).
    void DamageCells(const CellRect& cells);

    // The terminal's modes, each recording what it changes on the screen.
    void SetKeyboardLocked(bool locked);
    void SetMessageWaiting(bool on);
    void SetInsertMode(bool on);
    void SetSysReqMode(bool on);
    /// The reason of a refused key on the indicator row; empty ends it.
    void SetRefusedReason(std::string_view reason);
    /// Why the host ended the session, over the whole blank screen.
    void SetConnectionNotice(std::string_view notice);

    // The cells change only through these verbs; each records what it
    // changes. A position off the screen is refused: nothing is written and
    // the verb returns false.

    /// Writes a cell's EBCDIC byte and character, recorded as changed.
    bool SetCell(int pos, std::uint8_t ebcdic, std::uint8_t character);
    /// Writes a cell's EBCDIC byte and character, recorded only when either
    /// differs from what the cell held.
    bool ChangeCell(int pos, std::uint8_t ebcdic, std::uint8_t character);
    /// Writes only a cell's EBCDIC byte (an attribute byte), recorded as changed.
    bool SetCellByte(int pos, std::uint8_t ebcdic);
    /// Writes only a cell's character, recorded as changed.
    bool SetCellCharacter(int pos, std::uint8_t character);
    /// Writes the positions [first, end) with one byte and character,
    /// recorded as one span. Refused unless 0 <= first <= end <= cellCount.
    bool FillCells(int first, int end, std::uint8_t ebcdic, std::uint8_t character);
    /// Gives a position the host's extended look (ExtendedLook bits) and
    /// colour (0: the screen attribute's), recorded as changed.
    bool SetExtendedAttributes(int pos, int look, int color);
    /// Copies the byte and character of `from` into `to` (a roll, a shift
    /// inside a field), recorded only when `to` changes.
    bool MoveCell(int from, int to);
    /// Host data that is shown as the table translates it: 0x40 up, except
    /// 0xFF (a doubled IAC on the wire, shown blank).
    static constexpr bool IsPrintableHostData(std::uint8_t byte) { return byte >= 0x40 && byte != 0xFF; }
    /// Writes host data into the cells from `first` on, each shown as `toPc`
    /// translates it, up to `count` bytes or the first byte that is not
    /// IsPrintableHostData; returns how many were written. The cells that
    /// changed are recorded as one span from the first to the last of them.
    /// Refused (0 written) unless all `count` positions lie on the screen.
    std::size_t WriteDataRun(int first, const std::uint8_t* data, std::size_t count,
                             const std::array<std::uint8_t, 256>& toPc);
    /// Makes a position the `offset`-th data position of field `index`,
    /// `length` long; or takes it out of any field. Field marks are not
    /// painted, so they record nothing.
    bool MarkFieldCell(int pos, int index, int offset, int length);
    /// Makes the `length` positions from `first` on the data positions of
    /// field `index`, as far as they lie on the screen; returns how many did.
    int MarkFieldCells(int first, int index, int length);
    bool ClearFieldCell(int pos);
    /// Every position leaves its field; characters and bytes stay.
    void ClearFieldMarks();
    /// Every position in use becomes a blank (EBCDIC 0x40) outside any
    /// field, all recorded: what Clear Unit leaves.
    void BlankOutsideFields();
    /// Every position becomes the blank cell; the whole screen is recorded.
    void BlankAll();
    /// Marks a cell selected or not, recorded when that changes.
    bool SetSelected(int pos, bool selected);
    /// Marks every cell selected or not, recorded per cell that changes.
    void SetAllSelected(bool selected);

    int columns() const { return screen.columns(); }
    int rows() const { return screen.rows(); }
    int cellCount() const { return screen.cellCount(); }

    /// The linear position of a 0-based row and column.
    int PositionOf(int row, int column) const { return CellPosition(row, column, columns()); }
    /// (y / cellHeight) x columns + x / cellWidth, truncating toward zero.
    int PixelToPosition(int x, int y) const;
    /// Cells to pixels: each edge multiplied by the cell size.
    PixelRect CellRectToPixels(int left, int top, int right, int bottom) const;

    /// The field's data positions that lie on the screen, [first, end): a
    /// field may be recorded longer than the screen, or start before it.
    struct Span {
        int first = 0;
        int end = 0;
        int size() const { return end > first ? end - first : 0; }
    };
    Span FieldSpan(const FieldEntry& e) const;

    /// Linear position of the cursor.
    int CursorPosition() const { return PixelToPosition(state.cursorX, state.cursorY); }
    /// 0-based cursor row and column.
    int CursorRow() const { return state.cellHeight > 0 ? state.cursorY / state.cellHeight : 0; }
    int CursorColumn() const { return state.cellWidth > 0 ? state.cursorX / state.cellWidth : 0; }
    /// Moves the cursor to a linear position (recorded as cursor damage).
    void SetCursorPosition(int pos);
    /// Moves the cursor to a 0-based row and column (recorded as cursor damage).
    void SetCursorCell(int row, int column);
    /// Moves the cursor to pixel coordinates, as the view holds it.
    void SetCursorPixels(int x, int y);

    /// Display attributes of every position recomputed from the attribute
    /// bytes; selection cleared. Characters under a non-display attribute
    /// become " " for good. Records the cells whose look changed.
    void Restyle();
};

/// Display attributes an attribute byte gives.
struct DisplayAttributes {
    int foreground = kColorGreen;
    int reverse = 0;
    int underline = 0;
    int blink = 0;
    int background = kColorBackground;
    friend bool operator==(const DisplayAttributes&, const DisplayAttributes&) = default;
};

/// Decodes a 5250 screen attribute byte (0x20..0x3F; other values are
/// decoded by their low five bits). Column separators are not represented.
DisplayAttributes DecodeAttribute(std::uint8_t attribute);
/// Adds a cell's extended look and colour (Write Extended Attribute) to the
/// look its screen attribute gives; hidden data stays hidden.
/// Inline: it runs for every cell of every restyled row.
inline void ApplyExtendedLook(DisplayAttributes& look, const ScreenCell& cell) {
    if ((cell.extendedLook | cell.extendedColor) == 0) return;
    if (cell.extendedLook & kLookReverse) look.reverse = 1;
    if (cell.extendedLook & kLookUnderline) look.underline = 1;
    if (cell.extendedLook & kLookBlink) look.blink = 1;
    if (cell.extendedColor != 0 && look.foreground != kColorBackground) {
        look.foreground = cell.extendedColor;
    }
}

/// True for the non-display attributes 0x27, 0x2F, 0x37 and 0x3F.
inline bool IsNonDisplay(std::uint8_t attribute) { return (attribute & 0x27) == 0x27; }

}  // namespace quenlix
