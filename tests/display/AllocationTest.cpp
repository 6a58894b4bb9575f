// Painting must not allocate: the pass runs for every keystroke and blink.
#include <gtest/gtest.h>

#include "display/ScreenPainter.h"
#include "display/ViewLayout.h"
#include "support/CellLooks.h"
#include "support/ReplacedAllocator.h"

namespace quenlix {
namespace {

TEST(PaintAllocationTest, FullScreenPassAndBlinkStepAllocateNothing) {
    if (!testing::AllocatorReplaced()) GTEST_SKIP() << "allocations are the sanitizer's";
    Terminal terminal;
    terminal.screen.AllocateCells(132, 27);
    terminal.screen.SetGeometry(132, 27);
    terminal.FillCells(0, terminal.cellCount(), 0xE6, 'W');
    for (ScreenCell& cell : CellLooksForTests::All(terminal)) cell.underline = cell.blink = 1;
    terminal.selection = {0, 0, 10, 3};
    terminal.state.CheckRepere = terminal.state.inputInhibited = terminal.state.sysReqMode = 1;
    PaintState state;
    state.clientArea = {0, 0, 1600, 600};
    state.sysReqText = "90";
    NullCanvas canvas;
    PaintScreen(terminal, state, PaintRegion(state.clientArea), canvas);  // warm-up

    const long before = testing::AllocationCount();
    PaintScreen(terminal, state, PaintRegion(state.clientArea), canvas);
    PaintScreen(terminal, state,
                PaintRegion(ToWindow(InhibitAreaRect(terminal), state.horizontalOffset)), canvas);
    BlinkStep(terminal, state, true);
    UsePaperRules(state);
    PaintScreen(terminal, state, PaintRegion(), canvas);
    EXPECT_EQ(testing::AllocationCount() - before, 0);
}

}  // namespace
}  // namespace quenlix
