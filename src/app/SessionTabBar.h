// The sessions' tab bar: tabs are reordered by dragging along the bar as
// before, and a tab dragged well away from the bar and let go is torn off
// (tabTornOff), for the program to move its session to the window under
// the pointer or to a new window there.
#pragma once

#include <QPoint>
#include <QTabBar>
#include <QTabWidget>

namespace quenlix::app {

class SessionTabBar : public QTabBar {
    Q_OBJECT
public:
    /// How far above or below the bar (pixels) a tab must be dragged to be
    /// torn off rather than moved along the bar.
    static constexpr int kTearDistance = 24;

    explicit SessionTabBar(QWidget* parent = nullptr);

    /// A tab is being dragged far enough to be torn off on release.
    bool tearing() const { return tearing_; }

signals:
    /// The tab at `index` was let go at `globalPos`, away from the bar.
    void tabTornOff(int index, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    /// True when `pos` (the bar's pixels) is far enough from the bar.
    bool AwayFromBar(const QPoint& pos) const;

    int pressed_ = -1;  ///< the tab the left button went down on
    bool tearing_ = false;
};

/// The tab widget of a window, with a SessionTabBar.
class SessionTabWidget : public QTabWidget {
    Q_OBJECT
public:
    explicit SessionTabWidget(QWidget* parent = nullptr);
    SessionTabBar* sessionTabBar() const { return bar_; }

private:
    SessionTabBar* bar_;
};

}  // namespace quenlix::app
