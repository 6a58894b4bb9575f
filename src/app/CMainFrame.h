// The main window: the terminal view as its client, the menu bar, the
// context menu, the accelerators, the three tool bars and the status bar.
// Every command is a QAction with its id; a handler and optional enable and
// check rules are registered per id, and a disabled command does nothing
// from a menu, a key or a button.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <functional>

#include "app/CTelnetView.h"

namespace quenlix::app {

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    struct Handler {
        std::function<void()> run = {};
        std::function<bool()> enabled = {};  ///< empty: always enabled
        std::function<bool()> checked = {};  ///< empty: not checkable
    };

    explicit CMainFrame(QWidget* parent = nullptr);

    CTelnetView* view() const { return view_; }
    QAction* action(int id) const { return actions_.value(id, nullptr); }
    QMenu* contextMenu() const { return contextMenu_; }
    QMenu* recentMenu() const { return recentMenu_; }
    QToolBar* commandBar() const { return commandBar_; }
    QToolBar* specialKeyBar() const { return specialKeyBar_; }
    QToolBar* helpBar() const { return helpBar_; }

    /// Registers what a command does and when it is enabled or checked.
    void SetHandler(int id, Handler handler);
    /// Runs a command as a menu, key or button would: only when enabled.
    bool Execute(int id);
    /// Re-evaluates every enable and check rule (menus opening, the idle pass).
    void UpdateCommandStates();
    /// The same for one command.
    void UpdateCommandState(int id);

    /// Status-bar panes 1..3: address, language, terminal type.
    void SetSessionPanes(const QString& ip, const QString& language, const QString& terminal);
    QString paneText(int pane) const;

    /// Asked when the window is about to close; false keeps it open.
    std::function<bool()> onCloseRequested;
    /// Picture index of the Connect/Disconnect button: 0, or 4 while connected.
    std::function<bool()> isConnected;
    int connectButtonPicture() const { return connectPicture_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void BuildMenus();
    void BuildContextMenu();
    void BuildToolBars();
    void BuildStatusBar();
    QAction* Add(QMenu* menu, int id);

    CTelnetView* view_;
    QMap<int, QAction*> actions_;
    QMap<int, Handler> handlers_;
    QMenu* contextMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QToolBar* commandBar_ = nullptr;
    QToolBar* specialKeyBar_ = nullptr;
    QToolBar* helpBar_ = nullptr;
    QLabel* panes_[5] = {};
    QTimer idle_;
    int connectPicture_ = 0;
};

}  // namespace quenlix::app
