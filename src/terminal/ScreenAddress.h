// Screen addresses as linear positions of the presentation space. The host
// names a cell by a 1-based (row, column); the model and the front ends count
// rows and columns from 0. Both take (row, column), in that order.
#pragma once

#include "terminal/FormatTable.h"

namespace quenlix {

/// The linear position of the 0-based (row, column) on a screen `columns` wide.
constexpr int CellPosition(int row, int column, int columns) { return row * columns + column; }

/// The linear position of the host's 1-based address (row, column).
constexpr int HostPosition(int row, int column, int columns) {
    return CellPosition(row - 1, column - 1, columns);
}

/// The linear position of a field's first data position: the one after its
/// attribute (the next row's first when the attribute is in the last
/// column). May lie off the screen.
constexpr int FirstDataPosition(const FieldEntry& e, int columns) {
    return HostPosition(e.row, e.column, columns) + 1;
}

}  // namespace quenlix
