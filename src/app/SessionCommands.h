// The life of one session: new, open, save and close of its session file,
// the recent-session list it adds to, starting and stopping the
// connection, and edited parameters applied to a live session. Plain C++:
// every question goes through Questions, every message through
// MessageBoxes, so the whole flow runs in tests without a window.
#pragma once

#include <functional>
#include <string>

#include "app/Questions.h"
#include "connection/TerminalSession.h"
#include "keyring/PasswordKeyring.h"
#include "prefs/RecentSessionList.h"

namespace quenlix::app {

class SessionCommands {
public:
    /// With a recent list of its own.
    SessionCommands(TerminalSession& session, Questions& questions, MessageBoxes& messages,
                    std::string computerName);
    /// Adding to the program's recent list, which every session shares.
    SessionCommands(TerminalSession& session, Questions& questions, MessageBoxes& messages,
                    std::string computerName, RecentSessionList& recent);

    /// Where session passwords are kept (the desktop keyring in the
    /// program); none until set, so every password is then asked for.
    void SetKeyring(PasswordKeyring& keyring) { keyring_ = &keyring; }

    /// Window title and status-bar panes from the values in use.
    std::function<void()> refreshDisplay;
    /// After a connection attempt (the view fits the new screen size).
    std::function<void()> afterConnect;
    /// Starts a printer session with these values in a window of its own:
    /// a session whose device is a printer never connects as this display.
    std::function<void(const SessionSettings&)> startPrinter;

    /// "A session is loaded": the name in use differs, byte for byte, from "No name".
    bool SessionLoaded() const;
    bool connected() const { return session_.terminal.state.connected != 0; }

    /// Opens a session file (the open dialog when `path` is empty); connects
    /// when the file says "Launch Connection". The session is kept by its
    /// absolute path (a relative one is taken from the current folder), so
    /// the recent list and launchers work from any folder. The path opened,
    /// or empty.
    std::string OpenSessionFile(std::string path);
    /// Writes the edited values to `path`, or to a path the save dialog asks
    /// for when `path` is empty or no longer readable. The file never holds
    /// the password: one read from an older file is first moved to the
    /// keyring when the operator agrees, or left out when they do not. False
    /// when the operator cancelled the save dialog or that question, the
    /// keyring refused the move (said in a message), or the file could not be written;
    /// a failed write is reported (string 560, the path and the system's
    /// reason) and leaves the session modified, so a close that asked for
    /// the save stops and the edits are not lost.
    bool SaveSession(const std::string& path);
    void NewSession();
    void CloseSession();
    /// Start: asks for a session when none has an address, then connects.
    void Start();
    /// Stop: asks whether to end the session.
    void Stop();
    void ConnectDisconnect();
    /// Opens entry `index` (0..3) of the recent list; a failing entry stays.
    void OpenRecent(int index);
    /// The Session Properties flow.
    void Properties();
    /// Steps of the close sequence that concern the session: the end and
    /// save questions, then the end of the session. False when the operator
    /// chose to go on.
    bool PrepareClose();

    /// Puts the map the values in use name ("Keyboard Map") in force. A map
    /// with errors is shown in one message listing them all ("The keyboard map
    /// has errors...", then each "file:line: ..." line); its valid lines are used.
    void UseSessionKeyMap();
    /// The Keyboard Mapping dialog chose `map`, kept under `name` (a built-in
    /// map's name, a user map's name or a file; empty for Standard): it is
    /// in force at once, the session names it and, when that changed, is
    /// modified.
    void ChooseKeyMap(const std::string& name, KeyMap map);

    std::string sessionFilePath;
    bool hasSessionFile = false;
    bool sessionModified = false;

private:
    RecentSessionList ownRecent_;

public:
    RecentSessionList& recent;

private:
    /// The connection with the values in use, after fetching the password
    /// an automatic sign-on needs (ObtainPassword).
    void Connect();
    /// The keyring's password for the values in use, or the operator's when
    /// the keyring cannot give it; kept in memory only.
    void ObtainPassword();
    /// The edited values' password from the keyring, for the sheet to show.
    void ShowStoredPassword(SessionSettings& pending);
    /// The questions every replacing operation asks first: end the live
    /// session? save changed values? False when the operation must stop.
    bool ConfirmReplace();

    TerminalSession& session_;
    Questions& questions_;
    MessageBoxes& messages_;
    std::string computerName_;
    NoKeyring noKeyring_;
    PasswordKeyring* keyring_ = &noKeyring_;
};

/// True when `path` names a regular file that can be opened for reading and
/// is small enough to be a session file. Never waits: a folder, a FIFO or a
/// device is not readable.
bool FileReadable(const std::string& path);
/// `path` with ".stn" appended unless its last four characters are ".stn"
/// in any mix of case.
std::string WithSessionExtension(std::string path);
/// `path` as an absolute path: a relative one is taken from the current
/// folder and "." components are dropped; ".." components are resolved on
/// the file system (a ".." after a symbolic link leads where the link
/// leads). An empty path, or one the current folder cannot be found for,
/// is returned as it is.
std::string AbsoluteSessionPath(const std::string& path);
/// The operator's text for a session file that could not be written:
/// string 560, the path, and the system's words for `cause` (an errno
/// value; none when 0).
std::string SaveFailedText(const std::string& path, int cause);

}  // namespace quenlix::app
