// The pieces of a text an assistive technology asks for by offset: the
// character, word, line or whole text around, before or after an offset;
// and the text attributes of a screen position (its colours, underline,
// blink, reverse image), which hold for a run of positions.
#pragma once

#include <QAccessible>
#include <QString>

#include "terminal/ColorTable.h"
#include "terminal/ScreenCell.h"

namespace quenlix::app {

/// A piece [start, end) of a text; start == end == -1 when there is none.
struct TextPiece {
    int start = -1;
    int end = -1;
};

/// The piece of `text` of kind `boundary` that holds `offset` (0 ..
/// text.size(); an offset at the end names the last piece). Lines end after
/// their '\n'; words are runs of non-blanks with the blanks after them;
/// sentences and paragraphs are taken as lines.
TextPiece PieceAt(const QString& text, int offset, QAccessible::TextBoundaryType boundary);
/// The piece just before the one at `offset`, and just after it.
TextPiece PieceBefore(const QString& text, int offset, QAccessible::TextBoundaryType boundary);
TextPiece PieceAfter(const QString& text, int offset, QAccessible::TextBoundaryType boundary);

/// The text of a piece, with its start and end given back as Qt's text
/// interface does (-1 and -1 with an empty text when there is none).
QString PieceText(const QString& text, const TextPiece& piece, int* startOffset, int* endOffset);

/// The text attributes of a cell, as assistive technology names them
/// ("color", "background-color", "text-underline-style", "text-blink",
/// "reverse-image"), each "name:value;": the colours of its screen
/// attribute, with what the host's extended attributes add and the reverse
/// image swapping them, in the session's colours.
QString CellTextAttributes(const ScreenCell& cell, const ColorTable& colors);

}  // namespace quenlix::app
