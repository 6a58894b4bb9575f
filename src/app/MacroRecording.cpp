// Recording the operator's actions in the desktop program.
#include "app/MacroRecording.h"

#include <QGuiApplication>

#include <QClipboard>

#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTimer>

#include "app/CommandTable.h"
#include "app/KeyTranslator.h"
#include "app/SessionController.h"
#include "input/Hotspots.h"

namespace quenlix::app {

namespace {

/// A key of the window's commands: the window takes it, not the terminal.
bool IsCommandKey(const QKeyEvent& event) {
    const QKeySequence pressed(event.keyCombination());
    for (const CommandSpec& command : AllCommands()) {
        for (const QKeySequence& key : command.keys) {
            if (key.matches(pressed) == QKeySequence::ExactMatch) return true;
        }
    }
    return false;
}

}  // namespace

MacroRecording::MacroRecording(SessionController& controller) : controller_(controller) {
    controller_.view().installEventFilter(this);
    if (auto* window = qobject_cast<QMainWindow*>(controller_.window())) {
        label_ = new QLabel(QStringLiteral("Recording a macro"), window->statusBar());
        label_->setObjectName(QStringLiteral("MacroRecordingLabel"));
        window->statusBar()->insertPermanentWidget(0, label_);
    }
}

MacroRecording::~MacroRecording() {
    controller_.view().removeEventFilter(this);
    delete label_.data();
}

macro::MacroRecorder::Screen MacroRecording::Now() const {
    const TerminalSession& s = controller_.session();
    return {s.terminal, PcCharset::ForCodePage(s.activeSettings.PageCode), s.blocksProcessed(),
            s.terminal.state.inputInhibited != 0};
}

void MacroRecording::Pasted(const std::string& utf8) { recorder_.Pasted(Now(), utf8); }

bool MacroRecording::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &controller_.view()) {
        if (event->type() == QEvent::KeyPress) KeyPressed(*static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::MouseButtonPress) MousePressed(*static_cast<QMouseEvent*>(event));
        if (event->type() == QEvent::MouseButtonRelease) {
            MiddleReleased(*static_cast<QMouseEvent*>(event));
        }
    }
    return QObject::eventFilter(watched, event);
}

void MacroRecording::KeyPressed(const QKeyEvent& event) {
    if (IsCommandKey(event)) return;
    const std::optional<KeyChord> chord = ChordOf(event);
    if (!chord || IsModifierKey(chord->key)) return;
    OperatorInput& input = controller_.session().input();
    // A key that plays a macro is not part of this one.
    if (input.keyMap().MacroOf(*chord)) return;
    if (const std::optional<KeyFunction> mapped = input.MappedFunction(*chord)) {
        if (*mapped != KeyFunction::kNone) recorder_.Key(Now(), KeyFunctionName(*mapped));
        return;
    }
    const QString text = event.text();
    const bool typed = !text.isEmpty() && text.at(0).isPrint() &&
                       !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (typed) {
        recorder_.Typed(Now(), text.toStdString());
    } else {
        recorder_.Key(Now(), FormatKeyChord(*chord));
    }
}

std::optional<std::pair<int, int>> MacroRecording::CellUnder(const QMouseEvent& event) const {
    const Terminal& t = controller_.session().terminal;
    if (t.state.cellWidth <= 0 || t.state.cellHeight <= 0) return std::nullopt;
    const int x = event.position().toPoint().x() - controller_.view().horizontalOffset();
    const int y = event.position().toPoint().y();
    const int row = y < 0 ? -1 : y / t.state.cellHeight;
    const int column = x < 0 ? -1 : x / t.state.cellWidth;
    if (row < 0 || row >= t.rows() || column < 0 || column >= t.columns()) return std::nullopt;
    return std::make_pair(row, column);
}

void MacroRecording::MiddleReleased(const QMouseEvent& event) {
    if (event.button() != Qt::MiddleButton) return;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection()) return;
    const QString text = clipboard->text(QClipboard::Selection);
    const std::optional<std::pair<int, int>> cell = CellUnder(event);
    if (text.isEmpty() || !cell) return;
    recorder_.Cursor(Now(), cell->first + 1, cell->second + 1);
    recorder_.Pasted(Now(), text.toStdString());
}

void MacroRecording::MousePressed(const QMouseEvent& event) {
    if (event.button() != Qt::LeftButton) return;
    const TerminalSession& s = controller_.session();
    const std::optional<std::pair<int, int>> cell = CellUnder(event);
    if (!cell) return;
    const auto [row, column] = *cell;
    // What the click does is known once the view has taken it: the screen
    // as it came is written now.
    const macro::MacroRecorder::Screen before = Now();
    recorder_.Note(before);
    const bool hotspot = HotspotAt(FindHotspots(s.terminal), row, column) != nullptr;
    const int cursorBefore = s.terminal.CursorRow() * s.terminal.columns() + s.terminal.CursorColumn();
    const bool locked = before.locked;
    const unsigned long arrivals = before.arrivals;
    QPointer<MacroRecording> self(this);
    QTimer::singleShot(0, this, [this, self, row, column, hotspot, cursorBefore, locked, arrivals] {
        if (!self) return;
        const TerminalSession& now = controller_.session();
        const Terminal& t = now.terminal;
        const macro::MacroRecorder::Screen then{
            t, PcCharset::ForCodePage(now.activeSettings.PageCode), arrivals, locked};
        const bool sent = !locked && t.state.inputInhibited;
        const bool atCell = t.CursorRow() == row && t.CursorColumn() == column;
        if (hotspot && (sent || !atCell)) {
            recorder_.Click(then, row + 1, column + 1);
        } else if (t.CursorRow() * t.columns() + t.CursorColumn() != cursorBefore) {
            recorder_.Cursor(then, t.CursorRow() + 1, t.CursorColumn() + 1);
        }
    });
}

}  // namespace quenlix::app
