// Cell array allocation and the bulk operations on the positions in use.
#include "terminal/PresentationSpace.h"

#include <algorithm>
#include <new>

namespace quenlix {

bool PresentationSpace::ValidGeometry(int columns, int rows) {
    return columns >= 1 && columns <= kMaxColumns && rows >= 1 && rows <= kMaxRows;
}

bool PresentationSpace::AllocateCells(int columns, int rows) {
    if (!ValidGeometry(columns, rows)) return false;
    try {
        std::vector<ScreenCell> fresh(static_cast<size_t>(columns) * rows);
        cells_.swap(fresh);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // The geometry in use must never outgrow the new, possibly smaller, array.
    if (cellCount_ > allocated()) cellCount_ = 0;
    return true;
}

bool PresentationSpace::SetGeometry(int columns, int rows) {
    if (!ValidGeometry(columns, rows)) return false;
    const size_t needed = static_cast<size_t>(columns) * rows;
    if (needed > cells_.size()) {
        try {
            cells_.resize(needed);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    columns_ = columns;
    rows_ = rows;
    cellCount_ = static_cast<int>(needed);
    return true;
}

ScreenCell& PresentationSpace::writableAt(int pos) {
    if (contains(pos)) return cells_[static_cast<size_t>(pos)];
    scratch_ = ScreenCell{};
    return scratch_;
}

const ScreenCell& PresentationSpace::at(int pos) const {
    if (contains(pos)) return cells_[static_cast<size_t>(pos)];
    scratch_ = ScreenCell{};
    return scratch_;
}

void PresentationSpace::BlankAll() {
    std::fill(cells_.begin(), cells_.begin() + cellCount_, ScreenCell{});
}

void PresentationSpace::ClearFieldMarks() {
    for (ScreenCell& cell : writableInUse()) {
        cell.inField = 0;
        cell.fieldIndex = -1;
        cell.fieldOffset = -1;
        cell.fieldLength = 0;
    }
}

}  // namespace quenlix
