// Copy and Paste: the selection as clipboard text, and clipboard text laid
// onto the input fields at the cursor as a block of lines.
#pragma once

#include <string>
#include <string_view>

#include "input/Clipboard.h"
#include "input/FieldEditor.h"
#include "input/InputLinks.h"

namespace quenlix {

/// The two user preferences copy and paste read.
struct ClipboardOptions {
    int TrimBlankRight = 1;  ///< 1: trailing white space is trimmed at each line end
    int NbrTabSpace = 4;     ///< blanks a pasted TAB stands for; negative counts as 0
};

/// The text of a rectangle of cells: rows joined by CR LF, no line break at
/// the end. With `trimBlankRight` trailing white space is cut at each line
/// end from all the text built so far, so blank rows vanish. The rectangle
/// is limited to the screen; the text is at most rows x (columns + 2) bytes.
std::string BuildCopyText(const Terminal& terminal, const CellRect& rect, bool trimBlankRight);

class ClipboardActions {
public:
    ClipboardActions(const InputLinks& links, FieldEditor& editor, Clipboard& clipboard,
                     ClipboardOptions& options);

    bool CopyEnabled() const;
    bool PasteEnabled();
    /// The Copy command: the selection's text onto the clipboard. Failures
    /// show the clipboard messages and change nothing.
    void Copy();
    /// The Paste command: the clipboard's text through PasteText.
    void Paste();
    /// Lays text onto the screen from the cursor: each line starts in the
    /// cursor's column, CR moves one row down (the character after it is
    /// skipped), characters past the row's end are dropped, a row below the
    /// screen ends the paste, TAB stands for NbrTabSpace blanks. Only cells
    /// that accept a character change; refused ones still use their
    /// position. The cursor ends after the last cell written (the first cell
    /// after the screen's last). Text after a NUL is ignored, as the
    /// clipboard's text ends there. Does nothing in system request mode.
    /// Returns how many bytes of the text it took: all of them, or those up
    /// to the NUL, or up to the line break that left the screen's last row.
    std::size_t PasteText(std::string_view pcText);
    /// A mouse selection was made: its text, built as Copy builds it, goes
    /// on the primary selection where the system has one (the clipboard is
    /// not touched). Nothing for an empty selection.
    void OfferSelection();
    /// The middle button's paste: the primary selection's text through
    /// PasteText, as Paste does with the clipboard's. Only while connected;
    /// nothing when the system has no primary selection or it holds no text.
    void PasteSelection();
    /// The "Trim Blank Space to Right" toggle.
    void ToggleTrimBlankRight();

private:
    InputLinks links_;
    Terminal& t_;
    FieldEditor& editor_;
    Clipboard& clipboard_;
    ClipboardOptions& options_;
};

}  // namespace quenlix
