// Start-up, the command wiring and the session commands of the program.
#include "app/CTelnetApp.h"

#include <QFile>
#include <QFileDialog>
#include <QStatusBar>

#include "app/CommandIds.h"
#include "input/KeyCodes.h"
#include "session/ConnectFile.h"
#include "terminal/StringTable.h"

namespace quenlix::app {

namespace {
QString Str(int id) { return QString::fromUtf8(LoadString(id).data()); }
QString Qs(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

CTelnetApp::CTelnetApp(const std::string& tableDirectory, const std::string& computerName)
    : notifier_([this] { session_->endpoint().OnSocketEvent(); }),
      frame_(std::make_unique<CMainFrame>()) {
    CTelnetView& view = *frame_->view();
    session_ = std::make_unique<TerminalSession>(
        FrontEnd{view, messages_, notifier_, clipboard_}, tableDirectory, computerName);
    clipboard_.SetSettings(&session_->activeSettings);
    messages_.SetParent(frame_.get());
    view.SetSession(session_.get());
    connect(&view, &CTelnetView::sendFailed, this, [this](const QString& text) {
        messages_.ShowMessage(text.toStdString(), MessageIcon::Stop);
    });
    session_->onSessionEnded = [this] { frame_->UpdateCommandStates(); };
    frame_->isConnected = [this] { return session_->terminal.state.connected != 0; };
    RegisterCommands();
    RegisterSpecialKeys();
    RegisterViewCommands();
    RegisterDialogCommands();
    RefreshSessionDisplay();
}

CTelnetApp::~CTelnetApp() = default;

bool CTelnetApp::SessionLoaded() const {
    return session_->activeSettings.Name != LoadString(kStrNoName);
}

void CTelnetApp::RefreshSessionDisplay() {
    const SessionSettings& s = session_->activeSettings;
    frame_->setWindowTitle(Str(kStrAppTitle) + QStringLiteral(" - ") + Qs(s.Name));
    if (SessionLoaded()) {
        frame_->SetSessionPanes(Qs(s.IP), Qs(s.Language), Qs(s.TerminalName));
    } else {
        frame_->SetSessionPanes({}, {}, {});
    }
}

QString CTelnetApp::OpenSessionFile(const QString& path) {
    QFile probe(path);
    if (path.isEmpty() || !probe.open(QIODevice::ReadOnly)) {
        messages_.ShowMessage(LoadString(kStrOpenSessionFailed), MessageIcon::Exclamation);
        return {};
    }
    probe.close();
    if (session_->terminal.state.connected) session_->EndSession();
    CConnectFile::ReadSessionFile(path.toStdString(), session_->activeSettings,
                                  session_->terminal.state.computerName);
    session_->pendingSettings = session_->activeSettings;
    RefreshSessionDisplay();
    if (session_->activeSettings.LaunchConnection) Start();
    frame_->UpdateCommandStates();
    return path;
}

void CTelnetApp::Start() {
    session_->StartConnection();
    frame_->view()->FitScreenToWindow();
    frame_->UpdateCommandStates();
}

void CTelnetApp::Stop() {
    session_->EndSession();
    frame_->UpdateCommandStates();
}

void CTelnetApp::BeginFirstSession(const QString& commandLinePath) {
    if (!commandLinePath.isEmpty()) OpenSessionFile(commandLinePath);
}

void CTelnetApp::RegisterCommands() {
    CMainFrame& f = *frame_;
    auto connected = [this] { return session_->terminal.state.connected != 0; };
    f.SetHandler(kCmdOpen, {[this] {
                     const QString path = QFileDialog::getOpenFileName(
                         frame_.get(), QString(), QString(),
                         QStringLiteral("Sessions files (*.stn)"));
                     if (!path.isEmpty()) OpenSessionFile(path);
                 }});
    f.SetHandler(kCmdStart, {[this] { Start(); }, [connected] { return !connected(); }});
    f.SetHandler(kCmdStop, {[this] { Stop(); }, connected});
    f.SetHandler(kCmdConnectDisconnect, {[this, connected] {
                     if (connected()) {
                         Stop();
                     } else {
                         Start();
                     }
                 }});
    f.SetHandler(kCmdExit, {[this] { frame_->close(); }});
    f.SetHandler(kCmdCopy, {[this] { session_->input().clipboard().Copy(); },
                            [this] { return session_->input().clipboard().CopyEnabled(); }});
    f.SetHandler(kCmdPaste, {[this] { session_->input().clipboard().Paste(); },
                             [this] { return session_->input().clipboard().PasteEnabled(); }});
    f.SetHandler(kCmdSelectAll, {[this] { session_->input().mouse().SelectAll(); }});
    f.SetHandler(kCmdTrimBlankRight,
                 {[this] { session_->input().clipboard().ToggleTrimBlankRight(); }, {},
                  [this] { return session_->clipboardOptions.TrimBlankRight != 0; }});
    // Accelerators that nothing handles: the keys are taken and do nothing.
    for (int id : {kCmdUnhandledCtrlL, kCmdUnhandledCtrlU, kCmdUnhandledUndo, kCmdUnhandledCut,
                   kCmdUnhandledAltPlus}) {
        f.SetHandler(id, {[] {}});
    }
    auto toggleBar = [&f](QWidget* bar) {
        return CMainFrame::Handler{[bar] { bar->setVisible(!bar->isVisible()); }, {},
                                   [bar] { return bar->isVisible(); }};
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
                                          view->InvalidateView();
                                      },
                                      {}, [&state] { return state.CheckRepere != 0; }});
}

}  // namespace quenlix::app
