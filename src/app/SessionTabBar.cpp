// Tearing a session's tab off its bar.
#include "app/SessionTabBar.h"

#include <QMouseEvent>

namespace quenlix::app {

SessionTabBar::SessionTabBar(QWidget* parent) : QTabBar(parent) {}

bool SessionTabBar::AwayFromBar(const QPoint& pos) const {
    return pos.y() < -kTearDistance || pos.y() > height() + kTearDistance;
}

void SessionTabBar::mousePressEvent(QMouseEvent* event) {
    tearing_ = false;
    pressed_ = event->button() == Qt::LeftButton ? tabAt(event->position().toPoint()) : -1;
    QTabBar::mousePressEvent(event);
}

void SessionTabBar::mouseMoveEvent(QMouseEvent* event) {
    if (pressed_ >= 0 && (event->buttons() & Qt::LeftButton)) {
        const bool away = AwayFromBar(event->position().toPoint());
        if (away != tearing_) {
            tearing_ = away;
            // Told apart from a move along the bar while the button is down.
            if (tearing_) {
                setCursor(Qt::DragMoveCursor);
            } else {
                unsetCursor();
            }
        }
    }
    QTabBar::mouseMoveEvent(event);
}

void SessionTabBar::mouseReleaseEvent(QMouseEvent* event) {
    const bool tear =
        tearing_ && event->button() == Qt::LeftButton && AwayFromBar(event->position().toPoint());
    const bool pressedOnTab = pressed_ >= 0;
    tearing_ = false;
    pressed_ = -1;
    unsetCursor();
    // The bar settles its own drag first: the tab may have moved along it,
    // and the one pressed is the current one.
    QTabBar::mouseReleaseEvent(event);
    const int index = pressedOnTab ? currentIndex() : -1;
    if (tear && index >= 0 && index < count()) {
        emit tabTornOff(index, event->globalPosition().toPoint());
    }
}

SessionTabWidget::SessionTabWidget(QWidget* parent)
    : QTabWidget(parent), bar_(new SessionTabBar(this)) {
    setTabBar(bar_);
}

}  // namespace quenlix::app
