// Start-up, the close sequence and the command wiring of the program.
#include "app/CTelnetApp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <algorithm>
#include <map>
#include <QMessageBox>
#include <QTimer>

#include "app/CertificateDialog.h"
#include "app/CommandIds.h"
#include "app/FirstWindowSize.h"
#include "app/FocusKeeper.h"
#include "app/PrinterSessionWindow.h"
#include "app/QtQuestions.h"
#include "app/QtSettingsStore.h"
#include "app/ReadingCommands.h"
#include "input/KeyCodes.h"
#include "keyring/MemoryKeyring.h"
#include "keyring/SecretServiceKeyring.h"
#include "session/ConnectFile.h"
#include "terminal/ScreenReading.h"
#include "terminal/StringTable.h"

namespace quenlix::app {

namespace {
QString Str(int id) { return QString::fromUtf8(LoadString(id).data()); }
QString Qs(const std::string& s) { return QString::fromStdString(s); }

/// Value of "ToolBars/Tool" holding the bars' docking as the window saves it.
constexpr std::string_view kBarStateName = "State";
/// The window's size when no placement was stored.
constexpr int kDefaultWidth = 1000;
constexpr int kDefaultHeight = 680;
}  // namespace

CTelnetApp::CTelnetApp(const std::string& tableDirectory, const std::string& computerName)
    : computerName_(computerName),
      tableDirectory_(tableDirectory),
      ownStore_(std::make_unique<QtSettingsStore>()),
      store_(ownStore_.get()),
      keyring_(std::make_unique<SecretServiceKeyring>()),
      pinsPath_(CertificatePins::DefaultPath()) {
    // The program's own pins, beside its preferences; a shell made with
    // another store (the tests) keeps them in memory.
    Initialise();
}

CTelnetApp::CTelnetApp(const std::string& tableDirectory, const std::string& computerName,
                       SettingsStore& store, Questions* questions)
    : computerName_(computerName),
      tableDirectory_(tableDirectory),
      store_(&store),
      questions_(questions),
      keyring_(std::make_unique<MemoryKeyring>()) {
    Initialise();
}

void CTelnetApp::Initialise() {
    // The preferences are read before the window exists; nothing is written
    // until the close.
    prefs_ = LoadUserSettings(*store_);
    prefsAtStart_ = prefs_;
    macros_ = std::make_unique<MacroCommands>([this]() -> SessionController& { return *active_; });
    frame_ = std::make_unique<CMainFrame>();
    if (!questions_) {
        auto questions = std::make_unique<QtQuestions>(frame_.get(), computerName_);
        questions->currentCertificate = [this] { return session().endpoint().PeerCertificate(); };
        questions->currentHost = [this] { return session().activeSettings.IP; };
        questions_ = questions.get();
        ownQuestions_ = std::move(questions);
    }
    current_ = frame_.get();
    // The first session: the window always shows one, and its commands'
    // rules look at it from the start.
    Activate(AddSession());
    SetUpWindow(*frame_);
    tlsIcon_ = frame_->findChild<QLabel*>(QStringLiteral("TlsIcon"));
    tlsStatus_ = frame_->findChild<QLabel*>(QStringLiteral("TlsStatus"));
    focusKeeper_ = new FocusKeeper(
        frame_.get(), [this]() -> QWidget* { return frame_ ? frame_->view() : nullptr; }, this);
    connect(&tick_, &QTimer::timeout, this, [this] { OnTick(); });
    tick_.start(static_cast<int>(TerminalSession::kTickInterval.count()));
    frame_->onCloseRequested = [this] { return CloseRequested(); };
    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    ApplyPreferences();
    // The window's placement, then its bars' layout, then full-screen mode.
    frame_->resize(kDefaultWidth, kDefaultHeight);
    if (const std::optional<WindowPlacement> placement = LoadWindowPlacement(*store_)) {
        frame_->RestorePlacement(*placement);
    } else {
        fitFirstWindow_ = true;
    }
    frame_->RestoreBarLayout(store_->ReadString(kToolBarSection, kBarStateName, ""));
    if (prefs_.FullScreen) frame_->SetFullScreen(true);
    recent_.Load(*store_);

    RegisterDialogCommands(*frame_, true);
    RefreshSessionDisplay();
    frame_->UpdateCommandStates();
}

void CTelnetApp::SetUpWindow(CMainFrame& f) {
    auto* tlsIcon = new QLabel(f.statusBar());
    tlsIcon->setObjectName(QStringLiteral("TlsIcon"));
    tlsIcon->hide();
    f.statusBar()->addPermanentWidget(tlsIcon);
    auto* tlsStatus = new QLabel(f.statusBar());
    tlsStatus->setObjectName(QStringLiteral("TlsStatus"));
    tlsStatus->hide();
    f.statusBar()->addPermanentWidget(tlsStatus);
    CMainFrame* w = &f;
    connect(w, &CMainFrame::activeViewChanged, this,
            [this, w](CTelnetView* view) { OnActiveViewChanged(*w, view); });
    QTabWidget* tabs = f.tabs();
    tabs->setTabsClosable(true);
    connect(tabs, &QTabWidget::tabCloseRequested, this, [this, w](int index) {
        if (SessionController* c =
                ControllerOf(qobject_cast<CTelnetView*>(w->tabs()->widget(index)))) {
            CloseSessionTab(*c);
        }
    });
    // Dragged tabs: the sessions follow their tabs' order, and a tab torn
    // off the bar goes to the window where it is let go.
    connect(tabs->tabBar(), &QTabBar::tabMoved, this, [this](int, int) { SortByTabs(); });
    connect(f.tabBar(), &SessionTabBar::tabTornOff, this,
            [this, w](int index, const QPoint& at) { TearOff(*w, index, at); });
    // The window the operator works in is the one the commands act on.
    f.installEventFilter(this);
    if (w != frame_.get()) {
        new FocusKeeper(w, [w]() -> QWidget* { return w->view(); }, w);
    }
    f.isConnected = [this] { return active_->connected(); };
    f.recentLabels = [this] { return recent_.MenuLabels(QDir::currentPath().toStdString()); };
    RegisterCommands(f);
    RegisterSpecialKeys(f);
    RegisterViewCommands(f);
    RegisterReadingCommands(f, [this]() -> TerminalSession& { return session(); });
    RegisterWindowCommands(f);
    macros_->Register(f);
    if (w != frame_.get()) RegisterDialogCommands(f, false);
}

bool CTelnetApp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        if (auto* w = qobject_cast<CMainFrame*>(watched)) UseWindow(*w);
    }
    return QObject::eventFilter(watched, event);
}

void CTelnetApp::UseWindow(CMainFrame& w) {
    if (current_ == &w) return;
    current_ = &w;
    if (SessionController* c = ControllerOf(w.view())) {
        active_ = c;
        RefreshSessionDisplay();
        UpdateTlsStatus();
        w.SetIdleStatus(c->IdleStatus());
    }
    w.UpdateCommandStates();
}

SessionController* CTelnetApp::ControllerOf(const CTelnetView* view) const {
    for (const auto& c : controllers_) {
        if (&c->view() == view) return c.get();
    }
    return nullptr;
}

CMainFrame& CTelnetApp::WindowOf(SessionController& c) {
    for (const auto& w : extraWindows_) {
        if (w->IndexOf(&c.view()) >= 0) return *w;
    }
    return *frame_;
}

void CTelnetApp::SortByTabs() {
    std::vector<CMainFrame*> windows{frame_.get()};
    for (const auto& w : extraWindows_) windows.push_back(w.get());
    auto place = [&windows](const SessionController& c) {
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const int index = windows[i]->IndexOf(&const_cast<SessionController&>(c).view());
            if (index >= 0) return static_cast<long>(i) * 100000 + index;
        }
        return static_cast<long>(windows.size()) * 100000;
    };
    std::stable_sort(controllers_.begin(), controllers_.end(),
                     [&place](const auto& x, const auto& y) { return place(*x) < place(*y); });
}

int CTelnetApp::WindowNumberOf(SessionController& c) {
    CMainFrame& w = WindowOf(c);
    if (&w == frame_.get()) return 1;
    for (std::size_t i = 0; i < extraWindows_.size(); ++i) {
        if (extraWindows_[i].get() == &w) return static_cast<int>(i) + 2;
    }
    return 1;
}

CMainFrame& CTelnetApp::NewWindow() {
    auto owned = std::make_unique<CMainFrame>();
    CMainFrame& w = *owned;
    extraWindows_.push_back(std::move(owned));
    SetUpWindow(w);
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    // Its bar stays with one tab, so that tab can be dragged back.
    w.tabs()->setTabBarAutoHide(false);
    CMainFrame* p = &w;
    // Closing a moved-out window brings its sessions back to the main one.
    w.onCloseRequested = [this, p] {
        QTimer::singleShot(0, this, [this, p] { ReturnAll(*p); });
        return true;
    };
    w.resize(frame_->size());
    return w;
}

void CTelnetApp::MoveTo(SessionController& c, CMainFrame& to) {
    CMainFrame& from = WindowOf(c);
    if (&from == &to) return;
    from.RemoveView(&c.view());
    c.SetWindow(&to);
    to.AddView(&c.view(), TabText(c.name(), c.marks()));
    UpdateTab(c);
    SortByTabs();
    // What the window left shows now is in front there.
    if (SessionController* left = ControllerOf(from.view())) {
        left->SetInFront(true);
        RefreshWindow(from, *left);
    }
    to.ShowView(&c.view());
    c.SetInFront(true);
    RefreshWindow(to, c);
}

void CTelnetApp::MoveToNewWindow() {
    SessionController& c = *active_;
    if (WindowOf(c).tabs()->count() < 2) return;
    CMainFrame& w = NewWindow();
    MoveTo(c, w);
    w.show();
    current_ = &w;
    active_ = &c;
    w.activateWindow();
    w.UpdateCommandStates();
}

CMainFrame* CTelnetApp::WindowAt(const QPoint& globalPos) {
    QWidget* top = QApplication::topLevelAt(globalPos);
    if (!top) return nullptr;
    if (top == frame_.get() && frame_->isVisible()) return frame_.get();
    for (const auto& w : extraWindows_) {
        if (top == w.get() && w->isVisible()) return w.get();
    }
    return nullptr;
}

void CTelnetApp::TearOff(CMainFrame& from, int index, const QPoint& globalPos) {
    SessionController* c = ControllerOf(qobject_cast<CTelnetView*>(from.tabs()->widget(index)));
    if (!c) return;
    CMainFrame* to = WindowAt(globalPos);
    // Over its own window the tab stays; the main window keeps its last
    // one, and a window's only tab already has a window of its own.
    if (to == &from) return;
    if (from.tabs()->count() < 2 && (!to || &from == frame_.get())) return;
    const bool made = to == nullptr;
    if (made) {
        to = &NewWindow();
        // The new window's tab bar where the tab was let go.
        to->move(globalPos - QPoint(to->width() / 4, to->tabBar()->height() + 40));
    }
    MoveTo(*c, *to);
    if (!made) {
        // Let go on the bar: beside the tab under the pointer.
        const int at = to->tabBar()->tabAt(to->tabBar()->mapFromGlobal(globalPos));
        const int now = to->IndexOf(&c->view());
        if (at >= 0 && now >= 0 && at != now) to->tabBar()->moveTab(now, at);
    }
    for (const auto& other : controllers_) {
        if (other.get() != c && &WindowOf(*other) == to) other->SetInFront(false);
    }
    if (made) to->show();
    current_ = to;
    active_ = c;
    RefreshSessionDisplay();
    if (&from != frame_.get() && from.tabs()->count() == 0) DropWindow(from);
    to->raise();
    to->activateWindow();
    c->view().setFocus(Qt::OtherFocusReason);
    to->UpdateCommandStates();
}

void CTelnetApp::MoveToMainWindow() {
    SessionController& c = *active_;
    CMainFrame& from = WindowOf(c);
    if (&from == frame_.get()) return;
    MoveTo(c, *frame_);
    for (const auto& other : controllers_) {
        if (other.get() != &c && &WindowOf(*other) == frame_.get()) other->SetInFront(false);
    }
    current_ = frame_.get();
    active_ = &c;
    RefreshSessionDisplay();
    if (from.tabs()->count() == 0) DropWindow(from);
    frame_->raise();
    frame_->activateWindow();
    c.view().setFocus(Qt::OtherFocusReason);
    frame_->UpdateCommandStates();
}

void CTelnetApp::ReturnAll(CMainFrame& w) {
    auto it = std::find_if(extraWindows_.begin(), extraWindows_.end(),
                           [&w](const auto& p) { return p.get() == &w; });
    if (it == extraWindows_.end()) return;
    while (CTelnetView* view = w.view()) {
        SessionController* c = ControllerOf(view);
        if (!c) break;
        MoveTo(*c, *frame_);
        c->SetInFront(false);
    }
    if (SessionController* front = ControllerOf(frame_->view())) front->SetInFront(true);
    if (current_ == &w) current_ = frame_.get();
    if (SessionController* front = ControllerOf(current_->view())) active_ = front;
    RefreshSessionDisplay();
    DropWindow(w);
}

void CTelnetApp::DropWindow(CMainFrame& w) {
    auto it = std::find_if(extraWindows_.begin(), extraWindows_.end(),
                           [&w](const auto& p) { return p.get() == &w; });
    if (it == extraWindows_.end()) return;
    if (current_ == &w) current_ = frame_.get();
    w.hide();
    // Its own command may be what runs now: it goes once the event is over,
    // or with the program, whichever comes first (its rules reach in here).
    retiredWindows_.push_back(std::move(*it));
    extraWindows_.erase(it);
    QTimer::singleShot(0, this, [this] { retiredWindows_.clear(); });
}

CTelnetApp::~CTelnetApp() {
    for (const QPointer<PrinterSessionWindow>& printer : printerWindows_) delete printer.data();
    delete focusKeeper_;
    focusKeeper_ = nullptr;
    tick_.stop();
    frame_->onCloseRequested = nullptr;
    frame_->isConnected = nullptr;
    frame_->recentLabels = nullptr;
    std::vector<CMainFrame*> windows{frame_.get()};
    for (const auto& w : extraWindows_) windows.push_back(w.get());
    for (const auto& w : retiredWindows_) windows.push_back(w.get());
    for (CMainFrame* w : windows) {
        w->removeEventFilter(this);
        w->onCloseRequested = nullptr;
        w->isConnected = nullptr;
        w->recentLabels = nullptr;
        disconnect(w, nullptr, this, nullptr);
        disconnect(w->tabs(), nullptr, this, nullptr);
        disconnect(w->tabs()->tabBar(), nullptr, this, nullptr);
    }
    // The macros reach into the sessions; the sessions go before the window,
    // whose hooks reach into them.
    macros_.reset();
    active_ = nullptr;
    while (!controllers_.empty()) controllers_.pop_back();
}

SessionController& CTelnetApp::AddSession() {
    SessionController::Program program{tableDirectory_, computerName_, *questions_, *keyring_,
                                       recent_};
    CMainFrame& w = Front();
    auto owned = std::make_unique<SessionController>(program, &w, *w.statusBar());
    SessionController& c = *owned;
    if (!pinsPath_.empty()) c.session().pins.SetPath(pinsPath_);
    ApplyUserSettings(prefs_, c.session().terminal);
    c.view().SetFontPreferences({prefs_.Face, prefs_.Bold, prefs_.Italic != 0});
    c.view().SetBackground({prefs_.BkgndActive != 0, prefs_.BkgndMode, prefs_.ImageFile});
    c.session().clipboardOptions.TrimBlankRight = prefs_.TrimBlankRight;
    c.session().clipboardOptions.NbrTabSpace = prefs_.NbrTabSpace;
    c.messages().refusedKeyAlarm = prefs_.RefusedKeyAlarm != 0;
    c.view().mapOverWindowKeys = prefs_.MapOverTabKeys != 0;
    c.view().SetHotspotsEnabled(prefs_.Hotspots != 0);
    c.commands().startPrinter = [this](const SessionSettings& settings) {
        auto* printer = new PrinterSessionWindow(settings, tableDirectory_);
        printer->setAttribute(Qt::WA_DeleteOnClose);
        printer->show();
        printer->Start();
        printerWindows_.push_back(printer);
    };
    connect(&c.view(), &CTelnetView::addressClicked, this, [this](const QString& address) {
        // Only what the screen can offer: a web page or a mail address.
        const QUrl url(address, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (url.isValid() && (scheme == QLatin1String("https") || scheme == QLatin1String("http") ||
                              scheme == QLatin1String("mailto"))) {
            if (openUrl) openUrl(url);
        }
    });
    c.onMarksChanged = [this, &c] { UpdateTab(c); };
    c.onDisplayChanged = [this, &c] {
        UpdateTab(c);
        if (&c == active_) RefreshSessionDisplay();
    };
    c.onCommandStatesChanged = [this, &c] { WindowOf(c).UpdateCommandStates(); };
    macros_->Attach(c);
    // Behind the one in front until it is brought there.
    if (active_) c.SetInFront(false);
    controllers_.push_back(std::move(owned));
    w.AddView(&c.view(), TabText(c.name(), c.marks()));
    UpdateTab(c);
    return c;
}

void CTelnetApp::UpdateTab(SessionController& c) {
    CMainFrame& w = WindowOf(c);
    const int index = w.IndexOf(&c.view());
    if (index < 0) return;
    const SessionMarks marks = c.marks();
    QTabWidget* tabs = w.tabs();
    tabs->setTabText(index, TabText(c.name(), marks));
    tabs->setTabToolTip(index, Qs(c.name()) + QStringLiteral(": ") + MarksInWords(marks));
    tabs->setTabWhatsThis(index, MarksInWords(marks));
}

void CTelnetApp::Activate(SessionController& c) {
    CMainFrame& w = WindowOf(c);
    if (&w != current_) {
        // A session of another window: that window comes to the front.
        current_ = &w;
        if (w.isVisible()) {
            w.raise();
            w.activateWindow();
        }
        if (w.view() == &c.view()) active_ = nullptr;
    }
    // The window's signal comes back through OnActiveViewChanged.
    if (w.view() != &c.view()) w.ShowView(&c.view());
    if (w.view() == &c.view()) Brought(w, c);
}

void CTelnetApp::Brought(CMainFrame& w, SessionController& c) {
    // In each window its current tab is in front, the others behind.
    for (const auto& other : controllers_) {
        if (other.get() != &c && &WindowOf(*other) == &w) other->SetInFront(false);
    }
    c.SetInFront(true);
    if (&w != current_ && active_) {
        RefreshWindow(w, c);
        return;
    }
    SessionController* before = active_;
    if (before == &c) return;
    active_ = &c;
    if (!before) return;
    RefreshSessionDisplay();
    UpdateTlsStatus();
    w.SetIdleStatus(c.IdleStatus());
    w.UpdateCommandStates();
    // The session and its screen's title, for a screen reader.
    const QString title = c.view().accessibility().FromPc(TitleText(c.session().terminal));
    c.view().accessibility().Say(QStringLiteral("Session %1%2").arg(
        Qs(c.name()), title.isEmpty() ? QString() : QStringLiteral(", ") + title));
    // The keys go to it (when its window is not the active one, once it is).
    c.view().setFocus(Qt::OtherFocusReason);
}

void CTelnetApp::OnActiveViewChanged(CMainFrame& w, CTelnetView* view) {
    if (SessionController* c = ControllerOf(view)) Brought(w, *c);
}

void CTelnetApp::ActivateNext(int step) {
    const int count = Front().tabs()->count();
    if (count < 2) return;
    QTabWidget* tabs = Front().tabs();
    const int here = tabs->currentIndex();
    tabs->setCurrentIndex(((here + step) % count + count) % count);
}

void CTelnetApp::ActivatePlace(int place) {
    if (place < 1 || place > Front().tabs()->count()) return;
    Front().tabs()->setCurrentIndex(place - 1);
}

void CTelnetApp::RemoveSession(SessionController& c) {
    auto it = std::find_if(controllers_.begin(), controllers_.end(),
                           [&c](const auto& p) { return p.get() == &c; });
    if (it == controllers_.end()) return;
    CMainFrame& w = WindowOf(c);
    macros_->Forget(c);
    std::unique_ptr<SessionController> gone = std::move(*it);
    controllers_.erase(it);
    if (active_ == &c) active_ = nullptr;
    w.RemoveView(&c.view());
    // A moved-out window left empty goes.
    if (&w != frame_.get() && w.tabs()->count() == 0) DropWindow(w);
    if (!active_ && !controllers_.empty()) {
        SessionController* next = ControllerOf(Front().view());
        if (!next) next = controllers_.front().get();
        Activate(*next);
        if (!active_) active_ = next;
    }
    // Its connection has ended (or never began): it goes now, view and all.
    gone.reset();
}

bool CTelnetApp::CloseSessionTab(SessionController& c) {
    // The main window always has a session: its last one is emptied.
    if (controllers_.size() < 2 ||
        (&WindowOf(c) == frame_.get() && frame_->tabs()->count() < 2)) {
        c.commands().CloseSession();
        Front().UpdateCommandStates();
        return !c.commands().SessionLoaded();
    }
    Activate(c);
    if (!c.commands().PrepareClose()) {
        Front().UpdateCommandStates();
        return false;
    }
    RemoveSession(c);
    Front().UpdateCommandStates();
    return true;
}

SessionController* CTelnetApp::ReusableSession() {
    SessionController& c = *active_;
    if (c.connected() || c.commands().SessionLoaded() || c.commands().sessionModified ||
        c.commands().hasSessionFile) {
        return nullptr;
    }
    return &c;
}

SessionController& CTelnetApp::OpenTarget(bool& added) {
    added = false;
    if (prefs_.ReplaceSession != 0) return *active_;
    if (SessionController* empty = ReusableSession()) return *empty;
    added = true;
    return AddSession();
}

QString CTelnetApp::OpenInTab(const QString& path) {
    bool added = false;
    SessionController& target = OpenTarget(added);
    if (added) Activate(target);
    const QString opened = Qs(target.commands().OpenSessionFile(path.toStdString()));
    if (added && opened.isEmpty()) RemoveSession(target);
    Front().UpdateCommandStates();
    return opened;
}

void CTelnetApp::OpenRecentInTab(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= recent_.entries().size()) return;
    bool added = false;
    SessionController& target = OpenTarget(added);
    if (added) Activate(target);
    target.commands().OpenRecent(index);
    if (added && !target.commands().hasSessionFile) RemoveSession(target);
    Front().UpdateCommandStates();
}

void CTelnetApp::NewSessionInTab() {
    bool added = false;
    SessionController& target = OpenTarget(added);
    if (added) Activate(target);
    target.commands().NewSession();
    if (added && !target.commands().SessionLoaded()) RemoveSession(target);
    Front().UpdateCommandStates();
}

std::vector<std::string> CTelnetApp::OpenSessionFiles() const {
    std::vector<std::string> files;
    for (const auto& c : controllers_) {
        if (c->commands().hasSessionFile && !c->commands().sessionFilePath.empty()) {
            files.push_back(c->commands().sessionFilePath);
        }
    }
    return files;
}

std::vector<std::string> CTelnetApp::ConnectedSessionNames() const {
    std::vector<std::string> names;
    for (const auto& c : controllers_) {
        if (c->connected()) names.push_back(c->name());
    }
    return names;
}

namespace {
/// Where the workspace is stored: "Sessions" (how many), then
/// "Session<n>" (the file) and "Window<n>" (its window, from 1), n from 1.
constexpr std::string_view kWorkspaceSection = "Workspace";
/// More than this many sessions are not reopened.
constexpr std::uint32_t kMostWorkspaceSessions = 64;
std::string Numbered(std::string_view name, std::size_t n) {
    return std::string(name) + std::to_string(n);
}
}  // namespace

std::vector<CTelnetApp::WorkspaceEntry> CTelnetApp::StoredWorkspace() const {
    std::vector<WorkspaceEntry> entries;
    const std::uint32_t count =
        std::min(store_->ReadInt(kWorkspaceSection, "Sessions", 0), kMostWorkspaceSessions);
    for (std::uint32_t n = 1; n <= count; ++n) {
        std::string path = store_->ReadString(kWorkspaceSection, Numbered("Session", n), "");
        const std::uint32_t window = store_->ReadInt(kWorkspaceSection, Numbered("Window", n), 1);
        if (path.empty()) continue;
        entries.push_back({std::move(path),
                           static_cast<int>(std::clamp<std::uint32_t>(window, 1, kMostWorkspaceSessions))});
    }
    return entries;
}

std::vector<CTelnetApp::WorkspaceEntry> CTelnetApp::OpenWorkspace() {
    SortByTabs();
    std::vector<WorkspaceEntry> entries;
    for (const auto& c : controllers_) {
        if (c->commands().hasSessionFile && !c->commands().sessionFilePath.empty()) {
            entries.push_back({c->commands().sessionFilePath, WindowNumberOf(*c)});
        }
    }
    return entries;
}

void CTelnetApp::StoreWorkspace() {
    const std::vector<WorkspaceEntry> files =
        workspaceAtClose_ ? *workspaceAtClose_ : OpenWorkspace();
    const std::size_t before = std::min<std::size_t>(
        store_->ReadInt(kWorkspaceSection, "Sessions", 0), kMostWorkspaceSessions);
    const std::size_t count = std::min<std::size_t>(files.size(), kMostWorkspaceSessions);
    store_->WriteInt(kWorkspaceSection, "Sessions", static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        store_->WriteString(kWorkspaceSection, Numbered("Session", i + 1), files[i].path);
        store_->WriteInt(kWorkspaceSection, Numbered("Window", i + 1),
                         static_cast<std::uint32_t>(files[i].window));
    }
    // Entries of a longer workspace stored before go.
    for (std::size_t i = count; i < before; ++i) {
        store_->Remove(kWorkspaceSection, Numbered("Session", i + 1));
        store_->Remove(kWorkspaceSection, Numbered("Window", i + 1));
    }
}

void CTelnetApp::SharePreferences() {
    CollectPreferences();
    ApplyPreferences();
}

void CTelnetApp::ApplyPreferences() {
    // Colours, font, background and the options are the user's: every
    // session shows them.
    for (const auto& c : controllers_) {
        ApplyUserSettings(prefs_, c->session().terminal);
        CTelnetView& view = c->view();
        const bool front = &view == WindowOf(*c).view();
        const FontPreferences font{prefs_.Face, prefs_.Bold, prefs_.Italic != 0};
        // A session behind is refitted only when something changed for it.
        if (front || !(view.fontPreferences().face == font.face &&
              view.fontPreferences().weight == font.weight &&
              view.fontPreferences().italic == font.italic)) {
            view.SetFontPreferences(font);
        }
        const BackgroundSettings& b = view.background();
        if (b.active != (prefs_.BkgndActive != 0) || b.mode != prefs_.BkgndMode ||
            b.imageFile != prefs_.ImageFile || front) {
            view.SetBackground({prefs_.BkgndActive != 0, prefs_.BkgndMode, prefs_.ImageFile});
        }
        c->session().clipboardOptions.TrimBlankRight = prefs_.TrimBlankRight;
        c->session().clipboardOptions.NbrTabSpace = prefs_.NbrTabSpace;
        c->messages().refusedKeyAlarm = prefs_.RefusedKeyAlarm != 0;
        view.InvalidateView();
    }
}

void CTelnetApp::CollectPreferences() {
    TerminalSession& session = active_->session();
    CollectUserSettings(session.terminal, prefs_);
    const CTelnetView* view = &active_->view();
    prefs_.Face = view->fontPreferences().face;
    prefs_.Bold = view->fontPreferences().weight;
    prefs_.Italic = view->fontPreferences().italic ? 1 : 0;
    prefs_.BkgndActive = view->background().active ? 1 : 0;
    prefs_.BkgndMode = view->background().mode;
    prefs_.ImageFile = view->background().imageFile;
    prefs_.TrimBlankRight = session.clipboardOptions.TrimBlankRight;
    prefs_.NbrTabSpace = session.clipboardOptions.NbrTabSpace;
    prefs_.FullScreen = frame_->fullScreen() ? 1 : 0;
}

bool CTelnetApp::SessionLoaded() const { return active_->commands().SessionLoaded(); }

void CTelnetApp::OnTick() {
    // Every session's timer, hidden or not: keep-alive, stalled output.
    for (std::size_t i = 0; i < controllers_.size(); ++i) controllers_[i]->OnTick();
    UpdateTlsStatus();
    Front().SetIdleStatus(active_->IdleStatus());
}

void CTelnetApp::UpdateTlsStatus() {
    TerminalSession& session = active_->session();
    // The labels of the window in front.
    QLabel* status = Front().findChild<QLabel*>(QStringLiteral("TlsStatus"));
    QLabel* icon = Front().findChild<QLabel*>(QStringLiteral("TlsIcon"));
    if (!status || !icon) return;
    const std::string version = session.endpoint().TlsVersion();
    status->setVisible(!version.empty());
    icon->setVisible(!version.empty());
    if (version.empty()) return;
    status->setText(TlsStatusText(version));
    if (icon->pixmap().isNull()) {
        icon->setPixmap(
            TlsLockPixmap(status->fontMetrics().height(), Front().devicePixelRatioF()));
    }
    const std::optional<CertificateReport> peer = session.endpoint().PeerCertificate();
    status->setToolTip(peer ? QStringLiteral("Encrypted with %1. Host certificate SHA-256:\n%2")
                                  .arg(Qs(version), Qs(peer->fingerprint))
                            : QString());
    icon->setToolTip(status->toolTip());
}

void CTelnetApp::RefreshSessionDisplay() {
    RefreshWindow(Front(), *active_);
    if (&Front() == frame_.get() && SessionLoaded() &&
        active_->session().activeSettings.WantsWideScreen()) {
        FitFirstWindow(27, 132);
    }
}

void CTelnetApp::RefreshWindow(CMainFrame& w, SessionController& c) {
    const SessionSettings& s = c.session().activeSettings;
    w.setWindowTitle(Str(kStrAppTitle) + QStringLiteral(" - ") + Qs(s.Name));
    if (c.commands().SessionLoaded()) {
        w.SetSessionPanes(Qs(s.IP), Qs(s.Language), Qs(s.TerminalName));
    } else {
        w.SetSessionPanes({}, {}, {});
    }
    // The blank screen's hint follows the session.
    c.view().InvalidateView();
}

QString CTelnetApp::OpenSessionFile(const QString& path) {
    const QString opened = Qs(commands().OpenSessionFile(path.toStdString()));
    Front().UpdateCommandStates();
    return opened;
}

void CTelnetApp::Start() {
    commands().Start();
    Front().UpdateCommandStates();
}

void CTelnetApp::Stop() {
    commands().Stop();
    Front().UpdateCommandStates();
}

void CTelnetApp::Startup(const std::vector<std::string>& arguments) {
    if (showSplash) splashShown_ = showSplash();
    // The first window is made for the screen size of the session about to
    // be opened, so it does not grow under the operator's eyes.
    std::optional<std::string> first = SessionPathFromArguments(arguments);
    if (!first && prefs_.Check) first = prefs_.FileName;
    if (!first && prefs_.ReopenWorkspace != 0) {
        const std::vector<WorkspaceEntry> workspace = StoredWorkspace();
        if (!workspace.empty()) first = workspace.front().path;
    }
    SessionSettings peek;
    if (first && FileReadable(*first) && CConnectFile::ReadSessionFile(*first, peek, computerName_) &&
        peek.WantsWideScreen()) {
        FitFirstWindow(27, 132);
    }
    frame_->ShowAtStartup();
    BeginFirstSession(arguments);
}

void CTelnetApp::BeginFirstSession(const QString& commandLinePath) {
    std::vector<std::string> arguments;
    if (!commandLinePath.isEmpty()) arguments.push_back(commandLinePath.toStdString());
    BeginFirstSession(arguments);
}

void CTelnetApp::BeginFirstSession(const std::vector<std::string>& arguments) {
    std::vector<WorkspaceEntry> entries;
    for (std::string& path : SessionPathsFromArguments(arguments)) {
        entries.push_back({std::move(path), 1});
    }
    // The workspace of the last exit when the command line names nothing.
    const bool fromWorkspace = entries.empty() && prefs_.ReopenWorkspace != 0 && !prefs_.Check;
    if (fromWorkspace) {
        for (WorkspaceEntry& entry : StoredWorkspace()) {
            if (FileReadable(entry.path)) entries.push_back(std::move(entry));
        }
    }
    if (!entries.empty()) {
        // A tab each, in order, the first in front: the others open behind
        // it and connect there.
        SessionController& first = *active_;
        first.commands().OpenSessionFile(entries.front().path);
        std::vector<std::pair<SessionController*, int>> opened{{&first, 1}};
        for (std::size_t i = 1; i < entries.size(); ++i) {
            SessionController& c = AddSession();
            if (c.commands().OpenSessionFile(entries[i].path).empty()) {
                RemoveSession(c);
            } else {
                opened.emplace_back(&c, entries[i].window);
            }
        }
        // The sessions of the other windows go to windows of their own, in
        // the order of their numbers; the main window stays in front.
        std::map<int, CMainFrame*> windows;
        for (const auto& [c, number] : opened) {
            if (number <= 1 || c == &first) continue;
            CMainFrame*& w = windows[number];
            if (!w) w = &NewWindow();
            MoveTo(*c, *w);
        }
        for (const auto& [number, w] : windows) {
            w->tabs()->setCurrentIndex(0);
            if (frame_->isVisible()) w->show();
        }
        current_ = frame_.get();
        Activate(first);
    } else if (prefs_.Check) {
        commands().OpenSessionFile(prefs_.FileName);
    } else {
        // Only painting and timers run while the splash is up, so it can show
        // and take itself away; keys and clicks wait. Bounded, in case the
        // splash never clears its flag.
        // Each pass sleeps until an event comes; the one-shot timer is such an
        // event at the limit and ends the wait even if nothing else happens.
        bool limitReached = false;
        QTimer limit;
        limit.setSingleShot(true);
        connect(&limit, &QTimer::timeout, this, [&limitReached] { limitReached = true; });
        if (splashShown_) limit.start(splashWaitLimitMs);
        while (splashShown_ && !limitReached) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::WaitForMoreEvents);
        }
        QTimer::singleShot(0, frame_.get(), [this] { BeginWithoutArguments(); });
    }
    RefreshSessionDisplay();
    if (CheckNewsPage(*store_, clock()) && onNewsPageDue) onNewsPageDue();
    frame_->UpdateCommandStates();
}

void CTelnetApp::BeginWithoutArguments() {
    // The session last opened is there to go on with: it is opened and
    // connected as the Connect command would after asking for it, with no
    // question about a session file when one is at hand.
    SessionCommands& c = commands();
    const std::vector<std::string>& recent = recent_.entries();
    if (!recent.empty() && FileReadable(recent.front()) && !c.connected()) {
        c.OpenRecent(0);
        if (!c.connected() && !session().activeSettings.IP.empty()) c.Start();
        frame_->UpdateCommandStates();
        return;
    }
    frame_->Execute(kCmdConnectDisconnect);
}

bool CTelnetApp::CloseRequested() {
    // Alt+F4 can reach the program twice, as its own accelerator and as the
    // window manager's close: a second request while the end question is up
    // would open a second box under the first, and the operator's answer
    // would close only one of them.
    if (closing_) return false;
    bool prepared = false;
    {
        closing_ = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{closing_};
        if (controllers_.size() < 2) {
            prepared = commands().PrepareClose();
        } else {
            prepared = PrepareCloseAll();
        }
    }
    if (!prepared) {
        frame_->UpdateCommandStates();
        return false;
    }
    // A store that cannot be written costs only this run's preference
    // changes; the close goes on without a box, and the reason is logged.
    SavePreferences();
    // The moved-out windows close with the program.
    for (const auto& w : extraWindows_) w->hide();
    return true;
}

bool CTelnetApp::PrepareCloseAll() {
    // One question for all the connected sessions, naming them.
    const std::vector<std::string> connected = ConnectedSessionNames();
    if (!connected.empty() && !questions_->AskEndSessions(connected)) return false;
    // Then each changed session's save question, in its own tab.
    for (const auto& c : controllers_) {
        SessionCommands& commands = c->commands();
        if (!commands.sessionModified) continue;
        Activate(*c);
        if (questions_->AskYesNo(kStrSaveChangedQuestion) &&
            !commands.SaveSession(commands.sessionFilePath)) {
            return false;
        }
        commands.sessionModified = false;
    }
    // The workspace is what was open, before the sessions end.
    workspaceAtClose_ = OpenWorkspace();
    for (const auto& c : controllers_) {
        try {
            c->session().EndSession();
        } catch (...) {
            // The close goes on whatever went wrong while signing off.
        }
    }
    return true;
}

bool CTelnetApp::SavePreferences() {
    CollectPreferences();
    const bool full = frame_->fullScreen();
    WindowLayout layout;
    if (!full) layout.placement = frame_->PlacementToStore();
    SaveChangedUserSettings(*store_, prefsAtStart_, prefs_, layout);
    // The bars' layout is the window's own saved state, beside the record
    // count the shared layout writer leaves (none: the state says it all).
    if (!full) store_->WriteString(kToolBarSection, kBarStateName, frame_->SaveBarLayout());
    // The recent list is merged as a list, under the store's lock, so the
    // sessions another program opened meanwhile stay in it.
    StoreWorkspace();
    RecentSessionList& recent = recent_;
    auto* qt = dynamic_cast<QtSettingsStore*>(store_);
    if (!qt) {
        recent.MergeInto(*store_);
        return true;
    }
    if (qt->Sync([this, &recent] { recent.MergeInto(*store_); })) return true;
    qWarning("Quenlix Telnet: the preferences could not be stored in %s; the file keeps "
             "the values stored before",
             qPrintable(qt->fileName()));
    return false;
}

void CTelnetApp::FitFirstWindow(int rows, int columns) {
    if (!fitFirstWindow_) return;
    CMainFrame& f = *frame_;
    // The operator's own size (or state) is never overridden.
    if (f.fullScreen() || f.isMaximized() || f.isMinimized() ||
        (firstWindowSize_.isValid() && f.size() != firstWindowSize_)) {
        fitFirstWindow_ = false;
        return;
    }
    // Before the window is shown its parts are not placed yet: laying it out
    // gives the view the size it will have.
    if (!f.isVisible() && f.layout()) f.layout()->activate();
    const QSize chrome = f.size() - f.view()->size();
    QSize available;
    if (const QScreen* screen = f.screen()) {
        available = screen->availableGeometry().size();
        // The frame and title the window manager adds, once known.
        if (f.isVisible()) available -= f.frameGeometry().size() - f.size();
    }
    const QSize size = FirstStartWindowSize(f.size(), chrome, rows, columns, available);
    if (size != f.size()) f.resize(size);
    firstWindowSize_ = f.size();
}

void CTelnetApp::ToggleFullScreen() {
    prefs_.FullScreen = frame_->fullScreen() ? 0 : 1;
    frame_->SetFullScreen(prefs_.FullScreen != 0);
}

void CTelnetApp::RegisterCommands(CMainFrame& f) {
    // Every session command acts on the session in front when it runs.
    auto loaded = [this] { return commands().SessionLoaded(); };
    auto connected = [this] { return commands().connected(); };
    f.SetHandler(kCmdNewSession, {[this] { NewSessionInTab(); }});
    f.SetHandler(kCmdOpen, {[this] { OpenInTab({}); }});
    f.SetHandler(kCmdClose, {[this] { CloseSessionTab(*active_); },
                             [this, loaded] { return loaded() || controllers_.size() > 1; }});
    f.SetHandler(kCmdSave, {[this] { commands().SaveSession(commands().sessionFilePath); }, loaded});
    f.SetHandler(kCmdSaveAs, {[this] { commands().SaveSession({}); }, loaded});
    for (int i = 0; i < 4; ++i) {
        f.SetHandler(kCmdRecent1 + i,
                     {[this, i] { OpenRecentInTab(i); },
                      [this, i] { return static_cast<std::size_t>(i) < recent_.entries().size(); }});
    }
    f.SetHandler(kCmdStart, {[this] { commands().Start(); }, [connected] { return !connected(); }});
    f.SetHandler(kCmdStop, {[this] { commands().Stop(); }, connected});
    f.SetHandler(kCmdConnectDisconnect, {[this] { commands().ConnectDisconnect(); }});
    f.SetHandler(kCmdProperties, {[this] { commands().Properties(); }, loaded});
    f.SetHandler(kCmdTraceToFile, {[this] { trace().ToggleTrace(); }, {},
                                   [this] { return trace().tracing(); }});
    f.SetHandler(kCmdReplayRecording,
                 {[this] { trace().ReplayRecording(); }, [connected] { return !connected(); }});
    f.SetHandler(kCmdExit, {[this] { frame_->close(); }});
    f.SetHandler(kCmdCopy, {[this] { session().input().clipboard().Copy(); },
                            [this] { return session().input().clipboard().CopyEnabled(); }});
    f.SetHandler(kCmdPaste, {[this] { session().input().clipboard().Paste(); },
                             [this] { return session().input().clipboard().PasteEnabled(); }});
    f.SetHandler(kCmdSelectAll, {[this] { session().input().mouse().SelectAll(); }});
    f.SetHandler(kCmdTrimBlankRight,
                 {[this] {
                      session().input().clipboard().ToggleTrimBlankRight();
                      prefs_.TrimBlankRight = session().clipboardOptions.TrimBlankRight;
                      for (const auto& c : controllers_) {
                          c->session().clipboardOptions.TrimBlankRight = prefs_.TrimBlankRight;
                      }
                  },
                  {}, [this] { return session().clipboardOptions.TrimBlankRight != 0; }});
    f.SetHandler(kCmdRefusedKeyAlarm,
                 {[this] {
                      prefs_.RefusedKeyAlarm = prefs_.RefusedKeyAlarm ? 0 : 1;
                      for (const auto& c : controllers_) {
                          c->messages().refusedKeyAlarm = prefs_.RefusedKeyAlarm != 0;
                      }
                  },
                  {}, [this] { return prefs_.RefusedKeyAlarm != 0; }});
    f.SetHandler(kCmdFullScreen, {[this] { ToggleFullScreen(); }, {},
                                  [this] { return frame_->fullScreen(); }});
    // Accelerators that nothing handles: the keys are taken and do nothing.
    for (int id : {kCmdUnhandledCtrlL, kCmdUnhandledCtrlU, kCmdUnhandledUndo, kCmdUnhandledCut,
                   kCmdUnhandledAltPlus}) {
        f.SetHandler(id, {[] {}});
    }
    // Shown or hidden as asked, whether or not the window itself is on screen.
    auto toggleBar = [](QWidget* bar) {
        return CMainFrame::Handler{[bar] { bar->setVisible(bar->isHidden()); }, {},
                                   [bar] { return !bar->isHidden(); }};
    };
    f.SetHandler(kCmdCommandBar, toggleBar(f.commandBar()));
    f.SetHandler(kCmdSpecialKeyBar, toggleBar(f.specialKeyBar()));
    f.SetHandler(kCmdHelpBar, toggleBar(f.helpBar()));
    f.SetHandler(kCmdStatusBar, toggleBar(static_cast<QWidget*>(f.statusBar())));
}

void CTelnetApp::RegisterSpecialKeys(CMainFrame& f) {
    static constexpr int kSpecialKeys[] = {kCmdSystemRequest, kCmdAttention, kCmdRefresh,
                                           kCmdHelpKey,       kCmdPrintKey,  kCmdNext,
                                           kCmdPrevious,      kCmdPa1,       kCmdPa2,
                                           kCmdPa3,           kCmdDeleteFields};
    for (int id : kSpecialKeys) {
        f.SetHandler(id, {[this, id] {
                               try {
                                   session().input().keyboard().SpecialKey(id);
                               } catch (const std::exception& e) {
                                   messages().ShowMessage(e.what(), MessageIcon::Stop);
                               }
                           }});
    }
}

void CTelnetApp::RegisterViewCommands(CMainFrame& f) {
    // The cursor's form, blink and crosshair are the user's: every session
    // takes them.
    auto each = [this](const std::function<void(TerminalState&)>& change) {
        for (const auto& c : controllers_) change(c->session().terminal.state);
    };
    auto form = [this, each](int value) {
        return CMainFrame::Handler{[this, each, value] {
                                       each([value](TerminalState& s) { s.CursorForm = value; });
                                       Front().view()->InvalidateCursor();
                                   },
                                   {},
                                   [this, value] {
                                       return session().terminal.state.CursorForm == value;
                                   }};
    };
    f.SetHandler(kCmdCursorSolid, form(0));
    f.SetHandler(kCmdCursorUnderscore, form(1));
    f.SetHandler(kCmdCursorVerticalBar, form(2));
    f.SetHandler(kCmdCursorBlink, {[this, each] {
                                       const int on = session().terminal.state.BlinkCursor ? 0 : 1;
                                       each([on](TerminalState& s) { s.BlinkCursor = on; });
                                       Front().view()->InvalidateCursor();
                                   },
                                   {}, [this] { return session().terminal.state.BlinkCursor != 0; }});
    f.SetHandler(kCmdCursorLocation,
                 {[this, each] {
                      const int on = session().terminal.state.CheckRepere ? 0 : 1;
                      each([on](TerminalState& s) { s.CheckRepere = on; });
                      // No old crosshair to wipe: the next paint draws the
                      // lines afresh.
                      for (const auto& c : controllers_) {
                          c->view().paintState().lastCrosshairX = -1;
                          c->view().paintState().lastCrosshairY = -1;
                          c->view().InvalidateView();
                      }
                  },
                  {}, [this] { return session().terminal.state.CheckRepere != 0; }});
    f.SetHandler(kCmdHotspots, {[this] {
                                    prefs_.Hotspots = prefs_.Hotspots ? 0 : 1;
                                    for (const auto& c : controllers_) {
                                        c->view().SetHotspotsEnabled(prefs_.Hotspots != 0);
                                    }
                                },
                                {}, [this] { return prefs_.Hotspots != 0; }});
}

void CTelnetApp::RegisterWindowCommands(CMainFrame& f) {
    auto several = [this] { return Front().tabs()->count() > 1; };
    f.SetHandler(kCmdNextTab, {[this] { ActivateNext(1); }, several});
    f.SetHandler(kCmdPreviousTab, {[this] { ActivateNext(-1); }, several});
    for (int place = 1; place <= 9; ++place) {
        f.SetHandler(kCmdTab1 + place - 1,
                     {[this, place] { ActivatePlace(place); },
                      [this, place] { return place <= Front().tabs()->count(); }});
    }
    f.SetHandler(kCmdMoveToNewWindow, {[this] { MoveToNewWindow(); },
                                       [this] { return WindowOf(*active_).tabs()->count() > 1; }});
    f.SetHandler(kCmdMoveToMainWindow, {[this] { MoveToMainWindow(); },
                                        [this] { return &WindowOf(*active_) != frame_.get(); }});
    f.SetHandler(kCmdReplaceSession, {[this] { prefs_.ReplaceSession = prefs_.ReplaceSession ? 0 : 1; },
                                      {}, [this] { return prefs_.ReplaceSession != 0; }});
    f.SetHandler(kCmdReopenWorkspace,
                 {[this] { prefs_.ReopenWorkspace = prefs_.ReopenWorkspace ? 0 : 1; }, {},
                  [this] { return prefs_.ReopenWorkspace != 0; }});
    f.SetHandler(kCmdMapOverTabKeys,
                 {[this] {
                      prefs_.MapOverTabKeys = prefs_.MapOverTabKeys ? 0 : 1;
                      for (const auto& c : controllers_) {
                          c->view().mapOverWindowKeys = prefs_.MapOverTabKeys != 0;
                      }
                  },
                  {}, [this] { return prefs_.MapOverTabKeys != 0; }});
    // The Window menu lists the sessions; its entries follow the tabs.
    QMenu* window = f.windowMenu();
    connect(window, &QMenu::aboutToShow, this, [this, window] {
        for (QAction* a : window->actions()) {
            if (a->property("sessionEntry").toBool()) {
                window->removeAction(a);
                a->deleteLater();
            }
        }
        for (std::size_t i = 0; i < controllers_.size(); ++i) {
            SessionController* c = controllers_[i].get();
            QString text = TabText(c->name(), c->marks());
            if (i < 9) text = QStringLiteral("&%1 ").arg(i + 1) + text;
            auto* a = new QAction(text, window);
            a->setProperty("sessionEntry", true);
            a->setCheckable(true);
            a->setChecked(c == active_);
            connect(a, &QAction::triggered, this, [this, c] {
                for (const auto& owned : controllers_) {
                    if (owned.get() == c) Activate(*c);
                }
            });
            window->addAction(a);
        }
    });
}

}  // namespace quenlix::app
