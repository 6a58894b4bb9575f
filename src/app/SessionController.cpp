// One open session of the desktop program.
#include "app/SessionController.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

#include "terminal/StringTable.h"

namespace quenlix::app {

namespace {
QString Qs(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

QString TabText(const std::string& name, const SessionMarks& marks) {
    QString text = Qs(name);
    if (!marks.connected) text += QStringLiteral(" (off)");
    if (marks.tls) text += QStringLiteral(" [TLS]");
    if (marks.keyboardLocked) text += QStringLiteral(" [X]");
    if (marks.messageWaiting) text += QStringLiteral(" [MW]");
    if (marks.attention) text += QStringLiteral(" (!)");
    return text;
}

QString MarksInWords(const SessionMarks& marks) {
    QStringList words;
    words << (marks.connected ? QStringLiteral("connected") : QStringLiteral("not connected"));
    if (marks.tls) words << QStringLiteral("encrypted");
    if (marks.keyboardLocked) words << QStringLiteral("keyboard locked");
    if (marks.messageWaiting) words << QStringLiteral("message waiting");
    if (marks.attention) words << QStringLiteral("a message waits to be shown");
    return words.join(QStringLiteral(", "));
}

SessionController::SessionController(const Program& program, QWidget* window,
                                     QStatusBar& statusBar)
    : window_(window),
      view_(std::make_unique<CTelnetView>()),
      notifier_([this] { session_->endpoint().OnSocketEvent(); },
                [this] { session_->endpoint().OnSocketWritable(); }) {
    session_ = std::make_unique<TerminalSession>(
        FrontEnd{*view_, frontMessages_, notifier_, clipboard_}, program.tableDirectory,
        program.computerName);
    messages_.SetParent(window_);
    certificateQuestions_ = std::make_unique<QtCertificateQuestions>(window_);
    session_->endpoint().SetCertificateQuestions(&frontQuestions_);
    commands_ = std::make_unique<SessionCommands>(*session_, program.questions, frontMessages_,
                                                  program.computerName, program.recent);
    commands_->SetKeyring(program.keyring);
    commands_->refreshDisplay = [this] {
        if (onDisplayChanged) onDisplayChanged();
        NoteMarks();
    };
    commands_->afterConnect = [this] {
        view_->FitScreenToWindow();
        NoteMarks();
        if (onCommandStatesChanged) onCommandStatesChanged();
        if (onConnected) onConnected();
    };
    trace_ = std::make_unique<TraceCommands>(*session_, messages_, statusBar);
    view_->SetSession(session_.get());
    connect(view_.get(), &CTelnetView::sendFailed, this, [this](const QString& text) {
        frontMessages_.ShowMessage(text.toStdString(), MessageIcon::Stop);
    });
    session_->onSessionEnded = [this] {
        NoteMarks();
        if (onCommandStatesChanged) onCommandStatesChanged();
    };
    // Enter (or Connect) tries a lost host again: a failure says so.
    session_->retryWording = true;
    session_->onConfirmClearPassword = [this] {
        return QMessageBox::warning(
                   window_, QString::fromUtf8(LoadString(kStrAppTitle).data()),
                   QStringLiteral("This session sends the password in clear when the host offers "
                                  "no encryption, and the connection is not encrypted (no TLS): "
                                  "anyone on the network path can read the password.\n\nSend "
                                  "it in clear during this session?"),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    };
    // Enter on the blank screen of a session the host ended connects it
    // again, as the Connect command does.
    session_->onReconnectRequested = [this] {
        QTimer::singleShot(0, this, [this] {
            if (connected()) return;
            commands_->Start();
            if (onCommandStatesChanged) onCommandStatesChanged();
        });
    };
    session_->onSessionDisplayChanged = [this] {
        if (onDisplayChanged) onDisplayChanged();
        NoteMarks();
    };
    lastMarks_ = marks();
    lastName_ = name();
}

SessionController::~SessionController() {
    session_->endpoint().SetCertificateQuestions(nullptr);
    // The trace and the commands reach into the session; the session into
    // the view, which goes last.
    trace_.reset();
    commands_.reset();
    session_.reset();
    certificateQuestions_.reset();
}

SessionMarks SessionController::marks() const {
    const TerminalState& s = session_->terminal.state;
    SessionMarks m;
    m.connected = s.connected != 0;
    m.keyboardLocked = m.connected && s.inputInhibited != 0;
    m.messageWaiting = s.messageWaiting != 0;
    m.tls = m.connected && !session_->endpoint().TlsVersion().empty();
    m.attention = !held_.empty() || heldQuestion_.has_value();
    return m;
}

void SessionController::NoteMarks() {
    const SessionMarks now = marks();
    const std::string nowName = name();
    if (now == lastMarks_ && nowName == lastName_) return;
    lastMarks_ = now;
    lastName_ = nowName;
    if (onMarksChanged) onMarksChanged();
}

void SessionController::SetWindow(QWidget* window) {
    window_ = window;
    messages_.SetParent(window);
    certificateQuestions_ = std::make_unique<QtCertificateQuestions>(window);
    // The trace's label goes along into the new window's status bar.
    if (auto* main = qobject_cast<QMainWindow*>(window)) trace_->MoveStatusTo(*main->statusBar());
}

void SessionController::SetInFront(bool inFront) {
    if (inFront_ == inFront) return;
    inFront_ = inFront;
    view_->SetHidden(!inFront);
    session_->endpoint().SetInBackground(!inFront);
    trace_->SetStatusShown(inFront);
    // Shown after the switch has finished, never inside it.
    if (inFront && (!held_.empty() || heldQuestion_)) {
        QTimer::singleShot(0, this, [this] {
            if (inFront_) ShowHeld();
        });
    }
}

void SessionController::ShowHeld() {
    std::vector<HeldMessage> held = std::move(held_);
    held_.clear();
    if (heldQuestion_) {
        HeldQuestion q = std::move(*heldQuestion_);
        heldQuestion_.reset();
        if (q.stillAsked()) {
            certificateQuestions_->AskAboutCertificate(q.question, std::move(q.answer),
                                                       std::move(q.stillAsked));
        }
    }
    NoteMarks();
    for (const HeldMessage& m : held) {
        if (m.hostNotice) {
            messages_.ShowHostNotice(m.kind, m.text);
        } else {
            messages_.ShowMessage(m.text, m.icon);
        }
    }
}

void SessionController::OnTick() {
    session_->OnTimerTick();
    NoteMarks();
}

QString SessionController::IdleStatus() const {
    const TerminalState& s = session_->terminal.state;
    if (!s.connected && !s.connectionNotice.empty()) return Qs(s.connectionNotice);
    if (session_->WaitingForHost()) return QStringLiteral("Waiting for the host\u2026");
    if (s.connected && session_->signOnReport().kind == SignOnReport::Kind::kNoPassword) {
        // The operator signs on at the host's screen: say why it came.
        return QStringLiteral("No password sent: %1").arg(Qs(session_->signOnReport().reason));
    }
    return {};
}

/// A hidden session's boxes are kept, in order, at most this many; the
/// first ones say what happened, later ones of a flood add nothing.
constexpr std::size_t kMostHeldMessages = 16;

void SessionController::FrontMessages::ShowMessage(std::string_view text, MessageIcon icon) {
    if (owner_.inFront_) {
        owner_.messages_.ShowMessage(text, icon);
        return;
    }
    if (owner_.held_.size() < kMostHeldMessages) {
        owner_.held_.push_back({false, HostNotice::kBadFormat, std::string(text), icon});
    }
    owner_.NoteMarks();
}

void SessionController::FrontMessages::ShowHostNotice(HostNotice kind, std::string_view text) {
    // The notices that never make a box (a lost host is said on its screen
    // and in the status bar) pass, and mark nothing.
    if (owner_.inFront_ || kind == HostNotice::kConnectionEnded ||
        kind == HostNotice::kResequencing) {
        owner_.messages_.ShowHostNotice(kind, text);
        return;
    }
    if (owner_.held_.size() < kMostHeldMessages) {
        owner_.held_.push_back({true, kind, std::string(text), MessageIcon::None});
    }
    owner_.NoteMarks();
}

void SessionController::FrontMessages::Alarm() {
    // A hidden session's alarm would sound for the session being typed in.
    if (owner_.inFront_) owner_.messages_.Alarm();
}

void SessionController::FrontMessages::KeyRefused(std::string_view reason) {
    if (owner_.inFront_) owner_.messages_.KeyRefused(reason);
}

void SessionController::FrontQuestions::AskAboutCertificate(
    const CertificateQuestion& question, std::function<void(CertificateAnswer)> answer,
    std::function<bool()> stillAsked) {
    if (owner_.inFront_) {
        owner_.certificateQuestions_->AskAboutCertificate(question, std::move(answer),
                                                          std::move(stillAsked));
        return;
    }
    // One question at a time: the endpoint asks again only after an answer.
    owner_.heldQuestion_ = HeldQuestion{question, std::move(answer), std::move(stillAsked)};
    owner_.NoteMarks();
}

std::optional<std::string> SessionController::FrontQuestions::AskKeyPassphrase(
    const std::string& path) {
    // Asked while connecting, which a command of the session in front does.
    return owner_.certificateQuestions_->AskKeyPassphrase(path);
}

}  // namespace quenlix::app
