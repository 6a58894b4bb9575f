// One page of printed text as the SCS interpreter lays it out: a grid of
// lines and columns (1-based as the host counts them), with the densities
// that turn it into inches.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quenlix::scs {

struct PrintedPage {
    /// Most columns and lines a page can have: the host's format sets them
    /// with one byte each.
    static constexpr int kMaxColumns = 255;
    static constexpr int kMaxLines = 255;

    int columns = 0;  ///< print positions across, 1..kMaxColumns
    int lines = 0;    ///< lines down, 1..kMaxLines
    double charactersPerInch = 10.0;
    double linesPerInch = 6.0;
    /// The host sent its own page format (SHF or SVF) for this page.
    bool hostFormat = false;
    /// Page number within its spooled file, from 1.
    int number = 0;
    /// Unicode of each position, row by row: cells[(line-1)*columns + column-1].
    std::u16string cells;

    /// Makes a blank page of the size given (clamped to the limits).
    void Reset(int columnCount, int lineCount);
    /// The character at a 1-based line and column; a blank off the page.
    char16_t At(int line, int column) const;
    /// One line as UTF-8, blanks on the right trimmed.
    std::string LineText(int line) const;
    /// Lines from the top down to the last one holding a mark.
    int UsedLines() const;
    bool Blank() const { return UsedLines() == 0; }
    /// Page size in points (1/72 inch).
    double WidthPoints() const { return columns / charactersPerInch * 72.0; }
    double HeightPoints() const { return lines / linesPerInch * 72.0; }
};

}  // namespace quenlix::scs
