// Hotspot clicks against the demo host: a click on the main menu's item
// and on F3=Exit, through a relay on loopback that keeps every byte the
// terminal sent, so the records are seen exactly as the host got them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <algorithm>
#include <functional>

#include "ShellDoubles.h"
#include "app/CTelnetApp.h"
#include "prefs/SettingsStore.h"
#include "support/DemoHostThread.h"
#include "support/RecordingRelay.h"
#include "terminal/ScreenReading.h"

namespace quenlix::app {
namespace {

using quenlix::testing::DemoHostThread;
using quenlix::testing::RecordingRelay;
using Bytes = std::vector<std::uint8_t>;

bool WaitFor(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

bool Holds(const Bytes& sent, const Bytes& part) {
    return std::search(sent.begin(), sent.end(), part.begin(), part.end()) != sent.end();
}

class HotspotClickTest : public ::testing::Test {
protected:
    HotspotClickTest() : app(QUENLIX_TABLE_DIR, "PC1", store, &questions) {
        app.messages().interceptor = [](std::string_view, MessageIcon) {};
        app.frame().resize(1000, 700);
        app.frame().show();
        (void)QTest::qWaitForWindowExposed(&app.frame());
    }
    /// The screen holds `text` and the host waits for the operator.
    bool Shows(const std::string& text) {
        return WaitFor([&] {
            const Terminal& t = app.session().terminal;
            return ReadableText(t).find(text) != std::string::npos && t.state.inputInhibited == 0 &&
                   (t.state.pendingRead == kReadInputFields ||
                    t.state.pendingRead == kReadMdtFields);
        });
    }
    /// A left click in the middle of the hotspot whose text begins with `text`.
    void Click(const std::string& text) {
        CTelnetView& view = app.active().view();
        const Terminal& t = app.session().terminal;
        for (const Hotspot& h : view.Hotspots()) {
            if (!h.text.starts_with(text)) continue;
            const QPoint at(view.horizontalOffset() + h.column * t.state.cellWidth +
                                h.length * t.state.cellWidth / 2,
                            h.row * t.state.cellHeight + t.state.cellHeight / 2);
            QTest::mouseClick(&view, Qt::LeftButton, {}, at);
            return;
        }
        ADD_FAILURE() << "no hotspot " << text << " on\n" << ReadableText(t);
    }

    MemorySettingsStore store;
    testing::ScriptedQuestions questions;
    CTelnetApp app;
};

TEST_F(HotspotClickTest, TheMenusItemAndF3ReachTheDemoHostAsTheirRecords) {
    DemoHostThread host(3, "DEMO", false);
    RecordingRelay relay(host.port());
    SessionSettings& s = app.session().activeSettings;
    s.Name = "Demo";
    s.IP = "127.0.0.1";
    s.Port = relay.port();
    s.PageCode = 37;
    s.TerminalName = "IBM-5292-2";
    s.TerminalCaract = "24 * 80";
    app.Start();
    ASSERT_TRUE(Shows("Sign On"));
    app.session().input().Type("demo");
    app.session().input().PerformFunction(KeyFunction::kEnter);
    ASSERT_TRUE(Shows("Main Menu"));

    // Item 1: "1" typed into the command line (row 20, data from column 8)
    // and Enter (0xF1) from the cursor after it, as the operator would.
    Click("1. Data entry");
    ASSERT_TRUE(Shows("Data Entry")) << ReadableText(app.session().terminal);

    // F3=Exit: the F3 key (0x33) from where the cursor is, nothing typed.
    const Terminal& t = app.session().terminal;
    const Bytes f3 = {static_cast<std::uint8_t>(t.CursorRow() + 1),
                      static_cast<std::uint8_t>(t.CursorColumn() + 1), 0x33, 0xFF, 0xEF};
    Click("F3=Exit");
    ASSERT_TRUE(Shows("Main Menu")) << ReadableText(t);
    app.session().EndSession();
    const Bytes sent = relay.Sent();
    EXPECT_TRUE(Holds(sent, {0x14, 0x09, 0xF1, 0x11, 0x14, 0x08, 0xF1, 0xFF, 0xEF}));
    EXPECT_TRUE(Holds(sent, f3));
}

}  // namespace
}  // namespace quenlix::app
