// The desktop view as a person sees and uses it, on the offscreen platform:
// pixel colours of styled cells, the cursor forms and the indicators, keys
// reaching the terminal (or not), type-ahead, selection, copy and paste.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>
#include <type_traits>
#include <utility>

#include "app/CTelnetApp.h"
#include "app/CommandIds.h"
#include "app/GlyphCache.h"
#include "app/QtCanvas.h"
#include "app/BackgroundTile.h"
#include "app/QtFontMeasurer.h"
#include "display/ScreenPainter.h"
#include "support/CellLooks.h"
#include "support/StandaloneInterpreter.h"
#include "support/ReplacedAllocator.h"
#include "display/ViewLayout.h"
#include "ds5250/RecordBuilder.h"
#include "ds5250/SelectionFieldBuilder.h"

namespace quenlix::app {
namespace {

using quenlix::RecordBuilder;

class RecordingTransport : public RecordSender {
public:
    void Send(const std::uint8_t* bytes, std::size_t count) override {
        sent.emplace_back(bytes, bytes + count);
    }
    std::vector<std::vector<std::uint8_t>> sent;
};

/// The application of the test program (tests/support/QtTestMain.cpp).
QApplication& App() { return *qApp; }

QColor Rgb(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

class ViewTest : public ::testing::Test {
protected:
    ViewTest() : app_((App(), QUENLIX_TABLE_DIR), "TESTPC") {
        app_.messages().interceptor = [this](std::string_view text, MessageIcon) {
            messages.emplace_back(text);
        };
        TerminalSession& s = app_.session();
        s.activeSettings.Name = "Test";
        s.activeSettings.TerminalCaract = "24 * 80";
        s.activeSettings.PageCode = 37;
        s.terminal.screen.AllocateCells(80, 24);
        s.terminal.screen.SetGeometry(80, 24);
        s.terminal.state.connected = 1;
        s.terminal.state.BlinkCursor = 0;  // a steady cursor for pixel checks
        s.endpoint().SetTransport(&transport);
        frame().resize(1000, 700);
        frame().show();
        frame().activateWindow();
        QApplication::setActiveWindow(&frame());
        (void)QTest::qWaitForWindowActive(&frame());
        view()->setFocus();
        QApplication::processEvents();
    }
    ~ViewTest() override { app_.session().endpoint().SetTransport(nullptr); }

    CMainFrame& frame() { return app_.frame(); }
    CTelnetView* view() { return frame().view(); }
    Terminal& terminal() { return app_.session().terminal; }

    void Host(const Bytes& record) {
        app_.session().endpoint().OnReceived(record.data(), record.size());
        QApplication::processEvents();
    }
    /// The view as painted now.
    QImage Shot() {
        view()->repaint();
        return view()->backBuffer();
    }
    /// Top-left pixel of a 0-based cell, and its bottom-left pixel.
    QPoint CellCorner(int row, int column) const {
        const Terminal& t = const_cast<ViewTest*>(this)->terminal();
        return {const_cast<ViewTest*>(this)->view()->horizontalOffset() + column * t.state.cellWidth,
                row * t.state.cellHeight};
    }
    QPoint CellPoint(int row, int column, int dx, int dy) const {
        return CellCorner(row, column) + QPoint(dx, dy);
    }
    std::string FieldText(int row, int column, int length) {
        std::string out;
        for (int c = column; c < column + length; ++c) {
            out += static_cast<char>(terminal().screen.at(row * 80 + c).character);
        }
        return out;
    }

    RecordingTransport transport;
    std::vector<std::string> messages;
    CTelnetApp app_;
};

TEST_F(ViewTest, StyledCellsHaveTheirColours) {
    Host(RecordBuilder().clearUnit().writeToDisplay().sba(2, 1).attribute(0x21).text("REV")
             .attribute(0x20).sba(3, 1).attribute(0x25).text("UND").attribute(0x20)
             .sba(4, 1).attribute(0x28).text("RED").attribute(0x20).insertCursor(20, 40)
             .record());
    const int h = terminal().state.cellHeight;
    const QImage img = Shot();
    const QColor green = Rgb(kDefaultColors[kColorGreen]);
    const QColor black = Rgb(kDefaultColors[kColorBackground]);
    // Reverse: the cell is filled with its foreground colour.
    EXPECT_EQ(img.pixelColor(CellCorner(1, 1)), green);
    // Underlined reverse: the line along the bottom is in the text colour.
    EXPECT_EQ(img.pixelColor(CellCorner(2, 1)), green);
    EXPECT_EQ(img.pixelColor(CellPoint(2, 1, 1, h - 1)), black);
    // A red field's text holds red pixels and no fill.
    bool sawRed = false;
    for (int dx = 0; dx < terminal().state.cellWidth; ++dx) {
        for (int dy = 0; dy < h; ++dy) {
            sawRed |= img.pixelColor(CellPoint(3, 1, dx, dy)) == Rgb(kDefaultColors[kColorRed]);
        }
    }
    EXPECT_TRUE(sawRed);
    EXPECT_EQ(img.pixelColor(CellCorner(3, 1)), black);
}

TEST_F(ViewTest, SelectionAndEachCursorFormByInversion) {
    Host(RecordBuilder().clearUnit().writeToDisplay().sba(5, 10).text("WORD").insertCursor(10, 10)
             .record());
    const int w = terminal().state.cellWidth;
    const int h = terminal().state.cellHeight;
    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);

    terminal().state.CursorForm = 0;  // solid block: the cell but its bottom row inverted
    QImage img = Shot();
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 1, 1)), white);
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, w - 2, h - 2)), white);
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 1, h - 1)), black);
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, w - 1, h - 1)), black);

    terminal().state.CursorForm = 1;  // underscore: only the bottom
    img = Shot();
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 1, 1)), black);
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 1, h - 1)), white);

    terminal().state.CursorForm = 2;  // vertical bar: two pixels of the left edge
    img = Shot();
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 0, h / 2)), white);
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 1, h - 2)), white);
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 2, h / 2)), black);
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, w - 1, h / 2)), black);
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 0, h - 1)), black) << "bottom row untouched";
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 1, h - 1)), black);

    // Double-click selects the word: selected cells are filled green.
    QTest::mouseDClick(view(), Qt::LeftButton, {}, CellPoint(4, 11, 2, 2));
    img = Shot();
    EXPECT_EQ(img.pixelColor(CellCorner(4, 10)), Rgb(kDefaultColors[kColorGreen]));
    EXPECT_EQ(img.pixelColor(CellCorner(4, 14)), black);
    // The selected "W" is written in the background colour on the fill.
    int ink = 0, fill = 0;
    for (int dx = 0; dx < w; ++dx) {
        for (int dy = 0; dy < h; ++dy) {
            const QColor c = img.pixelColor(CellPoint(4, 10, dx, dy));
            ink += c == black;
            fill += c == Rgb(kDefaultColors[kColorGreen]);
        }
    }
    EXPECT_GT(ink, 5);
    EXPECT_GT(fill, ink);
}

TEST_F(ViewTest, IndicatorMarksShowWhenTheirStateIsOn) {
    Host(RecordBuilder().clearUnit().writeToDisplay().sba(3, 10).startOfField(0x40, 0, 0x20, 5)
             .insertCursor(3, 11).readMdtFields().record());
    const Terminal& t = terminal();
    const int w = t.state.cellWidth;
    const int top = (t.rows() + 1) * t.state.cellHeight + 4;  // T + 4: every mark's top
    const int ox = view()->horizontalOffset();
    const QColor green = Rgb(kDefaultColors[kColorGreen]);
    const QColor black = Rgb(kDefaultColors[kColorBackground]);
    const QPoint envelope(ox + 3 * w, top), arrow(ox + kShiftMarkColumn * w + w / 2, top),
        caret(ox + kInsertMarkColumn * w + w, top);
    QImage img = Shot();
    EXPECT_EQ(img.pixelColor(envelope), black);
    EXPECT_EQ(img.pixelColor(arrow), black);
    EXPECT_EQ(img.pixelColor(caret), black);

    terminal().state.messageWaiting = 1;
    EXPECT_EQ(Shot().pixelColor(envelope), green);

    // Caps Lock: an upper-case letter typed without Shift says it is on, the
    // Caps Lock key then turns it off; the arrow follows without any Shift.
    QTest::keyClick(view(), 'A');
    EXPECT_EQ(view()->capsLock().state(), std::optional<bool>(true));
    EXPECT_EQ(Shot().pixelColor(arrow), green);
    QTest::keyClick(view(), Qt::Key_CapsLock);
    EXPECT_EQ(Shot().pixelColor(arrow), black);
    QTest::keyPress(view(), Qt::Key_Shift);
    EXPECT_EQ(Shot().pixelColor(arrow), green);
    QTest::keyRelease(view(), Qt::Key_Shift);

    // Insert toggles the caret.
    QTest::keyClick(view(), Qt::Key_Insert);
    EXPECT_EQ(Shot().pixelColor(caret), green);
    QTest::keyClick(view(), Qt::Key_Insert);
    EXPECT_EQ(Shot().pixelColor(caret), black);
}

TEST_F(ViewTest, XSystemAppearsAtOnceAndGoesWithinAFrame) {
    const Bytes screen = RecordBuilder().clearUnit().writeToDisplay().sba(3, 10)
                             .startOfField(0x40, 0, 0x20, 5).insertCursor(3, 11)
                             .readMdtFields().record();
    Host(screen);
    Shot();
    const PixelRect area = ToWindow(InhibitAreaRect(terminal()), view()->horizontalOffset());
    auto bluePixels = [&] {
        const QImage& image = view()->backBuffer();
        int n = 0;
        for (int yy = area.top; yy < area.bottom; ++yy)
            for (int xx = area.left; xx < area.right; ++xx)
                n += image.pixelColor(xx, yy) == Rgb(kDefaultColors[kColorBlue]);
        return n;
    };
    ASSERT_EQ(bluePixels(), 0);
    // A host screen has just started a frame; Enter locks the keyboard and
    // its paint is posted at once, not held for the next frame: the posted
    // events alone show it.
    Host(screen);
    QTest::keyClick(view(), Qt::Key_Return);
    ASSERT_EQ(terminal().state.inputInhibited, 1);
    QCoreApplication::sendPostedEvents();
    EXPECT_GT(bluePixels(), 10);
    // The host's invitation unlocks: gone by the next frame.
    const Bytes unlock = RecordBuilder(ds::kOpInvite).record();
    app_.session().endpoint().OnReceived(unlock.data(), unlock.size());
    ASSERT_EQ(terminal().state.inputInhibited, 0);
    QTest::qWait(2 * CTelnetView::kFrameMilliseconds + 10);
    EXPECT_EQ(bluePixels(), 0);
}

TEST_F(ViewTest, ABurstPaintsAtMostOncePerFrameAndEndsOnItsLastScreen) {
    // Every screen differs from the one before in every row, as a host
    // paging through a listing sends them.
    auto screen = [](int n) {
        RecordBuilder r;
        r.clearUnit().writeToDisplay(0x00, 0x08);
        for (int row = 1; row <= 24; ++row) {
            r.sba(row, 2).attribute(row % 3 ? 0x20 : 0x22)
                .text("SCREEN " + std::to_string(n) + " ROW " + std::to_string(row) +
                      std::string(static_cast<std::size_t>(n % 40), '.'));
        }
        r.sba(24, 60).startOfField(0x40, 0, 0x24, 10).insertCursor(24, 61).readMdtFields();
        return r.record();
    };
    Shot();
    const unsigned long paintsBefore = view()->paintCount();
    const unsigned long framesBefore = view()->frameCount();
    constexpr int kScreens = 300;
    QElapsedTimer clock;
    clock.start();
    for (int n = 1; n <= kScreens; ++n) {
        const Bytes block = screen(n);
        app_.session().endpoint().OnReceived(block.data(), block.size());
        QApplication::processEvents();  // what is due, as between two reads of the socket
    }
    const qint64 elapsed = clock.elapsed();
    QTest::qWait(3 * CTelnetView::kFrameMilliseconds);
    const unsigned long frames = view()->frameCount() - framesBefore;
    const unsigned long paints = view()->paintCount() - paintsBefore;
    EXPECT_LE(frames, static_cast<unsigned long>(elapsed / CTelnetView::kFrameMilliseconds) + 2)
        << "frames are at least a frame's time apart";
    EXPECT_LE(paints, frames + 1) << "one paint a frame";
    EXPECT_GE(frames, 1u);
    std::string title;
    for (int c = 2; c < 18; ++c) title += static_cast<char>(terminal().screen.at(c).character);
    EXPECT_EQ(title, "SCREEN 300 ROW 1");

    // What the frames left in the back buffer is the last screen, exactly as
    // a paint of the whole window draws it.
    const QImage painted = view()->backBuffer().copy();
    EXPECT_TRUE(painted == Shot()) << "the frames' partial repaints left a different picture";
}

TEST_F(ViewTest, HiDpiBackBufferHasTheWindowsDevicePixels) {
    // Runs at the platform's ratio here and once more at 200 % (QT_SCALE_FACTOR).
    Host(RecordBuilder().clearUnit().writeToDisplay().sba(2, 2).attribute(0x22).text("WWW")
             .record());
    const QImage shot = Shot();
    const qreal ratio = view()->devicePixelRatioF();
    if (qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2")) {
        EXPECT_EQ(ratio, 2.0);
    }
    EXPECT_EQ(shot.devicePixelRatio(), ratio);
    EXPECT_EQ(shot.size(), (QSizeF(view()->size()) * ratio).toSize());
    // The cells are measured in logical pixels; their ink is drawn in device ones.
    auto inkIn = [&](int row, int column) {
        const QPoint corner = CellCorner(row, column);
        const int w = terminal().state.cellWidth, h = terminal().state.cellHeight;
        int n = 0;
        for (int y = qRound(corner.y() * ratio); y < qRound((corner.y() + h) * ratio); ++y)
            for (int x = qRound(corner.x() * ratio); x < qRound((corner.x() + w) * ratio); ++x)
                n += qGray(shot.pixel(x, y)) > 96;
        return n;
    };
    const int area = qRound(terminal().state.cellWidth * ratio) *
                     qRound(terminal().state.cellHeight * ratio);
    EXPECT_GT(inkIn(1, 2), area / 12) << "the W's strokes, in its own cell";
    EXPECT_EQ(inkIn(1, 6), 0) << "nothing in the cell after the text";
}

TEST(GlyphCacheTest, AtRatioTwoAGlyphHasTheDevicePixelsOfItsCell) {
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPixelSize(16);
    const int ascent = QFontMetrics(font).ascent();
    GlyphCache cache;
    auto ink = [](const QImage& glyph) {
        int n = 0;
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x) n += qAlpha(glyph.pixel(x, y)) > 128;
        return n;
    };
    const QImage single = cache.Glyph(U'W', 0x00FFFFFF, font, ascent, 10, 20, 1.0);
    EXPECT_EQ(single.size(), QSize(10, 20));
    ASSERT_GT(ink(single), 10);
    const QImage& twice = cache.Glyph(U'W', 0x00FFFFFF, font, ascent, 10, 20, 2.0);
    EXPECT_EQ(cache.size(), 1u) << "another ratio starts the cache over";
    EXPECT_EQ(twice.size(), QSize(20, 40));
    EXPECT_EQ(twice.devicePixelRatio(), 2.0);
    EXPECT_EQ(twice.deviceIndependentSize(), QSizeF(10, 20)) << "the same logical cell";
    // Four device pixels a logical one: the strokes are drawn, not scaled up.
    EXPECT_GT(ink(twice), 3 * ink(single));
    EXPECT_LT(ink(twice), 5 * ink(single));
    bool sharpEdge = false;  // a scaled-up glyph would have only doubled pixels
    for (int y = 0; y + 1 < twice.height() && !sharpEdge; y += 2)
        for (int x = 0; x + 1 < twice.width() && !sharpEdge; x += 2)
            sharpEdge = twice.pixel(x, y) != twice.pixel(x + 1, y) ||
                        twice.pixel(x, y) != twice.pixel(x, y + 1);
    EXPECT_TRUE(sharpEdge);
}

/// Draws every character as a glyph blended onto its cell, never a copy of a
/// whole cell: what the copies must match.
class BlendingCanvas : public QtCanvas {
public:
    using QtCanvas::QtCanvas;
    void DrawCharOver(int x, int y, char32_t ch, Color color, Color) override {
        DrawChar(x, y, ch, color);
    }
};

// Copying whole cached cells into the back buffer is only right when every
// copied pixel is the one blending would give: in each colour, in reverse
// cells, under the selection and over a picture, at 100 % and 200 %, and
// where the damaged region cuts through cells.
TEST(GlyphCacheTest, CopiedCellsArePixelForPixelTheBlendedOnes) {
    StandaloneInterpreter s(80, 24, 37);
    RecordBuilder r;
    r.clearUnit().writeToDisplay(0x00, 0x18);
    const std::uint8_t looks[] = {0x20, 0x21, 0x22, 0x24, 0x25, 0x28, 0x29, 0x30, 0x38, 0x3A, 0x2C};
    for (int row = 1; row <= 12; ++row) {
        r.sba(row, 1);
        for (std::uint8_t look : looks) r.attribute(look).text("Wg|_9 ");
    }
    r.sba(14, 10).startOfField(0x40, 0x00, 0x24, 12).text("typed");
    s.Run(r.record());
    Terminal& t = s.terminal;
    QtFontMeasurer measurer;
    const PixelRect window{0, 0, 900, 560};
    const ScreenFit fit = FitScreenToWindow(t, window, FontPreferences{}, measurer);
    t.selection = CellRect{3, 2, 30, 6};  // over plain and reverse cells alike
    PaintState state;
    state.clientArea = window;
    state.horizontalOffset = fit.horizontalOffset;
    state.charset = &PcCharset::ForCodePage(37);
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(Qt::darkBlue);
    const QImage tile = RepeatedTile(dot);

    auto paint = [&](auto canvasKind, GlyphCache& cache, qreal ratio, const PaintRegion& region) {
        using Canvas = typename decltype(canvasKind)::type;
        QImage image((QSizeF(window.right, window.bottom) * ratio).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        QPainter p(&image);
        Canvas canvas(p, measurer.font());
        canvas.UseGlyphCache(&cache, t.state.cellWidth, t.state.cellHeight);
        PaintScreen(t, state, region, canvas);
        return image;
    };
    const int w = t.state.cellWidth, h = t.state.cellHeight, ox = fit.horizontalOffset;
    PaintRegion cut(PixelRect{ox + 3 * w + 2, 1, ox + 40 * w - 3, 7 * h - 2});
    cut.Add(PixelRect{ox + 50 * w, 9 * h + 3, ox + 70 * w + 1, 14 * h});
    const struct {
        const char* what;
        qreal ratio;
        PaintRegion region;
        bool picture;
    } cases[] = {
        {"the whole window", 1.0, PaintRegion(window), false},
        {"the whole window at 200 %", 2.0, PaintRegion(window), false},
        {"a region that cuts through cells", 1.0, cut, false},
        {"over a tiled picture", 1.0, PaintRegion(window), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BackgroundPicture picture =
            PictureOfPixels(&tile, tile.width(), tile.height(), 96, 96);
        state.backgroundActive = c.picture;
        state.backgroundMode = kBackgroundTiled;
        state.picture = c.picture ? &picture : nullptr;
        GlyphCache copying, blending;
        const QImage copied = paint(std::type_identity<QtCanvas>{}, copying, c.ratio, c.region);
        const QImage blended =
            paint(std::type_identity<BlendingCanvas>{}, blending, c.ratio, c.region);
        EXPECT_GT(copying.cells(), 0u) << "cells were copied, not only blended";
        EXPECT_EQ(blending.cells(), 0u);
        int differing = 0;
        for (int y = 0; y < copied.height(); ++y) {
            for (int x = 0; x < copied.width(); ++x) {
                differing += copied.pixel(x, y) != blended.pixel(x, y);
            }
        }
        EXPECT_EQ(differing, 0);
        EXPECT_EQ(copied.size(), blended.size());
    }
}

TEST_F(ViewTest, KeysReachTheTerminalAsTheKeyboardTablesSay) {
    Host(RecordBuilder().clearUnit().writeToDisplay().sba(3, 10).startOfField(0x43, 0x06, 0x20, 5)
             .sba(4, 10).startOfField(0x40, 0, 0x20, 5).insertCursor(3, 11).readMdtFields()
             .record());
    transport.sent.clear();

    // Keypad + is Field+: the cursor leaves the numeric field, no "+" typed.
    QTest::keyClick(view(), Qt::Key_1);
    QTest::keyClick(view(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(FieldText(2, 10, 5), "    1") << "right-adjusted by Field+";
    EXPECT_EQ(terminal().CursorPosition(), 3 * 80 + 10);

    // Shift+F3 sends F15 (0xB3).
    QTest::keyClick(view(), Qt::Key_F3, Qt::ShiftModifier);
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0][12], 0xB3);

    // Alt+F4 is the Exit command, never an F4 for the host.
    int exits = 0;
    frame().SetHandler(kCmdExit, {[&exits] { ++exits; }});
    terminal().state.inputInhibited = 0;
    // Through the window, as the platform delivers keys, so the shortcut map sees it.
    QTest::keyClick(frame().windowHandle(), Qt::Key_F4, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(transport.sent.size(), 1u);
    // Ctrl+U is an accelerator nothing handles: the field stays as it was.
    QTest::keyClick(frame().windowHandle(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(FieldText(3, 10, 5), "     ");
}

TEST_F(ViewTest, KeysTypedWhileLockedReplayOnceInOrder) {
    // Output Only without a read leaves the keyboard as the connect left
    // it: locked.
    terminal().state.inputInhibited = 1;
    Host(RecordBuilder(ds::kOpOutputOnly).clearUnit().writeToDisplay().sba(3, 10)
             .startOfField(0x40, 0, 0x20, 5).insertCursor(3, 11).record());
    ASSERT_EQ(terminal().state.inputInhibited, 1);
    transport.sent.clear();
    QTest::keyClicks(view(), QStringLiteral("abc"));
    QTest::keyClick(view(), Qt::Key_Return);
    EXPECT_EQ(FieldText(2, 10, 5), "     ") << "held while locked";
    EXPECT_TRUE(transport.sent.empty());

    Host(RecordBuilder(ds::kOpInvite).readMdtFields().record());  // the host unlocks and reads
    EXPECT_EQ(FieldText(2, 10, 5), "abc  ");
    ASSERT_EQ(transport.sent.size(), 1u) << "Enter sent exactly once";
    const auto& r = transport.sent[0];
    EXPECT_EQ(r[12], 0xF1);
    const std::vector<std::uint8_t> data(r.begin() + 16, r.begin() + 21);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0x81, 0x82, 0x83, 0x40, 0x40}));
    Host(RecordBuilder(ds::kOpInvite).record());
    EXPECT_EQ(transport.sent.size(), 1u) << "nothing replayed twice";
}

TEST_F(ViewTest, AClickChoosesAChoiceWhichIsDrawnHighlighted) {
    app_.session().activeSettings.Enhanced = 1;
    Host(RecordBuilder().clearUnit().writeToDisplay().sba(4, 10).startOfField(0x43, 0, 0x20, 2)
             .displayStructuredField(ds::kWdsfDefineSelectionField,
                                     SelectionFieldBuilder(SelectionKind::kSingleChoice)
                                         .layout(6, 0, 0).choice("Red").choice("Green").data())
             .insertCursor(4, 11).readMdtFields(0x00, ds::kCc2UnlockKeyboard).record());
    ASSERT_EQ(terminal().constructs.selectionFields().size(), 1u);
    // "Green" is on row 5 (0-based 4), its text from column 18 (0-based).
    const QColor highlight = QColor::fromRgb(RedOf(terminal().colors[kColorTurquoise]),
                                             GreenOf(terminal().colors[kColorTurquoise]),
                                             BlueOf(terminal().colors[kColorTurquoise]));
    EXPECT_NE(Shot().pixelColor(CellPoint(4, 20, 1, 1)), highlight);
    QTest::mouseClick(view(), Qt::LeftButton, {}, CellPoint(4, 19, 3, 3));
    EXPECT_EQ(FieldText(3, 10, 2), "02") << "the answer field holds the choice's number";
    EXPECT_EQ(Shot().pixelColor(CellPoint(4, 20, 1, 1)), highlight);
    EXPECT_TRUE(transport.sent.empty()) << "no key without auto-enter";
}

TEST_F(ViewTest, DragSelectionCopyAndPaste) {
    Host(RecordBuilder().clearUnit().writeToDisplay().sba(2, 5).text("HELLO WORLD")
             .sba(6, 10).startOfField(0x40, 0, 0x20, 8).insertCursor(6, 11).readMdtFields()
             .record());
    QTest::mousePress(view(), Qt::LeftButton, {}, CellPoint(1, 4, 1, 1));
    QTest::mouseMove(view(), CellPoint(1, 9, 5, 5));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, CellPoint(1, 9, 5, 5));
    EXPECT_EQ(terminal().selection, (CellRect{4, 1, 10, 2}));
    ASSERT_TRUE(frame().Execute(kCmdCopy));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("HELLO"))
        << "trailing blanks trimmed by default";

    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    terminal().SetCursorCell(5, 10);
    ASSERT_TRUE(frame().Execute(kCmdPaste));
    EXPECT_EQ(FieldText(5, 10, 8), "pasted  ");
}

// Needs a platform with a primary selection (X11, Wayland): the offscreen
// one has none, so ctest runs this again on a virtual X server.
TEST_F(ViewTest, DragOffersThePrimarySelectionAndTheMiddleButtonPastesIt) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection()) GTEST_SKIP() << "no primary selection on this platform";
    Host(RecordBuilder().clearUnit().writeToDisplay().sba(2, 5).text("HELLO WORLD")
             .sba(6, 10).startOfField(0x40, 0, 0x20, 8).insertCursor(1, 1).readMdtFields()
             .record());
    clipboard->setText(QStringLiteral("clipboard text"));
    QTest::mousePress(view(), Qt::LeftButton, {}, CellPoint(1, 4, 1, 1));
    QTest::mouseMove(view(), CellPoint(1, 9, 5, 5));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, CellPoint(1, 9, 5, 5));
    EXPECT_EQ(clipboard->text(QClipboard::Selection), QStringLiteral("HELLO"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("clipboard text")) << "the clipboard stays";
    QTest::mouseDClick(view(), Qt::LeftButton, {}, CellPoint(1, 11, 2, 2));
    EXPECT_EQ(clipboard->text(QClipboard::Selection), QStringLiteral("WORLD"));

    // The middle button on the field's third cell: the cursor goes there
    // and the selection is pasted from it.
    QTest::mouseClick(view(), Qt::MiddleButton, {}, CellPoint(5, 12, 3, 3));
    EXPECT_EQ(FieldText(5, 10, 8), "  WORLD ");
    EXPECT_EQ(terminal().CursorRow(), 5);
    EXPECT_EQ(terminal().CursorColumn(), 17);
}

TEST_F(ViewTest, PasteEnablingFollowsTheClipboardsChanges) {
    ClipboardActions& actions = app_.session().input().clipboard();
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(actions.PasteEnabled());
    QGuiApplication::clipboard()->setText(QStringLiteral("x"));
    EXPECT_TRUE(actions.PasteEnabled()) << "the kept answer is dropped on a change";
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(actions.PasteEnabled());
}

/// A wheel event with the given travel (eighths of a degree) sent to the view.
void Wheel(QWidget* view, QPoint angleDelta, Qt::ScrollPhase phase = Qt::NoScrollPhase) {
    const QPointF at(10, 10);
    QWheelEvent event(at, view->mapToGlobal(at), QPoint(), angleDelta, Qt::NoButton,
                      Qt::NoModifier, phase, false);
    QApplication::sendEvent(view, &event);
}

TEST_F(ViewTest, WheelRollsOncePerNotchAndIgnoresSidewaysTravel) {
    Host(RecordBuilder().clearUnit().writeToDisplay().sba(3, 10).startOfField(0x40, 0, 0x20, 5)
             .insertCursor(3, 11).readMdtFields().record());
    transport.sent.clear();
    auto aids = [&] {
        std::vector<int> out;
        for (const auto& r : transport.sent) out.push_back(r.size() > 12 ? r[12] : -1);
        transport.sent.clear();
        terminal().state.inputInhibited = 0;  // ready for the next key
        return out;
    };

    Wheel(view(), {0, 120});  // one notch forward: Page Up, Roll Down
    EXPECT_EQ(aids(), std::vector<int>{0xF4});
    Wheel(view(), {0, -120});
    EXPECT_EQ(aids(), std::vector<int>{0xF5});

    // A tilt wheel, a sideways swipe, the empty events around a gesture.
    Wheel(view(), {120, 0});
    Wheel(view(), {-120, 0});
    Wheel(view(), {0, 0}, Qt::ScrollBegin);
    Wheel(view(), {0, 0}, Qt::ScrollEnd);
    EXPECT_TRUE(aids().empty());

    // A touchpad reports a notch in small steps: one key once they add up.
    for (int i = 0; i < 14; ++i) Wheel(view(), {0, 8}, Qt::ScrollUpdate);
    EXPECT_TRUE(aids().empty());
    Wheel(view(), {0, 8}, Qt::ScrollUpdate);
    EXPECT_EQ(aids(), std::vector<int>{0xF4});
    // A reversal drops what was gathered the other way; a burst is one key.
    Wheel(view(), {0, 100});
    Wheel(view(), {0, -100});
    EXPECT_TRUE(aids().empty());
    Wheel(view(), {0, -20});
    EXPECT_EQ(aids(), std::vector<int>{0xF5});
    Wheel(view(), {0, 1200});
    EXPECT_EQ(aids(), std::vector<int>{0xF4});
}

TEST_F(ViewTest, ComposedCharactersAreTypedLikeKeys) {
    Host(RecordBuilder().clearUnit().writeToDisplay().sba(3, 10).startOfField(0x40, 0, 0x20, 5)
             .insertCursor(3, 11).readMdtFields().record());
    EXPECT_TRUE(view()->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(view()->inputMethodQuery(Qt::ImEnabled).toBool());
    EXPECT_EQ(view()->inputMethodQuery(Qt::ImCursorRectangle).toRect(),
              QtCanvas::ToQRect(ToWindow(CursorCellRect(terminal()), view()->horizontalOffset())));

    const PcCharset& charset = PcCharset::ForCodePage(37);
    const auto pc = [&](char32_t ch) { return static_cast<char>(*charset.FromUnicode(ch)); };
    auto commit = [&](const QString& text) {
        QInputMethodEvent preedit(QStringLiteral("^"), {});
        QApplication::sendEvent(view(), &preedit);  // composing: nothing typed yet
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(view(), &event);
    };
    commit(QStringLiteral("\u00EA"));  // ^ then e on a dead-key layout
    EXPECT_EQ(FieldText(2, 10, 2), (std::string{pc(U'\u00EA'), ' '}));

    // While locked, committed text waits in type-ahead with the other keys.
    terminal().state.inputInhibited = 1;
    commit(QStringLiteral("\u00E9\u00E8"));
    QTest::keyClicks(view(), QStringLiteral("a"));
    EXPECT_EQ(FieldText(2, 11, 3), "   ");
    Host(RecordBuilder(ds::kOpInvite).record());
    EXPECT_EQ(FieldText(2, 10, 4), (std::string{pc(U'\u00EA'), pc(U'\u00E9'), pc(U'\u00E8'), 'a'}));
}

/// Picture files for the background tests, in a folder of their own.
class BackgroundTest : public ViewTest {
protected:
    std::string Picture(const char* name, QColor colour, QSize size) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = dir_.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(image.save(path, "PNG"));
        return path.toStdString();
    }
    std::string Path(const char* name) {
        return dir_.filePath(QString::fromLatin1(name)).toStdString();
    }
    void Load(const std::string& path, bool active = true) {
        view()->SetBackground({active, kBackgroundCentered, path});
        view()->LoadBackgroundImage();
    }
    QRgb PictureColour() const {
        const QImage& p = const_cast<BackgroundTest*>(this)->view()->backgroundPicture();
        return p.isNull() ? 0 : p.pixel(0, 0);
    }
    QTemporaryDir dir_;
};

TEST_F(BackgroundTest, FailedLoadsKeepOrDropThePictureAsTheirCauseSays) {
    ASSERT_TRUE(dir_.isValid());
    Load(Picture("red.png", Qt::red, {30, 20}));
    ASSERT_FALSE(view()->backgroundPicture().isNull());
    EXPECT_EQ(PictureColour(), QColor(Qt::red).rgb());

    // Painted at its own pixel size: the back buffer's resolution sizes it.
    Host(RecordBuilder().clearUnit().writeToDisplay().insertCursor(1, 1).record());
    const QImage shot = Shot();
    int red = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) red += shot.pixel(x, y) == QColor(Qt::red).rgb();
    EXPECT_EQ(red, 30 * 20);

    Load(Path("missing.png"));  // cannot be opened: the previous picture stays
    EXPECT_EQ(PictureColour(), QColor(Qt::red).rgb());
    Load("");
    EXPECT_EQ(PictureColour(), QColor(Qt::red).rgb());
    // A FIFO is not waited on (a blocking read would never return).
    const std::string fifo = Path("fifo.png");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Load(fifo);
    EXPECT_EQ(PictureColour(), QColor(Qt::red).rgb());
    Load(dir_.path().toStdString());  // a folder
    EXPECT_EQ(PictureColour(), QColor(Qt::red).rgb());

    // Inactive: nothing is read; the loaded picture stays, unpainted.
    Load(Picture("blue.png", Qt::blue, {4, 4}), false);
    EXPECT_EQ(PictureColour(), QColor(Qt::red).rgb());
    Load(Path("blue.png"));
    EXPECT_EQ(PictureColour(), QColor(Qt::blue).rgb());

    // Read but not decodable: no picture, the solid background.
    {
        QFile junk(QString::fromStdString(Path("junk.png")));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("this is no picture");
    }
    Load(Path("junk.png"));
    EXPECT_TRUE(view()->backgroundPicture().isNull());
    EXPECT_EQ(view()->paintState().picture, nullptr);
}

TEST_F(BackgroundTest, ASmallTiledPictureRepeatsExactlyAndCentredShowsItOnce) {
    ASSERT_TRUE(dir_.isValid());
    // 3 x 2, its left column red and the rest blue: a tile grown to a larger
    // whole number of repeats paints the same pattern.
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    image.setPixel(0, 0, QColor(Qt::red).rgb());
    image.setPixel(0, 1, QColor(Qt::red).rgb());
    const QString path = dir_.filePath(QStringLiteral("stripe.png"));
    ASSERT_TRUE(image.save(path, "PNG"));
    view()->SetBackground({true, kBackgroundTiled, path.toStdString()});
    Host(RecordBuilder().clearUnit().writeToDisplay().insertCursor(1, 1).record());
    const QImage tiled = Shot();
    const QRgb red = QColor(Qt::red).rgb(), blue = QColor(Qt::blue).rgb();
    // The cleared screen's rows below the cursor's, across the whole width.
    const int h = terminal().state.cellHeight;
    int wrong = 0;
    for (int y = 2 * h; y < (terminal().rows() - 1) * h; ++y)
        for (int x = 0; x < tiled.width(); ++x) wrong += tiled.pixel(x, y) != (x % 3 ? blue : red);
    EXPECT_EQ(wrong, 0);

    // The same picture centred: once, at its own 3 x 2 pixels.
    view()->SetBackground({true, kBackgroundCentered, path.toStdString()});
    const QImage centred = Shot();
    int pictured = 0;
    for (int y = 0; y < centred.height(); ++y)
        for (int x = 0; x < centred.width(); ++x)
            pictured += centred.pixel(x, y) == red || centred.pixel(x, y) == blue;
    EXPECT_EQ(pictured, 3 * 2);
}

TEST_F(ViewTest, RepaintsDoNotAllocateForEachCharacter) {
    if (!testing::AllocatorReplaced()) GTEST_SKIP() << "allocations are the sanitizer's";
    Host(RecordBuilder().clearUnit().writeToDisplay().insertCursor(1, 1).record());
    int drawn = 0;
    static constexpr int kInks[] = {kColorGreen, kColorWhite, kColorRed, kColorYellow};
    for (int i = 0; i < 24 * 80; ++i) {
        terminal().SetCellCharacter(i, static_cast<std::uint8_t>('!' + i % 90));
        ScreenCell& cell = CellLooksForTests::Cell(terminal(), i);
        cell.foreground = kInks[i % 4];
        cell.reverse = i % 7 == 0;
        cell.underline = i % 5 == 0;
        ++drawn;
    }
    terminal().state.inputInhibited = 1;  // "X-System" and the row/column text too
    Shot();  // the first pass fills the glyph cache
    const long before = testing::AllocationCount();
    Shot();
    const long used = testing::AllocationCount() - before;
    // The pass's fixed costs (painter, clip, the two texts) are a few dozen.
    EXPECT_LT(used, drawn / 20) << used << " allocations for " << drawn << " characters";
}

TEST_F(ViewTest, DisabledCommandsDoNothing) {
    terminal().state.connected = 0;
    terminal().selection = CellRect{};
    EXPECT_FALSE(frame().Execute(kCmdCopy));
    EXPECT_FALSE(frame().Execute(kCmdStop));
}

}  // namespace
}  // namespace quenlix::app

namespace quenlix::app {
namespace {

// Run by screenshot.sh on the picture of the view alone showing the demo
// host's sign-on screen (the cursor on row 6, column 53). The screen size, the
// cell size and the screen's left edge are read off the indicator row's
// separator, the picture's first long green line (C x W long, at (R + 1) x H),
// so the cells are checked where the view put them.
TEST(Screenshot, SignOnScreenShowsTheHostsColoursInTheirCells) {
    const QByteArray path = qgetenv("QUENLIX_CHECK_SCREENSHOT");
    if (path.isEmpty()) GTEST_SKIP() << "run by screenshot.sh";
    const QImage shot = QImage(QString::fromLocal8Bit(path)).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    const QRgb green = qRgb(20, 255, 20);  // the separator, drawn without smoothing

    int separator = -1, left = 0, length = 0;
    for (int y = 0; y < shot.height() && separator < 0; ++y) {
        int run = 0;
        length = 0;
        for (int x = 0; x < shot.width(); ++x) {
            run = shot.pixel(x, y) == green ? run + 1 : 0;
            if (run > length) {
                length = run;
                left = x - run + 1;
            }
        }
        if (length >= shot.width() / 2) separator = y;
    }
    ASSERT_GE(separator, 0) << "no separator line";
    int rows = 0, columns = 0;
    for (const auto& [r, c] : {std::pair{24, 80}, std::pair{27, 132}}) {
        if (length % c == 0 && separator % (r + 1) == 0) {
            rows = r;
            columns = c;
        }
    }
    ASSERT_NE(columns, 0) << "a separator " << length << " long at y " << separator
                          << " fits neither screen size";
    const int w = length / columns;
    const int h = separator / (rows + 1);
    for (int x = left; x < left + length; x += w) {
        ASSERT_EQ(shot.pixel(x, separator + 1), green) << "the weight 450 doubles the line";
    }
    // Text is smoothed: its edge pixels are darker shades of its colour.
    enum Ink { kWhiteInk, kGreenInk };
    auto is = [](QRgb p, Ink ink) {
        const int r = qRed(p), g = qGreen(p), b = qBlue(p);
        if (ink == kGreenInk) return g >= 96 && r * 3 < g && b * 3 < g;
        return std::min({r, g, b}) >= 96 && std::max({r, g, b}) - std::min({r, g, b}) < 24;
    };
    auto count = [&](int top, int bottom, int column, int span, Ink ink) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left + column * w; x < left + (column + span) * w; ++x)
                n += is(shot.pixel(x, y), ink);
        return n;
    };
    auto inRow = [&](int row, int column, int span, Ink ink) {
        return count(row * h, (row + 1) * h, column, span, ink);
    };

    // "Sign On", white, centred on the first row; nothing else there.
    const int title = (columns - 7) / 2;
    EXPECT_GT(inRow(0, title, 7, kWhiteInk), 7 * 6);
    EXPECT_EQ(inRow(0, title, 7, kGreenInk), 0);
    EXPECT_EQ(inRow(0, 0, title, kWhiteInk) + inRow(0, 0, title, kGreenInk), 0);
    // The labels are green: "User" on row 6, "System" on row 2.
    EXPECT_GT(inRow(5, 16, 4, kGreenInk), 4 * 6);
    EXPECT_EQ(inRow(5, 16, 4, kWhiteInk), 0);
    EXPECT_GT(inRow(1, 47, 6, kGreenInk), 6 * 6);
    // The cursor's solid block inverts its cell on row 6, column 53.
    EXPECT_GT(inRow(5, 52, 1, kWhiteInk), w * (h - 1) / 2);
    EXPECT_LT(inRow(5, 51, 1, kWhiteInk), w);
    // The row/column indicator "06/053" in green at its place, right of an
    // empty stretch of the indicator row.
    const int top = separator + 2;
    EXPECT_GT(count(top, top + h, columns - 7, 6, kGreenInk), 6 * 6);
    EXPECT_EQ(count(top, top + h, columns - 7, 6, kWhiteInk), 0);
    EXPECT_EQ(count(top, top + h, 46, columns - 7 - 46, kGreenInk), 0);
}

}  // namespace
}  // namespace quenlix::app
