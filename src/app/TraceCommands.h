// The desktop program's trace and replay: "Trace to file…" in the Connection
// menu writes the session's traffic, described and with secrets masked, to
// an owner-only file while its check mark is on (the status bar says so);
// "Replay Recording…" in the File menu plays a saved trace or a raw
// recording of host data into the session without a host, for looking at
// a support case. The menu's replay goes step by step: the status bar says
// it is a replay and which arrival of how many is shown, with Step (the
// next arrival), Run (all that are left) and End.
#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <vector>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "connection/SessionTracer.h"
#include "terminal/RecordSender.h"
#include "trace/TraceFileWriter.h"

class QLabel;
class QStatusBar;

namespace quenlix {
class MessageBoxes;
class TerminalSession;
}

namespace quenlix::app {

class TraceCommands : public QObject {
    Q_OBJECT
public:
    /// The session outlives this object; the label goes into `statusBar`.
    TraceCommands(TerminalSession& session, MessageBoxes& messages, QStatusBar& statusBar);
    ~TraceCommands() override;

    /// The file dialogs (tests replace them); empty when cancelled.
    std::function<std::optional<std::string>()> askTracePath;
    std::function<std::optional<std::string>()> askReplayPath;

    /// The menu command: asks for a file and starts, or stops a trace.
    void ToggleTrace();
    /// Starts a masked trace into `path`. False, after telling the operator
    /// why, when the file cannot be written.
    bool StartTrace(const std::string& path);
    /// Writes what is left of unfinished records and closes the file.
    void StopTrace();
    bool tracing() const { return tracer_ != nullptr && file_.isOpen(); }
    QString statusText() const;
    /// The status bar shows the label only for the session in front.
    void SetStatusShown(bool shown);
    /// The label moves to another window's status bar (its tab moved there).
    void MoveStatusTo(QStatusBar& statusBar);
    /// The label in its status bar (tests).
    const QLabel* statusLabel() const { return label_; }

    /// The menu command: asks for a file and begins a replay step by step.
    void ReplayRecording();
    /// Reads a trace (its host arrivals) or a raw recording (one arrival)
    /// and shows the replay's controls; nothing is shown yet. Refused while
    /// connected; false, after telling the operator why, when the file
    /// cannot be read or is a trace with a bad line.
    bool BeginReplay(const std::string& path);
    /// Feeds the next arrival; false when none is left.
    bool ReplayStep();
    /// Feeds every arrival left.
    void ReplayRun();
    /// Ends the replay: the controls go, the screen stays.
    void EndReplay();
    bool replaying() const { return replaying_; }
    /// Arrivals shown so far and in all.
    std::size_t replayPosition() const { return replayNext_; }
    std::size_t replayCount() const { return replayBlocks_.size(); }
    /// "Replay of NAME: 3 of 12 arrivals" while a replay runs.
    QString replayText() const;
    /// Feeds the host's blocks of a trace, or the bytes of a raw recording,
    /// to the session as if they arrived; the terminal's answers go nowhere.
    /// Refused while connected. False, after telling the operator why, when
    /// the file cannot be read or is a trace with a bad line.
    bool Replay(const std::string& path);

private:
    class Discard : public RecordSender {
    public:
        void Send(const std::uint8_t*, std::size_t) override {}
    };
    void WriteLines(const std::vector<std::string>& lines);
    void ShowStatus();
    void Tell(const std::string& text);

    void ShowReplay();
    void Feed(const std::vector<std::uint8_t>& block);

    TerminalSession& session_;
    MessageBoxes& messages_;
    /// In the status bar; gone with the session's trace, or with the bar.
    QPointer<QLabel> label_;
    TraceFileWriter file_;
    std::unique_ptr<SessionTracer> tracer_;
    Discard discard_;
    bool statusShown_ = true;
    /// The replay step by step: its arrivals, the next one, its controls.
    std::vector<std::vector<std::uint8_t>> replayBlocks_;
    std::size_t replayNext_ = 0;
    bool replaying_ = false;
    std::string replayName_;
    QPointer<QWidget> replayControls_;
    QLabel* replayLabel_ = nullptr;
};

}  // namespace quenlix::app
