// ViewLayout: the view's fixed places and repaint rectangles.
#include "display/ViewLayout.h"

#include <algorithm>

namespace quenlix {

ViewMetrics::ViewMetrics(const Terminal& terminal)
    : W(std::max(1, terminal.state.cellWidth)),
      H(std::max(1, terminal.state.cellHeight)),
      R(std::max(1, terminal.rows())),
      C(std::max(1, terminal.columns())),
      T((R + 1) * H),
      M(T + H / 2),
      B((R + 2) * H - 2) {}

PixelRect CursorCellRect(const Terminal& terminal) {
    const ViewMetrics m(terminal);
    const int x = terminal.state.cursorX;
    const int y = terminal.state.cursorY;
    return {x, y, x + m.W, y + m.H};
}

PixelRect CellsRect(const Terminal& terminal, const CellRect& cells) {
    const ViewMetrics m(terminal);
    return {cells.left * m.W, cells.top * m.H, cells.right * m.W, cells.bottom * m.H};
}

PixelRect MessageMarkRect(const Terminal& terminal) {
    const ViewMetrics m(terminal);
    return {2 * m.W, m.T, 4 * m.W + 1, (m.R + 2) * m.H + 1};
}

PixelRect ShiftMarkRect(const Terminal& terminal) {
    const ViewMetrics m(terminal);
    return {kShiftMarkColumn * m.W, m.T + 3, (kShiftMarkColumn + 1) * m.W + 2, (m.R + 2) * m.H};
}

PixelRect InsertMarkRect(const Terminal& terminal) {
    const ViewMetrics m(terminal);
    return {kInsertMarkColumn * m.W, m.T, (kInsertMarkColumn + 2) * m.W + 2, (m.R + 2) * m.H};
}

PixelRect SysReqLineRect(const Terminal& terminal) {
    const ViewMetrics m(terminal);
    return {0, m.R * m.H, m.C * m.W, m.T + 3};
}

PixelRect RowColumnRect(const Terminal& terminal) {
    const ViewMetrics m(terminal);
    return {(m.C - 7) * m.W, m.T + 2, m.C * m.W, m.T + 2 + m.H};
}

PixelRect InhibitAreaRect(const Terminal& terminal) {
    const ViewMetrics m(terminal);
    return {20 * m.W, m.T + 2, 28 * m.W, m.T + 2 + m.H};
}

PixelRect RefusedReasonRect(const Terminal& terminal) {
    const ViewMetrics m(terminal);
    return {kRefusedReasonColumn * m.W, m.T + 2, std::max(kRefusedReasonColumn, m.C - 7) * m.W,
            m.T + 2 + m.H};
}

std::array<PixelPoint, 7> MessageMarkPoints(const ViewMetrics& m) {
    const int W = m.W, T = m.T;
    return {{{2 * W, T + 4},
             {4 * W, T + 4},
             {4 * W, m.B},
             {2 * W, m.B},
             {2 * W, T + 4},
             {3 * W, m.M + 3},
             {4 * W, T + 4}}};
}

std::array<PixelPoint, 8> ShiftMarkPoints(const ViewMetrics& m) {
    const int W = m.W, T = m.T;
    const int left = kShiftMarkColumn * W;
    const int right = left + W;
    return {{{left + W / 2, T + 4},
             {right, m.M + 3},
             {right - W / 3, m.M + 3},
             {right - W / 3, m.B},
             {left + W / 3, m.B},
             {left + W / 3, m.M + 3},
             {left, m.M + 3},
             {left + W / 2, T + 4}}};
}

std::array<PixelPoint, 3> InsertMarkPoints(const ViewMetrics& m) {
    // A caret two cells wide and as tall as the row's text.
    const int left = kInsertMarkColumn * m.W;
    return {{{left, m.B}, {left + m.W, m.T + 4}, {left + 2 * m.W, m.B}}};
}

PixelRect CursorShapeRect(const Terminal& terminal) {
    const ViewMetrics m(terminal);
    const int x = terminal.state.cursorX;
    const int y = terminal.state.cursorY;
    switch (terminal.state.CursorForm) {
        case 1:  // underscore: the bottom three pixel rows
            return {x, y + m.H - 3, x + m.W, y + m.H};
        case 2:  // vertical bar, two pixels wide
            return {x, y, x + 2, y + m.H - 1};
        default:  // 0 solid, and any stored value out of range
            return {x, y, x + m.W, y + m.H - 1};
    }
}

}  // namespace quenlix
