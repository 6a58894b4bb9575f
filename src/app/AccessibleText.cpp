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

namespace {

QString RgbText(std::uint32_t c) {
    return QStringLiteral("rgb(%1,%2,%3)").arg(RedOf(c)).arg(GreenOf(c)).arg(BlueOf(c));
}

std::uint32_t ColorAt(const ColorTable& colors, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < colors.size()
               ? colors[static_cast<std::size_t>(index)]
               : colors[kColorGreen];
}

}  // namespace

QString CellTextAttributes(const ScreenCell& cell, const ColorTable& colors) {
    const int look = cell.extendedLook;
    std::uint32_t fore = ColorAt(colors, cell.extendedColor != 0 ? cell.extendedColor : cell.foreground);
    std::uint32_t back = ColorAt(colors, cell.background);
    const bool reverse = (cell.reverse != 0) != ((look & kLookReverse) != 0);
    if (reverse) std::swap(fore, back);
    QString out = QStringLiteral("color:") + RgbText(fore) + QStringLiteral(";background-color:") +
                  RgbText(back) + QLatin1Char(';');
    if (cell.underline != 0 || (look & kLookUnderline)) {
        out += QStringLiteral("text-underline-style:solid;text-underline-type:single;");
    }
    if (cell.blink != 0 || (look & kLookBlink)) out += QStringLiteral("text-blink:true;");
    if (reverse) out += QStringLiteral("reverse-image:true;");
    return out;
}

}  // namespace quenlix::app
