// Recording a macro in one session of the desktop program: watches the
// keys and clicks the session's view takes (before the view acts on them)
// and hands them to the macro library's recorder with the screen as it was;
// the Paste command reports its text. The status bar says a recording runs.
#pragma once

#include <optional>
#include <utility>

#include <QObject>
#include <QPointer>
#include <string>

#include "macro/MacroRecorder.h"

class QLabel;
class QKeyEvent;
class QMouseEvent;

namespace quenlix::app {

class SessionController;

class MacroRecording : public QObject {
    Q_OBJECT
public:
    explicit MacroRecording(SessionController& controller);
    ~MacroRecording() override;

    /// The Paste command is about to paste this text (UTF-8).
    void Pasted(const std::string& utf8);
    /// The macro's text so far and to the end.
    std::string Finish() { return recorder_.Finish(); }
    const macro::MacroRecorder& recorder() const { return recorder_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    macro::MacroRecorder::Screen Now() const;
    void KeyPressed(const QKeyEvent& event);
    void MousePressed(const QMouseEvent& event);
    /// The middle button pastes the primary selection where it is let go:
    /// recorded as the cursor going there and the paste.
    void MiddleReleased(const QMouseEvent& event);
    /// The screen cell (row, column from 0) under a mouse event, if any.
    std::optional<std::pair<int, int>> CellUnder(const QMouseEvent& event) const;

    SessionController& controller_;
    macro::MacroRecorder recorder_;
    QPointer<QLabel> label_;
};

}  // namespace quenlix::app
