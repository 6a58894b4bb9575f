// The filtered edit controls.
#include "app/CEditASParam.h"

#include <QKeyEvent>

namespace quenlix::app {

bool PassesTypedFilter(const QKeyEvent& event, bool (*accepts)(QChar)) {
    switch (event.key()) {
        // Keys the dialog or the edit handle without typing a character.
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
        case Qt::Key_Backspace: return true;
        default: break;
    }
    // Ctrl+C, Ctrl+V and Ctrl+X type control characters: dropped like any
    // other character outside the set, whatever text the platform gives them.
    if ((event.modifiers() & Qt::ControlModifier) &&
        (event.key() == Qt::Key_C || event.key() == Qt::Key_V || event.key() == Qt::Key_X)) {
        return false;
    }
    const QString text = event.text();
    if (text.isEmpty()) return true;
    for (QChar c : text) {
        if (!accepts(c)) return false;
    }
    return true;
}

bool CEditASParam::Accepts(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
           u == '#' || u == '$' || u == '_' || u == '@' || u == '.';
}

void CEditASParam::keyPressEvent(QKeyEvent* event) {
    if (!PassesTypedFilter(*event, &CEditASParam::Accepts)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool CEditNumericParam::Accepts(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || u == '.';
}

void CEditNumericParam::keyPressEvent(QKeyEvent* event) {
    if (!PassesTypedFilter(*event, &CEditNumericParam::Accepts)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace quenlix::app
