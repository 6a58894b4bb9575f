// Painting must not allocate: the pass runs for every keystroke and blink.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "display/ScreenPainter.h"

// The sanitizer build keeps its own allocator checks and skips this test.
#if defined(__SANITIZE_ADDRESS__)
#define QUENLIX_COUNT_ALLOCATIONS 0
#else
#define QUENLIX_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<long> allocations{0};
}  // namespace

#if QUENLIX_COUNT_ALLOCATIONS
void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace quenlix {
namespace {

TEST(PaintAllocationTest, FullScreenPassAndBlinkStepAllocateNothing) {
    if (!QUENLIX_COUNT_ALLOCATIONS) GTEST_SKIP() << "allocations are the sanitizer's";
    Terminal terminal;
    terminal.screen.AllocateCells(132, 27);
    terminal.screen.SetGeometry(132, 27);
    for (ScreenCell& cell : terminal.screen.inUse()) {
        cell.character = 'W';
        cell.underline = cell.blink = 1;
    }
    terminal.selection = {0, 0, 10, 3};
    terminal.state.CheckRepere = terminal.state.inputInhibited = terminal.state.sysReqMode = 1;
    PaintState state;
    state.clientArea = {0, 0, 1600, 600};
    state.sysReqText = "90";
    NullCanvas canvas;
    PaintScreen(terminal, state, PaintRegion(state.clientArea), canvas);  // warm-up

    const long before = allocations.load();
    PaintScreen(terminal, state, PaintRegion(state.clientArea), canvas);
    DrawInhibitIndicator(terminal, state, canvas);
    BlinkStep(terminal, state, true);
    UsePaperRules(state);
    PaintScreen(terminal, state, PaintRegion(), canvas);
    EXPECT_EQ(allocations.load() - before, 0);
}

}  // namespace
}  // namespace quenlix
