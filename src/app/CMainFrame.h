// The main window: the sessions' terminal views in tabs as its client, the
// menu bar, the context menu, the accelerators, the three tool bars and the
// status bar.
// Every command is a QAction with its id; a handler and optional enable and
// check rules are registered per id, and a disabled command does nothing
// from a menu, a key or a button.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QMultiMap>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/CTelnetView.h"
#include "app/SessionTabBar.h"
#include "prefs/WindowLayout.h"

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

    /// The view of the tab in front (null while the window has no tab).
    CTelnetView* view() const;
    /// The tabs, one per session view.
    QTabWidget* tabs() const { return tabs_; }
    /// The tab bar, whose tabs can be torn off to another window.
    SessionTabBar* tabBar() const { return tabs_->sessionTabBar(); }
    /// Adds a session's view as the last tab (the window owns it no more
    /// than the tab widget does: RemoveView gives it back).
    int AddView(CTelnetView* view, const QString& text);
    /// Takes a view out of its tab; the view is left without a parent.
    void RemoveView(CTelnetView* view);
    int IndexOf(const CTelnetView* view) const;
    /// Brings a view's tab to the front.
    void ShowView(CTelnetView* view);
    QAction* action(int id) const { return actions_.value(id, nullptr); }
    QMenu* contextMenu() const { return contextMenu_; }
    QMenu* recentMenu() const { return recentMenu_; }
    /// The Window menu: switching, the tab options, then the sessions.
    QMenu* windowMenu() const { return windowMenu_; }
    /// The Macro menu: its commands, then the saved macros.
    QMenu* macroMenu() const { return macroMenu_; }
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
    /// What the status bar says when no command prompt is shown: "Ready"
    /// for an empty text, else the text (a lost connection, a silent host).
    void SetIdleStatus(const QString& text);
    QString idleStatus() const { return idleStatus_; }
    QString paneText(int pane) const;

    /// Full-screen mode: menu bar, tool bars and status bar hidden (their
    /// visibility remembered the first time) and the window over the whole
    /// screen; off puts back the menu, the placement and the bars.
    void SetFullScreen(bool on);
    bool fullScreen() const { return fullScreen_; }

    /// The placement to store: empty while minimised.
    std::optional<WindowPlacement> PlacementToStore() const;
    /// The window's placement now (the normal rectangle in client pixels).
    WindowPlacement CurrentPlacement() const;
    /// Gives the window a stored placement without showing it; its show
    /// command becomes the start-up show command.
    void RestorePlacement(const WindowPlacement& placement);
    /// Shows the window with the start-up show command (normal, minimised,
    /// maximised; full screen when that mode is on).
    void ShowAtStartup();
    std::uint32_t startupShowCommand() const { return startupShow_; }
    /// The docking, order, floating position and visibility of the three
    /// tool bars, as text, and back; a text that does not restore is ignored.
    std::string SaveBarLayout() const;
    bool RestoreBarLayout(const std::string& text);

    /// The recent-session submenu's labels, most recent first (at most 4).
    std::function<std::vector<std::string>()> recentLabels;
    /// Num Lock as far as the keys typed tell: empty until a key shows the
    /// state. (Caps Lock is the view's: CTelnetView::capsLock.)
    std::optional<bool> numLock() const { return num_; }

    /// Asked when the window is about to close; false keeps it open.
    std::function<bool()> onCloseRequested;
    /// Picture index of the Connect/Disconnect button: 0, or 4 while connected.
    std::function<bool()> isConnected;
    int connectButtonPicture() const { return connectPicture_; }

signals:
    /// The Connect/Disconnect button's picture index changed (0 or 4).
    void connectPictureChanged(int picture);
    /// Another tab came to the front (null: none is left).
    void activeViewChanged(CTelnetView* view);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void BuildMenus();
    void BuildContextMenu();
    void BuildToolBars();
    void BuildStatusBar();
    QAction* Add(QMenu* menu, int id);
    QAction* AddContextItem(QMenu* menu, int id, const char* text);
    void NoteLockKeys(const QKeyEvent& key);
    void UpdateLockPanes();

    SessionTabWidget* tabs_;
    QMap<int, QAction*> actions_;
    /// The context menu's actions by command id.
    QMultiMap<int, QAction*> contextActions_;
    QMap<int, Handler> handlers_;
    QMenu* contextMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QMenu* macroMenu_ = nullptr;
    QToolBar* commandBar_ = nullptr;
    QToolBar* specialKeyBar_ = nullptr;
    QToolBar* helpBar_ = nullptr;
    QLabel* panes_[5] = {};
    QTimer idle_;
    int connectPicture_ = 0;
    bool fullScreen_ = false;
    std::uint32_t startupShow_ = kShowNormal;
    // Remembered when full-screen mode begins.
    QRect savedNormal_;
    Qt::WindowStates savedStates_ = Qt::WindowNoState;
    bool savedVisible_[4] = {true, true, true, true};
    std::optional<bool> num_;
    QString idleStatus_ = QStringLiteral("Ready");
};

}  // namespace quenlix::app
