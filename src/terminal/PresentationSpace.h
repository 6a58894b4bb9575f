// The presentation space: the row-major array of ScreenCells and its geometry.
#pragma once

#include <span>
#include <vector>

#include "terminal/ScreenCell.h"

namespace quenlix {

struct CellLooksForTests;

/// Owns the cell array and the geometry in use (`columns`, `rows`,
/// `cellCount`). The array may be larger than `cellCount`; it is never
/// smaller: SetGeometry enlarges it when the host switches to a larger
/// screen than was allocated. Every position access is checked against
/// `cellCount`, so no caller can reach past the positions in use or the
/// allocation.
class PresentationSpace {
public:
    /// Largest screen the 5250 data stream can ask for (27 x 132).
    static constexpr int kMaxColumns = 132;
    static constexpr int kMaxRows = 27;

    /// Releases the previous array and allocates columns x rows blank cells.
    /// Leaves the geometry in use unchanged (clamped to the new allocation).
    /// Returns false, keeping the old array, when the sizes are outside
    /// 1..132 x 1..27 or memory cannot be had.
    bool AllocateCells(int columns, int rows);

    /// Sets `columns`, `rows` and `cellCount`, enlarging the allocation when
    /// it is too small. Returns false and changes nothing when the geometry is
    /// invalid or the array cannot be enlarged.
    bool SetGeometry(int columns, int rows);

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    int cellCount() const { return cellCount_; }
    int allocated() const { return static_cast<int>(cells_.size()); }

    /// True for 0 <= pos < cellCount.
    bool contains(int pos) const { return pos >= 0 && pos < cellCount_; }

    /// The cell at pos. Out of range, a scratch cell (reset to blank on every
    /// such access) stands in: reads see a blank.
    const ScreenCell& at(int pos) const;

    /// The positions in use, 0 .. cellCount - 1.
    std::span<const ScreenCell> inUse() const {
        return {cells_.data(), static_cast<size_t>(cellCount_)};
    }

private:
    // The cells change only through the Terminal's verbs, which record what
    // they change as damage.
    friend struct Terminal;
    // The paint pass's tests give cells looks Restyle would not.
    friend struct CellLooksForTests;
    ScreenCell& writableAt(int pos);
    std::span<ScreenCell> writableInUse() {
        return {cells_.data(), static_cast<size_t>(cellCount_)};
    }
    /// Every position in use becomes the blank cell.
    void BlankAll();
    /// Every position in use leaves its field: inField 0, fieldIndex -1,
    /// fieldOffset -1, fieldLength 0. Characters and EBCDIC bytes stay.
    void ClearFieldMarks();

    static bool ValidGeometry(int columns, int rows);

    std::vector<ScreenCell> cells_;
    int columns_ = 80;
    int rows_ = 24;
    int cellCount_ = 0;
    mutable ScreenCell scratch_;
};

}  // namespace quenlix
