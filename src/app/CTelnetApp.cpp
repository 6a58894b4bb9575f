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
#include <QMessageBox>
#include <QTimer>

#include "app/CertificateDialog.h"
#include "app/CommandIds.h"
#include "app/FirstWindowSize.h"
#include "app/FocusKeeper.h"
#include "app/QtQuestions.h"
#include "app/QtSettingsStore.h"
#include "app/ReadingCommands.h"
#include "input/KeyCodes.h"
#include "keyring/MemoryKeyring.h"
#include "keyring/SecretServiceKeyring.h"
#include "session/ConnectFile.h"
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
      ownStore_(std::make_unique<QtSettingsStore>()),
      store_(ownStore_.get()),
      notifier_([this] { session_->endpoint().OnSocketEvent(); },
                [this] { session_->endpoint().OnSocketWritable(); }),
      keyring_(std::make_unique<SecretServiceKeyring>()) {
    Initialise(tableDirectory);
    // The program's own pins, beside its preferences; a shell made with
    // another store (the tests) keeps them in memory.
    session_->pins.SetPath(CertificatePins::DefaultPath());
}

CTelnetApp::CTelnetApp(const std::string& tableDirectory, const std::string& computerName,
                       SettingsStore& store, Questions* questions)
    : computerName_(computerName),
      store_(&store),
      notifier_([this] { session_->endpoint().OnSocketEvent(); },
                [this] { session_->endpoint().OnSocketWritable(); }),
      questions_(questions),
      keyring_(std::make_unique<MemoryKeyring>()) {
    Initialise(tableDirectory);
}

void CTelnetApp::Initialise(const std::string& tableDirectory) {
    // The preferences are read before the window exists; nothing is written
    // until the close.
    prefs_ = LoadUserSettings(*store_);
    prefsAtStart_ = prefs_;
    frame_ = std::make_unique<CMainFrame>();
    CTelnetView& view = *frame_->view();
    session_ = std::make_unique<TerminalSession>(
        FrontEnd{view, messages_, notifier_, clipboard_}, tableDirectory, computerName_);
    if (!questions_) {
        auto questions = std::make_unique<QtQuestions>(frame_.get(), computerName_);
        questions->currentCertificate = [this] { return session_->endpoint().PeerCertificate(); };
        questions->currentHost = [this] { return session_->activeSettings.IP; };
        questions_ = questions.get();
        ownQuestions_ = std::move(questions);
    }
    certificateQuestions_ = std::make_unique<QtCertificateQuestions>(frame_.get());
    session_->endpoint().SetCertificateQuestions(certificateQuestions_.get());
    tlsIcon_ = new QLabel(frame_->statusBar());
    tlsIcon_->hide();
    frame_->statusBar()->addPermanentWidget(tlsIcon_);
    tlsStatus_ = new QLabel(frame_->statusBar());
    tlsStatus_->hide();
    frame_->statusBar()->addPermanentWidget(tlsStatus_);
    commands_ = std::make_unique<SessionCommands>(*session_, *questions_, messages_,
                                                  computerName_);
    commands_->SetKeyring(*keyring_);
    commands_->refreshDisplay = [this] { RefreshSessionDisplay(); };
    trace_ = std::make_unique<TraceCommands>(*session_, messages_, *frame_->statusBar());
    commands_->afterConnect = [this] {
        frame_->view()->FitScreenToWindow();
        frame_->UpdateCommandStates();
    };
    messages_.SetParent(frame_.get());
    focusKeeper_ = new FocusKeeper(frame_.get(), &view, this);
    view.SetSession(session_.get());
    connect(&view, &CTelnetView::sendFailed, this, [this](const QString& text) {
        messages_.ShowMessage(text.toStdString(), MessageIcon::Stop);
    });
    session_->onSessionEnded = [this] { frame_->UpdateCommandStates(); };
    // Enter (or Connect) tries a lost host again: a failure says so.
    session_->retryWording = true;
    session_->onConfirmClearPassword = [this] {
        return QMessageBox::warning(
                   frame_.get(), Str(kStrAppTitle),
                   QStringLiteral("This session sends the password in clear when the host offers "
                                  "no encryption, and the connection is not encrypted (no TLS): "
                                  "anyone on the network path can read the password.\n\nSend "
                                  "it in clear during this session?"),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    };
    // Enter on the blank screen of a session the host ended connects it
    // again, as the Connect command does.
    session_->onReconnectRequested = [this] {
        QTimer::singleShot(0, frame_.get(), [this] {
            if (!session_->terminal.state.connected) Start();
        });
    };
    connect(&tick_, &QTimer::timeout, this, [this] { OnTick(); });
    tick_.start(static_cast<int>(TerminalSession::kTickInterval.count()));
    session_->onSessionDisplayChanged = [this] { RefreshSessionDisplay(); };
    frame_->isConnected = [this] { return session_->terminal.state.connected != 0; };
    frame_->onCloseRequested = [this] { return CloseRequested(); };
    frame_->recentLabels = [this] {
        return commands_->recent.MenuLabels(QDir::currentPath().toStdString());
    };
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
    commands_->recent.Load(*store_);

    RegisterCommands();
    RegisterSpecialKeys();
    RegisterViewCommands();
    RegisterReadingCommands(*frame_, *session_);
    RegisterDialogCommands();
    RefreshSessionDisplay();
    frame_->UpdateCommandStates();
}

CTelnetApp::~CTelnetApp() {
    // The session goes before the window; the window's hooks reach into it.
    session_->endpoint().SetCertificateQuestions(nullptr);
    frame_->onCloseRequested = nullptr;
    frame_->isConnected = nullptr;
    frame_->recentLabels = nullptr;
}

void CTelnetApp::ApplyPreferences() {
    ApplyUserSettings(prefs_, session_->terminal);
    CTelnetView* view = frame_->view();
    view->SetFontPreferences({prefs_.Face, prefs_.Bold, prefs_.Italic != 0});
    view->SetBackground({prefs_.BkgndActive != 0, prefs_.BkgndMode, prefs_.ImageFile});
    session_->clipboardOptions.TrimBlankRight = prefs_.TrimBlankRight;
    session_->clipboardOptions.NbrTabSpace = prefs_.NbrTabSpace;
    messages_.refusedKeyAlarm = prefs_.RefusedKeyAlarm != 0;
    view->InvalidateView();
}

void CTelnetApp::CollectPreferences() {
    CollectUserSettings(session_->terminal, prefs_);
    const CTelnetView* view = frame_->view();
    prefs_.Face = view->fontPreferences().face;
    prefs_.Bold = view->fontPreferences().weight;
    prefs_.Italic = view->fontPreferences().italic ? 1 : 0;
    prefs_.BkgndActive = view->background().active ? 1 : 0;
    prefs_.BkgndMode = view->background().mode;
    prefs_.ImageFile = view->background().imageFile;
    prefs_.TrimBlankRight = session_->clipboardOptions.TrimBlankRight;
    prefs_.NbrTabSpace = session_->clipboardOptions.NbrTabSpace;
    prefs_.FullScreen = frame_->fullScreen() ? 1 : 0;
}

bool CTelnetApp::SessionLoaded() const { return commands_->SessionLoaded(); }

void CTelnetApp::OnTick() {
    session_->OnTimerTick();
    UpdateTlsStatus();
    const TerminalState& s = session_->terminal.state;
    if (!s.connected && !s.connectionNotice.empty()) {
        frame_->SetIdleStatus(Qs(s.connectionNotice));
    } else if (session_->WaitingForHost()) {
        frame_->SetIdleStatus(QStringLiteral("Waiting for the host\u2026"));
    } else if (s.connected && session_->signOnReport().kind == SignOnReport::Kind::kNoPassword) {
        // The operator signs on at the host's screen: say why it came.
        frame_->SetIdleStatus(QStringLiteral("No password sent: %1")
                                  .arg(Qs(session_->signOnReport().reason)));
    } else {
        frame_->SetIdleStatus({});
    }
}

void CTelnetApp::UpdateTlsStatus() {
    const std::string version = session_->endpoint().TlsVersion();
    tlsStatus_->setVisible(!version.empty());
    tlsIcon_->setVisible(!version.empty());
    if (version.empty()) return;
    tlsStatus_->setText(TlsStatusText(version));
    if (tlsIcon_->pixmap().isNull()) {
        tlsIcon_->setPixmap(TlsLockPixmap(tlsStatus_->fontMetrics().height(),
                                          frame_->devicePixelRatioF()));
    }
    const std::optional<CertificateReport> peer = session_->endpoint().PeerCertificate();
    tlsStatus_->setToolTip(peer ? QStringLiteral("Encrypted with %1. Host certificate SHA-256:\n%2")
                                      .arg(Qs(version), Qs(peer->fingerprint))
                                : QString());
    tlsIcon_->setToolTip(tlsStatus_->toolTip());
}

void CTelnetApp::RefreshSessionDisplay() {
    const SessionSettings& s = session_->activeSettings;
    frame_->setWindowTitle(Str(kStrAppTitle) + QStringLiteral(" - ") + Qs(s.Name));
    if (SessionLoaded()) {
        frame_->SetSessionPanes(Qs(s.IP), Qs(s.Language), Qs(s.TerminalName));
        if (s.WantsWideScreen()) FitFirstWindow(27, 132);
    } else {
        frame_->SetSessionPanes({}, {}, {});
    }
    // The blank screen's hint follows the session.
    frame_->view()->InvalidateView();
}

QString CTelnetApp::OpenSessionFile(const QString& path) {
    const QString opened = Qs(commands_->OpenSessionFile(path.toStdString()));
    frame_->UpdateCommandStates();
    return opened;
}

void CTelnetApp::Start() {
    commands_->Start();
    frame_->UpdateCommandStates();
}

void CTelnetApp::Stop() {
    commands_->Stop();
    frame_->UpdateCommandStates();
}

void CTelnetApp::Startup(const std::vector<std::string>& arguments) {
    if (showSplash) splashShown_ = showSplash();
    // The first window is made for the screen size of the session about to
    // be opened, so it does not grow under the operator's eyes.
    std::optional<std::string> first = SessionPathFromArguments(arguments);
    if (!first && prefs_.Check) first = prefs_.FileName;
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
    if (const std::optional<std::string> path = SessionPathFromArguments(arguments)) {
        commands_->OpenSessionFile(*path);
    } else if (prefs_.Check) {
        commands_->OpenSessionFile(prefs_.FileName);
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
    const std::vector<std::string>& recent = commands_->recent.entries();
    if (!recent.empty() && FileReadable(recent.front()) && !commands_->connected()) {
        commands_->OpenRecent(0);
        if (!commands_->connected() && !session_->activeSettings.IP.empty()) commands_->Start();
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
        prepared = commands_->PrepareClose();
    }
    if (!prepared) {
        frame_->UpdateCommandStates();
        return false;
    }
    // A store that cannot be written costs only this run's preference
    // changes; the close goes on without a box, and the reason is logged.
    SavePreferences();
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
    RecentSessionList& recent = commands_->recent;
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

void CTelnetApp::RegisterCommands() {
    CMainFrame& f = *frame_;
    SessionCommands& c = *commands_;
    auto loaded = [&c] { return c.SessionLoaded(); };
    auto connected = [&c] { return c.connected(); };
    f.SetHandler(kCmdNewSession, {[&c] { c.NewSession(); }});
    f.SetHandler(kCmdOpen, {[&c] { c.OpenSessionFile({}); }});
    f.SetHandler(kCmdClose, {[&c] { c.CloseSession(); }, loaded});
    f.SetHandler(kCmdSave, {[&c] { c.SaveSession(c.sessionFilePath); }, loaded});
    f.SetHandler(kCmdSaveAs, {[&c] { c.SaveSession({}); }, loaded});
    for (int i = 0; i < 4; ++i) {
        f.SetHandler(kCmdRecent1 + i,
                     {[&c, i] { c.OpenRecent(i); },
                      [&c, i] { return static_cast<std::size_t>(i) < c.recent.entries().size(); }});
    }
    f.SetHandler(kCmdStart, {[&c] { c.Start(); }, [connected] { return !connected(); }});
    f.SetHandler(kCmdStop, {[&c] { c.Stop(); }, connected});
    f.SetHandler(kCmdConnectDisconnect, {[&c] { c.ConnectDisconnect(); }});
    f.SetHandler(kCmdProperties, {[&c] { c.Properties(); }, loaded});
    f.SetHandler(kCmdTraceToFile, {[this] { trace_->ToggleTrace(); }, {},
                                   [this] { return trace_->tracing(); }});
    f.SetHandler(kCmdReplayRecording,
                 {[this] { trace_->ReplayRecording(); }, [connected] { return !connected(); }});
    f.SetHandler(kCmdExit, {[this] { frame_->close(); }});
    f.SetHandler(kCmdCopy, {[this] { session_->input().clipboard().Copy(); },
                            [this] { return session_->input().clipboard().CopyEnabled(); }});
    f.SetHandler(kCmdPaste, {[this] { session_->input().clipboard().Paste(); },
                             [this] { return session_->input().clipboard().PasteEnabled(); }});
    f.SetHandler(kCmdSelectAll, {[this] { session_->input().mouse().SelectAll(); }});
    f.SetHandler(kCmdTrimBlankRight,
                 {[this] { session_->input().clipboard().ToggleTrimBlankRight(); }, {},
                  [this] { return session_->clipboardOptions.TrimBlankRight != 0; }});
    f.SetHandler(kCmdRefusedKeyAlarm,
                 {[this] { prefs_.RefusedKeyAlarm = prefs_.RefusedKeyAlarm ? 0 : 1;
                           messages_.refusedKeyAlarm = prefs_.RefusedKeyAlarm != 0; },
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

void CTelnetApp::RegisterSpecialKeys() {
    static constexpr int kSpecialKeys[] = {kCmdSystemRequest, kCmdAttention, kCmdRefresh,
                                           kCmdHelpKey,       kCmdPrintKey,  kCmdNext,
                                           kCmdPrevious,      kCmdPa1,       kCmdPa2,
                                           kCmdPa3,           kCmdDeleteFields};
    for (int id : kSpecialKeys) {
        frame_->SetHandler(id, {[this, id] {
                               try {
                                   session_->input().keyboard().SpecialKey(id);
                               } catch (const std::exception& e) {
                                   messages_.ShowMessage(e.what(), MessageIcon::Stop);
                               }
                           }});
    }
}

void CTelnetApp::RegisterViewCommands() {
    CMainFrame& f = *frame_;
    TerminalState& state = session_->terminal.state;
    CTelnetView* view = f.view();
    auto form = [&state, view](int value) {
        return CMainFrame::Handler{[&state, view, value] {
                                       state.CursorForm = value;
                                       view->InvalidateCursor();
                                   },
                                   {}, [&state, value] { return state.CursorForm == value; }};
    };
    f.SetHandler(kCmdCursorSolid, form(0));
    f.SetHandler(kCmdCursorUnderscore, form(1));
    f.SetHandler(kCmdCursorVerticalBar, form(2));
    f.SetHandler(kCmdCursorBlink, {[&state, view] {
                                       state.BlinkCursor = !state.BlinkCursor;
                                       view->InvalidateCursor();
                                   },
                                   {}, [&state] { return state.BlinkCursor != 0; }});
    f.SetHandler(kCmdCursorLocation, {[&state, view] {
                                          state.CheckRepere = !state.CheckRepere;
                                          // No old crosshair to wipe: the next
                                          // paint draws the lines afresh.
                                          view->paintState().lastCrosshairX = -1;
                                          view->paintState().lastCrosshairY = -1;
                                          view->InvalidateView();
                                      },
                                      {}, [&state] { return state.CheckRepere != 0; }});
}

}  // namespace quenlix::app
