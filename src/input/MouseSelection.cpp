// Drag, click, double-click and Select All on the presentation space.
#include "input/MouseSelection.h"

#include <algorithm>
#include <cstdlib>

namespace quenlix {

MouseSelection::MouseSelection(const InputLinks& links) : t_(links.terminal), in_(links.input) {}

void MouseSelection::ClearSelectedFlags() {
    t_.SetAllSelected(false);
}

void MouseSelection::MarkSelection(const CellRect& rect) {
    for (int row = rect.top; row < rect.bottom; ++row) {
        for (int column = rect.left; column < rect.right; ++column) {
            const int pos = t_.PositionOf(row, column);
            t_.SetSelected(pos, true);
        }
    }
}

void MouseSelection::Press(int x, int y) {
    // A screen without a host (the last one of a lost session, a replayed
    // recording) can be selected for copying as well.
    if (t_.state.cellWidth <= 0 || t_.state.cellHeight <= 0) return;
    x = std::max(x, 0);
    y = std::max(y, 0);
    pressX_ = x;
    pressY_ = y;
    pressColumn_ = x / t_.state.cellWidth;
    pressRow_ = y / t_.state.cellHeight;
    ClearSelectedFlags();
    const CellRect old = t_.selection;
    t_.DamageCells(old);
    t_.selection = CellRect{};
    captured_ = true;
}

void MouseSelection::Move(int x, int y) {
    if (!captured_ || t_.columns() <= 0 || t_.rows() <= 0) return;
    x = std::max(x, 0);
    y = std::max(y, 0);
    if (std::abs(x - pressX_) < kDragThreshold) return;
    const CellRect old = t_.selection;
    const int lastColumn = t_.columns() - 1;
    const int lastRow = t_.rows() - 1;
    const int c1 = std::min(pressColumn_, lastColumn);
    const int r1 = std::min(pressRow_, lastRow);
    const int c2 = std::min(x / t_.state.cellWidth, lastColumn);
    const int r2 = std::min(y / t_.state.cellHeight, lastRow);
    const CellRect fresh{std::min(c1, c2), std::min(r1, r2), std::max(c1, c2) + 1,
                         std::max(r1, r2) + 1};
    t_.selection = fresh;
    ClearSelectedFlags();
    MarkSelection(fresh);
    if (old != fresh) {
        // The cells that changed lie within the two rectangles.
        t_.DamageCells(old);
        t_.DamageCells(fresh);
    }
}

void MouseSelection::Release(int x, int y) {
    if (!t_.state.connected) {
        captured_ = false;
        return;
    }
    x = std::max(x, 0);
    y = std::max(y, 0);
    const bool wasCaptured = captured_;
    captured_ = false;
    if (!wasCaptured || x != pressX_ || y != pressY_) return;
    PlaceCursor(x, y);
}

void MouseSelection::PlaceCursor(int x, int y) {
    if (!t_.state.connected || t_.columns() <= 0 || t_.rows() <= 0) return;
    if (t_.state.cellWidth <= 0 || t_.state.cellHeight <= 0) return;
    x = std::max(x, 0);
    y = std::max(y, 0);
    in_.fieldExitPending = false;  // the cursor leaves the position typed last
    t_.SetCursorCell(std::min(y / t_.state.cellHeight, t_.rows() - 1),
                     std::min(x / t_.state.cellWidth, t_.columns() - 1));
}

void MouseSelection::DoubleClick(int x, int y) {
    if (t_.state.cellWidth <= 0 || t_.state.cellHeight <= 0) return;
    ClearSelectedFlags();
    t_.DamageCells(t_.selection);
    t_.selection = CellRect{};
    // A point in the margins beside or below the screen would otherwise
    // land in a neighbouring row; it selects nothing.
    if (x < 0 || y < 0) return;
    const int column = x / t_.state.cellWidth;
    const int row = y / t_.state.cellHeight;
    if (column >= t_.columns() || row >= t_.rows()) return;
    SelectWordAtPosition(t_.PositionOf(row, column));
}

void MouseSelection::SelectWordAt(int row, int column) {
    ClearSelectedFlags();
    t_.selection = CellRect{};
    if (row < 0 || column < 0 || row >= t_.rows() || column >= t_.columns()) return;
    SelectWordAtPosition(t_.PositionOf(row, column));
}

void MouseSelection::SelectWordAtPosition(int p) {
    if (!t_.screen.contains(p)) return;
    const auto delimiter = [this](int q) {
        return FieldEditor::IsWordDelimiter(t_.screen.at(q).character);
    };
    const int columns = t_.columns();
    const int s = p - p % columns;
    const int e = s + columns;
    int start = p;
    while (start > s) {
        if (delimiter(start)) {
            ++start;
            break;
        }
        --start;
    }
    // A word that begins in the row's second column: the delimiter in the
    // first column is not part of it.
    if (start == s && start < p && delimiter(s)) ++start;
    int end = p;
    while (end < e && !delimiter(end)) ++end;
    if (end <= start) return;  // a delimiter under the pointer: nothing selected

    for (int q = start; q < end; ++q) t_.SetSelected(q, true);
    const int r = start / columns;
    t_.selection = CellRect{start % columns, r, (end - 1) % columns + 1, r + 1};
    t_.DamageCells(t_.selection);
}

void MouseSelection::SelectAll() {
    t_.selection = CellRect{0, 0, t_.columns(), t_.rows()};
    t_.SetAllSelected(true);
    t_.DamageCells(t_.selection);
}

}  // namespace quenlix
