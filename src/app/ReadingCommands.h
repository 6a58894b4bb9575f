// The reading commands: the current line, the current field's label, kind
// and value, the message line and the indicator row, said through the
// terminal's announcer (a screen reader speaks it) and shown in the status
// bar; and the list of the screen's fields, a small window whose choice
// moves the cursor to the field.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

class QListWidget;

namespace quenlix {
class TerminalSession;
}

namespace quenlix::app {

class CMainFrame;

/// How long a reading stays in the status bar.
inline constexpr int kReadingShownMilliseconds = 10000;

/// Gives the frame's reading commands their handlers, on `session`.
void RegisterReadingCommands(CMainFrame& frame, TerminalSession& session);
/// The same on the session `current` gives when a command runs (the one in
/// front).
void RegisterReadingCommands(CMainFrame& frame, std::function<TerminalSession&()> current);

/// The screen's input fields in a list, each as it is read out with its
/// place; Enter or a double click puts the cursor on the chosen field, as a
/// click on its first position does. Deletes itself when closed.
class FieldListDialog : public QDialog {
    Q_OBJECT
public:
    FieldListDialog(CMainFrame& frame, TerminalSession& session);
    QListWidget* list() const { return list_; }

    void accept() override;

private:
    CMainFrame& frame_;
    TerminalSession& session_;
    QListWidget* list_;
    std::vector<int> firstPositions_;  ///< of each list row's field
};

}  // namespace quenlix::app
