// The paint pass onto a canvas that only counts: the cost of the pass itself,
// a full 27 x 132 repaint and a one-cell (keystroke) repaint.
#include <benchmark/benchmark.h>

#include "display/ScreenPainter.h"
#include "display/ViewLayout.h"
#include "support/CellLooks.h"

namespace quenlix {
namespace {

class CountingCanvas : public Canvas {
public:
    void FillRect(const PixelRect&, Color) override { ++calls; }
    void DrawChar(int, int, char32_t, Color) override { ++calls; }
    void DrawText(int, int, std::string_view, Color) override { ++calls; }
    void DrawLine(PixelPoint, PixelPoint, Color) override { ++calls; }
    void DrawPolyline(std::span<const PixelPoint>, Color) override { ++calls; }
    void InvertRect(const PixelRect&) override { ++calls; }
    void DrawPicture(const BackgroundPicture&, const PixelRect&) override { ++calls; }
    void SetClip(std::span<const PixelRect>) override { ++calls; }
    void ClearClip() override { ++calls; }
    long calls = 0;
};

// A busy host screen: every cell holds a character, every fourth row is
// reverse image, every third is underlined, every seventh blinks.
struct Screen {
    Screen() {
        terminal.screen.AllocateCells(132, 27);
        terminal.screen.SetGeometry(132, 27);
        terminal.state.cellWidth = 12;
        terminal.state.cellHeight = 20;
        int pos = 0;
        for (ScreenCell& cell : CellLooksForTests::All(terminal)) {
            const int row = pos / 132;
            terminal.SetCellCharacter(pos, static_cast<std::uint8_t>('A' + pos % 26));
            cell.foreground = 2 + row % 7;
            cell.reverse = row % 4 == 0;
            cell.underline = row % 3 == 0;
            cell.blink = row % 7 == 0;
            ++pos;
        }
        terminal.SetCursorCell(10, 40);
        terminal.state.messageWaiting = 1;
        state.clientArea = {0, 0, 1600, 600};
        state.horizontalOffset = 8;
    }
    Terminal terminal;
    PaintState state;
    CountingCanvas canvas;
};

void BM_FullPaint27x132(benchmark::State& bench) {
    Screen s;
    const PaintRegion all(s.state.clientArea);
    for (auto _ : bench) PaintScreen(s.terminal, s.state, all, s.canvas);
    bench.counters["calls/pass"] =
        benchmark::Counter(static_cast<double>(s.canvas.calls), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FullPaint27x132);

void BM_OneCellPaint27x132(benchmark::State& bench) {
    Screen s;
    const PaintRegion cell(ToWindow(CursorCellRect(s.terminal), s.state.horizontalOffset));
    for (auto _ : bench) PaintScreen(s.terminal, s.state, cell, s.canvas);
    bench.counters["calls/pass"] =
        benchmark::Counter(static_cast<double>(s.canvas.calls), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OneCellPaint27x132);

void BM_BlinkStep27x132(benchmark::State& bench) {
    Screen s;
    for (auto _ : bench) benchmark::DoNotOptimize(BlinkStep(s.terminal, s.state, true));
}
BENCHMARK(BM_BlinkStep27x132);

}  // namespace
}  // namespace quenlix

BENCHMARK_MAIN();
