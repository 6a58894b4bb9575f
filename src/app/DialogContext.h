// What the dialogs, printing and the window decoration need from the
// program: the main window and view, the terminal's colours, the per-user
// preferences and their store, the message boxes, the current session file,
// and the application's current printer. One context per main window,
// kept as a child object of it.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "prefs/SettingsStore.h"
#include "prefs/UserSettings.h"
#include "terminal/MessageBoxes.h"
#include "terminal/TerminalState.h"

class QPrinter;

namespace quenlix::app {

class CMainFrame;
class CTelnetView;

class DialogContext : public QObject {
    Q_OBJECT
public:
    DialogContext(CMainFrame& frame, Terminal& terminal, MessageBoxes& messages);
    /// The same for a window whose terminal is the session's in front when
    /// asked.
    DialogContext(CMainFrame& frame, std::function<Terminal&()> terminal, MessageBoxes& messages);
    ~DialogContext() override;

    CMainFrame& frame() const { return frame_; }
    CTelnetView& view() const;
    Terminal& terminal() const { return terminal_(); }
    MessageBoxes& messages() const { return messages_; }

    /// The program's preferences. Until the application hands over its own
    /// object (UseUserSettings), the context keeps one of its own, started
    /// from what the view shows.
    UserSettings& settings() const { return *settings_; }
    void UseUserSettings(UserSettings* settings);
    /// The per-user store ("Ads" / "Index" of the splash rotation). Until the
    /// application hands over its store, an in-memory one.
    SettingsStore& store() const { return *store_; }
    void UseSettingsStore(SettingsStore* store);

    /// The session file in use, empty when the session has none.
    std::function<std::string()> sessionFilePath;
    /// The session's "Name".
    std::function<std::string()> sessionName;
    /// The program's own full path (the launcher's target).
    QString programPath;
    /// The folder of the program's data: the keyboard help page, the
    /// read-me and the "ADS" splash pictures (DataDirectory of the running
    /// program).
    QString dataFolder;
    /// The Web Site command (also the About box's "Web Site...").
    std::function<void()> openWebSite;

    /// Whether a printer of that name is installed; tests replace it.
    std::function<bool(const QString&)> printerExists;
    /// The application's current printer, made from the stored printer
    /// preferences the first time it is needed.
    QPrinter& printer();
    /// Replaces the current printer (Printer Setup's OK).
    void SelectPrinter(std::unique_ptr<QPrinter> printer);
    bool hasPrinter() const { return printer_ != nullptr; }

private:
    CMainFrame& frame_;
    std::function<Terminal&()> terminal_;
    MessageBoxes& messages_;
    UserSettings ownSettings_;
    MemorySettingsStore ownStore_;
    UserSettings* settings_;
    SettingsStore* store_;
    std::unique_ptr<QPrinter> printer_;
};

/// A file-type filter of the string table ("Text (*.a;*.b)|*.a;*.b||") in
/// Qt's form ("Text (*.a *.b)"), one filter a line.
QString QtFileFilter(std::string_view table);

/// The context of a main window, or null before RegisterDialogCommands made it.
DialogContext* DialogContextOf(const QObject& frame);

}  // namespace quenlix::app
