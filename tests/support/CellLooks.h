// Cells given a look of the test's choosing, for the tests of the paint pass.
// In the program only Restyle gives cells their look (from the attribute
// bytes); what a cell holds is written through the Terminal's verbs.
#pragma once

#include <span>

#include "terminal/TerminalState.h"

namespace quenlix {

struct CellLooksForTests {
    static ScreenCell& Cell(Terminal& t, int pos) { return t.screen.writableAt(pos); }
    static std::span<ScreenCell> All(Terminal& t) { return t.screen.writableInUse(); }
};

}  // namespace quenlix
