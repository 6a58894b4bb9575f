// The Macro menu's Edit dialog: a saved macro's lines in a plain text editor;
// Save checks them as the player reads them and writes the file only when
// they are right, else lists what is wrong by line.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;

namespace quenlix::app {

class MacroEditorDialog : public QDialog {
    Q_OBJECT
public:
    MacroEditorDialog(const std::string& name, const std::string& text, QWidget* parent = nullptr);

    QPlainTextEdit* editor() const { return editor_; }
    QLabel* problems() const { return problems_; }
    /// Checks the text and writes the macro's file; false (the problems
    /// shown) when the lines are wrong or the file cannot be written.
    bool Save();

private:
    std::string name_;
    QPlainTextEdit* editor_ = nullptr;
    QLabel* problems_ = nullptr;
};

}  // namespace quenlix::app
