// The operator's mouse on the screen: dragging selects a rectangle of cells,
// a click places the cursor, a double-click selects a word, Select All the
// whole screen. Points are pixels relative to the screen origin (the front
// end takes off its horizontal offset).
#pragma once

#include "input/FieldEditor.h"
#include "input/InputLinks.h"

namespace quenlix {

class MouseSelection {
public:
    /// A drag starts once the pointer is this many pixels left or right of
    /// the press point; vertical movement alone never starts one.
    static constexpr int kDragThreshold = 2;

    explicit MouseSelection(const InputLinks& links);

    /// Left button down: clears the selection and captures the pointer.
    /// Ignored while not connected.
    void Press(int x, int y);
    /// Pointer moved while captured: the selection spans the press cell and
    /// the cell under the pointer, both limited to the screen.
    void Move(int x, int y);
    /// Left button up: releases the capture; a release on the press pixel
    /// is a click and moves the cursor there.
    void Release(int x, int y);
    /// Left button up on what the front end took as a click of its own (a
    /// hotspot): the capture ends and the cursor stays where it was.
    void Cancel() { captured_ = false; }
    /// Puts the cursor on the cell under the point (limited to the screen),
    /// in or out of fields, as a click does. Ignored while not connected.
    void PlaceCursor(int x, int y);
    /// Double-click: selects the word under the pointer. A point outside
    /// the screen's columns or rows selects nothing.
    void DoubleClick(int x, int y);
    /// The word at a 0-based row and column (the double-click rule).
    void SelectWordAt(int row, int column);
    void SelectAll();

    bool captured() const { return captured_; }

private:
    void ClearSelectedFlags();
    void MarkSelection(const CellRect& rect);
    void SelectWordAtPosition(int pos);

    Terminal& t_;
    InputState& in_;
    bool captured_ = false;
    int pressX_ = 0;
    int pressY_ = 0;
    int pressColumn_ = 0;
    int pressRow_ = 0;
};

}  // namespace quenlix
