// Text boundaries for the accessible text interfaces.
#include "app/AccessibleText.h"

namespace quenlix::app {

namespace {

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\n'); }

TextPiece LineAt(const QString& text, int offset) {
    const int size = static_cast<int>(text.size());
    // An offset just past a line's '\n' at the very end names that line.
    if (offset >= size && size > 0) offset = size - 1;
    const int before = offset > 0 ? static_cast<int>(text.lastIndexOf(QLatin1Char('\n'), offset - 1)) : -1;
    const int after = static_cast<int>(text.indexOf(QLatin1Char('\n'), offset));
    return {before + 1, after < 0 ? size : after + 1};
}

TextPiece WordAt(const QString& text, int offset) {
    const int size = static_cast<int>(text.size());
    if (offset >= size) offset = size - 1;
    int start = offset;
    // Inside the blanks after a word: that word.
    while (start > 0 && IsBlank(text.at(start))) --start;
    while (start > 0 && !IsBlank(text.at(start - 1))) --start;
    int end = start;
    while (end < size && !IsBlank(text.at(end))) ++end;
    while (end < size && IsBlank(text.at(end))) ++end;
    return {start, end};
}

}  // namespace

TextPiece PieceAt(const QString& text, int offset, QAccessible::TextBoundaryType boundary) {
    const int size = static_cast<int>(text.size());
    if (offset < 0 || offset > size || size == 0) return {};
    switch (boundary) {
        case QAccessible::CharBoundary:
            if (offset >= size) return {};
            return {offset, offset + 1};
        case QAccessible::WordBoundary: return WordAt(text, offset);
        case QAccessible::SentenceBoundary:
        case QAccessible::ParagraphBoundary:
        case QAccessible::LineBoundary: return LineAt(text, offset);
        case QAccessible::NoBoundary: return {0, size};
    }
    return {};
}

TextPiece PieceBefore(const QString& text, int offset, QAccessible::TextBoundaryType boundary) {
    const TextPiece here = PieceAt(text, offset, boundary);
    if (here.start <= 0) return {};
    return PieceAt(text, here.start - 1, boundary);
}

TextPiece PieceAfter(const QString& text, int offset, QAccessible::TextBoundaryType boundary) {
    const TextPiece here = PieceAt(text, offset, boundary);
    if (here.end < 0 || here.end >= static_cast<int>(text.size())) return {};
    return PieceAt(text, here.end, boundary);
}

QString PieceText(const QString& text, const TextPiece& piece, int* startOffset, int* endOffset) {
    if (startOffset) *startOffset = piece.start;
    if (endOffset) *endOffset = piece.end;
    if (piece.start < 0 || piece.end < piece.start) return {};
    return text.mid(piece.start, piece.end - piece.start);
}

}  // namespace quenlix::app
