// What a macro asks of the screen: a text anywhere or at a place, the field
// count, the cursor; and the words that say why a condition failed, which the
// CLI prints and the desktop program shows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "macro/MacroSyntax.h"
#include "terminal/Languages.h"
#include "terminal/TerminalState.h"

namespace quenlix::macro {

/// The cells [first, first + count) as UTF-8, one character a cell; control
/// characters (a plain-text display keeps a server's bytes) read as blanks.
std::string CellsText(const Terminal& t, const PcCharset& charset, int first, int count);

/// The screen's rows as UTF-8 lines, then "cursor R C" (1-based).
std::vector<std::string> ScreenLines(const Terminal& t, const PcCharset& charset);

/// The UTF-8 text is on the screen: at the 1-based row and column when
/// row > 0 (wholly on that row), else anywhere within one row.
bool ScreenHolds(const Terminal& t, const PcCharset& charset, std::string_view utf8, int row,
                 int column);

/// An expect's screen has come: its text is there and the keyboard is free.
bool ExpectMet(const Terminal& t, const PcCharset& charset, const ExpectArgs& expect);

/// "expect: "TEXT" [at R C] did not come within MS ms; the screen instead:"
/// (or "is not on the screen and no more host data can come" when the
/// host can send nothing more).
std::string ExpectFailure(const ExpectArgs& expect, bool hostCanSend);
/// Empty when the screen has `count` fields, else "expect-field: the
/// screen has N fields, not M".
std::string ExpectFieldFailure(const Terminal& t, int count);
/// Empty when the cursor is there, else "expect-cursor: the cursor is at
/// R C, not R C".
std::string ExpectCursorFailure(const Terminal& t, const CursorArgs& cursor);

}  // namespace quenlix::macro
