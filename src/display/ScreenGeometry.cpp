// ScreenGeometry: fitting the cells and the font to an area.
#include "display/ScreenGeometry.h"

#include <algorithm>

namespace quenlix {

namespace {

// A window narrower than one pixel per column (or lower than one per row)
// gets this cell size in that direction and overflows.
constexpr int kTinyWindowCell = 10;

}  // namespace

ScreenFit FitScreenToWindow(Terminal& terminal, const PixelRect& area,
                            const FontPreferences& preferences, FontMeasurer& measurer) {
    TerminalState& st = terminal.state;
    const int columns = std::max(1, terminal.columns());
    const int rows = std::max(1, terminal.rows());
    const int areaWidth = std::max(0, area.right - area.left);
    const int areaHeight = std::max(0, area.bottom - area.top);

    // The cursor's cell under the old cell size. It may sit on the system
    // request line (row R) but no lower: after a switch to a smaller screen
    // a position beyond that line would put the cursor on the indicator row.
    const int oldW = std::max(1, st.cellWidth);
    const int oldH = std::max(1, st.cellHeight);
    long long cell = static_cast<long long>(st.cursorX / oldW) +
                     static_cast<long long>(st.cursorY / oldH) * columns;
    cell = std::clamp<long long>(cell, 0, static_cast<long long>(rows + 1) * columns - 1);

    int W = areaWidth / columns;
    int H = areaHeight / (rows + 2);
    if (W == 0) W = kTinyWindowCell;
    if (H == 0) H = kTinyWindowCell;

    ScreenFit fit{};
    fit.font =
        FontRequest{H, W, preferences.weight, preferences.italic, preferences.face, false, false};
    fit.metrics = measurer.CreateAndMeasure(fit.font);
    fit.fontsCreated = 1;

    // Each search ends at a size of 1 at the latest, so together they create
    // at most W + H more fonts. The last font created is the one kept.
    FontRequest next = fit.font;
    next.fixedPitch = true;
    next.proofQuality = true;
    while (fit.metrics.maxCharWidth > W && next.width > 1) {
        --next.width;
        fit.font = next;
        fit.metrics = measurer.CreateAndMeasure(fit.font);
        ++fit.fontsCreated;
    }
    next.width = fit.font.width;
    while (fit.metrics.height > H && next.height > 1) {
        --next.height;
        fit.font = next;
        fit.metrics = measurer.CreateAndMeasure(fit.font);
        ++fit.fontsCreated;
    }

    // A font system that reports no size must not leave a zero cell behind
    // (every pixel-to-cell division would fault); the requested size stands in.
    st.cellWidth = fit.metrics.maxCharWidth > 0 ? fit.metrics.maxCharWidth : fit.font.width;
    st.cellHeight = fit.metrics.height > 0 ? fit.metrics.height : fit.font.height;

    st.cursorX = static_cast<int>(cell % columns) * st.cellWidth;
    st.cursorY = static_cast<int>(cell / columns) * st.cellHeight;

    fit.horizontalOffset = (areaWidth - columns * st.cellWidth) / 2;
    return fit;
}

}  // namespace quenlix
