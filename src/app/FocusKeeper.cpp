// Focus and activation of dialogs, menus and the terminal view.
#include "app/FocusKeeper.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>

namespace quenlix::app {

FocusKeeper::FocusKeeper(QWidget* mainWindow, QWidget* view, QObject* parent)
    : FocusKeeper(mainWindow, [view = QPointer<QWidget>(view)] { return view.data(); }, parent) {}

FocusKeeper::FocusKeeper(QWidget* mainWindow, std::function<QWidget*()> currentView,
                         QObject* parent)
    : QObject(parent), main_(mainWindow), view_(std::move(currentView)) {
    qApp->installEventFilter(this);
}

bool FocusKeeper::IsOtherWindow(const QWidget* w) const {
    if (w == nullptr || !w->isWindow() || w == main_) return false;
    const Qt::WindowType type = w->windowType();
    return type != Qt::ToolTip && type != Qt::Popup && type != Qt::SplashScreen &&
           type != Qt::Desktop;
}

bool FocusKeeper::ReturnKeyboardToView() {
    QWidget* view = view_();
    if (!main_ || !view || !main_->isVisible() || !view->isVisible()) return false;
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return false;
    // Another window of ours the operator is in (the help window, a
    // non-modal box) keeps the keyboard.
    QWidget* active = QApplication::activeWindow();
    if (active != nullptr && active != main_ && active->isVisible()) return false;
    // The menu bar holds the focus only for Alt navigation the operator
    // started; after a window closed it is a leftover.
    if (main_->isActiveWindow() && QApplication::focusWidget() != nullptr &&
        QApplication::focusWidget() != view &&
        !qobject_cast<QMenuBar*>(QApplication::focusWidget())) {
        return false;  // a field of the main window's own (none today) keeps it
    }
    if (!main_->isActiveWindow()) {
        main_->raise();
        main_->activateWindow();
    }
    view->setFocus(Qt::ActiveWindowFocusReason);
    return true;
}

bool FocusKeeper::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w == nullptr) return false;
    switch (event->type()) {
        case QEvent::Show:
            // A dialog or box takes the keys as soon as it is on screen,
            // whatever the window manager decided about activating it.
            if (IsOtherWindow(w)) {
                QPointer<QWidget> shown(w);
                QTimer::singleShot(0, w, [shown] {
                    if (!shown || !shown->isVisible() || QApplication::activePopupWidget()) return;
                    shown->raise();
                    shown->activateWindow();
                });
            }
            break;
        case QEvent::Hide:
            // A dialog, the help window or a menu went: once the window
            // system has settled, the keyboard is the screen's again.
            if (IsOtherWindow(w) || qobject_cast<QMenu*>(w)) {
                QTimer::singleShot(0, this, [this] { ReturnKeyboardToView(); });
            }
            break;
        case QEvent::WindowActivate:
            // Back in the main window with the focus left in the menu bar
            // (Alt seen alone around a window manager's Alt combination).
            if (w == main_ && view_() && qobject_cast<QMenuBar*>(QApplication::focusWidget()) &&
                !QApplication::activePopupWidget()) {
                QTimer::singleShot(0, this, [this] { ReturnKeyboardToView(); });
            }
            break;
        default:
            break;
    }
    return false;
}

}  // namespace quenlix::app
