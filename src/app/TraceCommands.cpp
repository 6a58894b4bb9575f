// Trace to file and replay in the desktop program.
#include "app/TraceCommands.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QToolButton>
#include <QLabel>
#include <QStatusBar>
#include <cstring>

#include "connection/TerminalSession.h"
#include "session/FileIo.h"
#include "terminal/MessageBoxes.h"
#include "trace/TraceFile.h"

namespace quenlix::app {

namespace {

/// Largest recording a replay reads: the CLI's bound.
constexpr std::size_t kReplayLimit = std::size_t{64} << 20;

std::optional<std::string> AskPath(bool save) {
    const QString path =
        save ? QFileDialog::getSaveFileName(nullptr, QStringLiteral("Trace to File"), QString(),
                                            QStringLiteral("Traces (*.trace *.txt);;All files (*)"))
             : QFileDialog::getOpenFileName(nullptr, QStringLiteral("Replay Recording"), QString(),
                                            QStringLiteral("Traces and recordings (*)"));
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

}  // namespace

TraceCommands::TraceCommands(TerminalSession& session, MessageBoxes& messages, QStatusBar& statusBar)
    : session_(session), messages_(messages), label_(new QLabel(&statusBar)) {
    askTracePath = [] { return AskPath(true); };
    askReplayPath = [] { return AskPath(false); };
    statusBar.insertPermanentWidget(0, label_);
    label_->hide();
    // The replay's controls, shown while a replay runs.
    auto* controls = new QWidget(&statusBar);
    auto* layout = new QHBoxLayout(controls);
    layout->setContentsMargins(0, 0, 0, 0);
    replayLabel_ = new QLabel(controls);
    replayLabel_->setObjectName(QStringLiteral("ReplayLabel"));
    layout->addWidget(replayLabel_);
    auto button = [controls, layout](const QString& text, const char* name, const QString& tip) {
        auto* b = new QToolButton(controls);
        b->setText(text);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        layout->addWidget(b);
        return b;
    };
    connect(button(QStringLiteral("Step"), "ReplayStep", QStringLiteral("Show the next arrival")),
            &QToolButton::clicked, this, [this] { ReplayStep(); });
    connect(button(QStringLiteral("Run"), "ReplayRun", QStringLiteral("Show every arrival left")),
            &QToolButton::clicked, this, [this] { ReplayRun(); });
    connect(button(QStringLiteral("End"), "ReplayEnd", QStringLiteral("End the replay")),
            &QToolButton::clicked, this, [this] { EndReplay(); });
    statusBar.insertPermanentWidget(0, controls);
    replayControls_ = controls;
    controls->hide();
}

TraceCommands::~TraceCommands() {
    StopTrace();
    delete label_.data();
    delete replayControls_.data();
}

void TraceCommands::ToggleTrace() {
    if (tracing()) {
        StopTrace();
        return;
    }
    if (const std::optional<std::string> path = askTracePath()) StartTrace(*path);
}

bool TraceCommands::StartTrace(const std::string& path) {
    StopTrace();
    if (const int error = file_.Open(path)) {
        Tell("Cannot write the trace file " + path + ": " + std::strerror(error));
        return false;
    }
    tracer_ = std::make_unique<SessionTracer>(
        session_, [this](SessionTracer::Direction, const std::vector<std::string>& lines) {
            WriteLines(lines);
        });
    session_.endpoint().SetMonitor(tracer_.get());
    ShowStatus();
    return true;
}

void TraceCommands::StopTrace() {
    if (!tracer_) return;
    session_.endpoint().SetMonitor(nullptr);
    if (file_.isOpen()) tracer_->Finish();
    tracer_.reset();
    file_.Close();
    ShowStatus();
}

void TraceCommands::WriteLines(const std::vector<std::string>& lines) {
    if (!file_.isOpen()) return;
    const int error = file_.Write(lines);
    if (file_.isOpen()) return;
    // The bound was reached or a write failed, and the file is closed: the
    // tracer stops watching at once (it goes with the next start or stop).
    session_.endpoint().SetMonitor(nullptr);
    ShowStatus();
    if (file_.stoppedByLimit()) {
        Tell("The trace stopped: " + file_.path() + " reached its size limit.");
    } else {
        Tell("The trace stopped: cannot write " + file_.path() + ": " + std::strerror(error));
    }
}

QString TraceCommands::statusText() const {
    if (!tracing()) return {};
    return QStringLiteral("Tracing on: %1").arg(QFileInfo(QString::fromStdString(file_.path())).fileName());
}

void TraceCommands::MoveStatusTo(QStatusBar& statusBar) {
    if (!label_) {
        // Its first bar went with a window: a new label in this one.
        label_ = new QLabel(&statusBar);
    } else if (label_->parentWidget() == &statusBar) {
        return;
    } else if (auto* old = qobject_cast<QStatusBar*>(label_->parentWidget())) {
        old->removeWidget(label_);
    }
    statusBar.insertPermanentWidget(0, label_);
    ShowStatus();
}

void TraceCommands::SetStatusShown(bool shown) {
    statusShown_ = shown;
    ShowStatus();
    ShowReplay();
}

void TraceCommands::ShowStatus() {
    if (!label_) return;
    label_->setText(statusText());
    label_->setVisible(tracing() && statusShown_);
}

void TraceCommands::ReplayRecording() {
    if (const std::optional<std::string> path = askReplayPath()) BeginReplay(*path);
}

bool TraceCommands::BeginReplay(const std::string& path) {
    EndReplay();
    Terminal& terminal = session_.terminal;
    if (terminal.state.connected) {
        Tell("A recording is replayed without a host: stop the session first.");
        return false;
    }
    std::string bytes;
    if (ReadSmallFile(path, bytes, kReplayLimit) != 0) {
        Tell("Cannot read " + path);
        return false;
    }
    std::vector<std::vector<std::uint8_t>> blocks;
    if (IsTrace(bytes)) {
        std::string error;
        if (!ReadTrace(bytes, blocks, error)) {
            Tell(error + " in " + path);
            return false;
        }
    } else {
        blocks.emplace_back(bytes.begin(), bytes.end());
    }
    if (terminal.cellCount() == 0) terminal.screen.SetGeometry(80, 24);
    replayBlocks_ = std::move(blocks);
    replayNext_ = 0;
    replaying_ = true;
    replayName_ = QFileInfo(QString::fromStdString(path)).fileName().toStdString();
    ShowReplay();
    return true;
}

void TraceCommands::Feed(const std::vector<std::uint8_t>& block) {
    // For the length of an arrival the recording is the connection: the
    // terminal's answers are made (and traced) as on a live one.
    Terminal& terminal = session_.terminal;
    Communication& endpoint = session_.endpoint();
    endpoint.SetTransport(&discard_);
    terminal.state.connected = 1;
    for (std::size_t at = 0; at < block.size();) {
        const std::size_t piece = std::min<std::size_t>(block.size() - at, 32768);
        endpoint.OnReceived(block.data() + at, piece);
        at += piece;
    }
    terminal.state.connected = 0;
    endpoint.SetTransport(nullptr);
}

bool TraceCommands::ReplayStep() {
    if (!replaying_ || replayNext_ >= replayBlocks_.size()) return false;
    Feed(replayBlocks_[replayNext_++]);
    session_.FlushDamage();
    ShowReplay();
    return true;
}

void TraceCommands::ReplayRun() {
    if (!replaying_) return;
    while (replayNext_ < replayBlocks_.size()) Feed(replayBlocks_[replayNext_++]);
    session_.FlushDamage();
    ShowReplay();
}

void TraceCommands::EndReplay() {
    replaying_ = false;
    replayBlocks_.clear();
    replayNext_ = 0;
    ShowReplay();
}

QString TraceCommands::replayText() const {
    if (!replaying_) return {};
    return QStringLiteral("Replay of %1: %2 of %3 arrivals")
        .arg(QString::fromStdString(replayName_))
        .arg(replayNext_)
        .arg(replayBlocks_.size());
}

void TraceCommands::ShowReplay() {
    if (!replayControls_) return;
    replayLabel_->setText(replayText());
    const bool more = replaying_ && replayNext_ < replayBlocks_.size();
    for (QToolButton* b : replayControls_->findChildren<QToolButton*>()) {
        if (b->objectName() != QStringLiteral("ReplayEnd")) b->setEnabled(more);
    }
    replayControls_->setVisible(replaying_ && statusShown_);
}

bool TraceCommands::Replay(const std::string& path) {
    if (!BeginReplay(path)) return false;
    ReplayRun();
    EndReplay();
    return true;
}

void TraceCommands::Tell(const std::string& text) { messages_.ShowMessage(text, MessageIcon::Exclamation); }

}  // namespace quenlix::app
