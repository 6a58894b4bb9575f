// Choosing a choice of the host's selection fields, by the mouse, by the
// cursor and Enter, by the choice's number or its mnemonic letter. A choice
// made writes the selection field's answer into its input field (modified,
// as typing would), and a choice that names an attention key, a push
// button or an auto-enter field sends its key at once. Only while the
// keyboard is free, as a click on a hotspot.
#pragma once

#include "input/OperatorInput.h"

namespace quenlix {

enum class ChoiceResult {
    kChosen,   ///< the answer changed (and a key may have gone)
    kRefused,  ///< refused with a reason on the indicator row
    kNone,     ///< nothing to choose there
};

/// Chooses choice `choice` (0-based) of selection field `field`: a single
/// choice becomes the one chosen, a multiple choice turns over.
ChoiceResult ChooseChoice(OperatorInput& input, int field, int choice);
/// The choice at a 0-based row and column (a mouse click).
ChoiceResult ChooseAt(OperatorInput& input, int row, int column);
/// The choice numbered `number` of selection field `field`.
ChoiceResult ChooseByNumber(OperatorInput& input, int field, int number);
/// The choice whose mnemonic is `letter` (either case): in the selection
/// field the cursor is on, else the first field that has one.
ChoiceResult ChooseByMnemonic(OperatorInput& input, char letter);
/// A click on a 0-based cell: a choice is chosen; on a scroll bar the arrow
/// or shaft above the slider sends Page Up (Roll Down) and below it Page
/// Down (Roll Up), as the keys do on a plain display. True when the click
/// was on one of them (chosen, refused or rolled).
bool ClickSelectionConstruct(OperatorInput& input, int row, int column);
/// Enter pressed with the cursor on a choice of a single choice field
/// chooses it first, as a display with the enhanced interface does; no key
/// is sent from here. True when it chose.
bool ChooseAtCursorBeforeEnter(const InputLinks& links);

}  // namespace quenlix
