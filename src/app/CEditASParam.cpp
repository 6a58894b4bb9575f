// The filtered edit controls.
#include "app/CEditASParam.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace quenlix::app {

bool PassesTypedFilter(const QKeyEvent& event, CharFilter accepts) {
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

QString DropRejected(const QString& text, CharFilter accepts) {
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (accepts(c)) kept += c;
    }
    return kept;
}

CharFilter TypedFilterOf(const QObject* edit) {
    if (qobject_cast<const CEditASParam*>(edit)) return &CEditASParam::Accepts;
    if (qobject_cast<const CEditNumericParam*>(edit)) return &CEditNumericParam::Accepts;
    return nullptr;
}

namespace {
/// An input method's commit is typed text too: what the set refuses goes.
/// The text still being composed is only shown, never inserted.
void DropRejectedCommit(QInputMethodEvent& event, CharFilter accepts) {
    const QString kept = DropRejected(event.commitString(), accepts);
    if (kept.size() != event.commitString().size()) {
        event.setCommitString(kept, event.replacementStart(), event.replacementLength());
    }
}
}  // namespace

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

void CEditASParam::inputMethodEvent(QInputMethodEvent* event) {
    DropRejectedCommit(*event, &CEditASParam::Accepts);
    QLineEdit::inputMethodEvent(event);
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

void CEditNumericParam::inputMethodEvent(QInputMethodEvent* event) {
    DropRejectedCommit(*event, &CEditNumericParam::Accepts);
    QLineEdit::inputMethodEvent(event);
}

}  // namespace quenlix::app
