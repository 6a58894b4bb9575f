// Where things sit on the terminal view: the cell grid, the system request
// line and the indicator row below it, the indicator marks, and the
// rectangles the view asks the window system to repaint.
//
// Coordinates are screen pixels: the screen's top-left corner is (0, 0) and
// lies at (horizontal offset, 0) in the window. Hand a rectangle to the
// window system through ToWindow().
#pragma once

#include <array>

#include "display/Canvas.h"
#include "terminal/TerminalState.h"

namespace quenlix {

/// The measures every layout rule is written in, taken from the terminal.
/// A zero or negative cell size (never produced by the fit) counts as 1 so
/// that no division by it can fault.
struct ViewMetrics {
    explicit ViewMetrics(const Terminal& terminal);

    int W;  ///< cell width, pixels
    int H;  ///< cell height, pixels
    int R;  ///< screen rows (24 or 27)
    int C;  ///< screen columns (80 or 132)
    int T;  ///< top of the indicator row, (R + 1) x H; the separator's y
    int M;  ///< middle of the indicator row, T + H / 2
    int B;  ///< foot of the marks, (R + 2) x H - 2
};

/// The rectangle moved by the horizontal offset into window coordinates.
inline PixelRect ToWindow(const PixelRect& screenRect, int horizontalOffset) {
    return ShiftedRight(screenRect, horizontalOffset);
}

// Repaint rectangles, screen coordinates.

/// The cell under the cursor: x, y, x + W, y + H.
PixelRect CursorCellRect(const Terminal& terminal);
/// Cells (right and bottom exclusive) in pixels.
PixelRect CellsRect(const Terminal& terminal, const CellRect& cells);
/// The indicator row from left to right: the message-waiting mark (columns
/// 2 to 3), the shift/caps mark, the insert mark, "X-System" (20 to 27), the
/// reason of a refused key (from 30) and the row/column text (the last 7).
/// The marks stand left of "X-System" so that no reason runs over them.
inline constexpr int kShiftMarkColumn = 9;
inline constexpr int kInsertMarkColumn = 13;

/// The envelope of the message-waiting mark: 2W, T, 4W + 1, (R + 2)H + 1.
PixelRect MessageMarkRect(const Terminal& terminal);
/// The up arrow of the shift/caps mark: 9W, T + 3, 10W + 2, (R + 2)H.
PixelRect ShiftMarkRect(const Terminal& terminal);
/// The caret of the insert mark, two cells wide: 13W, T, 15W + 2, (R + 2)H.
PixelRect InsertMarkRect(const Terminal& terminal);
/// The system request line with its separator: 0, RH, CW, T + 3.
PixelRect SysReqLineRect(const Terminal& terminal);
/// The row/column text: (C - 7)W, T + 2, CW, T + 2 + H.
PixelRect RowColumnRect(const Terminal& terminal);
/// The "X-System" text: 20W, T + 2, 28W, T + 2 + H.
PixelRect InhibitAreaRect(const Terminal& terminal);
/// The column of the indicator row where the reason of a refused key begins.
inline constexpr int kRefusedReasonColumn = 30;
/// The reason of a refused key: 30W, T + 2, (C - 7)W, T + 2 + H.
PixelRect RefusedReasonRect(const Terminal& terminal);

// The indicator marks as polylines, screen coordinates, in drawing order.

std::array<PixelPoint, 7> MessageMarkPoints(const ViewMetrics& m);
std::array<PixelPoint, 8> ShiftMarkPoints(const ViewMetrics& m);
std::array<PixelPoint, 3> InsertMarkPoints(const ViewMetrics& m);

/// The rectangle the cursor inverts for a CursorForm (0 solid, 1 underscore,
/// 2 vertical bar; any other value is solid). Solid and vertical bar leave
/// the cell's bottom pixel row alone.
PixelRect CursorShapeRect(const Terminal& terminal);

}  // namespace quenlix
