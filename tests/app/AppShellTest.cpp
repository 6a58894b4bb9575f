// The application shell over an in-memory store: the close sequence and its
// stop points, what is stored at the close and restored at the next start,
// full-screen mode, disabled commands, the first session and the news page.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>
#include <QDir>
#include <QMenu>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <map>

#include "ShellDoubles.h"
#include "app/CTelnetApp.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/DesktopIdentity.h"
#include "app/FirstWindowSize.h"
#include "app/QtSettingsStore.h"
#include "ds5250/RecordBuilder.h"
#include "prefs/RecentSessionList.h"
#include "prefs/UserSettings.h"
#include "session/ConnectFile.h"
#include "terminal/StringTable.h"

namespace quenlix::app {
namespace {

using testing::Listener;
using testing::ScriptedQuestions;

struct Shell {
    explicit Shell(SettingsStore& store) : app(QUENLIX_TABLE_DIR, "PC1", store, &questions) {
        app.messages().interceptor = [this](std::string_view text, MessageIcon) {
            messages.emplace_back(text);
        };
    }
    ScriptedQuestions questions;
    CTelnetApp app;
    std::vector<std::string> messages;
};

std::string SessionFile(const QTemporaryDir& dir, int port) {
    SessionSettings s;
    s.Name = "Demo";
    s.IP = "127.0.0.1";
    s.Port = port;
    s.TerminalName = "IBM-5292-2";
    s.TerminalCaract = "24 * 80";
    s.LaunchConnection = 1;
    const std::string path = dir.filePath(QStringLiteral("demo.stn")).toStdString();
    EXPECT_TRUE(CConnectFile::WriteSessionFile(path, s));
    return path;
}

TEST(AppShellTest, CloseSequenceStopsWhereTheOperatorSays) {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-app-XXXXXX")};
    Listener listener;
    MemorySettingsStore store;
    Shell shell(store);
    SessionCommands& c = shell.app.commands();
    ASSERT_FALSE(c.OpenSessionFile(SessionFile(dir, listener.port())).empty());
    ASSERT_TRUE(c.connected());

    // No to "end this session?": still connected, nothing stored.
    EXPECT_FALSE(shell.app.CloseRequested());
    EXPECT_TRUE(c.connected());
    EXPECT_EQ(store.ValueCount(), 0u);

    // Yes, changed values, Yes to save, save dialog cancelled after the file went.
    std::filesystem::remove(c.sessionFilePath);
    c.sessionModified = true;
    shell.questions.yesNo = {true, true};
    EXPECT_FALSE(shell.app.CloseRequested());
    EXPECT_TRUE(c.connected());
    EXPECT_EQ(store.ValueCount(), 0u);
    EXPECT_EQ(shell.questions.asked,
              (std::vector<int>{kStrEndSessionQuestion, kStrEndSessionQuestion,
                                kStrSaveChangedQuestion}));

    // Yes, then No to saving: the session ends and what changed is stored
    // (a colour left as read is not: another program may have stored one).
    shell.questions.yesNo = {true, false};
    shell.app.session().terminal.state.CursorForm = 2;
    EXPECT_TRUE(shell.app.CloseRequested());
    EXPECT_FALSE(c.connected());
    EXPECT_EQ(store.ReadInt("Options", "CursorForm", 9), 2u);
    EXPECT_FALSE(store.Find("Colors", "Cursor").has_value());
    EXPECT_TRUE(store.Find("", "WindowPos").has_value());
    EXPECT_EQ(store.ReadString("MRU", "File1", ""), dir.filePath("demo.stn").toStdString());

    // Alt+F4 reaches the program as its accelerator and as the window
    // manager's close: a second request while the end question is up opens
    // no second box, and the answer to the one box ends the session.
    c.sessionModified = false;
    ASSERT_FALSE(c.OpenSessionFile(SessionFile(dir, listener.port())).empty());
    ASSERT_TRUE(c.connected());
    shell.questions.asked.clear();
    bool second = true;
    shell.questions.whileAsking = [&] { second = shell.app.CloseRequested(); };
    shell.questions.yesNo = {true};
    EXPECT_TRUE(shell.app.CloseRequested());
    EXPECT_FALSE(second);
    EXPECT_EQ(shell.questions.asked, std::vector<int>{kStrEndSessionQuestion});
    EXPECT_FALSE(c.connected());
}

TEST(AppShellTest, PreferencesAndPlacementSurviveARestart) {
    MemorySettingsStore store;
    {
        Shell shell(store);
        shell.app.frame().setGeometry(110, 120, 700, 500);
        shell.app.frame().Execute(kCmdSpecialKeyBar);  // hide it
        shell.app.frame().Execute(kCmdCursorUnderscore);
        shell.app.frame().Execute(kCmdTrimBlankRight);
        EXPECT_TRUE(shell.app.CloseRequested());
    }
    EXPECT_EQ(store.ReadString("", "WindowPos", ""), "0,1,-1,-1,-1,-1,110,120,810,620");
    EXPECT_EQ(store.ReadInt("Options", "CursorForm", 9), 1u);
    EXPECT_EQ(store.ReadInt("Options", "TrimBlankRight", 9), 0u);
    EXPECT_FALSE(store.Find("", "FullScreen").has_value()) << "unchanged, so not written";

    Shell again(store);
    EXPECT_EQ(again.app.frame().geometry(), QRect(110, 120, 700, 500));
    EXPECT_TRUE(again.app.frame().specialKeyBar()->isHidden());
    EXPECT_FALSE(again.app.frame().commandBar()->isHidden());
    EXPECT_EQ(again.app.session().terminal.state.CursorForm, 1);
    EXPECT_EQ(again.app.session().clipboardOptions.TrimBlankRight, 0);
}

TEST(AppShellTest, AStoredPlacementNeverLeavesTheScreen) {
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    struct Row {
        const char* windowPos;
        QRect expected;
    } const rows[] = {
        // The whole 32-bit range: as large as the desktop, on the primary.
        {"0,1,-1,-1,-1,-1,-2147483648,-2147483648,2147483647,2147483647", work},
        // Far away from every screen: moved, its size kept.
        {"0,1,-1,-1,-1,-1,50000,50000,50300,50200", QRect(work.topLeft(), QSize(300, 200))},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.windowPos);
        MemorySettingsStore store;
        store.WriteString("", "WindowPos", r.windowPos);
        Shell shell(store);
        CMainFrame& f = shell.app.frame();
        EXPECT_EQ(f.geometry(), r.expected);
        f.show();
        QCoreApplication::processEvents();
        EXPECT_LE(f.view()->backBuffer().width(), work.width());
        EXPECT_LE(f.view()->backBuffer().height(), work.height());
    }
}

TEST(AppShellTest, FullScreenKeepsTheNormalLayoutAndComesBack) {
    MemorySettingsStore store;
    {
        Shell shell(store);
        shell.app.frame().setGeometry(50, 60, 640, 400);
        shell.app.frame().Execute(kCmdHelpBar);  // hidden in normal mode
        EXPECT_TRUE(shell.app.CloseRequested());
    }
    const std::string normalPos = store.ReadString("", "WindowPos", "");
    {
        Shell shell(store);
        shell.app.frame().Execute(kCmdFullScreen);
        EXPECT_TRUE(shell.app.frame().fullScreen());
        EXPECT_TRUE(shell.app.frame().menuBar()->isHidden());
        EXPECT_TRUE(shell.app.frame().statusBar()->isHidden());
        shell.app.frame().setGeometry(0, 0, 300, 200);  // whatever full screen gives
        EXPECT_TRUE(shell.app.CloseRequested());
    }
    EXPECT_EQ(store.ReadInt("", "FullScreen", 0), 1u);
    EXPECT_EQ(store.ReadString("", "WindowPos", ""), normalPos);

    Shell shell(store);
    CMainFrame& f = shell.app.frame();
    EXPECT_TRUE(f.fullScreen());
    EXPECT_TRUE(f.commandBar()->isHidden());
    EXPECT_TRUE(f.specialKeyBar()->isHidden());
    EXPECT_TRUE(f.menuBar()->isHidden());
    f.Execute(kCmdFullScreen);
    EXPECT_FALSE(f.fullScreen());
    EXPECT_FALSE(f.menuBar()->isHidden());
    EXPECT_FALSE(f.commandBar()->isHidden());
    EXPECT_FALSE(f.specialKeyBar()->isHidden());
    EXPECT_TRUE(f.helpBar()->isHidden());
    EXPECT_FALSE(f.statusBar()->isHidden());
    EXPECT_EQ(f.geometry(), QRect(50, 60, 640, 400));
}

/// A menu as lines: "text =id", "-" for a separator, "title >" before a
/// submenu's lines, which are indented.
std::vector<std::string> MenuLines(const QMenu& menu, const std::string& indent = "") {
    std::vector<std::string> lines;
    for (const QAction* a : menu.actions()) {
        if (a->isSeparator()) {
            lines.push_back(indent + "-");
        } else if (const QMenu* sub = a->menu()) {
            lines.push_back(indent + sub->title().toStdString() + " >");
            for (const std::string& line : MenuLines(*sub, indent + "  ")) lines.push_back(line);
        } else {
            lines.push_back(indent + a->text().toStdString() + " =" +
                            std::to_string(a->data().toInt()));
        }
    }
    return lines;
}

TEST(AppShellTest, EveryCommandHasAnIdAndShortcutsOfItsOwn) {
    // Two commands on one id run one handler for both menu entries; two on
    // one key leave the key to whichever the toolkit finds first.
    std::map<int, std::string> ids;
    std::map<QString, std::string> keys;
    for (const CommandSpec& command : AllCommands()) {
        EXPECT_TRUE(ids.emplace(command.id, command.text).second)
            << command.text << " and " << ids[command.id] << " share " << command.id;
        for (const QKeySequence& key : command.keys) {
            EXPECT_TRUE(keys.emplace(key.toString(), command.text).second)
                << command.text << " and " << keys[key.toString()] << " share "
                << key.toString().toStdString();
        }
    }
}

TEST(AppShellTest, MenuBarAndContextMenuTextsIdsAndOrder) {
    MemorySettingsStore store;
    Shell shell(store);
    CMainFrame& f = shell.app.frame();
    std::vector<std::string> bar;
    for (const QAction* a : f.menuBar()->actions()) {
        bar.push_back(a->menu()->title().toStdString() + " >");
        for (const std::string& line : MenuLines(*a->menu(), "  ")) bar.push_back(line);
    }
    const std::vector<std::string> expectedBar = {
        "&File >",
        "  &New Session\tCtrl+N =57600", "  &Open\tCtrl+O =57601", "  &Close =32851", "  -",
        "  &Save\tCtrl+S =32846", "  Save &As =32847", "  C&reate Shortcut =32848", "  -",
        "  &Print...\tCtrl+P =57607", "  Print Pre&view =57609", "  Prin&ter Setup =57606", "  -",
        "  Repla&y Recording... =33111", "  -",
        "  Recent Sess&ions >", "     =57616", "     =57617", "     =57618", "     =57619", "  -",
        "  &Exit =57665",
        "&Edit >",
        "  &Copy\tCtrl+C =57634", "  &Paste\tCtrl+V =57637", "  -", "  Select &All\tCtrl+A =32783",
        "  -", "  &Trim Blank Space to Right =32856", "  Sound on &Refused Keys =33100",
        "&View >",
        "  &Command Bar =32830", "  Special &Key Bar =32775", "  &Help Bar =32852",
        "  &Status Bar =59393", "  -", "  Cursor Form >", "    &Solid =32857",
        "    &Underscore =32858", "    &Vertical Bar =32859", "  Cursor &Location\tCtrl+R =32779",
        "  Cursor &Blink \tCtrl+B =32854", "  &Hotspots Under the Mouse =33170", "  -",
        "  &Full Screen\tCtrl+F =32837", "  -",
        "  &Read Line\tCtrl+Shift+L =33120", "  Read F&ield\tCtrl+Shift+F =33121",
        "  Read &Message Line\tCtrl+Shift+M =33122", "  Read Stat&us\tCtrl+Shift+S =33123",
        "  List Fiel&ds...\tCtrl+Shift+G =33124",
        "&Connection >",
        "  &Start\tCtrl+X =32771", "  S&top\tCtrl+D =32772", "  -", "  &Properties\tCtrl+T =32828", "  -",
        "  T&race to File... =33110", "  -", "  Open P&rinter Session… =0",
        "&Parameters >",
        "  &Appearance\tCtrl+F1 =32778", "  &Fonts\tCtrl+F2 =32782",
        "  Auto &Session\tCtrl+F3 =32853",
        "  Keyboard &Mapping... =33130",
        "&Macro >",
        "  &Record =33160", "  S&top =33161", "  &Play... =33162", "  &Edit... =33163", "  -",
        "  &Import... =33164", "  E&xport... =33165", "  Play After &Connecting... =33166", "  -",
        "&Window >",
        "  &Next Session\tCtrl+PgDown =33140", "  &Previous Session\tCtrl+PgUp =33141", "  -",
        "  Mo&ve to New Window =33154", "  Move to &Main Window =33155", "  -",
        "  Open Sessions in the Same &Tab =33151", "  &Reopen Sessions at Start =33152",
        "  &Key Map Takes the Tab Keys =33153", "  -",
        "&? >",
        "  &Keyboard Layout\tCtrl+F4 =32780", "  &About Quenlix Telnet... =57664",
    };
    EXPECT_EQ(bar, expectedBar);

    const std::vector<std::string> expectedContext = {
        "Start\tCtrl+X =32771", "Stop\tCtrl+D =32772", "Properties\tCtrl+T =32828", "-",
        "Copy\tCtrl+C =57634", "Paste\tCtrl+V =57637", "Select All\tCtrl+A =32783", "-",
        "Full Screen\tCtrl+F =32837", "Cursor Form >", "  &Solid =32857", "  &Underscore =32858",
        "  &Vertical Bar =32859", "Cursor Blink \tCtrl+B =32854", "Cursor Location\tCtrl+R =32779",
        "-", "Appearance\tCtrl+F1 =32778", "Fonts\tCtrl+F2 =32782", "-", "Print...\tCtrl+P =57607",
        "Print Preview =57609", "Printer Setup =57606", "-", "Keyboard Layout\tCtrl+F4 =32780", "-",
        "Exit =57665",
    };
    EXPECT_EQ(MenuLines(*f.contextMenu()), expectedContext);

    // The context items are actions of their own, without shortcuts, that
    // follow the menu bar's enable and check rules and run its commands.
    std::map<int, QAction*> context;
    for (QAction* a : f.contextMenu()->findChildren<QAction*>()) {
        if (a->isSeparator() || a->menu() || !a->data().isValid()) continue;
        EXPECT_TRUE(a->shortcuts().isEmpty()) << a->text().toStdString();
        EXPECT_NE(a, f.action(a->data().toInt()));
        EXPECT_EQ(a->statusTip(), f.action(a->data().toInt())->statusTip());
        context[a->data().toInt()] = a;
    }
    ASSERT_EQ(context.size(), 19u);
    shell.questions.sheet = SessionSettings{};
    EXPECT_FALSE(context[kCmdStop]->isEnabled());
    EXPECT_FALSE(context[kCmdProperties]->isEnabled());
    context[kCmdProperties]->trigger();
    EXPECT_TRUE(shell.questions.captions.empty());
    EXPECT_TRUE(context[kCmdStart]->isEnabled());
    EXPECT_TRUE(context[kCmdCursorSolid]->isChecked());
    context[kCmdCursorVerticalBar]->trigger();
    EXPECT_EQ(shell.app.session().terminal.state.CursorForm, 2);
    EXPECT_TRUE(context[kCmdCursorVerticalBar]->isChecked());
    EXPECT_FALSE(context[kCmdCursorSolid]->isChecked());
    EXPECT_TRUE(f.action(kCmdCursorVerticalBar)->isChecked());
    const int blink = shell.app.session().terminal.state.BlinkCursor;
    context[kCmdCursorBlink]->trigger();
    EXPECT_NE(shell.app.session().terminal.state.BlinkCursor, blink);
    EXPECT_EQ(context[kCmdCursorBlink]->isChecked(), blink == 0);
}

TEST(AppShellTest, PromptsTooltipsBarsAndStatusBar) {
    MemorySettingsStore store;
    Shell shell(store);
    CMainFrame& f = shell.app.frame();
    struct Row {
        int id;
        const char* prompt;
        const char* tooltip;  ///< null: only the prompt
    } const rows[] = {
        {kCmdNewSession, "Create a new session", nullptr},
        {kCmdClose, "Close current session", nullptr},
        {kCmdSaveAs, "Save the current session with a new name", nullptr},
        {kCmdPrint, "Print active document", "Print"},
        {kCmdPrinterSetup, "Change printer and print setup", "Print Configuration"},
        {kCmdRecent1 + 2, "Opens this document", nullptr},
        {kCmdExit, "Close application", "Close"},
        {kCmdCopy, "Copy the selection and place on clipboard", "Copy"},
        {kCmdPaste, "Insert contents of clipboard", "Paste"},
        {kCmdCommandBar, "Display or hide command key bar", nullptr},
        {kCmdCursorLocation, "Display/Hide location of cursor by a vertical and horizontal line",
         nullptr},
        {kCmdConnectDisconnect, "Open/close connection", "Connect/Disconnect"},
        {kCmdKeyboardLayout, "Keyboard layout between PC and AS/400", "Keyboard Layout"},
        // Built without a web address: the command shows the operator's help.
        {kCmdWebSite, "Show the Quenlix Telnet help", "Help"},
        {kCmdAttention, " ATTENTION (ATTN) special key ", "ATTN"},
        {kCmdDeleteFields, "Delete all modified non bypass fields", "Delete fields"},
        {kCmdPa3, "PA3 special key", "PA3"},
        {kCmdPrintKey, "Print current screen", "Print"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        EXPECT_EQ(f.action(r.id)->statusTip().toStdString(), r.prompt);
        if (r.tooltip) {
            EXPECT_EQ(f.action(r.id)->toolTip().toStdString(), r.tooltip);
        }
    }

    auto buttons = [](const QToolBar* bar) {
        std::vector<int> ids;
        for (const QAction* a : bar->actions()) ids.push_back(a->data().toInt());
        return ids;
    };
    EXPECT_EQ(f.commandBar()->windowTitle(), QStringLiteral("Command"));
    EXPECT_EQ(buttons(f.commandBar()), (std::vector<int>{32807, 57634, 57637, 57607, 33162}));
    EXPECT_EQ(f.specialKeyBar()->windowTitle(), QStringLiteral("Special keys"));
    EXPECT_EQ(buttons(f.specialKeyBar()), (std::vector<int>{32784, 32785, 32787, 32788, 32792,
                                                            32791, 32793, 32794, 32795, 32789,
                                                            32786}));
    EXPECT_EQ(f.helpBar()->windowTitle(), QStringLiteral("Help"));
    EXPECT_EQ(buttons(f.helpBar()), (std::vector<int>{32832, 32780}));
    EXPECT_EQ(f.statusBar()->currentMessage(), QStringLiteral("Ready"));
}

TEST(AppShellTest, CursorLocationForgetsTheLastCrosshair) {
    MemorySettingsStore store;
    Shell shell(store);
    CMainFrame& f = shell.app.frame();
    PaintState& paint = f.view()->paintState();
    for (int expected : {1, 0}) {
        SCOPED_TRACE(expected);
        paint.lastCrosshairX = 40;
        paint.lastCrosshairY = 96;
        ASSERT_TRUE(f.Execute(kCmdCursorLocation));
        EXPECT_EQ(shell.app.session().terminal.state.CheckRepere, expected);
        EXPECT_EQ(f.action(kCmdCursorLocation)->isChecked(), expected == 1);
        EXPECT_EQ(paint.lastCrosshairX, -1);
        EXPECT_EQ(paint.lastCrosshairY, -1);
    }
}

TEST(AppShellTest, DisabledCommandsDoNothing) {
    MemorySettingsStore store;
    Shell shell(store);
    CMainFrame& f = shell.app.frame();
    shell.questions.sheet = SessionSettings{};
    for (int id : {kCmdProperties, kCmdClose, kCmdSave, kCmdSaveAs, kCmdStop, kCmdRecent1}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(f.action(id)->isEnabled());
        EXPECT_FALSE(f.Execute(id));
        f.action(id)->trigger();
    }
    EXPECT_TRUE(shell.questions.captions.empty());
    EXPECT_TRUE(shell.questions.asked.empty());
    EXPECT_TRUE(shell.questions.proposedNames.empty());
    EXPECT_FALSE(f.recentMenu()->menuAction()->isEnabled());
    EXPECT_EQ(f.connectButtonPicture(), 0);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Quenlix Telnet - No name"));
}

class RecordingTransport : public RecordSender {
public:
    void Send(const std::uint8_t* bytes, std::size_t count) override {
        sent.emplace_back(bytes, bytes + count);
    }
    std::vector<Bytes> sent;
};

TEST(AppShellTest, KeysOfDisabledOrUnhandledCommandsNeverReachTheTerminal) {
    MemorySettingsStore store;
    Shell shell(store);
    shell.questions.sheet = SessionSettings{};
    CMainFrame& f = shell.app.frame();
    TerminalSession& s = shell.app.session();
    f.resize(1000, 700);
    f.show();
    f.activateWindow();
    QApplication::setActiveWindow(&f);
    (void)QTest::qWaitForWindowActive(&f);
    f.view()->setFocus();
    // Keys come through the window, as the platform delivers them, so the
    // accelerators are looked up first.
    auto press = [&f](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(f.windowHandle(), key, modifiers);
        QCoreApplication::processEvents();
    };

    // No session and no connection: Stop and Properties are greyed.
    press(Qt::Key_D, Qt::ControlModifier);
    press(Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(shell.questions.asked.empty());
    EXPECT_TRUE(shell.questions.captions.empty());

    // A screen with a field, taking keys (still no session loaded).
    RecordingTransport transport;
    s.endpoint().SetTransport(&transport);
    s.terminal.screen.AllocateCells(80, 24);
    s.terminal.screen.SetGeometry(80, 24);
    s.terminal.state.connected = 1;
    const Bytes screen = RecordBuilder()
                             .clearUnit()
                             .writeToDisplay()
                             .sba(3, 10)
                             .startOfField(0x40, 0, 0x20, 5)
                             .text("ABCDE")
                             .insertCursor(3, 11)
                             .readMdtFields()
                             .record();
    s.endpoint().OnReceived(screen.data(), screen.size());
    auto field = [&s] {
        std::string text;
        for (int pos = 2 * 80 + 10; pos < 2 * 80 + 15; ++pos) {
            text += static_cast<char>(s.terminal.screen.at(pos).character);
        }
        return text;
    };
    ASSERT_EQ(field(), "ABCDE");
    transport.sent.clear();

    // Properties greyed; Ctrl+L, Ctrl+U and Shift+Delete handled by nothing:
    // none of them asks, sends or edits (Shift+Delete would delete the "A").
    press(Qt::Key_T, Qt::ControlModifier);
    press(Qt::Key_L, Qt::ControlModifier);
    press(Qt::Key_U, Qt::ControlModifier);
    press(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(field(), "ABCDE");
    EXPECT_TRUE(transport.sent.empty());
    EXPECT_TRUE(shell.questions.captions.empty());
    // The same path does reach the terminal with a plain Delete.
    press(Qt::Key_Delete);
    EXPECT_EQ(field(), "BCDE ");
    s.endpoint().SetTransport(nullptr);
}

TEST(AppShellTest, AltWithAMenusLetterOpensItAndNoLetterIsTheTerminals) {
    MemorySettingsStore store;
    Shell shell(store);
    CMainFrame& f = shell.app.frame();
    f.resize(1000, 700);
    f.show();
    f.activateWindow();
    QApplication::setActiveWindow(&f);
    (void)QTest::qWaitForWindowActive(&f);
    f.view()->setFocus();
    std::vector<QChar> letters;
    for (QAction* a : f.menuBar()->actions()) {
        const QString title = a->menu()->title();
        SCOPED_TRACE(title.toStdString());
        const qsizetype amp = title.indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << "no mnemonic";
        const QChar letter = title.at(amp + 1).toUpper();
        EXPECT_TRUE(std::find(letters.begin(), letters.end(), letter) == letters.end());
        letters.push_back(letter);
        // Alt with a function key is the host's and Alt+F4 is Exit: a
        // mnemonic is a letter or "?", never one of those.
        const QKeySequence key = QKeySequence::mnemonic(title);
        EXPECT_FALSE(key.isEmpty());
        for (const CommandSpec& command : AllCommands()) {
            for (const QKeySequence& k : command.keys) EXPECT_NE(k, key);
        }
        if (letter == QLatin1Char('?')) continue;  // Shift depends on the layout
        // Typed on the terminal view, the key opens the menu.
        QTest::keyClick(f.windowHandle(), static_cast<Qt::Key>(letter.unicode()),
                        Qt::AltModifier);
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activePopupWidget(), a->menu());
        a->menu()->hide();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(letters.size(), 8u);
}

TEST(AppShellTest, TheWindowShowsTheProgramsIconAndDesktopName) {
    SetDesktopIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("quenlix-telnet"));
    // The built-in picture is drawn (the SVG engine is there) at task-bar sizes.
    for (int size : {16, 32, 48}) {
        EXPECT_FALSE(ProgramIcon().pixmap(size).isNull()) << size;
    }
    MemorySettingsStore store;
    Shell shell(store);
    EXPECT_FALSE(shell.app.frame().windowIcon().pixmap(32).isNull());
}

TEST(AppShellTest, FirstWindowSizeGivesReadableCellsWithinTheScreenAndNeverShrinks) {
    const QSize chrome(72, 80);
    struct Row {
        const char* what;
        QSize current;
        int rows, columns;
        QSize available;
        QSize expected;
    } const rows[] = {
        {"27 x 132 on a large screen", {1000, 680}, 27, 132, {1600, 1000}, {132 * 9 + 72, 680}},
        {"24 x 80 fits the default", {1000, 680}, 24, 80, {1600, 1000}, {1000, 680}},
        {"a small screen caps the growth", {1000, 680}, 27, 132, {1024, 768}, {1024, 680}},
        {"a screen smaller than the window", {1000, 680}, 27, 132, {800, 600}, {1000, 680}},
        {"a low window grows in height", {1000, 400}, 27, 132, {1600, 1000}, {1260, 29 * 18 + 80}},
        {"no screen known", {1000, 680}, 27, 132, {}, {1260, 680}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(FirstStartWindowSize(r.current, chrome, r.rows, r.columns, r.available), r.expected);
    }
}

// A screen of 1600 x 1000 is needed to see the growth; ctest runs this on
// an offscreen screen of that size (tests/app/wide-screen.json).
TEST(AppShellTest, FirstStartOfA27x132SessionOpensAWindowWithReadableCharacters) {
    const QSize available = QGuiApplication::primaryScreen()->availableGeometry().size();
    if (available.width() < 1400 || available.height() < 800) {
        GTEST_SKIP() << "the screen is too small to tell";
    }
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-app-XXXXXX")};
    Listener listener;
    SessionSettings s;
    s.Name = "Wide";
    s.IP = "127.0.0.1";
    s.Port = listener.port();
    s.TerminalName = "IBM-3477-FC";
    s.TerminalCaract = "27 * 132";
    s.LaunchConnection = 1;
    const std::string path = dir.filePath(QStringLiteral("wide.stn")).toStdString();
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));

    MemorySettingsStore store;  // no stored placement: a first start
    {
        Shell shell(store);
        shell.app.Startup({path});
        QCoreApplication::processEvents();
        CMainFrame& f = shell.app.frame();
        ASSERT_TRUE(shell.app.commands().connected());
        // The host switches to its wide screen, as a 27 x 132 host does first.
        const Bytes wide = RecordBuilder().clearUnitAlternate().record();
        shell.app.session().endpoint().OnReceived(wide.data(), wide.size());
        QCoreApplication::processEvents();
        const TerminalState& t = shell.app.session().terminal.state;
        ASSERT_EQ(shell.app.session().terminal.columns(), 132);
        EXPECT_GE(t.cellWidth, kReadableCellWidth) << "view " << f.view()->width();
        EXPECT_LE(f.width(), available.width());
        EXPECT_LE(f.height(), available.height());
        // The operator's own size stays, also when another wide session opens.
        shell.questions.yesNo = {true};
        f.resize(900, 600);
        QCoreApplication::processEvents();
        ASSERT_EQ(shell.app.commands().OpenSessionFile(path), path);
        EXPECT_EQ(f.size(), QSize(900, 600));
        shell.questions.yesNo = {true};
        EXPECT_TRUE(shell.app.CloseRequested());
    }
    // Once a placement is stored, the next start keeps it.
    Shell again(store);
    again.app.Startup({path});
    QCoreApplication::processEvents();
    EXPECT_EQ(again.app.frame().size(), QSize(900, 600));
}

TEST(AppShellTest, FirstSessionFromTheArgumentsConnectsAndShows) {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-app-XXXXXX")};
    Listener listener;
    MemorySettingsStore store;
    Shell shell(store);
    shell.app.clock = [] { return LocalDateTime{2024, 5, 1, 12, 0, 0}; };
    int newsDue = 0;
    shell.app.onNewsPageDue = [&] { ++newsDue; };
    shell.app.BeginFirstSession(std::vector<std::string>{"\"" + SessionFile(dir, listener.port()) + "\""});
    CMainFrame& f = shell.app.frame();
    EXPECT_TRUE(shell.app.commands().connected());
    EXPECT_EQ(listener.Accepted(), 1);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Quenlix Telnet - Demo"));
    EXPECT_EQ(f.paneText(1), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(f.connectButtonPicture(), 4);
    EXPECT_TRUE(f.recentMenu()->menuAction()->isEnabled());
    EXPECT_EQ(f.action(kCmdRecent1)->text(), QStringLiteral("&1 ") + dir.filePath("demo.stn"));
    EXPECT_EQ(newsDue, 1);
    EXPECT_NE(store.ReadInt("", "LPT", 0), 0u);

    // Stop: the button shows its first picture again.
    std::vector<int> pictures;
    QObject::connect(&f, &CMainFrame::connectPictureChanged,
                     [&pictures](int picture) { pictures.push_back(picture); });
    shell.questions.yesNo = {true};
    ASSERT_TRUE(f.Execute(kCmdStop));
    EXPECT_FALSE(shell.app.commands().connected());
    EXPECT_EQ(f.connectButtonPicture(), 0);
    EXPECT_EQ(pictures, std::vector<int>{0});
}

TEST(AppShellTest, AtStartTheMostRecentSessionOpensWithoutAskingForOne) {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-app-XXXXXX")};
    Listener listener;
    MemorySettingsStore store;
    SessionSettings s;
    s.Name = "Recent";
    s.IP = "127.0.0.1";
    s.Port = listener.port();
    s.TerminalName = "IBM-5292-2";
    s.TerminalCaract = "24 * 80";
    const std::string path = dir.filePath(QStringLiteral("recent.stn")).toStdString();
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));
    store.WriteString(kRecentSection, "File1", path);
    Shell shell(store);
    shell.app.clock = [] { return LocalDateTime{2024, 5, 1, 12, 0, 0}; };
    CTelnetView* view = shell.app.frame().view();
    EXPECT_TRUE(view->IdleHint().starts_with("No session")) << "the blank screen says what to do";

    shell.app.BeginFirstSession(std::vector<std::string>{});
    QCoreApplication::processEvents();
    EXPECT_EQ(shell.questions.noSessionShown, 0) << "no question about a session file";
    EXPECT_EQ(shell.app.frame().windowTitle(), QStringLiteral("Quenlix Telnet - Recent"));
    EXPECT_TRUE(shell.app.commands().connected());
    EXPECT_EQ(listener.Accepted(), 1);
    EXPECT_TRUE(view->IdleHint().empty());

    // Stopped, the loaded session's blank screen says how to connect it.
    shell.questions.yesNo = {true};
    shell.app.Stop();
    EXPECT_TRUE(view->IdleHint().starts_with("Not connected")) << std::string(view->IdleHint());

    // A recent entry whose file is gone: the question comes as before.
    MemorySettingsStore gone;
    gone.WriteString(kRecentSection, "File1", dir.filePath(QStringLiteral("none.stn")).toStdString());
    Shell again(gone);
    again.app.clock = shell.app.clock;
    again.app.BeginFirstSession(std::vector<std::string>{});
    QCoreApplication::processEvents();
    EXPECT_EQ(again.questions.noSessionShown, 1);
}

TEST(AppShellTest, AutoSessionWithoutAFileNameAsksForOneAtStartUp) {
    MemorySettingsStore store;
    store.WriteInt("Options", "Check", 1);
    store.WriteString("Options", "FileName", "");
    Shell shell(store);
    shell.app.clock = [] { return LocalDateTime{2024, 5, 1, 12, 0, 0}; };
    shell.app.BeginFirstSession(std::vector<std::string>{});
    EXPECT_EQ(shell.questions.openShown, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(shell.questions.noSessionShown, 0) << "no Connect/Disconnect posted as well";
}

TEST(AppShellTest, ClosingWhileMinimisedKeepsTheStoredPlacement) {
    MemorySettingsStore store;
    const std::string stored = "0,1,-1,-1,-1,-1,60,70,660,470";
    store.WriteString("", "WindowPos", stored);
    Shell shell(store);
    CMainFrame& f = shell.app.frame();
    f.show();
    f.setGeometry(10, 20, 500, 300);
    f.showMinimized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(f.isMinimized());
    EXPECT_EQ(f.PlacementToStore(), std::nullopt);
    EXPECT_TRUE(shell.app.CloseRequested());
    EXPECT_EQ(store.ReadString("", "WindowPos", ""), stored);
    EXPECT_TRUE(store.Find("ToolBars/Tool", "State").has_value());  // the rest is stored
}

TEST(AppShellTest, TheSplashWaitSleepsBetweenEventsAndEnds) {
    MemorySettingsStore store;
    Shell shell(store);
    shell.app.clock = [] { return LocalDateTime{2024, 5, 1, 12, 0, 0}; };
    // Every pass of the wait wakes the event dispatcher once; a wait that
    // polls without sleeping wakes it thousands of times in these 300 ms.
    int passes = 0;
    const QMetaObject::Connection counting = QObject::connect(
        QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&] { ++passes; });

    // The splash goes away by its timer: the wait ends then.
    shell.app.SetSplashShown(true);
    QTimer::singleShot(300, &shell.app.frame(), [&] { shell.app.SetSplashShown(false); });
    shell.app.BeginFirstSession(std::vector<std::string>{});
    EXPECT_FALSE(shell.app.splashShown());
    EXPECT_LT(passes, 100) << passes;
    // Then its Connect/Disconnect, posted, runs from the loop.
    EXPECT_EQ(shell.questions.noSessionShown, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(shell.questions.noSessionShown, 1);

    // A splash that never clears its flag: the limit ends the wait.
    passes = 0;
    shell.app.splashWaitLimitMs = 300;
    shell.app.SetSplashShown(true);
    shell.app.BeginFirstSession(std::vector<std::string>{});
    EXPECT_TRUE(shell.app.splashShown());
    EXPECT_LT(passes, 100) << passes;
    QObject::disconnect(counting);
}

TEST(AppShellTest, AutoSessionThatIsAPipeReportsInsteadOfWaiting) {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-app-XXXXXX")};
    const std::string pipe = dir.filePath(QStringLiteral("auto.stn")).toStdString();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    // Both ends held open: an open that waits for a writer returns at once,
    // so the old fault shows as a session of defaults, not as a hang.
    const int pipeEnds = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(pipeEnds, 0);
    MemorySettingsStore store;
    store.WriteString(kOptionsSection, "FileName", pipe);
    store.WriteInt(kOptionsSection, "Check", 1);
    Shell shell(store);
    shell.app.BeginFirstSession(std::vector<std::string>{});
    ::close(pipeEnds);
    EXPECT_EQ(shell.messages,
              std::vector<std::string>{std::string(LoadString(kStrOpenSessionFailed)) + "\n" + pipe});
    EXPECT_FALSE(shell.app.commands().hasSessionFile);
    EXPECT_EQ(shell.app.frame().windowTitle(), QStringLiteral("Quenlix Telnet - No name"));
}

TEST(AppShellTest, QuotesOnlyAreNoCommandLineAndPostConnectDisconnect) {
    MemorySettingsStore store;
    Shell shell(store);
    shell.app.clock = [] { return LocalDateTime{2024, 5, 1, 12, 0, 0}; };
    store.WriteInt("", "LPT", static_cast<std::uint32_t>(DayNumber({2024, 4, 20, 0, 0, 0})));
    int newsDue = 0;
    shell.app.onNewsPageDue = [&] { ++newsDue; };
    shell.app.BeginFirstSession(std::vector<std::string>{"\"\""});
    EXPECT_EQ(shell.questions.noSessionShown, 0);  // posted, not yet run
    QCoreApplication::processEvents();
    EXPECT_EQ(shell.questions.noSessionShown, 1);
    EXPECT_EQ(newsDue, 0);
}

TEST(AppShellTest, MessageBoxesShowUtf8Texts) {
    struct Row {
        const char* bytes;
        QString shown;
    } const rows[] = {
        {"Plain text", QStringLiteral("Plain text")},
        {"/home/j\xC3\xBCrgen/Caf\xC3\xA9 \xE2\x9C\x93.stn",
         QStringLiteral(u"/home/jürgen/Café ✓.stn")},
        // Not UTF-8: each byte a Latin-1 character, never a replacement sign.
        {"\xE9t\xE9", QStringLiteral(u"été")},
        {"cut \xC3", QStringLiteral(u"cut Ã")},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.bytes);
        EXPECT_EQ(MessageText(r.bytes).toStdString(), r.shown.toStdString());
    }

    // Message 528 in a real box, for a file whose name is not ASCII.
    MemorySettingsStore store;
    Shell shell(store);
    shell.app.messages().interceptor = nullptr;
    QString shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->done(QMessageBox::Ok);
        }
    });
    closer.start(10);
    const std::string path = "/nonexistent/B\xC3\xBCro/S\xC3\xA9" "ance.stn";
    EXPECT_EQ(shell.app.commands().OpenSessionFile(path), "");
    EXPECT_EQ(shown.toStdString(),
              (QString::fromUtf8(LoadString(kStrOpenSessionFailed).data()) +
               QStringLiteral(u"\n/nonexistent/Büro/Séance.stn"))
                  .toStdString());
}

TEST(AppShellTest, QtStoreKeepsTypesAndSections) {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-app-XXXXXX")};
    const QString file = dir.filePath(QStringLiteral("telnet.ini"));
    {
        QtSettingsStore store(std::make_unique<QSettings>(file, QSettings::IniFormat));
        store.WriteInt("Print", "PaperSize", 65545);
        store.WriteInt("Colors", "Cursor", 0xFFFFFFFFu);
        store.WriteString("", "WindowPos", "0,1,-1,-1,-1,-1,1,2,3,4");
        store.WriteString("ToolBars/Tool", "Bar1", "101,0,1,0,0,0,0");
        store.Sync();
    }
    QtSettingsStore store(std::make_unique<QSettings>(file, QSettings::IniFormat));
    EXPECT_EQ(LoadUserSettings(store).PaperSize, 9);
    EXPECT_EQ(store.ReadInt("Colors", "Cursor", 0), 0xFFFFFFFFu);
    EXPECT_EQ(store.ReadString("", "WindowPos", ""), "0,1,-1,-1,-1,-1,1,2,3,4");
    EXPECT_EQ(store.ReadInt("", "WindowPos", 7), 7u);  // not a number: the default
    EXPECT_EQ(store.ReadString("ToolBars/Tool", "Bar1", ""), "101,0,1,0,0,0,0");
    EXPECT_EQ(store.Keys("ToolBars/Tool"), std::vector<std::string>{"Bar1"});
    EXPECT_EQ(store.ReadString("Font", "Face", "none"), "none");
    store.Remove("ToolBars/Tool", "Bar1");
    EXPECT_TRUE(store.Keys("ToolBars/Tool").empty());
}

}  // namespace
}  // namespace quenlix::app
