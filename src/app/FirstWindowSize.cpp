// The first start's window size.
#include "app/FirstWindowSize.h"

#include <algorithm>

namespace quenlix::app {

QSize FirstStartWindowSize(QSize current, QSize chrome, int rows, int columns, QSize available) {
    // Below the screen rows: the system request line and the indicator row.
    constexpr int kExtraRows = 2;
    rows = std::max(rows, 1);
    columns = std::max(columns, 1);
    int width = columns * kReadableCellWidth + std::max(chrome.width(), 0);
    int height = (rows + kExtraRows) * kReadableCellHeight + std::max(chrome.height(), 0);
    if (available.width() > 0) width = std::min(width, available.width());
    if (available.height() > 0) height = std::min(height, available.height());
    return {std::max(current.width(), width), std::max(current.height(), height)};
}

}  // namespace quenlix::app
