// The paint pass: the presentation space, the system request line, the
// indicator row, the cursor and the crosshair drawn on a Canvas, for the
// window (screen colours, blinking, only the damaged region) or for paper
// (black and white, everything). Also the "X-System" repaint that happens
// outside the pass and the blink timer's step.
#pragma once

#include <string_view>

#include "display/Canvas.h"
#include "display/PaintRegion.h"
#include "terminal/Languages.h"
#include "terminal/TerminalState.h"

namespace quenlix {

/// Shown below TerminalState::connectionNotice on the blank screen.
inline constexpr std::string_view kReconnectHint = "Press Enter to connect again";
/// Shown after the notice on the system request line when the host's last
/// screen is kept, dimmed.
inline constexpr std::string_view kReconnectHintShort = "Enter: connect again";

/// Shown at the right end of the system request line while the operator
/// types a request.
inline constexpr std::string_view kSysReqPrompt = "System request: Enter sends, Esc cancels";

/// Which colour rules a pass follows.
enum class PaintTarget {
    Screen,  ///< the ColorTable, the window background, the damaged-region test
    Paper,   ///< black, or white where the screen uses a cell's background colour
};

/// How the background picture covers the view (the `BkgndMode` preference).
enum BackgroundMode : int {
    kBackgroundTiled = 0,
    kBackgroundCentered = 1,
    kBackgroundStretched = 2,
};

/// What the view keeps for painting, beside the terminal model. The model
/// supplies the cells, the colours, the cursor, the selection, insert mode
/// and the flags of TerminalState (inputInhibited, messageWaiting, hostBlink,
/// sysReqMode, BlinkCursor, CheckRepere, CursorForm).
struct PaintState {
    PaintTarget target = PaintTarget::Screen;
    /// Screen: the blink phase hides blinking cells and the blinking cursor.
    /// Paper: false, every cell prints whatever the phase.
    bool honourBlink = true;
    /// The cursor is drawn whatever the blink state (paper never draws it).
    bool alwaysDrawCursor = false;

    /// The view's client rectangle, window pixels; the background covers it.
    PixelRect clientArea;
    /// x of the screen's left edge in the window, pixels; may be negative.
    int horizontalOffset = 0;

    bool blinkPhaseOn = true;  ///< flipped by BlinkStep
    /// Where the crosshair lines were last drawn, screen pixels; -1 none.
    /// Every screen pass sets them to the cursor position.
    int lastCrosshairX = -1;
    int lastCrosshairY = -1;

    bool shiftDown = false;  ///< a shift key is held
    bool capsLock = false;   ///< Caps Lock is toggled on
    /// Characters typed on the system request line (PC bytes); only the first
    /// `columns` are drawn, one per cell.
    std::string_view sysReqText;
    /// Screen: said on the middle rows of a blank screen while no host is
    /// connected and no notice stands there (how to connect a session that
    /// is loaded); each line centred, '\n' between lines. Empty: nothing.
    std::string_view idleHint;
    /// Turns cell characters into Unicode; null means ISO 8859-1.
    const PcCharset* charset = nullptr;

    /// The font weight `Bold`: any value but 400 doubles the separators.
    int fontWeight = 450;
    bool backgroundActive = true;                ///< `BkgndActive`
    int backgroundMode = kBackgroundCentered;    ///< `BkgndMode`
    const BackgroundPicture* picture = nullptr;  ///< null: no picture loaded
};

/// The picture of a decoded image `width` x `height` pixels, its natural size
/// taken at the given pixels per inch. Painted on a surface of that resolution
/// it comes out at exactly its pixel size, so the view measures it with the
/// resolution of the surface it paints on.
BackgroundPicture PictureOfPixels(const void* handle, int width, int height, int dotsPerInchX,
                                  int dotsPerInchY);

/// Sets the paper rules: black and white, every cell and the cursor drawn
/// whatever the blink state, the screen at the page's left edge.
void UsePaperRules(PaintState& state);

/// One paint pass. Screen: draws the background over the client area, then
/// the screen at the horizontal offset, restricted to `damaged` (window
/// coordinates) plus the row/column indicator and, with the crosshair on, the
/// old and new crosshair lines; updates the last crosshair position. Paper:
/// `damaged` is ignored, no background is drawn, nothing in `state` changes.
/// Allocates nothing.
void PaintScreen(const Terminal& terminal, PaintState& state, const PaintRegion& damaged,
                 Canvas& canvas);

/// The region a screen pass for `damaged` actually repaints (the damage plus
/// the row/column indicator and the crosshair lines), window coordinates.
PaintRegion EffectivePaintRegion(const Terminal& terminal, const PaintState& state,
                                 const PaintRegion& damaged);

/// What one blink tick asks to have repainted, window coordinates.
struct BlinkRepaint {
    PaintRegion cells;    ///< the blinking cells that hold a character
    bool cursor = false;  ///< the cursor cell (InvalidateCursor)
    bool empty() const { return cells.empty() && !cursor; }
};

/// The blink timer's step. With the focus the phase flips; without it a phase
/// that is on stays on and nothing is repainted, one that is off turns on.
BlinkRepaint BlinkStep(const Terminal& terminal, PaintState& state, bool hasFocus);

}  // namespace quenlix
