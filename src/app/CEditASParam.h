// Edit controls that drop typed characters outside their set. Only typed
// characters are filtered, whether they come as key presses or as the text
// an input method commits: text the edit's own paste command inserts is
// taken as it is, and keys that type nothing (arrows, Delete, Enter, Tab,
// Escape) keep their usual meaning.
#pragma once

#include <QLineEdit>

class QInputMethodEvent;

namespace quenlix::app {

/// Whether a typed character belongs to an edit's set.
using CharFilter = bool (*)(QChar);

/// Host object names: "0"-"9", "A"-"Z", "a"-"z", "#", "$", "_", "@", "."
/// and Backspace. Every other character is dropped, including the control
/// characters Ctrl+C, Ctrl+V and Ctrl+X type.
class CEditASParam : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    static bool Accepts(QChar c);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};

/// Numbers: "0"-"9", "." and Backspace only.
class CEditNumericParam : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    static bool Accepts(QChar c);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};

/// True when the key event passes a filter of typed characters `accepts`.
bool PassesTypedFilter(const QKeyEvent& event, CharFilter accepts);
/// `text` without the characters `accepts` refuses.
QString DropRejected(const QString& text, CharFilter accepts);
/// The filter of a CEditASParam or CEditNumericParam; null for other objects.
CharFilter TypedFilterOf(const QObject* edit);

}  // namespace quenlix::app
