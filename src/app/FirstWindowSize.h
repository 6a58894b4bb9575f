// The main window's size at the first start, before any placement was
// stored: large enough for readable characters of the session's screen.
// A 27 x 132 screen in the window's default size gets characters about
// 7 pixels wide; the first window is grown so that they are about 9.
#pragma once

#include <QSize>

namespace quenlix::app {

/// The cell the first window is made for: 9 x 18 pixels, the proportions
/// of the classic 9 x 18 terminal font (the fit then stretches the face to
/// the cell, so its characters are neither squeezed nor stretched much).
inline constexpr int kReadableCellWidth = 9;
inline constexpr int kReadableCellHeight = 18;

/// The window size that gives a `rows` x `columns` screen, with its system
/// request line and indicator row, cells of at least kReadableCellWidth x
/// kReadableCellHeight: the screen's pixels plus `chrome` (the window's
/// size minus the terminal view's: menu bar, tool bars, status bar). It
/// never shrinks the window: each side is the larger of `current` and the
/// size needed, the growth capped to `available` (the work area of the
/// screen the window is on; an empty one caps nothing). Sizes in pixels.
QSize FirstStartWindowSize(QSize current, QSize chrome, int rows, int columns, QSize available);

}  // namespace quenlix::app
