// Copy and Paste: the selection as clipboard text, and clipboard text laid
// onto the input fields at the cursor as a block of lines.
#pragma once

#include <string>
#include <string_view>

#include "input/Clipboard.h"
#include "input/FieldEditor.h"
#include "input/InputLinks.h"
#include "terminal/Languages.h"

namespace quenlix {

/// The two user preferences copy and paste read.
struct ClipboardOptions {
    int TrimBlankRight = 1;  ///< 1: trailing white space is trimmed at each line end
    int NbrTabSpace = 4;     ///< kept and stored; a pasted TAB moves to the next field
};

/// What ends a copied row on the clipboard: LF on Linux, CR LF on Windows.
#ifdef _WIN32
inline constexpr std::string_view kCopyLineEnd = "\r\n";
#else
inline constexpr std::string_view kCopyLineEnd = "\n";
#endif

/// The text of a rectangle of cells: one line a row, joined by
/// kCopyLineEnd, no line break at the end. With `trimBlankRight` each row's
/// trailing white space is cut; a blank row is still a line (an empty one).
/// The rectangle is limited to the screen; the text is at most rows x
/// (columns + 2) bytes.
std::string BuildCopyText(const Terminal& terminal, const CellRect& rect, bool trimBlankRight);

/// Stands in a pasted text for a character that no field can take (one the
/// PC character set or the host's code page lacks, a control character): it
/// is refused where it lands and uses its position.
inline constexpr char kUnpasteable = '\0';

class ClipboardActions {
public:
    ClipboardActions(const InputLinks& links, FieldEditor& editor, Clipboard& clipboard,
                     ClipboardOptions& options);

    /// A selection to copy; a session need not be connected.
    bool CopyEnabled() const;
    bool PasteEnabled();
    /// The Copy command: the selection's text onto the clipboard. Failures
    /// show the clipboard messages and change nothing.
    void Copy();
    /// The Paste command: the clipboard's text through PasteUtf8.
    void Paste();
    /// Most characters of a paste looked at: four screens' worth. What
    /// lies beyond is not placed (and the operator is told so), however
    /// large the clipboard.
    int MaxPasteCharacters() const;
    /// Pastes UTF-8 text: the typographic characters of mail and office
    /// documents are first mapped to what they stand for (curly quotes and
    /// primes to ' and ", dashes and the minus sign to -, the ellipsis to
    /// ..., Unicode spaces to a blank, the bullet to *); a character the
    /// session's code page cannot hold is refused where it lands. Then
    /// PasteText.
    std::size_t PasteUtf8(std::string_view utf8);
    /// Lays PC text onto the screen from the cursor: each line starts in the
    /// cursor's column; CR LF, LF and CR each move one row down; a TAB moves
    /// to the first position of the next input field; characters past the
    /// row's end are dropped, a row below the screen ends the paste. The
    /// part of the text that lands in one input field is placed whole, as
    /// typing does (MDT and the operator's flag), or not at all: one refused
    /// character (NUL included) leaves that field exactly as it was, and the
    /// paste goes on with the next field or line. Characters on protected
    /// cells use their position and are not placed. The indicator row names
    /// each field left unchanged by its label, with the reason, and says how
    /// many characters had no place (and the alarm sounds). The cursor ends
    /// after the last cell written (the first cell after the screen's
    /// last); it stays where it was when nothing was written. Does nothing
    /// in system request mode. Returns how many bytes of the text it took:
    /// all of them, or up to the line break that left the screen's last row.
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
    const PcCharset& Charset() const;
    /// How the operator knows field `index`: its label on the screen (as a
    /// screen reader reads it), else its row and column; PC characters, as
    /// the indicator row holds them.
    std::string FieldName(int index) const;

    InputLinks links_;
    Terminal& t_;
    FieldEditor& editor_;
    Clipboard& clipboard_;
    ClipboardOptions& options_;
    /// Characters of the paste under way cut off before PasteText.
    std::size_t pastedBeyond_ = 0;
};

}  // namespace quenlix
