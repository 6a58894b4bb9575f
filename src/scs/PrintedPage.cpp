// The printed page grid.
#include "scs/PrintedPage.h"

#include <algorithm>

#include "terminal/Languages.h"

namespace quenlix::scs {

void PrintedPage::Reset(int columnCount, int lineCount) {
    columns = std::clamp(columnCount, 1, kMaxColumns);
    lines = std::clamp(lineCount, 1, kMaxLines);
    cells.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(lines), u' ');
}

char16_t PrintedPage::At(int line, int column) const {
    if (line < 1 || line > lines || column < 1 || column > columns) return u' ';
    return cells[static_cast<std::size_t>(line - 1) * static_cast<std::size_t>(columns) +
                 static_cast<std::size_t>(column - 1)];
}

std::string PrintedPage::LineText(int line) const {
    std::string text;
    if (line < 1 || line > lines) return text;
    int last = columns;
    while (last >= 1 && At(line, last) == u' ') --last;
    for (int c = 1; c <= last; ++c) AppendUtf8(text, At(line, c));
    return text;
}

int PrintedPage::UsedLines() const {
    for (int line = lines; line >= 1; --line) {
        for (int c = 1; c <= columns; ++c) {
            if (At(line, c) != u' ') return line;
        }
    }
    return 0;
}

}  // namespace quenlix::scs
