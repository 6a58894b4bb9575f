// What the model and the protocol code ask of the terminal view. The desktop
// view implements it; tests record it; NullViewOperations ignores it all.
#pragma once

namespace quenlix {

class ViewOperations {
public:
    virtual ~ViewOperations() = default;

    virtual void InvalidateView() {}
    virtual void InvalidateCursor() {}
    /// Cells, right and bottom exclusive.
    virtual void InvalidateCellRect(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) {}
    virtual void InvalidateMessageIndicator() {}
    virtual void InvalidateShiftIndicator() {}
    virtual void InvalidateInsertIndicator() {}
    virtual void InvalidateSysReqLine() {}
    /// Repaints the "X-System" area at once.
    virtual void DrawInhibitIndicator() {}
    /// Paints the whole screen at once. Callers restyle the model first
    /// (see RefreshScreen() in TerminalState.h, which does both).
    virtual void RefreshScreen() {}
    /// Enters system request mode.
    virtual void BeginSysReqLine() {}
    /// Leaves system request mode (host data arrived while it was on).
    virtual void EndSysReqLine() {}
    virtual void LoadBackgroundImage() {}
    /// Recomputes cell size and font for the current geometry.
    virtual void FitScreenToWindow() {}
};

/// Does nothing; for front ends without a view and for tests.
class NullViewOperations : public ViewOperations {};

}  // namespace quenlix
