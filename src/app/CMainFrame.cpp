// Menus, accelerators, bars and the command rules of the main window.
#include "app/CMainFrame.h"

#include "app/PrinterSessionWindow.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>

#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "terminal/StringTable.h"

namespace quenlix::app {

namespace {
QString Text(const char* s) { return QString::fromLatin1(s); }
}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent), tabs_(new SessionTabWidget(this)) {
    tabs_->setObjectName(QStringLiteral("SessionTabs"));
    tabs_->setDocumentMode(true);
    tabs_->setMovable(true);
    // One session looks as it always did: the bar comes with the second.
    tabs_->setTabBarAutoHide(true);
    // Switching is by Ctrl+PageDown / Ctrl+PageUp and Alt+digit; the keys
    // in the view are the host's, so the bar takes the focus only by click
    // or by Tab from nowhere.
    tabs_->tabBar()->setFocusPolicy(Qt::ClickFocus);
    setCentralWidget(tabs_);
    setAttribute(Qt::WA_OpaquePaintEvent);
    CreateActions();
    BuildMenus();
    BuildContextMenu();
    BuildStatusBar();
    BuildToolBars();
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int) {
        emit activeViewChanged(view());
        UpdateLockPanes();
    });
    // The idle pass of the command rules.
    connect(&idle_, &QTimer::timeout, this, &CMainFrame::UpdateCommandStates);
    idle_.start(200);
    UpdateCommandStates();
}

CTelnetView* CMainFrame::view() const {
    return qobject_cast<CTelnetView*>(tabs_->currentWidget());
}

int CMainFrame::AddView(CTelnetView* view, const QString& text) {
    connect(view, &CTelnetView::contextMenuRequested, this, [this](const QPoint& at) {
        UpdateCommandStates();
        contextMenu_->exec(at);
    });
    view->installEventFilter(this);
    return tabs_->addTab(view, text);
}

void CMainFrame::RemoveView(CTelnetView* view) {
    const int index = tabs_->indexOf(view);
    if (index < 0) return;
    disconnect(view, nullptr, this, nullptr);
    view->removeEventFilter(this);
    tabs_->removeTab(index);
    view->setParent(nullptr);
}

int CMainFrame::IndexOf(const CTelnetView* view) const {
    return tabs_->indexOf(const_cast<CTelnetView*>(view));
}

void CMainFrame::ShowView(CTelnetView* view) {
    const int index = tabs_->indexOf(view);
    if (index >= 0) tabs_->setCurrentIndex(index);
}

void CMainFrame::CreateActions() {
    for (const CommandSpec& command : AllCommands()) {
        QString text = Text(command.text);
        text = text.section(QLatin1Char('\t'), 0, 0);
        auto* a = new QAction(text, this);
        a->setData(command.id);
        a->setStatusTip(PromptOf(command));
        a->setToolTip(TooltipOf(command).isEmpty() ? text : TooltipOf(command));
        a->setIconText(QString(text).remove(QLatin1Char('&')));
        if (!command.keys.isEmpty()) {
            a->setShortcuts(command.keys);
            // Window-wide: an accelerator never reaches the terminal view.
            a->setShortcutContext(Qt::WindowShortcut);
            addAction(a);
        }
        const int id = command.id;
        connect(a, &QAction::triggered, this, [this, id] { Execute(id); });
        actions_.insert(id, a);
    }
}

QAction* CMainFrame::Add(QMenu* menu, int id) {
    QAction* a = actions_.value(id);
    menu->addAction(a);
    return a;
}

void CMainFrame::BuildMenus() {
    // Alt with a menu's letter opens it. The letters are the terminal's to
    // spare: the keyboard mapping leaves Alt with a letter to the window
    // (Alt with F1..F12 are the host's function keys, Alt+F4 is Exit).
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    for (int id : {kCmdNewSession, kCmdOpen, kCmdClose}) Add(file, id);
    file->addSeparator();
    for (int id : {kCmdSave, kCmdSaveAs, kCmdCreateShortcut}) Add(file, id);
    file->addSeparator();
    for (int id : {kCmdPrint, kCmdPrintPreview, kCmdPrinterSetup}) Add(file, id);
    file->addSeparator();
    Add(file, kCmdReplayRecording);
    file->addSeparator();
    recentMenu_ = file->addMenu(QStringLiteral("Recent Sess&ions"));
    for (int id = kCmdRecent1; id <= kCmdRecent4; ++id) {
        Add(recentMenu_, id)->setVisible(false);
    }
    file->addSeparator();
    Add(file, kCmdExit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    Add(edit, kCmdCopy);
    Add(edit, kCmdPaste);
    edit->addSeparator();
    Add(edit, kCmdSelectAll);
    edit->addSeparator();
    Add(edit, kCmdTrimBlankRight);
    Add(edit, kCmdRefusedKeyAlarm);

    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    for (int id : {kCmdCommandBar, kCmdSpecialKeyBar, kCmdHelpBar, kCmdStatusBar}) Add(viewMenu, id);
    viewMenu->addSeparator();
    QMenu* form = viewMenu->addMenu(QStringLiteral("Cursor Form"));
    for (int id : {kCmdCursorSolid, kCmdCursorUnderscore, kCmdCursorVerticalBar}) Add(form, id);
    Add(viewMenu, kCmdCursorLocation);
    Add(viewMenu, kCmdCursorBlink);
    Add(viewMenu, kCmdHotspots);
    viewMenu->addSeparator();
    Add(viewMenu, kCmdFullScreen);
    viewMenu->addSeparator();
    for (int id : {kCmdReadLine, kCmdReadField, kCmdReadMessageLine, kCmdReadStatus, kCmdListFields}) {
        Add(viewMenu, id);
    }

    QMenu* connection = menuBar()->addMenu(QStringLiteral("&Connection"));
    Add(connection, kCmdStart);
    Add(connection, kCmdStop);
    connection->addSeparator();
    Add(connection, kCmdProperties);
    connection->addSeparator();
    Add(connection, kCmdTraceToFile);
    connection->addSeparator();
    // A printer session runs in a window of its own, beside this one.
    connection->addAction(QStringLiteral("Open P&rinter Session…"), this,
                          [this] { ChoosePrinterSessionFile(this); });

    QMenu* parameters = menuBar()->addMenu(QStringLiteral("&Parameters"));
    for (int id : {kCmdAppearance, kCmdFonts, kCmdAutoSession, kCmdKeyboardMapping}) {
        Add(parameters, id);
    }

    macroMenu_ = menuBar()->addMenu(QStringLiteral("&Macro"));
    for (int id : {kCmdMacroRecord, kCmdMacroStop, kCmdMacroPlay, kCmdMacroEdit}) Add(macroMenu_, id);
    macroMenu_->addSeparator();
    for (int id : {kCmdMacroImport, kCmdMacroExport, kCmdMacroStartMacro}) Add(macroMenu_, id);
    // The saved macros are listed below this separator when the menu opens.
    macroMenu_->addSeparator();

    windowMenu_ = menuBar()->addMenu(QStringLiteral("&Window"));
    Add(windowMenu_, kCmdNextTab);
    Add(windowMenu_, kCmdPreviousTab);
    windowMenu_->addSeparator();
    Add(windowMenu_, kCmdMoveToNewWindow);
    Add(windowMenu_, kCmdMoveToMainWindow);
    windowMenu_->addSeparator();
    for (int id : {kCmdReplaceSession, kCmdReopenWorkspace, kCmdMapOverTabKeys}) Add(windowMenu_, id);
    // The sessions are listed below this separator when the menu opens.
    windowMenu_->addSeparator();

    QMenu* help = menuBar()->addMenu(QStringLiteral("&?"));
    Add(help, kCmdKeyboardLayout);
    Add(help, kCmdAbout);

    for (QMenu* m : menuBar()->findChildren<QMenu*>()) {
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    }
    // Menu texts carry their accelerator hints after a tab, as the table says.
    for (const CommandSpec& command : AllCommands()) {
        if (QAction* a = actions_.value(command.id); a && *command.text) {
            a->setText(Text(command.text));
        }
    }
}

namespace {
// The context menu's own texts, as the menu lists them: mostly the menu
// bar's without their mnemonics (the Cursor Form items keep theirs), the
// accelerator hints kept. 0 is a separator, -1 the Cursor Form submenu.
struct ContextItem {
    int id;
    const char* text;
};
constexpr ContextItem kContextItems[] = {
    {kCmdStart, "Start\tCtrl+X"},
    {kCmdStop, "Stop\tCtrl+D"},
    {kCmdProperties, "Properties\tCtrl+T"},
    {0, nullptr},
    {kCmdCopy, "Copy\tCtrl+C"},
    {kCmdPaste, "Paste\tCtrl+V"},
    {kCmdSelectAll, "Select All\tCtrl+A"},
    {0, nullptr},
    {kCmdFullScreen, "Full Screen\tCtrl+F"},
    {-1, "Cursor Form"},
    {kCmdCursorBlink, "Cursor Blink \tCtrl+B"},
    {kCmdCursorLocation, "Cursor Location\tCtrl+R"},
    {0, nullptr},
    {kCmdAppearance, "Appearance\tCtrl+F1"},
    {kCmdFonts, "Fonts\tCtrl+F2"},
    {0, nullptr},
    {kCmdPrint, "Print...\tCtrl+P"},
    {kCmdPrintPreview, "Print Preview"},
    {kCmdPrinterSetup, "Printer Setup"},
    {0, nullptr},
    {kCmdKeyboardLayout, "Keyboard Layout\tCtrl+F4"},
    {0, nullptr},
    {kCmdExit, "Exit"},
};
constexpr ContextItem kCursorFormItems[] = {
    {kCmdCursorSolid, "&Solid"},
    {kCmdCursorUnderscore, "&Underscore"},
    {kCmdCursorVerticalBar, "&Vertical Bar"},
};
}  // namespace

QAction* CMainFrame::AddContextItem(QMenu* menu, int id, const char* text) {
    // An action of its own: the menu-bar action's command and prompt, but
    // no shortcut (the accelerators belong to the menu-bar actions).
    auto* a = new QAction(Text(text), menu);
    a->setData(id);
    if (const QAction* main = actions_.value(id)) a->setStatusTip(main->statusTip());
    connect(a, &QAction::triggered, this, [this, id] { Execute(id); });
    menu->addAction(a);
    contextActions_.insert(id, a);
    return a;
}

void CMainFrame::BuildContextMenu() {
    contextMenu_ = new QMenu(this);
    for (const ContextItem& item : kContextItems) {
        if (item.id == 0) {
            contextMenu_->addSeparator();
        } else if (item.id == -1) {
            QMenu* form = contextMenu_->addMenu(Text(item.text));
            for (const ContextItem& f : kCursorFormItems) AddContextItem(form, f.id, f.text);
        } else {
            AddContextItem(contextMenu_, item.id, item.text);
        }
    }
}

void CMainFrame::BuildToolBars() {
    auto make = [this](int stringId, const char* objectName, std::initializer_list<int> ids) {
        auto* bar = new QToolBar(QString::fromUtf8(LoadString(stringId).data()), this);
        bar->setObjectName(QString::fromLatin1(objectName));
        bar->setMovable(true);
        bar->setFloatable(true);
        bar->setAllowedAreas(Qt::AllToolBarAreas);
        for (int id : ids) bar->addAction(actions_.value(id));
        // Buttons show the tooltip word, never the menu text with its hint.
        for (QAction* a : bar->actions()) {
            if (QWidget* w = bar->widgetForAction(a)) w->setToolTip(a->toolTip());
        }
        return bar;
    };
    commandBar_ = make(kStrCommandBar, "CommandBar",
                       {kCmdConnectDisconnect, kCmdCopy, kCmdPaste, kCmdPrint, kCmdMacroPlay});
    specialKeyBar_ = make(kStrSpecialKeysBar, "SpecialKeyBar",
                          {kCmdSystemRequest, kCmdAttention, kCmdPrevious, kCmdNext,
                           kCmdDeleteFields, kCmdRefresh, kCmdPa1, kCmdPa2, kCmdPa3, kCmdPrintKey,
                           kCmdHelpKey});
    helpBar_ = make(kStrHelpBar, "HelpBar", {kCmdWebSite, kCmdKeyboardLayout});
    addToolBar(Qt::TopToolBarArea, commandBar_);
    addToolBar(Qt::TopToolBarArea, helpBar_);
    addToolBar(Qt::LeftToolBarArea, specialKeyBar_);
}

void CMainFrame::BuildStatusBar() {
    static const char* const kWidthTexts[] = {"000.000.000.000", "Canadian Bilingual",
                                              "IBM-XXXX-CCC", "CAPS", "NUM"};
    QStatusBar* bar = statusBar();
    const QFontMetrics metrics(bar->font());
    for (int i = 0; i < 5; ++i) {
        panes_[i] = new QLabel(bar);
        panes_[i]->setFixedWidth(metrics.horizontalAdvance(QString::fromLatin1(kWidthTexts[i])) + 8);
        bar->addPermanentWidget(panes_[i]);
    }
    // "Ready" (or the session's notice) whenever no command prompt is shown.
    bar->showMessage(idleStatus_);
    connect(bar, &QStatusBar::messageChanged, this, [this, bar](const QString& text) {
        if (text.isEmpty()) bar->showMessage(idleStatus_);
    });
}

void CMainFrame::SetIdleStatus(const QString& text) {
    const QString shown = text.isEmpty() ? QStringLiteral("Ready") : text;
    if (shown == idleStatus_) return;
    const bool showingIdle = statusBar()->currentMessage() == idleStatus_;
    idleStatus_ = shown;
    if (showingIdle) statusBar()->showMessage(idleStatus_);
}

void CMainFrame::SetHandler(int id, Handler handler) {
    handlers_.insert(id, std::move(handler));
    UpdateCommandState(id);
}

bool CMainFrame::Execute(int id) {
    const auto it = handlers_.constFind(id);
    if (it == handlers_.constEnd() || !it->run) return false;
    if (it->enabled && !it->enabled()) return false;
    it->run();
    UpdateCommandStates();
    return true;
}

void CMainFrame::UpdateCommandState(int id) {
    QAction* a = actions_.value(id, nullptr);
    if (!a) return;
    const auto h = handlers_.constFind(id);
    const bool handled = h != handlers_.constEnd() && h->run;
    const bool enabled = handled && (!h->enabled || h->enabled());
    const bool checkable = handled && h->checked;
    const bool checked = checkable && h->checked();
    // The menu-bar action and its context-menu twin follow the same rules.
    QList<QAction*> targets = contextActions_.values(id);
    targets.prepend(a);
    for (QAction* t : targets) {
        t->setEnabled(enabled);
        if (checkable) {
            t->setCheckable(true);
            t->setChecked(checked);
        }
    }
}

void CMainFrame::UpdateCommandStates() {
    for (auto it = actions_.constBegin(); it != actions_.constEnd(); ++it) {
        UpdateCommandState(it.key());
    }
    // The picture list's connected picture, whatever else the bar holds.
    constexpr int kConnectedPicture = 4;
    const int picture = isConnected && isConnected() ? kConnectedPicture : 0;
    if (picture != connectPicture_) {
        connectPicture_ = picture;
        emit connectPictureChanged(picture);
    }
    const std::vector<std::string> labels = recentLabels ? recentLabels() : std::vector<std::string>{};
    for (int i = 0; i < 4; ++i) {
        QAction* a = actions_.value(kCmdRecent1 + i);
        const bool present = static_cast<std::size_t>(i) < labels.size();
        a->setVisible(present);
        if (present) a->setText(QString::fromStdString(labels[static_cast<std::size_t>(i)]));
    }
    recentMenu_->menuAction()->setEnabled(!labels.empty());
    UpdateLockPanes();
}

void CMainFrame::NoteLockKeys(const QKeyEvent& key) {
    const int k = key.key();
    const bool keypad = key.modifiers() & Qt::KeypadModifier;
    // Caps Lock is the view's to follow (it shows it in the indicator row).
    if (k == Qt::Key_NumLock) {
        if (num_) num_ = !*num_;
    } else if (keypad && k >= Qt::Key_0 && k <= Qt::Key_9) {
        num_ = true;
    } else if (keypad && (k == Qt::Key_Home || k == Qt::Key_End || k == Qt::Key_Left ||
                          k == Qt::Key_Right || k == Qt::Key_Up || k == Qt::Key_Down ||
                          k == Qt::Key_PageUp || k == Qt::Key_PageDown || k == Qt::Key_Insert ||
                          k == Qt::Key_Clear)) {
        num_ = false;
    }
}

void CMainFrame::UpdateLockPanes() {
    const CTelnetView* v = view();
    panes_[3]->setText(v && v->capsLock().on() ? QStringLiteral("CAPS") : QString());
    panes_[4]->setText(num_.value_or(false) ? QStringLiteral("NUM") : QString());
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // The view follows Caps Lock as it takes the key: the panes are brought
    // up to date once it has.
    if (event->type() == QEvent::KeyPress && qobject_cast<CTelnetView*>(watched)) {
        NoteLockKeys(*static_cast<QKeyEvent*>(event));
        QTimer::singleShot(0, this, [this] { UpdateLockPanes(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

WindowPlacement CMainFrame::CurrentPlacement() const {
    WindowPlacement p;
    p.showCmd = isMinimized() ? kShowMinimized : isMaximized() ? kShowMaximized : kShowNormal;
    QRect normal = fullScreen_ ? savedNormal_ : normalGeometry();
    if (!normal.isValid()) normal = geometry();
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    return p;
}

std::optional<WindowPlacement> CMainFrame::PlacementToStore() const {
    if (isMinimized()) return std::nullopt;
    return CurrentPlacement();
}

void CMainFrame::RestorePlacement(const WindowPlacement& placement) {
    // The work areas of the screens, the primary first: a stored rectangle
    // never makes the window larger than the desktop or puts it off screen.
    std::vector<ScreenArea> screens;
    QList<QScreen*> all = QGuiApplication::screens();
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        all.removeAll(primary);
        all.prepend(primary);
    }
    for (const QScreen* screen : all) {
        const QRect a = screen->availableGeometry();
        screens.push_back({a.left(), a.top(), a.left() + a.width(), a.top() + a.height()});
    }
    // An empty rectangle cannot be a window: the default size stays.
    if (const std::optional<ScreenArea> r = FitNormalRectangle(placement, screens)) {
        setGeometry(QRect(r->left, r->top, r->right - r->left, r->bottom - r->top));
    }
    startupShow_ = StartupShowCommand(placement, false);
}

void CMainFrame::ShowAtStartup() {
    if (fullScreen_) {
        showFullScreen();
    } else if (startupShow_ == kShowMaximized) {
        showMaximized();
    } else if (startupShow_ == kShowMinimized) {
        showMinimized();
    } else {
        showNormal();
    }
}

std::string CMainFrame::SaveBarLayout() const { return saveState().toBase64().toStdString(); }

bool CMainFrame::RestoreBarLayout(const std::string& text) {
    if (text.empty()) return false;
    const QByteArray state = QByteArray::fromBase64(QByteArray::fromStdString(text),
                                                    QByteArray::AbortOnBase64DecodingErrors);
    return !state.isEmpty() && restoreState(state);
}

void CMainFrame::SetFullScreen(bool on) {
    QWidget* bars[4] = {commandBar_, specialKeyBar_, helpBar_, statusBar()};
    if (on) {
        if (!fullScreen_) {
            savedNormal_ = normalGeometry().isValid() ? normalGeometry() : geometry();
            savedStates_ = windowState() & ~Qt::WindowFullScreen;
            for (int i = 0; i < 4; ++i) savedVisible_[i] = !bars[i]->isHidden();
            for (int i = 0; i < 3; ++i) bars[i]->hide();
            menuBar()->hide();
        }
        statusBar()->hide();
        fullScreen_ = true;
        startupShow_ = kShowNormal;
        setWindowState(Qt::WindowFullScreen);
    } else {
        if (!fullScreen_) return;
        menuBar()->show();
        fullScreen_ = false;
        setWindowState(savedStates_);
        if (!(savedStates_ & Qt::WindowMaximized) && savedNormal_.isValid()) setGeometry(savedNormal_);
        for (int i = 0; i < 4; ++i) bars[i]->setVisible(savedVisible_[i]);
    }
}

void CMainFrame::SetSessionPanes(const QString& ip, const QString& language,
                                 const QString& terminal) {
    panes_[0]->setText(ip);
    panes_[1]->setText(language);
    panes_[2]->setText(terminal);
}

QString CMainFrame::paneText(int pane) const {
    return pane >= 1 && pane <= 5 ? panes_[pane - 1]->text() : QString();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (onCloseRequested && !onCloseRequested()) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace quenlix::app
