// Painting the screen on the QImage back buffer with the real fonts: a full
// 27 x 132 repaint and the one-cell repaint of a keystroke.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "app/QtCanvas.h"
#include "app/QtFontMeasurer.h"
#include "display/ScreenPainter.h"
#include "display/ViewLayout.h"
#include "ds5250/TN5250.h"
#include "support/SampleScreens.h"

namespace quenlix {
namespace {

struct Screen {
    Screen() {
        tables.InitTranslation(ProgramDirectory());
        terminal.screen.AllocateCells(132, 27);
        terminal.screen.SetGeometry(132, 27);
        settings.PageCode = 37;
        interpreter.SetTracePath("");
        const Bytes block = samples::FullScreen(27, 132, 40);
        interpreter.ProcessBlock(block.data(), block.size());
        fit = FitScreenToWindow(terminal, PixelRect{0, 0, 1600, 900}, FontPreferences{}, measurer);
        image = QImage(1600, 900, QImage::Format_RGB32);
        state.clientArea = PixelRect{0, 0, 1600, 900};
        state.horizontalOffset = fit.horizontalOffset;
        state.charset = &PcCharset::ForCodePage(37);
    }
    Terminal terminal;
    TranslationCache tables;
    SessionSettings settings;
    NullRecordSender sender;
    NullViewOperations view;
    NullMessageBoxes messages;
    InterpreterLinks links{terminal, tables, settings, sender, view, messages};
    CTN5250 interpreter{links};
    app::QtFontMeasurer measurer;
    ScreenFit fit{};
    QImage image;
    PaintState state;
    app::GlyphCache glyphs;
};

void BM_FullRepaint27x132(benchmark::State& st) {
    Screen s;
    const PaintRegion all(PixelRect{0, 0, 1600, 900});
    for (auto _ : st) {
        QPainter p(&s.image);
        app::QtCanvas canvas(p, s.measurer.font());
        canvas.UseGlyphCache(&s.glyphs, s.terminal.state.cellWidth, s.terminal.state.cellHeight);
        PaintScreen(s.terminal, s.state, all, canvas);
    }
}

void BM_OneCellRepaint(benchmark::State& st) {
    Screen s;
    s.terminal.SetCursorCell(5, 10);
    const PaintRegion cell(ToWindow(CursorCellRect(s.terminal), s.state.horizontalOffset));
    for (auto _ : st) {
        QPainter p(&s.image);
        app::QtCanvas canvas(p, s.measurer.font());
        canvas.UseGlyphCache(&s.glyphs, s.terminal.state.cellWidth, s.terminal.state.cellHeight);
        PaintScreen(s.terminal, s.state, cell, canvas);
    }
}

BENCHMARK(BM_FullRepaint27x132)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OneCellRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quenlix

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
