// One open session of the desktop program: the session without a window
// (TerminalSession), the socket notifier bound to it, its terminal view,
// its message boxes and certificate questions, its trace, its key map (in
// its operator input) and the per-session commands. The program holds one
// controller per tab; what belongs to the program (preferences, the recent
// list, the keyring, the questions, the command table) is lent to it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CTelnetView.h"
#include "app/CertificateDialog.h"
#include "app/QtPlatform.h"
#include "app/Questions.h"
#include "app/SessionCommands.h"
#include "app/TraceCommands.h"
#include "connection/TerminalSession.h"

class QStatusBar;

namespace quenlix::app {

/// The small marks a tab shows for its session.
struct SessionMarks {
    bool connected = false;
    bool keyboardLocked = false;
    bool messageWaiting = false;
    bool tls = false;
    /// A box or question of this session waits until its tab is in front.
    bool attention = false;

    bool operator==(const SessionMarks&) const = default;
};

/// The tab's text: the session's name and its marks, in words short
/// enough for a tab ("PROD [TLS] [locked] [MW]"; "(off)" when not connected).
QString TabText(const std::string& name, const SessionMarks& marks);
/// The same marks in words for assistive technology ("connected, keyboard
/// locked, message waiting").
QString MarksInWords(const SessionMarks& marks);

class SessionController : public QObject {
    Q_OBJECT
public:
    /// What the program lends every session.
    struct Program {
        std::string tableDirectory;
        std::string computerName;
        Questions& questions;
        PasswordKeyring& keyring;
        RecentSessionList& recent;
    };

    /// `statusBar` takes the trace's label; `window` is the parent of the
    /// session's boxes and dialogs.
    SessionController(const Program& program, QWidget* window, QStatusBar& statusBar);
    ~SessionController() override;

    TerminalSession& session() { return *session_; }
    const TerminalSession& session() const { return *session_; }
    CTelnetView& view() { return *view_; }
    SessionCommands& commands() { return *commands_; }
    const SessionCommands& commands() const { return *commands_; }
    TraceCommands& trace() { return *trace_; }
    QtMessageBoxes& messages() { return messages_; }
    QtCertificateQuestions& certificateQuestions() { return *certificateQuestions_; }
    QtSocketNotifier& notifier() { return notifier_; }
    /// What the session itself shows its boxes and asks its certificate
    /// questions through: at once in front, held back while hidden.
    MessageBoxes& sessionMessages() { return frontMessages_; }
    CertificateQuestions& sessionCertificateQuestions() { return frontQuestions_; }

    bool connected() const { return session_->terminal.state.connected != 0; }
    /// The session's name as the tab shows it.
    std::string name() const { return session_->activeSettings.Name; }
    SessionMarks marks() const;

    /// The window the session's boxes and dialogs belong to (a tab moved to
    /// another window takes them along).
    void SetWindow(QWidget* window);
    QWidget* window() const { return window_; }

    /// In front (its tab is the current one of the window in front) or
    /// hidden. A hidden session keeps its connection, keep-alive, type-ahead
    /// and answers; it does not paint, and its boxes wait for the front.
    void SetInFront(bool inFront);
    bool inFront() const { return inFront_; }
    /// Boxes and certificate questions held back while hidden.
    int heldMessages() const { return static_cast<int>(held_.size()) + (heldQuestion_ ? 1 : 0); }

    /// One tick of the session's timer.
    void OnTick();
    /// What the status bar says for this session when no prompt is shown.
    QString IdleStatus() const;

    /// The marks or name changed (the tab's text follows).
    std::function<void()> onMarksChanged;
    /// The session's display values changed (title, panes).
    std::function<void()> onDisplayChanged;
    /// A session command ran or a connection attempt ended (menus follow).
    std::function<void()> onCommandStatesChanged;
    /// A connection attempt ended (connected or not).
    std::function<void()> onConnected;

private:
    /// The session's boxes: shown at once in front, held back while hidden.
    class FrontMessages : public MessageBoxes {
    public:
        explicit FrontMessages(SessionController& owner) : owner_(owner) {}
        void ShowMessage(std::string_view text, MessageIcon icon) override;
        void ShowHostNotice(HostNotice kind, std::string_view text) override;
        void Alarm() override;
        void KeyRefused(std::string_view reason) override;

    private:
        SessionController& owner_;
    };
    /// The session's certificate questions, held back the same way.
    class FrontQuestions : public CertificateQuestions {
    public:
        explicit FrontQuestions(SessionController& owner) : owner_(owner) {}
        void AskAboutCertificate(const CertificateQuestion& question,
                                 std::function<void(CertificateAnswer)> answer,
                                 std::function<bool()> stillAsked) override;
        std::optional<std::string> AskKeyPassphrase(const std::string& path) override;

    private:
        SessionController& owner_;
    };
    struct HeldMessage {
        bool hostNotice = false;
        HostNotice kind = HostNotice::kBadFormat;
        std::string text;
        MessageIcon icon = MessageIcon::None;
    };
    struct HeldQuestion {
        CertificateQuestion question;
        std::function<void(CertificateAnswer)> answer;
        std::function<bool()> stillAsked;
    };

    /// Shows the boxes held back while the session was hidden.
    void ShowHeld();
    void NoteMarks();

    QWidget* window_;
    /// The view is deleted last: the session paints into it to the end.
    std::unique_ptr<CTelnetView> view_;
    QtMessageBoxes messages_;
    FrontMessages frontMessages_{*this};
    QtSocketNotifier notifier_;
    QtClipboard clipboard_;
    std::unique_ptr<TerminalSession> session_;
    std::unique_ptr<SessionCommands> commands_;
    std::unique_ptr<QtCertificateQuestions> certificateQuestions_;
    FrontQuestions frontQuestions_{*this};
    /// Trace to file and replay; goes before the session it watches.
    std::unique_ptr<TraceCommands> trace_;
    std::vector<HeldMessage> held_;
    std::optional<HeldQuestion> heldQuestion_;
    SessionMarks lastMarks_;
    std::string lastName_;
    bool inFront_ = true;
};

}  // namespace quenlix::app
