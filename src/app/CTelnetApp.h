// The application object: brings the program up (preferences, main
// window, the sessions' controllers, one per tab), keeps what is the
// program's (preferences, the recent list, certificate pins, the keyring,
// the questions, the command table), wires every command of the main
// window to the session in front or to the program, begins the first
// sessions, and takes the program down through the main window's close
// sequence.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CMainFrame.h"
#include "app/CertificateDialog.h"
#include "app/QtPlatform.h"
#include "app/Questions.h"
#include "app/SessionCommands.h"
#include "app/MacroCommands.h"
#include "app/SessionController.h"
#include "app/TraceCommands.h"
#include "connection/TerminalSession.h"
#include "prefs/StartupRules.h"
#include "prefs/UserSettings.h"

class QLabel;

namespace quenlix::app {

class FocusKeeper;
class PrinterSessionWindow;

class CTelnetApp : public QObject {
    Q_OBJECT
public:
    /// `tableDirectory` holds the translation tables; `computerName` is the
    /// default display name. The preferences come from the application's
    /// QSettings and the questions go to the operator.
    CTelnetApp(const std::string& tableDirectory, const std::string& computerName);
    /// The same over another store and, when not null, other answers (tests).
    CTelnetApp(const std::string& tableDirectory, const std::string& computerName,
               SettingsStore& store, Questions* questions);
    ~CTelnetApp() override;

    /// The main window.
    CMainFrame& frame() { return *frame_; }
    /// The window the operator works in (the main one, or one a tab was
    /// moved out to).
    CMainFrame& Front() { return current_ ? *current_ : *frame_; }
    /// The printer sessions' windows a printer session's Start opened
    /// (closed ones are null).
    const std::vector<QPointer<PrinterSessionWindow>>& printerWindows() const {
        return printerWindows_;
    }
    /// The windows tabs were moved out to, in the order they were made.
    const std::vector<std::unique_ptr<CMainFrame>>& otherWindows() const { return extraWindows_; }
    /// The window showing a session's tab.
    CMainFrame& WindowOf(SessionController& controller);
    /// 1 for the main window, 2... for the others in order.
    int WindowNumberOf(SessionController& controller);
    /// Window > Move to New Window: the session in front goes to a window
    /// of its own (not its window's last tab); Window > Move to Main Window
    /// brings it back, and a window left without tabs goes. Closing such a
    /// window brings all its sessions back.
    void MoveToNewWindow();
    void MoveToMainWindow();
    /// A tab of `from` dragged off its bar and let go at `globalPos`: its
    /// session moves to the window there (beside the tab under the pointer
    /// when it is let go on that window's bar), or to a new window there
    /// when none of the program's windows is; let go over its own window,
    /// it stays. The main window keeps its last tab.
    void TearOff(CMainFrame& from, int index, const QPoint& globalPos);
    /// The session in front, and its parts.
    SessionController& active() { return *active_; }
    TerminalSession& session() { return active_->session(); }
    QtMessageBoxes& messages() { return active_->messages(); }
    /// The certificate questions of TLS connections.
    QtCertificateQuestions& certificateQuestions() { return active_->certificateQuestions(); }

    /// The open sessions, in the order of their tabs.
    const std::vector<std::unique_ptr<SessionController>>& controllers() const {
        return controllers_;
    }
    SessionController& controller(std::size_t index) { return *controllers_.at(index); }
    /// A new session in a tab of its own, not yet brought to the front.
    SessionController& AddSession();
    /// Brings a session's tab to the front.
    void Activate(SessionController& controller);
    /// The Ctrl+PageDown / Ctrl+PageUp steps (wrapping round) and Alt+digit
    /// (the tab at that place, 1-based; none when there is no such tab).
    void ActivateNext(int step);
    void ActivatePlace(int place);
    /// The close sequence of one session (end and save questions), then its
    /// tab goes; the last tab is emptied instead. False when the operator
    /// went on.
    bool CloseSessionTab(SessionController& controller);
    /// Opens `path` (the open dialog when empty) where the preferences say:
    /// a tab of its own (reusing an empty one in front), or in place of the
    /// session in front. The path opened, or empty.
    QString OpenInTab(const QString& path);
    /// The recent list's entry `index` the same way.
    void OpenRecentInTab(int index);
    /// File > New Session the same way.
    void NewSessionInTab();
    /// The recent-session list shared by every session.
    RecentSessionList& recent() { return recent_; }
    /// The session files of the open sessions, in tab order (sessions
    /// without a file are left out).
    std::vector<std::string> OpenSessionFiles() const;
    /// The names of the connected sessions, for the exit question.
    std::vector<std::string> ConnectedSessionNames() const;
    /// Brings dialogs to the front and gives the keyboard back to the view.
    FocusKeeper& focusKeeper() { return *focusKeeper_; }
    /// The status bar's lock and TLS version, hidden on a plain connection.
    QLabel* tlsStatus() const { return tlsStatus_; }
    /// The lock before it, a drawn picture.
    QLabel* tlsIcon() const { return tlsIcon_; }
    SessionCommands& commands() { return active_->commands(); }
    /// The Macro menu and the macros playing or being recorded.
    MacroCommands& macros() { return *macros_; }
    PasswordKeyring& keyring() { return *keyring_; }
    TraceCommands& trace() { return active_->trace(); }
    SettingsStore& store() { return *store_; }

    /// The preferences in memory. Dialogs that change them call
    /// ApplyPreferences() to show the change; the cursor commands, the
    /// font and background of the view and the copy options are taken back
    /// from where they live at the close.
    UserSettings& userSettings() { return prefs_; }
    void ApplyPreferences();

    /// Reads a session file into both copies of the session values, shows it,
    /// and connects when it says "Launch Connection". Empty on failure
    /// (message 528) or when the operator declined.
    QString OpenSessionFile(const QString& path);
    /// Window title and status-bar panes from the values in use.
    void RefreshSessionDisplay();
    /// The Start command (asks for a session when none is loaded).
    void Start();
    /// The Stop command (asks whether to end the session).
    void Stop();

    /// Shows the main window as it was last closed, then begins the first
    /// session with the program's arguments (its name not included).
    void Startup(const std::vector<std::string>& arguments);
    /// Begins the first sessions: a tab per file the arguments name, the
    /// first in front, else the workspace of the last exit when the option
    /// is on, else the
    /// Auto Session file when "Check" is on, else (once the splash has gone,
    /// posted) the most recent session, opened and connected, or when there
    /// is none the Connect/Disconnect command; then the news-page check.
    void BeginFirstSession(const std::vector<std::string>& arguments);
    /// The same with one argument; empty means none.
    void BeginFirstSession(const QString& commandLinePath);

    /// The splash: shown by this hook when set (true when a picture is
    /// shown); the splash clears the flag when it goes away.
    std::function<bool()> showSplash;
    void SetSplashShown(bool shown) { splashShown_ = shown; }
    bool splashShown() const { return splashShown_; }
    /// Longest wait for the splash to go before the first session begins.
    static constexpr int kSplashWaitLimitMs = 10000;
    /// The wait limit in use (tests shorten it).
    int splashWaitLimitMs = kSplashWaitLimitMs;

    /// The clock of the news-page check.
    std::function<LocalDateTime()> clock = CurrentLocalDateTime;
    /// Called when the news page is due ("LPT" already updated). The program
    /// has no news page address, so by default nothing opens.
    std::function<void()> onNewsPageDue;
    /// Opens a web address in the user's browser (tests replace it).
    std::function<void(const QUrl&)> openUrl;
    /// The address the Web Site commands open, set when the program is
    /// built (QUENLIX_WEB_SITE); empty: they show the operator's help page
    /// installed with the program in the help window instead.
    QString webSiteAddress;
    /// The Web Site command.
    void OpenWebSite();

    /// The close sequence of the main window: one question listing the
    /// connected sessions, the save question of each changed session, the
    /// end of every session, the workspace and the preferences stored. False
    /// when the operator went on, and for a close asked for again while its
    /// questions are still open.
    bool CloseRequested();
    /// Stores the preferences this program changed since it read them, the
    /// window layout outside full-screen mode, "FullScreen" and the recent
    /// list, merged into what another program running at the same time may
    /// have stored meanwhile. False when the store could not write them (the
    /// stored file is then the one from before).
    bool SavePreferences();
    /// The Full Screen command.
    void ToggleFullScreen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public:

    /// At the first start (no stored placement), grows the window so that
    /// a `rows` x `columns` screen gets readable characters on the screen
    /// the window is on (FirstStartWindowSize). Does nothing once the
    /// operator has resized, maximised or minimised the window, or in
    /// full-screen mode. Called before the window is shown and whenever a
    /// session's screen size becomes known.
    void FitFirstWindow(int rows, int columns);

private:
    void Initialise();
    void CollectPreferences();
    /// A window's commands, bars and hooks (the main window's and those a
    /// tab is moved out to).
    void SetUpWindow(CMainFrame& window);
    void RegisterCommands(CMainFrame& f);
    void RegisterSpecialKeys(CMainFrame& f);
    void RegisterViewCommands(CMainFrame& f);
    /// The dialogs, printing, splash and help commands (CTelnetAppDialogs.cpp);
    /// the splash only for the main window.
    void RegisterDialogCommands(CMainFrame& f, bool mainWindow);
    bool SessionLoaded() const;
    /// The tab's text and accessible name of a session.
    void UpdateTab(SessionController& controller);
    /// The tab in front of `w` changed to the one `view` shows.
    void OnActiveViewChanged(CMainFrame& w, CTelnetView* view);
    /// The empty session in front that an open may reuse, else none.
    SessionController* ReusableSession();
    /// Where an open goes: the session in front when the option says to
    /// replace it or it is empty, else a new tab. `added` says which.
    SessionController& OpenTarget(bool& added);
    /// Takes a session out, its tab and all.
    void RemoveSession(SessionController& controller);
    /// Applies the preferences the active session's dialogs changed to
    /// every other session.
    void SharePreferences();
    /// A session file of the workspace and its window (1 the main one).
    struct WorkspaceEntry {
        std::string path;
        int window = 1;
    };
    /// The workspace stored at the last exit, and the one open now.
    std::vector<WorkspaceEntry> StoredWorkspace() const;
    std::vector<WorkspaceEntry> OpenWorkspace();
    void StoreWorkspace();
    /// The window's close with several sessions: the end question once,
    /// listing the connected ones, each changed session's save question,
    /// then the end of every session.
    bool PrepareCloseAll();
    /// Tab, Window menu and switching commands.
    void RegisterWindowCommands(CMainFrame& f);
    /// The window the operator works in became `w`.
    void UseWindow(CMainFrame& w);
    /// A session's tab came to the front of `w`.
    void Brought(CMainFrame& w, SessionController& c);
    /// Title and panes of `w` from the session `c` in front there.
    void RefreshWindow(CMainFrame& w, SessionController& c);
    SessionController* ControllerOf(const CTelnetView* view) const;
    /// The program's visible window at a point of the screen, or null.
    CMainFrame* WindowAt(const QPoint& globalPos);
    /// Orders the sessions as their windows and tabs show them.
    void SortByTabs();
    CMainFrame& NewWindow();
    void MoveTo(SessionController& c, CMainFrame& to);
    /// Every session of a moved-out window back to the main window, and
    /// the window gone.
    void ReturnAll(CMainFrame& w);
    void DropWindow(CMainFrame& w);
    /// The first session when none was named: the most recent session when
    /// its file can be read, else the Connect/Disconnect command.
    void BeginWithoutArguments();
    /// One tick of every session's timer and the status bar's idle text.
    void OnTick();
    /// The lock and TLS version in the status bar, while a TLS session is up.
    void UpdateTlsStatus();

    std::string computerName_;
    std::string tableDirectory_;
    std::unique_ptr<SettingsStore> ownStore_;
    SettingsStore* store_;
    UserSettings prefs_;
    /// The preferences as read at start: the close stores only what differs.
    UserSettings prefsAtStart_;
    /// The messages of the program's own commands: the session in front's.
    class ActiveMessages : public MessageBoxes {
    public:
        explicit ActiveMessages(CTelnetApp& app) : app_(app) {}
        void ShowMessage(std::string_view text, MessageIcon icon) override {
            app_.messages().ShowMessage(text, icon);
        }

    private:
        CTelnetApp& app_;
    };
    ActiveMessages activeMessages_{*this};
    std::unique_ptr<CMainFrame> frame_;
    /// The windows tabs were moved out to; they go after the sessions.
    std::vector<std::unique_ptr<CMainFrame>> extraWindows_;
    std::vector<QPointer<PrinterSessionWindow>> printerWindows_;
    /// Windows emptied and hidden, deleted once the event that emptied them is over.
    std::vector<std::unique_ptr<CMainFrame>> retiredWindows_;
    /// The window the operator works in: the commands act on its session.
    CMainFrame* current_ = nullptr;
    RecentSessionList recent_;
    std::unique_ptr<Questions> ownQuestions_;
    Questions* questions_ = nullptr;
    /// Session passwords: the desktop keyring, or one in memory for a shell
    /// made with another store (the tests).
    std::unique_ptr<PasswordKeyring> keyring_;
    /// The sessions in tab order, and the one in front.
    std::vector<std::unique_ptr<SessionController>> controllers_;
    SessionController* active_ = nullptr;
    /// The Macro menu's recordings and playing macros; goes before the sessions.
    std::unique_ptr<MacroCommands> macros_;
    /// The certificate pins' file; empty: kept in memory (the tests).
    std::string pinsPath_;
    QLabel* tlsStatus_ = nullptr;  ///< owned by the status bar
    QLabel* tlsIcon_ = nullptr;    ///< owned by the status bar
    FocusKeeper* focusKeeper_ = nullptr;  ///< owned by this object
    /// The sessions' timer: stalled output, and the status bar's notices.
    QTimer tick_;
    bool splashShown_ = false;
    /// The close sequence is asking its questions.
    bool closing_ = false;
    /// The session files open when the close began (stored as the workspace).
    std::optional<std::vector<WorkspaceEntry>> workspaceAtClose_;
    /// The first start's sizing is on (no placement was stored), and the
    /// size it last gave the window.
    bool fitFirstWindow_ = false;
    QSize firstWindowSize_;
};

}  // namespace quenlix::app
