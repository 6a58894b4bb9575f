// Hotspots in the desktop view, on the offscreen platform (and again on a
// virtual X server): shown only under the mouse, a click sending exactly
// what the key sends, a locked keyboard's refusal, the option that turns
// them off, an address handed to the desktop, and the accessible buttons.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QUrl>
#include <algorithm>

#include "app/CTelnetApp.h"
#include "app/CommandIds.h"
#include "ds5250/RecordBuilder.h"
#include "input/KeyRefusal.h"

namespace quenlix::app {
namespace {

using quenlix::RecordBuilder;

class Transport : public RecordSender {
public:
    void Send(const std::uint8_t* bytes, std::size_t count) override {
        sent.emplace_back(bytes, bytes + count);
    }
    std::vector<std::vector<std::uint8_t>> sent;
};

/// A menu as hosts write it: two items (from row `itemRow`), a command
/// line, the function keys and an address, the cursor in the command line.
Bytes MenuScreen(int itemRow = 4) {
    return RecordBuilder()
        .clearUnit()
        .writeToDisplay()
        .sba(1, 30)
        .text("MAIN MENU")
        .sba(itemRow, 5)
        .text("1. User tasks")
        .sba(itemRow + 1, 5)
        .text("2. Office tasks")
        .sba(20, 2)
        .text("===>")
        .startOfField(0x40, 0x00, 0x20, 10)
        .sba(22, 2)
        .text("F3=Exit   F12=Cancel")
        .sba(23, 2)
        .text("https://example.com/help")
        .insertCursor(20, 7)
        .readMdtFields()
        .record();
}

class HotspotViewTest : public ::testing::Test {
protected:
    HotspotViewTest() : app_(QUENLIX_TABLE_DIR, "TESTPC") {
        app_.messages().interceptor = [](std::string_view, MessageIcon) {};
        app_.openUrl = [this](const QUrl& url) { opened.push_back(url.toString()); };
        TerminalSession& s = app_.session();
        s.activeSettings.Name = "Test";
        s.activeSettings.TerminalCaract = "24 * 80";
        s.activeSettings.PageCode = 37;
        s.terminal.screen.AllocateCells(80, 24);
        s.terminal.screen.SetGeometry(80, 24);
        s.terminal.state.connected = 1;
        s.terminal.state.BlinkCursor = 0;
        s.endpoint().SetTransport(&transport);
        app_.frame().resize(1000, 700);
        app_.frame().show();
        QApplication::setActiveWindow(&app_.frame());
        (void)QTest::qWaitForWindowExposed(&app_.frame());
        view()->setFocus();
        QApplication::processEvents();
    }
    ~HotspotViewTest() override { app_.session().endpoint().SetTransport(nullptr); }

    CTelnetView* view() { return app_.frame().view(); }
    Terminal& terminal() { return app_.session().terminal; }
    /// A host record, and the frame that shows it.
    void Host(const Bytes& record) {
        app_.session().endpoint().OnReceived(record.data(), record.size());
        QTest::qWait(2 * CTelnetView::kFrameMilliseconds);
    }
    /// The hotspot whose text begins with `text`.
    Hotspot Find(const std::string& text) {
        for (const Hotspot& h : view()->Hotspots()) {
            if (h.text.starts_with(text)) return h;
        }
        ADD_FAILURE() << "no hotspot " << text;
        return {};
    }
    /// The mouse moved there without a button, delivered to the view as the
    /// window system delivers it (a real pointer's own moves would come back
    /// late from a loaded X server).
    void MoveTo(const QPoint& point) {
        QMouseEvent move(QEvent::MouseMove, point, view()->mapToGlobal(point), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view(), &move);
        QApplication::processEvents();
    }
    /// A point inside the hotspot's second cell.
    QPoint On(const Hotspot& h) {
        const Terminal& t = terminal();
        return {view()->horizontalOffset() + (h.column + 1) * t.state.cellWidth + 2,
                h.row * t.state.cellHeight + t.state.cellHeight / 2};
    }
    QPoint Cell(int row, int column) {
        const Terminal& t = terminal();
        return {view()->horizontalOffset() + column * t.state.cellWidth + 2,
                row * t.state.cellHeight + t.state.cellHeight / 2};
    }
    /// Pixels of the hotspot's bottom line that the window shows otherwise
    /// than the back buffer holds.
    int UnderlinePixelsShown(const Hotspot& h) {
        const QImage window = view()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage& back = view()->backBuffer();
        const Terminal& t = terminal();
        const int y = (h.row + 1) * t.state.cellHeight - 1;
        int differ = 0;
        for (int x = view()->horizontalOffset() + h.column * t.state.cellWidth;
             x < view()->horizontalOffset() + (h.column + h.length) * t.state.cellWidth; ++x) {
            if (window.pixel(x, y) != back.pixel(x, y)) ++differ;
        }
        return differ;
    }

    Transport transport;
    std::vector<QString> opened;
    CTelnetApp app_;
};

TEST_F(HotspotViewTest, ShownOnlyUnderTheMouseAndFoundAgainAsTheScreenChanges) {
    Host(MenuScreen());
    const Hotspot f3 = Find("F3=Exit");
    EXPECT_EQ(view()->hoveredHotspot(), nullptr);
    EXPECT_EQ(UnderlinePixelsShown(f3), 0) << "the screen as the host drew it";

    MoveTo(On(f3));
    ASSERT_NE(view()->hoveredHotspot(), nullptr);
    EXPECT_EQ(view()->hoveredHotspot()->text, "F3=Exit");
    EXPECT_EQ(view()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_GT(UnderlinePixelsShown(f3), f3.length * terminal().state.cellWidth / 2)
        << "underlined on the window, the back buffer untouched";

    // To a blank cell, and over protected text that is no hotspot.
    MoveTo(Cell(10, 40));
    EXPECT_EQ(view()->hoveredHotspot(), nullptr);
    EXPECT_EQ(view()->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(UnderlinePixelsShown(f3), 0);
    MoveTo(Cell(0, 31));
    EXPECT_EQ(view()->hoveredHotspot(), nullptr);

    // The mouse rests on F3=Exit while the host replaces the row.
    MoveTo(On(f3));
    ASSERT_NE(view()->hoveredHotspot(), nullptr);
    Host(RecordBuilder().writeToDisplay().sba(22, 2).text("Press Enter to go on  ").record());
    EXPECT_EQ(view()->hoveredHotspot(), nullptr) << "gone with its text";
    EXPECT_EQ(view()->cursor().shape(), Qt::ArrowCursor);
    Host(RecordBuilder().writeToDisplay().sba(22, 2).text("F3=Exit   F12=Cancel ").record());
    ASSERT_NE(view()->hoveredHotspot(), nullptr) << "back under the resting mouse";
    EXPECT_EQ(view()->hoveredHotspot()->action, "F3");
}

TEST_F(HotspotViewTest, AClickSendsWhatItsKeySendsOnlyWhileTheKeyboardIsFree) {
    Host(MenuScreen());
    transport.sent.clear();
    QTest::keyClick(view(), Qt::Key_F3);
    ASSERT_EQ(transport.sent.size(), 1u);
    const std::vector<std::uint8_t> byKey = transport.sent[0];
    EXPECT_EQ(byKey[12], 0x33) << "F3";

    // Locked: refused with its reason, never held for a later screen.
    terminal().state.inputInhibited = 1;
    transport.sent.clear();
    QTest::mouseClick(view(), Qt::LeftButton, {}, On(Find("F3=Exit")));
    EXPECT_TRUE(transport.sent.empty());
    EXPECT_EQ(terminal().state.refusedReason, refusal::kClickWhileLocked);

    Host(MenuScreen());
    const int cursor = terminal().CursorPosition();
    QTest::mouseClick(view(), Qt::LeftButton, {}, On(Find("F3=Exit")));
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0], byKey);
    EXPECT_EQ(terminal().CursorPosition(), cursor) << "the click does not move the cursor";

    // A click before the screen's frame acts on the screen the model holds:
    // item 2, moved, typed into the command line (row 20, data from column
    // 7), then Enter.
    const Bytes menu = MenuScreen(9);
    app_.session().endpoint().OnReceived(menu.data(), menu.size());
    transport.sent.clear();
    QTest::mouseClick(view(), Qt::LeftButton, {}, On(Find("2. Office")));
    ASSERT_EQ(transport.sent.size(), 1u);
    const std::vector<std::uint8_t>& r = transport.sent[0];
    EXPECT_EQ(r[12], 0xF1) << "Enter";
    const std::vector<std::uint8_t> field = {0x11, 20, 7, 0xF2};
    EXPECT_NE(std::search(r.begin(), r.end(), field.begin(), field.end()), r.end());
}

TEST_F(HotspotViewTest, TheOptionOffLeavesPlainTextThatAClickPutsTheCursorOn) {
    Host(MenuScreen());
    const Hotspot f3 = Find("F3=Exit");
    ASSERT_TRUE(app_.frame().Execute(kCmdHotspots));
    EXPECT_FALSE(view()->hotspotsEnabled());
    EXPECT_TRUE(view()->Hotspots().empty());
    EXPECT_EQ(app_.userSettings().Hotspots, 0);
    transport.sent.clear();
    MoveTo(On(f3));
    EXPECT_EQ(view()->hoveredHotspot(), nullptr);
    EXPECT_EQ(view()->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(view(), Qt::LeftButton, {}, On(f3));
    EXPECT_TRUE(transport.sent.empty());
    EXPECT_EQ(terminal().CursorRow(), f3.row);
    EXPECT_EQ(terminal().CursorColumn(), f3.column + 1);
    // On again: the one under the resting mouse shows at once.
    ASSERT_TRUE(app_.frame().Execute(kCmdHotspots));
    ASSERT_NE(view()->hoveredHotspot(), nullptr);
}

TEST_F(HotspotViewTest, AnAddressGoesToTheDesktopAndADragOverAHotspotSelects) {
    Host(MenuScreen());
    transport.sent.clear();
    const Hotspot url = Find("https://");
    QTest::mouseClick(view(), Qt::LeftButton, {}, On(url));
    EXPECT_EQ(opened, std::vector<QString>{QStringLiteral("https://example.com/help")});
    EXPECT_TRUE(transport.sent.empty());
    // A drag that starts on a hotspot is a selection, not a click.
    const Hotspot f3 = Find("F3=Exit");
    QTest::mousePress(view(), Qt::LeftButton, {}, On(f3));
    QTest::mouseMove(view(), Cell(f3.row, f3.column + 5));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, Cell(f3.row, f3.column + 5));
    EXPECT_TRUE(transport.sent.empty());
    EXPECT_FALSE(terminal().selection.empty());
}

TEST_F(HotspotViewTest, AssistiveTechnologyFindsButtonsAndLinksThatAct) {
    Host(MenuScreen());
    QAccessibleInterface* screen = QAccessible::queryAccessibleInterface(view());
    ASSERT_NE(screen, nullptr);
    QAccessibleInterface* f3 = nullptr;
    QAccessibleInterface* item = nullptr;
    QAccessibleInterface* link = nullptr;
    for (int i = 0; i < screen->childCount(); ++i) {
        QAccessibleInterface* c = screen->child(i);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(screen->indexOfChild(c), i);
        const QString name = c->text(QAccessible::Name);
        if (name == QStringLiteral("F3=Exit")) f3 = c;
        if (name.startsWith(QStringLiteral("1. User"))) item = c;
        if (name.startsWith(QStringLiteral("https://"))) link = c;
    }
    ASSERT_TRUE(f3 && item && link);
    EXPECT_EQ(f3->role(), QAccessible::Button);
    EXPECT_EQ(f3->text(QAccessible::Description), QStringLiteral("presses F3"));
    EXPECT_EQ(item->text(QAccessible::Description), QStringLiteral("types 1 and presses Enter"));
    EXPECT_EQ(link->role(), QAccessible::Link);
    QAccessibleActionInterface* press = f3->actionInterface();
    ASSERT_NE(press, nullptr);
    EXPECT_EQ(press->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    transport.sent.clear();
    press->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0][12], 0x33);
}

}  // namespace
}  // namespace quenlix::app
