// Editing a saved macro.
#include "app/MacroEditorDialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

#include "macro/MacroScript.h"
#include "macro/MacroStore.h"

namespace quenlix::app {

MacroEditorDialog::MacroEditorDialog(const std::string& name, const std::string& text,
                                     QWidget* parent)
    : QDialog(parent), name_(name) {
    setWindowTitle(QStringLiteral("Edit Macro %1").arg(QString::fromStdString(name)));
    auto* layout = new QVBoxLayout(this);
    editor_ = new QPlainTextEdit(this);
    editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    editor_->setPlainText(QString::fromStdString(text));
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(editor_);
    problems_ = new QLabel(this);
    problems_->setWordWrap(true);
    problems_->hide();
    layout->addWidget(problems_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Save()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(640, 480);
}

bool MacroEditorDialog::Save() {
    std::string text = editor_->toPlainText().toStdString();
    if (!text.empty() && text.back() != '\n') text += '\n';
    const macro::MacroScript script = macro::ReadMacroScript(text);
    QStringList lines;
    for (const std::string& e : script.errors) lines << QString::fromStdString(e);
    if (script.ok()) {
        if (const int cause = macro::WriteMacroFile(macro::MacroPath(name_), text); cause != 0) {
            lines << QStringLiteral("Cannot write the macro: %1").arg(QString::fromUtf8(std::strerror(cause)));
        }
    }
    problems_->setText(lines.join(QLatin1Char('\n')));
    problems_->setVisible(!lines.isEmpty());
    return lines.isEmpty();
}

}  // namespace quenlix::app
