// The demo host's choices screen in the desktop program, the host served in
// the test's own thread: the window, the selection fields and the scroll
// bar as drawn, a choice made with the mouse. Saved as a picture when
// QUENLIX_CHOICES_SHOT names a file (run under a virtual X server).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/CMainFrame.h"
#include "app/CTelnetApp.h"
#include "app/CTelnetView.h"
#include "demohost/HostSession.h"
#include "terminal/SelectionAnswer.h"

namespace quenlix::app {
namespace {

class HostTransport : public RecordSender {
public:
    explicit HostTransport(demohost::HostSession& host) : host_(host) {}
    void Send(const std::uint8_t* bytes, std::size_t count) override { host_.Receive(bytes, count); }

private:
    demohost::HostSession& host_;
};

TEST(EnhancedScreenshot, TheDemoHostsChoicesScreenIsDrawnAndTakesAClick) {
    const QString shot = qEnvironmentVariable("QUENLIX_CHOICES_SHOT");
    if (shot.isEmpty()) GTEST_SKIP() << "set QUENLIX_CHOICES_SHOT to a file to take the picture";
    CTelnetApp app(QUENLIX_TABLE_DIR, "TESTPC");
    TerminalSession& s = app.session();
    s.activeSettings.TerminalName = "IBM-5292-2";
    s.activeSettings.TerminalCaract = "24 * 80";
    s.activeSettings.PageCode = 37;
    s.activeSettings.Enhanced = 1;
    s.terminal.screen.AllocateCells(80, 24);
    s.terminal.screen.SetGeometry(80, 24);
    s.terminal.state.connected = 1;
    s.terminal.state.BlinkCursor = 0;
    demohost::HostSession host;
    HostTransport transport(host);
    s.endpoint().SetTransport(&transport);
    app.frame().resize(1000, 700);
    app.frame().show();
    QApplication::setActiveWindow(&app.frame());
    (void)QTest::qWaitForWindowActive(&app.frame());
    CTelnetView* view = app.frame().view();
    view->setFocus();
    auto pump = [&] {
        for (int round = 0; round < 50; ++round) {
            const std::vector<std::uint8_t> out = host.TakeOutput();
            if (out.empty()) break;
            s.endpoint().OnReceived(out.data(), out.size());
            QApplication::processEvents();
        }
        QTest::qWait(2 * CTelnetView::kFrameMilliseconds + 10);
    };
    host.Start();
    pump();
    ASSERT_EQ(host.screen(), demohost::ScreenId::kSignOn);
    QTest::keyClicks(view, "DEMO");
    QTest::keyClick(view, Qt::Key_Return);
    pump();
    QTest::keyClicks(view, "10");
    QTest::keyClick(view, Qt::Key_Return);
    pump();
    ASSERT_EQ(host.screen(), demohost::ScreenId::kChoices);
    const Terminal& t = s.terminal;
    ASSERT_EQ(t.constructs.selectionFields().size(), 2u);
    ASSERT_EQ(t.constructs.scrollBars().size(), 1u);
    const SelectionChoice& medium = t.constructs.selectionFields()[0].choices[1];
    QTest::mouseClick(view, Qt::LeftButton, {},
                      QPoint(view->horizontalOffset() + (medium.column + 5) * t.state.cellWidth + 2,
                             (medium.row - 1) * t.state.cellHeight + 2));
    QTest::qWait(2 * CTelnetView::kFrameMilliseconds + 10);
    EXPECT_TRUE(ChoiceChosen(t, t.constructs.selectionFields()[0], 1));
    EXPECT_TRUE(view->grab().save(shot));
    s.endpoint().SetTransport(nullptr);
}

}  // namespace
}  // namespace quenlix::app
