// The application object: brings the program up (preferences, session
// objects, main window, view), wires every command of the main window to
// the part that carries it out, begins the first session, and takes the
// program down through the main window's close sequence.
#pragma once

#include <QObject>
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
#include "app/TraceCommands.h"
#include "connection/TerminalSession.h"
#include "prefs/StartupRules.h"
#include "prefs/UserSettings.h"

class QLabel;

namespace quenlix::app {

class FocusKeeper;

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

    CMainFrame& frame() { return *frame_; }
    TerminalSession& session() { return *session_; }
    QtMessageBoxes& messages() { return messages_; }
    /// The certificate questions of TLS connections.
    QtCertificateQuestions& certificateQuestions() { return *certificateQuestions_; }
    /// Brings dialogs to the front and gives the keyboard back to the view.
    FocusKeeper& focusKeeper() { return *focusKeeper_; }
    /// The status bar's lock and TLS version, hidden on a plain connection.
    QLabel* tlsStatus() const { return tlsStatus_; }
    /// The lock before it, a drawn picture.
    QLabel* tlsIcon() const { return tlsIcon_; }
    SessionCommands& commands() { return *commands_; }
    PasswordKeyring& keyring() { return *keyring_; }
    TraceCommands& trace() { return *trace_; }
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
    /// Begins the first session: the file the arguments name, else the
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

    /// The close sequence of the main window: end and save questions, end of
    /// the session, preferences stored. False when the operator went on, and
    /// for a close asked for again while its questions are still open.
    bool CloseRequested();
    /// Stores the preferences this program changed since it read them, the
    /// window layout outside full-screen mode, "FullScreen" and the recent
    /// list, merged into what another program running at the same time may
    /// have stored meanwhile. False when the store could not write them (the
    /// stored file is then the one from before).
    bool SavePreferences();
    /// The Full Screen command.
    void ToggleFullScreen();

    /// At the first start (no stored placement), grows the window so that
    /// a `rows` x `columns` screen gets readable characters on the screen
    /// the window is on (FirstStartWindowSize). Does nothing once the
    /// operator has resized, maximised or minimised the window, or in
    /// full-screen mode. Called before the window is shown and whenever a
    /// session's screen size becomes known.
    void FitFirstWindow(int rows, int columns);

private:
    void Initialise(const std::string& tableDirectory);
    void CollectPreferences();
    void RegisterCommands();
    void RegisterSpecialKeys();
    void RegisterViewCommands();
    /// The dialogs, printing, splash and help commands (CTelnetAppDialogs.cpp).
    void RegisterDialogCommands();
    bool SessionLoaded() const;
    /// The first session when none was named: the most recent session when
    /// its file can be read, else the Connect/Disconnect command.
    void BeginWithoutArguments();
    /// One tick of the session's timer and the status bar's idle text.
    void OnTick();
    /// The lock and TLS version in the status bar, while a TLS session is up.
    void UpdateTlsStatus();

    std::string computerName_;
    std::unique_ptr<SettingsStore> ownStore_;
    SettingsStore* store_;
    UserSettings prefs_;
    /// The preferences as read at start: the close stores only what differs.
    UserSettings prefsAtStart_;
    QtMessageBoxes messages_;
    QtSocketNotifier notifier_;
    QtClipboard clipboard_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<TerminalSession> session_;
    std::unique_ptr<Questions> ownQuestions_;
    Questions* questions_ = nullptr;
    /// Session passwords: the desktop keyring, or one in memory for a shell
    /// made with another store (the tests).
    std::unique_ptr<PasswordKeyring> keyring_;
    std::unique_ptr<SessionCommands> commands_;
    std::unique_ptr<QtCertificateQuestions> certificateQuestions_;
    QLabel* tlsStatus_ = nullptr;  ///< owned by the status bar
    QLabel* tlsIcon_ = nullptr;    ///< owned by the status bar
    FocusKeeper* focusKeeper_ = nullptr;  ///< owned by this object
    /// Trace to file and replay; goes before the session it watches.
    std::unique_ptr<TraceCommands> trace_;
    /// The session's timer: stalled output, and the status bar's notices.
    QTimer tick_;
    bool splashShown_ = false;
    /// The close sequence is asking its questions.
    bool closing_ = false;
    /// The first start's sizing is on (no placement was stored), and the
    /// size it last gave the window.
    bool fitFirstWindow_ = false;
    QSize firstWindowSize_;
};

}  // namespace quenlix::app
