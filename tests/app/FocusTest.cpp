// Where the keys go around dialogs, the help window and menus: a dialog that
// opens takes them, and when it closes they go back to the terminal view,
// also when the focus was left in the menu bar (Alt seen alone around a
// window manager's Alt+F4).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "ShellDoubles.h"
#include "app/CTelnetApp.h"
#include "app/CommandIds.h"
#include "app/FocusKeeper.h"
#include "app/HelpWindow.h"
#include "prefs/SettingsStore.h"

namespace quenlix::app {
namespace {

struct FocusShell {
    FocusShell() : app(QUENLIX_TABLE_DIR, "PC1", store, &questions) {
        app.messages().interceptor = [](std::string_view, MessageIcon) {};
        CMainFrame& f = app.frame();
        f.show();
        f.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        f.view()->setFocus();
    }
    CTelnetView* view() { return app.frame().view(); }
    bool ViewHasKeys() {
        return QTest::qWaitFor([this] { return QApplication::focusWidget() == view(); }, 2000);
    }

    MemorySettingsStore store;
    testing::ScriptedQuestions questions;
    CTelnetApp app;
};

TEST(FocusTest, AModalBoxTakesTheKeysAndClosingItGivesThemBackToTheScreen) {
    FocusShell shell;
    CMainFrame& f = shell.app.frame();
    // What Alt alone leaves behind: the menu bar holding the focus.
    f.menuBar()->setFocus(Qt::MenuBarFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), f.menuBar());

    bool boxHadKeys = false;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Quenlix Telnet"),
                    QStringLiteral("Do you want to end this session?"),
                    QMessageBox::Yes | QMessageBox::No, &f);
    box.setDefaultButton(QMessageBox::Yes);
    QTimer::singleShot(0, &box, [&] {
        boxHadKeys = QTest::qWaitFor([&] { return QApplication::activeWindow() == &box; }, 2000);
        // Return answers the box at once: its default button.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(box.exec(), QMessageBox::Yes);
    EXPECT_TRUE(boxHadKeys);
    EXPECT_TRUE(shell.ViewHasKeys()) << "the keys went back to the screen";
}

TEST(FocusTest, TheHelpWindowOpensInFrontAndClosingItGivesTheKeysBack) {
    FocusShell shell;
    CMainFrame& f = shell.app.frame();
    ASSERT_TRUE(f.Execute(kCmdKeyboardLayout));
    auto* help = f.findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == help; }, 2000));
    help->close();
    EXPECT_TRUE(shell.ViewHasKeys());

    // The operator's own window stays where it is: a help window left open
    // keeps the keys while a menu of the main window comes and goes.
    ASSERT_TRUE(f.Execute(kCmdKeyboardLayout));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == help; }, 2000));
    EXPECT_FALSE(shell.app.focusKeeper().ReturnKeyboardToView());
    help->close();
}

TEST(FocusTest, AMenuThatClosesGivesTheKeysBackToTheScreen) {
    FocusShell shell;
    CMainFrame& f = shell.app.frame();
    f.menuBar()->setFocus(Qt::MenuBarFocusReason);
    // The screen's context menu, closed without a choice.
    bool shown = false;
    QTimer::singleShot(0, &f, [&] {
        shown = QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 2000);
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
    emit shell.view()->contextMenuRequested(f.mapToGlobal(QPoint(40, 80)));
    EXPECT_TRUE(shown);
    EXPECT_TRUE(shell.ViewHasKeys());
}

}  // namespace
}  // namespace quenlix::app
