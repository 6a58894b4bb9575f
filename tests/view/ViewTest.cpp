// The desktop view as a person sees and uses it, on the offscreen platform:
// pixel colours of styled cells, the cursor forms and the indicators, keys
// reaching the terminal (or not), type-ahead, selection, copy and paste.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <cstdlib>

#include "app/CTelnetApp.h"
#include "app/CommandIds.h"
#include "display/ViewLayout.h"
#include "ds5250/RecordBuilder.h"

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

    terminal().state.CursorForm = 0;  // solid block: the whole cell inverted
    QImage img = Shot();
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 1, 1)), white);
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, w - 2, h - 2)), white);

    terminal().state.CursorForm = 1;  // underscore: only the bottom
    img = Shot();
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 1, 1)), black);
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 1, h - 1)), white);

    terminal().state.CursorForm = 2;  // vertical bar: only the left edge
    img = Shot();
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, 0, h / 2)), white);
    EXPECT_EQ(img.pixelColor(CellPoint(9, 9, w - 1, h / 2)), black);

    // Double-click selects the word: selected cells are filled green.
    QTest::mouseDClick(view(), Qt::LeftButton, {}, CellPoint(4, 11, 2, 2));
    img = Shot();
    EXPECT_EQ(img.pixelColor(CellCorner(4, 10)), Rgb(kDefaultColors[kColorGreen]));
    EXPECT_EQ(img.pixelColor(CellCorner(4, 14)), black);
}

TEST_F(ViewTest, IndicatorsAndXSystemAtOnce) {
    Host(RecordBuilder().clearUnit().writeToDisplay().record());
    const Terminal& t = terminal();
    terminal().state.messageWaiting = 1;
    QImage img = Shot();
    // The envelope's top edge runs along y = T + 4 from column 2 to column 4.
    const int top = (t.rows() + 1) * t.state.cellHeight + 4;
    const int x = view()->horizontalOffset() + 3 * t.state.cellWidth;
    EXPECT_EQ(img.pixelColor(x, top), Rgb(kDefaultColors[kColorGreen]));

    // Locking the keyboard draws "X-System" straight away, without a paint pass.
    const PixelRect area = ToWindow(InhibitAreaRect(t), view()->horizontalOffset());
    auto bluePixels = [&](const QImage& image) {
        int n = 0;
        for (int yy = area.top; yy < area.bottom; ++yy)
            for (int xx = area.left; xx < area.right; ++xx)
                n += image.pixelColor(xx, yy) == Rgb(kDefaultColors[kColorBlue]);
        return n;
    };
    EXPECT_EQ(bluePixels(view()->backBuffer()), 0);
    Host(RecordBuilder().writeToDisplay(0x00, 0x01).record());
    EXPECT_GT(bluePixels(view()->backBuffer()), 10);
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
    Host(RecordBuilder().clearUnit().writeToDisplay(0x00, 0x01).sba(3, 10)
             .startOfField(0x40, 0, 0x20, 5).insertCursor(3, 11).readMdtFields().record());
    ASSERT_EQ(terminal().state.inputInhibited, 1);
    transport.sent.clear();
    QTest::keyClicks(view(), QStringLiteral("abc"));
    QTest::keyClick(view(), Qt::Key_Return);
    EXPECT_EQ(FieldText(2, 10, 5), "     ") << "held while locked";
    EXPECT_TRUE(transport.sent.empty());

    Host(RecordBuilder(ds::kOpInvite).record());  // the host unlocks
    EXPECT_EQ(FieldText(2, 10, 5), "abc  ");
    ASSERT_EQ(transport.sent.size(), 1u) << "Enter sent exactly once";
    const auto& r = transport.sent[0];
    EXPECT_EQ(r[12], 0xF1);
    const std::vector<std::uint8_t> data(r.begin() + 16, r.begin() + 21);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0x81, 0x82, 0x83, 0x40, 0x40}));
    Host(RecordBuilder(ds::kOpInvite).record());
    EXPECT_EQ(transport.sent.size(), 1u) << "nothing replayed twice";
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

// Run by screenshot.sh on the picture of the sign-on screen: its title is
// white, its labels green, on the black background, above the green
// separator of the indicator row.
TEST(Screenshot, SignOnScreenShowsTheHostsColours) {
    const QByteArray path = qgetenv("QUENLIX_CHECK_SCREENSHOT");
    if (path.isEmpty()) GTEST_SKIP() << "run by screenshot.sh";
    const QImage shot(QString::fromLocal8Bit(path));
    ASSERT_FALSE(shot.isNull());
    const QColor white(255, 255, 255), green(20, 255, 20);
    int whiteTop = shot.height(), greenTop = shot.height(), greenCount = 0, whiteCount = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = shot.width() / 8; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c == white) {
                whiteTop = std::min(whiteTop, y);
                ++whiteCount;
            } else if (c == green) {
                greenTop = std::min(greenTop, y);
                ++greenCount;
            }
        }
    }
    EXPECT_GT(whiteCount, 50) << "the white title";
    EXPECT_GT(greenCount, 500) << "green labels and fields";
    EXPECT_LT(whiteTop, greenTop) << "the title sits above the labels";
}

}  // namespace
}  // namespace quenlix::app
