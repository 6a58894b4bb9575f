// Field editing: what the operator's editing keys do to the presentation
// space and the FormatTable. Validates characters against the field's type,
// writes cells (PC character and EBCDIC byte in step), sets the modified
// data tags and moves the cursor. Talks to the host only for the automatic
// Enter of an auto-enter field.
#pragma once

#include <cstdint>
#include <string_view>

#include "input/InputLinks.h"

namespace quenlix {

/// Every action works on the cell under the cursor. Actions that return a
/// bool return true when they overwrote an attribute position (a cell whose
/// EBCDIC byte is 0x20..0x3F); the caller then restyles and repaints. A
/// refused action changes nothing and sends nothing; it says why on the
/// indicator row and sounds the alarm (RefuseKey). Every scan over the
/// screen ends after at most one pass over the cells in use.
class FieldEditor {
public:
    /// Characters that end a word for the Ctrl word moves and the
    /// double-click selection; NUL counts as one too.
    static constexpr char kWordDelimiters[] = " {}()[],:;.!=/*-+&|~\\?><\t'\"";

    explicit FieldEditor(const InputLinks& links);

    static bool IsWordDelimiter(std::uint8_t c);

    /// Whether the field cell at pos takes `character` under its field's
    /// type. Refuses positions outside input fields, bypass fields and the
    /// sign position of a signed-numeric field, and characters that are
    /// not data on the host (IsDataCharacter).
    bool Validate(int pos, std::uint8_t character) const;
    /// Why Validate refuses: one of the refusal texts, empty when accepted.
    std::string_view WhyRefused(int pos, std::uint8_t character) const;
    /// Whether the session's code page holds the PC character as a data byte
    /// (0x40..0xFE) that translates back to it: the host reads 0x20..0x3F as
    /// attribute bytes and the rest below 0x40, and 0xFF, as controls, and a
    /// character the page lacks would reach it as a substitute.
    bool IsDataCharacter(std::uint8_t character) const;
    /// Stores one character into a field cell: upper-cased for monocase
    /// fields, shown as a blank in non-display fields, translated to EBCDIC
    /// with the session's code page; sets the field's MDT. Does nothing
    /// outside input fields.
    void WriteCharacter(int pos, std::uint8_t character);

    /// Overwrite or insert (TerminalState::insertMode) at the cursor, then
    /// advance. Insert into a field whose last position (last digit of a
    /// signed-numeric field) is not blank or null is refused. Filling the
    /// last position of an auto-enter field sends the automatic Enter.
    /// Filling the last position of a field-exit-required field leaves the
    /// cursor there (InputState::fieldExitPending); a data key there is then
    /// refused, in either mode, until the field is left.
    bool EnterCharacter(std::uint8_t character);
    /// Whether the cursor cell at pos is the filled last position of a
    /// field-exit-required field still waiting for an exit key.
    bool AwaitsFieldExit(int pos) const;
    bool Backspace();
    bool Delete();
    void Home();
    void End();
    /// Tab to the next non-bypass field; Backtab when `backward`.
    void Tab(bool backward);
    /// The first data position of the next non-bypass field after `pos` in
    /// screen order, not wrapping round; -1 when there is none.
    int NextFieldStart(int pos) const;
    /// Field+ (minus false) or Field- (minus true): adjusts the field by its
    /// fill type, sets its MDT, sends the automatic Enter of an auto-enter
    /// field and moves to the next non-bypass field. Field- is taken only in
    /// numeric-only fields (the last digit gets the negative zone) and
    /// signed-numeric ones (the sign position shows the minus).
    bool FieldExit(bool minus);
    /// The terminal's checks before an Enter: a mandatory-enter field never
    /// entered, or a mandatory-fill field left partly filled, refuses it and
    /// takes the cursor to that field. True when the Enter may go.
    bool CheckFieldsBeforeEnter();
    /// Left, Up, Right or Down by one cell, or by 4 columns / 3 rows with
    /// Shift held; wraps around the screen.
    void CursorArrow(int virtualKey);
    /// The same move, fast (4 columns / 3 rows) or not whatever Shift is.
    void CursorArrow(int virtualKey, bool fast);
    void WordRight();
    void WordLeft();

    /// Dup: in a dup-enabled field, every position from the cursor to the
    /// field's end gets the dup byte 0x1C (shown as DupMark), the MDT is set
    /// and the cursor leaves the field as after Field Exit, without
    /// adjusting it (the dups fill it). Refused outside such fields.
    bool Dup();
    /// Field Mark: the byte 0x1E at the cursor of an input field, then the
    /// cursor advances as after a character. Refused outside input fields
    /// and where a field exit is awaited.
    bool FieldMark();
    /// Erase EOF: nulls from the cursor to the field's end; sets the MDT.
    /// Refused outside input fields.
    bool EraseToEndOfField();
    /// Erase Input: nulls every non-bypass field and resets its MDT; the
    /// cursor goes to the first input field.
    bool EraseInput();
    /// New Line: the cursor to the first input field that starts on a row
    /// below the cursor's, else the screen's first; without input fields to
    /// column 0 of the next row.
    void NewLine();
    /// Home position: the host's Insert Cursor address when the screen has
    /// one (TerminalState::hostFormat.homePosition), else the first input field, else
    /// the screen's first cell.
    void HomePosition();
    /// The PC character a dup byte shows as in the session's character set:
    /// an overscore where the set has one, else '*'.
    std::uint8_t DupMark() const;

    /// Moves the cursor with InvalidateCursor before and after.
    void MoveCursor(int pos);

private:
    /// The entry of the input field the cell at pos belongs to, or nullptr.
    FieldEntry* FieldAt(int pos);
    const FieldEntry* FieldAt(int pos) const;
    int FirstPosition(const FieldEntry& e) const;
    int LastPosition(const FieldEntry& e) const;
    int Next(int pos) const;
    int Previous(int pos) const;
    /// Copies character and EBCDIC byte; true when `to` held an attribute.
    bool CopyCell(int from, int to);
    /// Blanks a cell unless it is already blank; true when it held an attribute.
    bool BlankCell(int pos);
    /// Nulls a cell (EBCDIC 0x00 shown as a blank); true when it held an attribute.
    bool NullCell(int pos);
    /// Writes a control byte the host reads as it is (dup, field mark) with
    /// the character shown; true when the cell held an attribute.
    bool WriteControlByte(int pos, std::uint8_t ebcdic, std::uint8_t shown);
    /// What Field Exit does after adjusting field `index`: MDT, the automatic
    /// Enter of an auto-enter field, then the next non-bypass field.
    void LeaveField(int index);
    /// The first data position of the first non-bypass field, -1 when none.
    int FirstInputPosition() const;
    bool RightAdjust(int fieldIndex, std::uint8_t fill, std::uint8_t ebcdicFill, bool minus);
    void MarkNegative(const FieldEntry& e);
    /// The last position a character is typed into: the sign position of a
    /// signed-numeric field is not one.
    int LastDataPosition(const FieldEntry& e) const;
    /// A blank or a null.
    bool IsEmptyPosition(int pos) const;
    /// A mandatory-fill field the operator entered, with the positions from
    /// `keptEnd` on about to go: partly filled rather than full or empty.
    bool PartlyFilled(const FieldEntry& e, int keptEnd) const;
    /// Refuses an edit outside an input field or in one that takes no typing.
    bool RefuseEdit(const FieldEntry* e);
    /// Index of the next (or previous) non-bypass field after `index` in
    /// table order, wrapping; -1 when there is none.
    int NeighbourField(int index, int step) const;
    void AdvanceAfterEntry(int pos);

    InputLinks links_;
    Terminal& t_;
};

}  // namespace quenlix
