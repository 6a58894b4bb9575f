// The application object: brings the program up (session objects, main
// window, view), wires every command of the main window to the part that
// carries it out, opens the session named on the command line, and takes
// the program down.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "app/CMainFrame.h"
#include "app/QtPlatform.h"
#include "connection/TerminalSession.h"

namespace quenlix::app {

class CTelnetApp : public QObject {
    Q_OBJECT
public:
    /// `tableDirectory` holds the translation tables; `computerName` is the
    /// default display name.
    CTelnetApp(const std::string& tableDirectory, const std::string& computerName);
    ~CTelnetApp() override;

    CMainFrame& frame() { return *frame_; }
    TerminalSession& session() { return *session_; }
    QtMessageBoxes& messages() { return messages_; }

    /// Reads a session file into both copies of the session values, shows it,
    /// and connects when it says "Launch Connection". Empty on failure
    /// (message 528).
    QString OpenSessionFile(const QString& path);
    /// Window title and status-bar panes from the values in use.
    void RefreshSessionDisplay();
    /// Connects with the values in use (Start).
    void Start();
    /// Ends the session (Stop).
    void Stop();

    /// Runs when the program starts: opens the file of the command line.
    void BeginFirstSession(const QString& commandLinePath);

private:
    void RegisterCommands();
    void RegisterSpecialKeys();
    void RegisterViewCommands();
    /// The dialogs, printing, splash and help commands (CTelnetAppDialogs.cpp).
    void RegisterDialogCommands();
    bool SessionLoaded() const;

    QtMessageBoxes messages_;
    QtSocketNotifier notifier_;
    QtClipboard clipboard_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<TerminalSession> session_;
};

}  // namespace quenlix::app
