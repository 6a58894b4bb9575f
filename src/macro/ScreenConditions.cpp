// The screen conditions of a macro.
#include "macro/ScreenConditions.h"

#include <algorithm>

#include "terminal/Utf8.h"

namespace quenlix::macro {

std::string CellsText(const Terminal& t, const PcCharset& charset, int first, int count) {
    std::string text;
    const int end = std::min(first + std::max(count, 0), t.cellCount());
    for (int p = std::max(first, 0); p < end; ++p) {
        char32_t ch = charset.ToUnicode(t.screen.at(p).character);
        if (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F)) ch = U' ';
        AppendUtf8(text, ch);
    }
    return text;
}

std::vector<std::string> ScreenLines(const Terminal& t, const PcCharset& charset) {
    std::vector<std::string> lines;
    for (int r = 0; r < t.rows(); ++r) lines.push_back(CellsText(t, charset, r * t.columns(), t.columns()));
    lines.push_back("cursor " + std::to_string(t.CursorRow() + 1) + ' ' +
                    std::to_string(t.CursorColumn() + 1));
    return lines;
}

bool ScreenHolds(const Terminal& t, const PcCharset& charset, std::string_view utf8, int row,
                 int column) {
    const int columns = t.columns();
    const int rows = t.rows();
    if (columns <= 0 || rows <= 0 || utf8.empty()) return false;
    int cells = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        i += std::max<std::size_t>(1, NextUtf8Piece(utf8, i).length);
        ++cells;
    }
    if (row > 0) {
        if (row > rows || column < 1 || column - 1 + cells > columns) return false;
        return CellsText(t, charset, (row - 1) * columns + column - 1, cells) == utf8;
    }
    for (int r = 0; r < rows; ++r) {
        if (CellsText(t, charset, r * columns, columns).find(utf8) != std::string::npos) return true;
    }
    return false;
}

bool ExpectMet(const Terminal& t, const PcCharset& charset, const ExpectArgs& expect) {
    return ScreenHolds(t, charset, expect.text, expect.row, expect.column) && !t.state.inputInhibited;
}

std::string ExpectFailure(const ExpectArgs& expect, bool hostCanSend) {
    std::string out = "expect: \"" + expect.text + '"';
    if (expect.row > 0) out += " at " + std::to_string(expect.row) + ' ' + std::to_string(expect.column);
    out += hostCanSend ? " did not come within " + std::to_string(expect.ms) + " ms"
                       : " is not on the screen and no more host data can come";
    return out + "; the screen instead:";
}

std::string ExpectFieldFailure(const Terminal& t, int count) {
    const int fields = t.formatTable.fieldCount();
    if (fields == count) return {};
    return "expect-field: the screen has " + std::to_string(fields) + " fields, not " +
           std::to_string(count);
}

std::string ExpectCursorFailure(const Terminal& t, const CursorArgs& cursor) {
    if (t.CursorRow() + 1 == cursor.row && t.CursorColumn() + 1 == cursor.column) return {};
    return "expect-cursor: the cursor is at " + std::to_string(t.CursorRow() + 1) + ' ' +
           std::to_string(t.CursorColumn() + 1) + ", not " + std::to_string(cursor.row) + ' ' +
           std::to_string(cursor.column);
}

}  // namespace quenlix::macro
