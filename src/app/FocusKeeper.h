// Keeps the keyboard where the operator expects it: a dialog or message box
// that opens is brought to the front and takes the keys at once, and when a
// dialog, the help window or a menu closes, the keyboard goes back to the
// terminal view (not to the menu bar, nor to nothing).
//
// Why it is needed: under a window manager that takes Alt+F4 (or any other
// Alt combination) for itself, the program sees Alt pressed and released
// with nothing in between; Qt's menu bar takes that for "Alt alone" and
// moves the keyboard focus into the menu bar. Keys then went to the menu bar
// (or, while a box was opening, nowhere) until a click on the screen. A new
// window may also be mapped without the window manager activating it.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace quenlix::app {

class FocusKeeper : public QObject {
    Q_OBJECT
public:
    /// Watches every window of the application on behalf of `mainWindow`,
    /// whose keys belong to `view`.
    FocusKeeper(QWidget* mainWindow, QWidget* view, QObject* parent = nullptr);
    /// The same for a window whose keys belong to the view in front, which
    /// changes as the operator switches tabs.
    FocusKeeper(QWidget* mainWindow, std::function<QWidget*()> currentView,
                QObject* parent = nullptr);

    /// Gives the keyboard back to the view when the main window is the one
    /// the operator is left with (no modal dialog, menu or other window of
    /// ours active). True when it did.
    bool ReturnKeyboardToView();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// A window of ours other than the main window, that takes keys.
    bool IsOtherWindow(const QWidget* w) const;

    QPointer<QWidget> main_;
    std::function<QWidget*()> view_;
};

}  // namespace quenlix::app
