// The terminal view through Qt's accessibility, as a screen reader's bridge
// sees it on the offscreen platform: the screen's text and caret, the field
// children, the events each frame raises, and password data that never
// leaves the program.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

#include "app/AccessibleText.h"
#include "app/CTelnetApp.h"
#include "app/CommandIds.h"
#include "app/ReadingCommands.h"
#include "ds5250/RecordBuilder.h"
#include "support/SampleScreens.h"

namespace quenlix::app {
namespace {

using quenlix::RecordBuilder;

class SilentTransport : public RecordSender {
public:
    void Send(const std::uint8_t*, std::size_t) override {}
};

/// One event as the bridge got it, read when it was raised.
struct Heard {
    QAccessible::Event type;
    QAccessible::Role role;
    QString name;
    QString text;  // text inserted or removed
    int position = -1;
};
std::vector<Heard> heard;

void Record(QAccessibleEvent* event) {
    QAccessibleInterface* iface = event->accessibleInterface();
    Heard h{event->type(), iface ? iface->role() : QAccessible::NoRole,
            iface ? iface->text(QAccessible::Name) : QString(), {}, -1};
    if (event->type() == QAccessible::TextInserted) {
        const auto* e = static_cast<QAccessibleTextInsertEvent*>(event);
        h.text = e->textInserted();
        h.position = e->changePosition();
    } else if (event->type() == QAccessible::TextRemoved) {
        h.text = static_cast<QAccessibleTextRemoveEvent*>(event)->textRemoved();
    } else if (event->type() == QAccessible::TextCaretMoved) {
        h.position = static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition();
    }
    heard.push_back(h);
}

class AccessibilityTest : public ::testing::Test {
protected:
    AccessibilityTest() : app_(QUENLIX_TABLE_DIR, "TESTPC") {
        TerminalSession& s = app_.session();
        s.activeSettings.TerminalCaract = "24 * 80";
        s.activeSettings.PageCode = 37;
        s.terminal.screen.AllocateCells(80, 24);
        s.terminal.screen.SetGeometry(80, 24);
        s.terminal.state.connected = 1;
        s.endpoint().SetTransport(&transport_);
        app_.frame().resize(1000, 700);
        app_.frame().show();
        QApplication::setActiveWindow(&app_.frame());
        (void)QTest::qWaitForWindowActive(&app_.frame());
        view()->setFocus();
        TerminalAccessibility::SetEventSink(Record);
        Frame();
        heard.clear();
    }
    ~AccessibilityTest() override {
        TerminalAccessibility::SetEventSink(nullptr);
        app_.session().endpoint().SetTransport(nullptr);
    }

    CTelnetView* view() { return app_.frame().view(); }
    Terminal& terminal() { return app_.session().terminal; }
    QAccessibleInterface* Screen() { return QAccessible::queryAccessibleInterface(view()); }
    void Host(const Bytes& record) {
        app_.session().endpoint().OnReceived(record.data(), record.size());
        Frame();
    }
    static void Frame() { QTest::qWait(2 * CTelnetView::kFrameMilliseconds + 10); }
    static std::vector<Heard> Events(QAccessible::Event type) {
        std::vector<Heard> out;
        for (const Heard& h : heard) {
            if (h.type == type) out.push_back(h);
        }
        return out;
    }

    SilentTransport transport_;
    CTelnetApp app_;
};

TEST(AccessibleText, PiecesByCharacterWordAndLine) {
    const QString text = QStringLiteral("ab  cd\nef\n\ngh");
    struct Row {
        int offset;
        QAccessible::TextBoundaryType boundary;
        int start, end;              // the piece at the offset
        int beforeStart, afterStart;  // the starts of the pieces around it, -1 none
    };
    const Row rows[] = {
        {0, QAccessible::CharBoundary, 0, 1, -1, 1},
        {13, QAccessible::CharBoundary, -1, -1, -1, -1},  // the end holds no character
        {3, QAccessible::WordBoundary, 0, 4, -1, 4},      // in the blanks after "ab"
        {5, QAccessible::WordBoundary, 4, 7, 0, 7},       // "cd" with its line end
        {8, QAccessible::LineBoundary, 7, 10, 0, 10},
        {10, QAccessible::LineBoundary, 10, 11, 7, 11},   // the empty line
        {13, QAccessible::LineBoundary, 11, 13, 10, -1},  // the end names the last line
        {6, QAccessible::NoBoundary, 0, 13, -1, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.offset);
        const TextPiece at = PieceAt(text, r.offset, r.boundary);
        EXPECT_EQ(at.start, r.start);
        EXPECT_EQ(at.end, r.end);
        EXPECT_EQ(PieceBefore(text, r.offset, r.boundary).start, r.beforeStart);
        EXPECT_EQ(PieceAfter(text, r.offset, r.boundary).start, r.afterStart);
    }
    EXPECT_EQ(PieceAt(text, -1, QAccessible::LineBoundary).start, -1);
    EXPECT_EQ(PieceAt(text, 14, QAccessible::LineBoundary).start, -1);
    EXPECT_EQ(PieceAt(QString(), 0, QAccessible::WordBoundary).start, -1);
}

TEST(AccessibleText, ACellsAttributesAreItsColoursAndWhatTheHostsExtendedAttributesAdd) {
    ScreenCell plain;
    EXPECT_EQ(CellTextAttributes(plain, kDefaultColors),
              "color:rgb(20,255,20);background-color:rgb(0,0,0);");
    ScreenCell marked;
    marked.extendedLook = kLookReverse | kLookUnderline | kLookBlink;
    marked.extendedColor = kColorRed;
    EXPECT_EQ(CellTextAttributes(marked, kHighContrastColors),
              "color:rgb(0,0,0);background-color:rgb(255,110,110);"
              "text-underline-style:solid;text-underline-type:single;text-blink:true;"
              "reverse-image:true;")
        << "the host's red in the session's colours, swapped by the reverse image";
    marked.reverse = 1;  // the screen attribute's reverse and the extended one cancel
    EXPECT_FALSE(CellTextAttributes(marked, kDefaultColors).contains("reverse-image"));
}

TEST_F(AccessibilityTest, TheScreenTextGivesEachRunOfPositionsItsAttributes) {
    Host(RecordBuilder().clearUnit().writeToDisplay().sba(2, 5)
             .writeExtendedAttribute(ds::kExtendedPrimary, ds::kExtendedUnderline)
             .writeExtendedAttribute(ds::kExtendedForegroundColor, 0xF2)
             .text("AB").record());
    QAccessibleTextInterface* text = Screen()->textInterface();
    ASSERT_NE(text, nullptr);
    int start = 0;
    int end = 0;
    const QString a = text->attributes(81 + 4, &start, &end);
    EXPECT_TRUE(a.contains("text-underline-style:solid")) << a.toStdString();
    EXPECT_TRUE(a.contains("color:rgb(240,20,20);")) << a.toStdString();
    EXPECT_EQ(start, 81 + 4);
    EXPECT_EQ(end, 81 + 5) << "the host marked one position";
    const QString b = text->attributes(81 + 5, &start, &end);
    EXPECT_FALSE(b.contains("underline"));
    EXPECT_EQ(start, 81 + 5);
    EXPECT_EQ(end, 81 + 80) << "the rest of the row looks the same";
    EXPECT_TRUE(text->attributes(81 + 80, &start, &end).isEmpty()) << "a line end has none";
}

TEST_F(AccessibilityTest, SignOnScreenIsTextFieldsAndAStatusBar) {
    Host(samples::SignOnScreen());
    QAccessibleInterface* screen = Screen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->role(), QAccessible::Terminal);
    EXPECT_EQ(screen->text(QAccessible::Name), "5250 screen: Sign On");
    QAccessibleTextInterface* text = screen->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 24 * 81 - 1);
    // The caret is the cursor (row 6, column 53), the lines are the rows.
    EXPECT_EQ(text->cursorPosition(), 5 * 81 + 52);
    int start = 0;
    int end = 0;
    const QString line = text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end);
    EXPECT_EQ(start, 5 * 81);
    EXPECT_EQ(end, 6 * 81);
    EXPECT_TRUE(line.startsWith(QString(16, ' ') + "User  . . ."));

    ASSERT_EQ(screen->childCount(), 7);
    QAccessibleInterface* user = screen->child(0);
    EXPECT_EQ(user->role(), QAccessible::EditableText);
    EXPECT_EQ(user->text(QAccessible::Name), "User");
    EXPECT_EQ(user->text(QAccessible::Description), "capitals, row 6 column 53, 10 positions");
    EXPECT_TRUE(user->state().focused);
    EXPECT_EQ(screen->focusChild(), user);
    EXPECT_EQ(screen->indexOfChild(user), 0);
    EXPECT_TRUE(screen->child(1)->state().passwordEdit);
    EXPECT_EQ(screen->child(4)->text(QAccessible::Name), "Current library");
    EXPECT_EQ(screen->child(5)->role(), QAccessible::StatusBar);
    EXPECT_EQ(screen->child(5)->text(QAccessible::Name), "Row 6 Column 53");
    EXPECT_EQ(screen->child(6)->role(), QAccessible::Notification);
    EXPECT_EQ(screen->child(7), nullptr);

    // The new screen: its text, the title announced, focus on the first field.
    bool insertedUser = false;
    for (const Heard& h : Events(QAccessible::TextInserted)) insertedUser |= h.text.contains("User");
    EXPECT_TRUE(insertedUser);
    const auto shown = Events(QAccessible::ObjectShow);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].role, QAccessible::Notification);
    EXPECT_EQ(shown[0].name, "Sign On");
    const auto focus = Events(QAccessible::Focus);
    ASSERT_FALSE(focus.empty());
    EXPECT_EQ(focus.back().name, "User");
}

TEST_F(AccessibilityTest, FocusFollowsTheCursorAndTypingIsNoNewScreen) {
    Host(samples::SignOnScreen());
    heard.clear();
    QTest::keyClick(view(), Qt::Key_Tab);
    Frame();
    auto focus = Events(QAccessible::Focus);
    ASSERT_EQ(focus.size(), 1u);
    EXPECT_EQ(focus[0].name, "Password");
    const auto caret = Events(QAccessible::TextCaretMoved);
    ASSERT_FALSE(caret.empty());
    EXPECT_EQ(caret.back().position, 6 * 81 + 52);

    // Typing in a field: its text and caret, no focus change, no announcement.
    QTest::keyClick(view(), Qt::Key_Tab);
    Frame();
    heard.clear();
    QTest::keyClicks(view(), "QCMD");
    Frame();
    EXPECT_TRUE(Events(QAccessible::Focus).empty());
    EXPECT_TRUE(Events(QAccessible::ObjectShow).empty());
    const auto inserted = Events(QAccessible::TextInserted);
    ASSERT_FALSE(inserted.empty());
    EXPECT_EQ(inserted.back().text, "D");
    EXPECT_EQ(inserted.back().position, 7 * 81 + 55);
    QAccessibleInterface* program = Screen()->child(2);
    EXPECT_EQ(program->text(QAccessible::Value), "QCMD");
    EXPECT_EQ(program->textInterface()->cursorPosition(), 4);

    // Back in the window from elsewhere: the field under the cursor has the focus.
    app_.frame().menuBar()->setFocus();
    Frame();
    EXPECT_FALSE(program->state().focused);
    heard.clear();
    view()->setFocus();
    Frame();
    focus = Events(QAccessible::Focus);
    ASSERT_EQ(focus.size(), 1u);
    EXPECT_EQ(focus[0].name, "Program/procedure");
    EXPECT_TRUE(program->state().focused);
}

TEST_F(AccessibilityTest, PasswordCharactersNeverLeave) {
    Host(samples::SignOnScreen());
    heard.clear();
    QTest::keyClick(view(), Qt::Key_Tab);
    QTest::keyClicks(view(), "ZJZJ");
    // Even cells that held the characters would not give them away.
    const int first = HostPosition(7, 53, 80);
    for (int p = first; p < first + 10; ++p) terminal().SetCellCharacter(p, 'Z');
    view()->DamageReady();
    Frame();
    QAccessibleInterface* screen = Screen();
    const QString all = screen->textInterface()->text(0, screen->textInterface()->characterCount());
    EXPECT_FALSE(all.contains('Z'));
    QAccessibleInterface* password = screen->child(1);
    EXPECT_EQ(password->text(QAccessible::Value), "");
    EXPECT_EQ(password->textInterface()->characterCount(), 0);
    for (const Heard& h : heard) {
        EXPECT_FALSE(h.text.contains('Z') || h.text.contains('J') || h.name.contains('Z'));
    }
}

TEST_F(AccessibilityTest, HostErrorsAndTheKeyboardLockAreHeard) {
    Host(samples::SignOnScreen());
    heard.clear();
    RecordBuilder error;
    error.writeErrorCode().insertCursor(6, 53).text("User name not valid.");
    Host(error.record());
    auto shown = Events(QAccessible::ObjectShow);
    ASSERT_EQ(shown.size(), 1u);
    // The whole message row: the host's text, then what was already there.
    EXPECT_EQ(shown[0].name, "User name not valid. (C) QUENLIX DEMO");

    heard.clear();
    terminal().SetKeyboardLocked(true);
    view()->DamageReady();
    Frame();
    const auto names = Events(QAccessible::NameChanged);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].role, QAccessible::StatusBar);
    EXPECT_EQ(names[0].name, "X-System, keyboard locked, Row 6 Column 53");
    EXPECT_TRUE(Events(QAccessible::ObjectShow).empty());

    // Another screen with the same fields is still a new screen by its title.
    RecordBuilder next;
    next.clearUnit().writeToDisplay(0x00, 0x18).sba(1, 30).text("Main Menu");
    Host(next.record());
    shown = Events(QAccessible::ObjectShow);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].name, "Main Menu");
    EXPECT_EQ(Screen()->childCount(), 2);
}

TEST_F(AccessibilityTest, ReadingCommandsSayWhereTheOperatorIs) {
    Host(samples::SignOnScreen());
    QTest::keyClicks(view(), "AB");
    Frame();
    // What was said: the announcer's last showing, and the status bar.
    auto said = [this](int command) {
        heard.clear();
        EXPECT_TRUE(app_.frame().Execute(command));
        const auto shown = Events(QAccessible::ObjectShow);
        EXPECT_EQ(shown.size(), 1u);
        EXPECT_EQ(app_.frame().statusBar()->currentMessage(), shown.empty() ? "" : shown[0].name);
        return shown.empty() ? QString() : shown[0].name;
    };
    EXPECT_EQ(said(kCmdReadField), "User, capitals, AB");
    EXPECT_EQ(said(kCmdReadLine), "User AB") << "the dot leaders are not read";
    EXPECT_EQ(said(kCmdReadMessageLine), "(C) QUENLIX DEMO");
    EXPECT_EQ(said(kCmdReadStatus), "Row 6 Column 55");
    terminal().SetCursorCell(2, 5);
    EXPECT_EQ(said(kCmdReadField), "Not in an input field");
    EXPECT_EQ(said(kCmdReadLine), "Blank line");
    // The accelerator is the window's: the host never sees the key.
    heard.clear();
    QTest::keyClick(view(), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(Events(QAccessible::ObjectShow).size(), 1u);
    EXPECT_EQ(Events(QAccessible::ObjectShow)[0].name, "(C) QUENLIX DEMO");
}

TEST_F(AccessibilityTest, FieldListMovesTheCursorToTheChosenField) {
    Host(samples::SignOnScreen());
    ASSERT_TRUE(app_.frame().Execute(kCmdListFields));
    auto* dialog = app_.frame().findChild<FieldListDialog*>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->list()->count(), 5);
    EXPECT_EQ(dialog->list()->currentRow(), 0);  // the field under the cursor
    EXPECT_EQ(dialog->list()->item(1)->text(), "Password, password, row 7 column 53");
    dialog->list()->setCurrentRow(3);
    dialog->accept();
    EXPECT_EQ(terminal().CursorRow(), 8);
    EXPECT_EQ(terminal().CursorColumn(), 52);
    Frame();
    const auto focus = Events(QAccessible::Focus);
    ASSERT_FALSE(focus.empty());
    EXPECT_EQ(focus.back().name, "Menu");
}

}  // namespace
}  // namespace quenlix::app
