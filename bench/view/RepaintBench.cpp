// Painting the screen on the QImage back buffer with the real fonts: a full
// 27 x 132 repaint and the one-cell repaint of a keystroke.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "app/BackgroundTile.h"
#include "app/QtCanvas.h"
#include "connection/TerminalSession.h"
#include "app/QtFontMeasurer.h"
#include "display/ScreenPainter.h"
#include "display/ViewLayout.h"
#include "support/SampleScreens.h"
#include "support/StandaloneInterpreter.h"

namespace quenlix {
namespace {

struct Screen : StandaloneInterpreter {
    Screen() : StandaloneInterpreter(132, 27, 37) {
        Run(samples::FullScreen(27, 132, 40));
        fit = FitScreenToWindow(terminal, PixelRect{0, 0, 1600, 900}, FontPreferences{}, measurer);
        image = QImage(1600, 900, QImage::Format_RGB32);
        state.clientArea = PixelRect{0, 0, 1600, 900};
        state.horizontalOffset = fit.horizontalOffset;
        state.charset = &PcCharset::ForCodePage(37);
    }
    void Paint(const PaintRegion& region) {
        QPainter p(&image);
        app::QtCanvas canvas(p, measurer.font());
        canvas.UseGlyphCache(&glyphs, terminal.state.cellWidth, terminal.state.cellHeight);
        PaintScreen(terminal, state, region, canvas);
    }
    app::QtFontMeasurer measurer;
    ScreenFit fit{};
    QImage image;
    PaintState state;
    app::GlyphCache glyphs;
};

void BM_FullRepaint27x132(benchmark::State& st) {
    Screen s;
    const PaintRegion all(PixelRect{0, 0, 1600, 900});
    for (auto _ : st) s.Paint(all);
}

// The same over a background of a 1 x 1 picture tiled, as the view hands it
// to the painter (grown into a larger tile of whole repeats).
void BM_FullRepaintTiledTinyPicture(benchmark::State& st) {
    Screen s;
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(Qt::darkBlue);
    const QImage tile = app::RepeatedTile(dot);
    const BackgroundPicture picture = PictureOfPixels(&tile, tile.width(), tile.height(),
                                                      s.image.logicalDpiX(), s.image.logicalDpiY());
    s.state.picture = &picture;
    s.state.backgroundActive = true;
    s.state.backgroundMode = kBackgroundTiled;
    const PaintRegion all(PixelRect{0, 0, 1600, 900});
    for (auto _ : st) s.Paint(all);
}

void BM_OneCellRepaint(benchmark::State& st) {
    Screen s;
    s.terminal.SetCursorCell(5, 10);
    const PaintRegion cell(ToWindow(CursorCellRect(s.terminal), s.state.horizontalOffset));
    for (auto _ : st) s.Paint(cell);
}

/// A whole session without a window: keys and host blocks go through the
/// same objects the desktop program uses, then the damaged part is painted.
struct LiveSession {
    LiveSession()
        : session(FrontEnd{view, messages, notifier, clipboard}, ProgramDirectory(), "BENCH") {
        session.activeSettings.PageCode = 37;
        session.terminal.state.connected = 1;
        session.terminal.screen.SetGeometry(132, 27);
        session.endpoint().SetTransport(&transport);
        session.unplacedByteTrace().SetPath("");
        const std::uint8_t doEor[] = {0xFF, 0xFD, 0x19};
        session.endpoint().OnReceived(doEor, sizeof doEor);
        Feed(samples::FullScreen(27, 132, 40));
        fit = FitScreenToWindow(session.terminal, PixelRect{0, 0, 1600, 900}, FontPreferences{},
                                measurer);
        image = QImage(1600, 900, QImage::Format_RGB32);
        state.clientArea = PixelRect{0, 0, 1600, 900};
        state.horizontalOffset = fit.horizontalOffset;
        state.charset = &PcCharset::ForCodePage(37);
    }
    void Feed(const Bytes& block) { session.endpoint().OnReceived(block.data(), block.size()); }
    void Paint(const PaintRegion& region) {
        QPainter p(&image);
        app::QtCanvas canvas(p, measurer.font());
        canvas.UseGlyphCache(&glyphs, session.terminal.state.cellWidth,
                             session.terminal.state.cellHeight);
        PaintScreen(session.terminal, state, region, canvas);
    }
    NullViewOperations view;
    NullMessageBoxes messages;
    NullSocketNotifier notifier;
    MemoryClipboard clipboard;
    NullRecordSender transport;
    TerminalSession session;
    app::QtFontMeasurer measurer;
    app::GlyphCache glyphs;
    ScreenFit fit{};
    QImage image;
    PaintState state;
};

// A character typed into a field, then the cells it touched painted.
void BM_KeystrokeToPaintedCell(benchmark::State& st) {
    LiveSession s;
    Terminal& t = s.session.terminal;
    const int start = (2 - 1) * 132 + 5;  // the first field's first data position
    for (auto _ : st) {
        t.SetCursorPosition(start);
        const PixelRect before = ToWindow(CursorCellRect(t), s.state.horizontalOffset);
        s.session.input().Submit({KeyEvent::Kind::kCharacter, 'A', 0, false});
        PaintRegion damaged(before);
        damaged.Add(ToWindow(CursorCellRect(t), s.state.horizontalOffset));
        s.Paint(damaged);
    }
}

// A full 27 x 132 host screen through the endpoint and the interpreter, then
// the whole window painted.
void BM_HostBlockToPaintedScreen(benchmark::State& st) {
    LiveSession s;
    const Bytes block = samples::FullScreen(27, 132, 40);
    const PaintRegion all(PixelRect{0, 0, 1600, 900});
    for (auto _ : st) {
        s.Feed(block);
        s.Paint(all);
    }
}

BENCHMARK(BM_KeystrokeToPaintedCell)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HostBlockToPaintedScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRepaint27x132)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRepaintTiledTinyPicture)->Unit(benchmark::kMicrosecond);
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
