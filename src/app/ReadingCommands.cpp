// The reading commands and the field list window.
#include "app/ReadingCommands.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/CMainFrame.h"
#include "app/CTelnetView.h"
#include "app/CommandIds.h"
#include "connection/TerminalSession.h"
#include "terminal/ScreenReading.h"

namespace quenlix::app {

namespace {

/// Says a reading: the screen reader through the announcer, the sighted
/// operator in the status bar.
void Say(CMainFrame& frame, const QString& text) {
    frame.view()->accessibility().Say(text);
    frame.statusBar()->showMessage(text, kReadingShownMilliseconds);
}

QString ReadCurrentField(CMainFrame& frame, const Terminal& t) {
    const int index = FieldAtCursor(t);
    if (index < 0) return QStringLiteral("Not in an input field");
    const FieldReading field = ReadField(t, ReadableText(t), index);
    return frame.view()->accessibility().FromPc(FieldSentence(field));
}

QString OrElse(const QString& text, const char* otherwise) {
    return text.isEmpty() ? QString::fromLatin1(otherwise) : text;
}

}  // namespace

void RegisterReadingCommands(CMainFrame& frame, TerminalSession& session) {
    TerminalSession* s = &session;
    RegisterReadingCommands(frame, [s]() -> TerminalSession& { return *s; });
}

void RegisterReadingCommands(CMainFrame& frame, std::function<TerminalSession&()> current) {
    CMainFrame* f = &frame;
    auto pc = [f](const std::string& text) { return f->view()->accessibility().FromPc(text); };
    f->SetHandler(kCmdReadLine, {[f, current, pc] {
                      Say(*f, OrElse(pc(CurrentLineText(current().terminal)), "Blank line"));
                  }});
    f->SetHandler(kCmdReadField,
                  {[f, current] { Say(*f, ReadCurrentField(*f, current().terminal)); }});
    f->SetHandler(kCmdReadMessageLine, {[f, current, pc] {
                      Say(*f, OrElse(pc(MessageLineText(current().terminal)), "No message"));
                  }});
    f->SetHandler(kCmdReadStatus,
                  {[f, current, pc] { Say(*f, pc(StatusText(current().terminal))); }});
    f->SetHandler(kCmdListFields, {[f, current] {
                      auto* dialog = new FieldListDialog(*f, current());
                      dialog->open();
                  }});
}

FieldListDialog::FieldListDialog(CMainFrame& frame, TerminalSession& session)
    : QDialog(&frame), frame_(frame), session_(session), list_(new QListWidget(this)) {
    setObjectName(QStringLiteral("FieldListDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Fields of the Screen"));
    const Terminal& t = session.terminal;
    const TerminalAccessibility& speech = frame.view()->accessibility();
    for (const FieldReading& field : FieldList(t)) {
        list_->addItem(speech.FromPc(FieldSentence(field)) +
                       QStringLiteral(", row %1 column %2").arg(field.row + 1).arg(field.column + 1));
        firstPositions_.push_back(field.first);
    }
    list_->setAccessibleName(QStringLiteral("Input fields"));
    auto* label = new QLabel(firstPositions_.empty() ? QStringLiteral("This screen has no input fields.")
                                                     : QStringLiteral("&Input fields:"),
                             this);
    label->setBuddy(list_);
    // The field under the cursor is chosen to start with.
    const int here = FieldAtCursor(t);
    const std::vector<FieldReading> fields = FieldList(t);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].index == here) list_->setCurrentRow(static_cast<int>(i));
    }
    if (list_->currentRow() < 0 && list_->count() > 0) list_->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, [this] { accept(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(520, 320);
}

void FieldListDialog::accept() {
    const int row = list_->currentRow();
    const Terminal& t = session_.terminal;
    // The screen may have changed while the window was open: a place off
    // the screen as it is now is not taken.
    if (row >= 0 && static_cast<std::size_t>(row) < firstPositions_.size() && t.columns() > 0) {
        const int first = firstPositions_[static_cast<std::size_t>(row)];
        if (t.screen.contains(first)) {
            session_.input().mouse().PlaceCursor((first % t.columns()) * t.state.cellWidth,
                                                 (first / t.columns()) * t.state.cellHeight);
            frame_.view()->DamageReady();
        }
    }
    frame_.view()->setFocus();
    QDialog::accept();
}

}  // namespace quenlix::app
