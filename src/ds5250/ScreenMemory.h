// What a reader of the 5250 traffic remembers of the host's screen from
// record to record: the geometry, the fields the host defined (to split the
// terminal's answers into fields) and which positions hold data of a
// non-display field (to keep it out of traces). The record describer keeps
// it up to date as it reads the host's records, by the interpreter's rules.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

#include "terminal/FormatTable.h"
#include "terminal/PendingRead.h"
#include "terminal/PresentationSpace.h"
#include "terminal/ScreenAddress.h"

namespace quenlix {

struct Terminal;

class ScreenMemory {
public:
    static constexpr int kMaxCells = PresentationSpace::kMaxColumns * PresentationSpace::kMaxRows;
    using PositionSet = std::bitset<kMaxCells>;

    /// A blank screen of columns x rows (clamped to 1..132 x 1..27), no fields.
    explicit ScreenMemory(int columns = 80, int rows = 24);

    /// Everything a terminal holds now: geometry, fields, the host's read
    /// order and error row, the pending read; the data positions of its
    /// non-display fields are secret. For a trace that starts in mid-session.
    static ScreenMemory Of(const Terminal& terminal);

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    int cellCount() const { return columns_ * rows_; }
    bool contains(int position) const { return position >= 0 && position < cellCount(); }

    /// Clear Unit (80 x 24) and Clear Unit Alternate (132 x 27): every cell
    /// is blank, so nothing on the screen is secret any more.
    void ClearUnit(int columns, int rows);
    /// Clear Format Table, Start of Header, Restore Screen: the fields go,
    /// the contents of the cells (typed passwords too) stay.
    void ClearFields();

    /// Start of Field at the 1-based attribute position (row, column): the
    /// entry the interpreter would define or redefine, nullptr when the table
    /// is full (then only the hidden positions are noted).
    FieldEntry* DefineField(int row, int column);
    /// Marks the data positions of a field whose attribute is non-display
    /// as hidden and secret.
    void HideField(const FieldEntry& field);
    /// The attribute byte written as display data at `position`: the field
    /// holding the next position takes it as its attribute.
    void AttributeWrittenAt(int position, std::uint8_t attribute);
    /// Host data written at `position`: it stays secret only inside a
    /// non-display field.
    void HostDataWrittenAt(int position);
    /// Roll of rows top..bottom (1-based) by `shift` rows, down when `down`:
    /// the cells' contents move, their secrecy with them.
    void Roll(int top, int bottom, int shift, bool down);

    /// A position inside a non-display field the host defined.
    bool hidden(int position) const { return contains(position) && hidden_[Bit(position)]; }
    /// A position whose cell may hold data of a non-display field: hidden
    /// now, or hidden once and not overwritten by the host since.
    bool secret(int position) const { return contains(position) && secret_[Bit(position)]; }
    const PositionSet& secretPositions() const { return secret_; }

    const FormatTable& fields() const { return fields_; }
    /// FormatTable indexes in the order the terminal sends fields: table
    /// order, or from resequenceField - 1 along the fcw2 links, each entry
    /// at most once.
    std::vector<int> ReadOrder() const;
    /// The index of the field whose first data position is `position`, or -1.
    int FieldStartingAt(int position) const;

    /// The Start of Header's first field for reads (0: table order).
    int resequenceField = 0;
    /// The host's last Read Input Fields or Read MDT Fields (0 after a clear).
    PendingRead pendingRead = kNoPendingRead;
    /// The row Write Error Code writes to.
    int errorRow = 0;

private:
    static std::size_t Bit(int position) { return static_cast<std::size_t>(position); }
    void MarkHidden(int first, int length);

    int columns_ = 80;
    int rows_ = 24;
    FormatTable fields_;
    PositionSet hidden_;
    PositionSet secret_;
};

}  // namespace quenlix
