// The damage record's spans.
#include "terminal/ScreenDamage.h"

#include <algorithm>

namespace quenlix {

void ScreenDamage::Row(int row, int left, int right) {
    if (row < 0 || row >= kMaxRows) return;
    left = std::max(left, 0);
    right = std::min(right, 255);
    if (right <= left) return;
    Columns& c = rows_[static_cast<std::size_t>(row)];
    if (c.empty()) {
        c = {static_cast<std::int16_t>(left), static_cast<std::int16_t>(right)};
    } else {
        c.left = static_cast<std::int16_t>(std::min<int>(c.left, left));
        c.right = static_cast<std::int16_t>(std::max<int>(c.right, right));
    }
    cells_ = true;
}

void ScreenDamage::Span(int first, int end, int columns) {
    if (columns <= 0 || end <= first) return;
    first = std::max(first, 0);
    end = std::min(end, kMaxRows * columns);
    if (end <= first) return;
    const int firstRow = first / columns;
    const int lastRow = (end - 1) / columns;
    if (firstRow == lastRow) {
        Row(firstRow, first % columns, (end - 1) % columns + 1);
        return;
    }
    Row(firstRow, first % columns, columns);
    for (int r = firstRow + 1; r < lastRow; ++r) Row(r, 0, columns);
    Row(lastRow, 0, (end - 1) % columns + 1);
}

}  // namespace quenlix
