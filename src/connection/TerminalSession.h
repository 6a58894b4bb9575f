// One host session without any window: the terminal model, the translation
// tables, the two copies of the session values, the connection endpoint,
// the 5250 interpreter and its answers, wired together; and the two
// operations that start and end a connection. The desktop program and the
// headless front end both drive a session through this object.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "connection/RetryMessages.h"
#include "connection/UnplacedByteTrace.h"
#include "ds5250/HostResponses.h"
#include "ds5250/TN5250.h"
#include "input/OperatorInput.h"
#include "net/Communication.h"
#include "net/SignOnPlan.h"
#include "net/TerminalConnectionDisplay.h"
#include "session/CertificatePins.h"
#include "session/SessionSettings.h"
#include "terminal/TerminalState.h"
#include "terminal/TranslationCache.h"
#include "terminal/ViewOperations.h"

namespace quenlix {

/// What a front end supplies to a session.
struct FrontEnd {
    ViewOperations& view;
    MessageBoxes& messages;
    SocketNotifier& notifier;
    Clipboard& clipboard;
};

/// The start values of both session copies: port 23, the computer name as
/// display name chosen by the host, everything else empty or 0. The copy in
/// use is also named "No name"; the edited copy has no name and no screen size.
SessionSettings StartActiveSettings(const std::string& computerName);
SessionSettings StartPendingSettings(const std::string& computerName);

class TerminalSession : private SessionControl,
                        private BlockInterpreter,
                        private NotificationControl {
public:
    /// `tableDirectory` holds the <code page>.tbl files; `computerName` is at
    /// most 15 characters.
    TerminalSession(const FrontEnd& frontEnd, const std::string& tableDirectory,
                    const std::string& computerName);
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    /// Sizes the screen from the session's screen size, connects to its
    /// address and locks the keyboard until the host invites input. Returns
    /// the connected flag. A session without a screen size is refused with a
    /// message instead of connecting (the geometry is back at 24 x 80). Does
    /// not look at the connected flag: a caller that must not reconnect (the
    /// Start command) checks it first.
    ///
    /// A session the host ended (TerminalState::connectionNotice is set) is
    /// tried again with its last screen kept until the connection is made.
    /// When that try fails the screen stays, the notice says the host is not
    /// reachable and why, so Enter tries again; with `retryWording` the
    /// failure's message says so too, instead of string 511.
    bool StartConnection();

    /// Signs off ("90") when connected, blanks the screen, forgets the
    /// fields, makes the edited values active and closes the connection.
    /// Errors while signing off are ignored.
    void EndSession() override;

    /// The connect failure of a retry is told as a host not reachable now,
    /// with Enter (or Connect) to try again (the desktop program). Off, the
    /// failure's message is string 511 as for any connect (the CLI).
    bool retryWording = false;
    /// The start of TerminalState::connectionNotice after a failed retry.
    static constexpr std::string_view kNotReachableNotice = "The host is not reachable";

    /// Called after StartConnection changes what the window title and status
    /// bar show; and after the host closed the connection.
    std::function<void()> onSessionDisplayChanged;
    std::function<void()> onSessionEnded;
    /// The operator pressed Enter on the blank screen of a session the host
    /// ended: the front end connects the same session again.
    std::function<void()> onReconnectRequested;

    /// Where an Automatic password level is asked for: the sign-on server's
    /// port (0: 8476, or 9476 over TLS) and whether the host's port mapper
    /// is asked for it first. Options of the front end, not of the file.
    int signOnServerPort = 0;
    bool signOnPortMapper = false;
    /// A session that may send the password in clear over a plain (non-TLS)
    /// connection asks the operator once per session object; false or none
    /// keeps the password home.
    std::function<bool()> onConfirmClearPassword;
    /// What the last environment answer carried of the password.
    const SignOnReport& signOnReport() const { return endpoint_.negotiator().signOnReport(); }

    /// How often a front end calls OnTimerTick, at least.
    static constexpr std::chrono::milliseconds kTickInterval{250};
    /// How long the host may be silent with the keyboard locked before
    /// WaitingForHost says so.
    static constexpr std::chrono::seconds kHostSilenceNotice{30};
    /// The front end's timer: output that the host has not taken for too
    /// long ends the session as a lost connection, a TLS handshake that has
    /// not ended in time fails; the damage so far goes to the front end.
    void OnTimerTick();
    /// Tells the front end when the model holds damage to paint. The session
    /// calls it at the end of every arrival of host data, at every tick and
    /// when a session ends; a front end calls it after each batch of
    /// operator input (keys, mouse, commands).
    void FlushDamage();
    /// Connected, the keyboard locked, and no traffic either way for
    /// kHostSilenceNotice: the status bar says "Waiting for the host…".
    bool WaitingForHost() const;

    Terminal terminal;
    TranslationCache tables;
    SessionSettings activeSettings;
    SessionSettings pendingSettings;

    /// Copy and paste options (the "TrimBlankRight" and "NbrTabSpace" preferences).
    ClipboardOptions clipboardOptions;
    /// The certificates pinned by the operator, and those trusted for this
    /// run; in memory only until a front end names the file
    /// (CertificatePins::DefaultPath).
    CertificatePins pins;

    Communication& endpoint() { return endpoint_; }
    OperatorInput& input() { return input_; }
    CTN5250& interpreter() { return interpreter_; }
    /// Where the report of a byte the interpreter could not place goes.
    UnplacedByteTrace& unplacedByteTrace() { return unplacedByteTrace_; }
    HostResponses& responses() { return responses_; }
    /// Host records handed to the interpreter since the session was created.
    unsigned long blocksProcessed() const { return blocksProcessed_; }

private:
    /// The host went: as EndSession, but the screen stays with what the
    /// operator typed on it (its fields, selection and held keys are gone).
    void HostEndedSession() override;
    /// EndSession's steps; `keepScreen` leaves the cells' text and colours.
    void End(bool keepScreen);
    /// The presentation space for the session's screen size, blank.
    void SizeScreen();
    /// Decides how an automatic sign-on proves the password: the level from
    /// the session or the host's sign-on server, and whether the clear
    /// password may go. Nothing is asked when no password would be sent.
    SignOnPlan PrepareSignOn();

    void ProcessRecord(const std::uint8_t* record, std::size_t count) override;
    void EndOfArrival() override;
    /// Shows the record's host notices and writes its unplaced-byte trace.
    void ShowOutcome(const RecordOutcome& outcome);
    void LeaveSysReqModeForHostData() override;
    void SuspendNotifications() override { endpoint_.SuspendNotifications(); }
    void ResumeNotifications() override { endpoint_.ResumeNotifications(); }
    void ReconnectRequested() override {
        if (onReconnectRequested) onReconnectRequested();
    }

    FrontEnd frontEnd_;
    /// The endpoint's messages, reworded while a lost session is tried again.
    RetryMessages endpointMessages_;
    InterpreterLinks links_;
    CTN5250 interpreter_;
    UnplacedByteTrace unplacedByteTrace_;
    HostResponses responses_;
    TerminalConnectionDisplay connectionDisplay_{terminal};
    Communication endpoint_;
    InputState inputState_;
    OperatorInput input_;
    unsigned long blocksProcessed_ = 0;
    std::optional<bool> clearPasswordConfirmed_;
};

}  // namespace quenlix
