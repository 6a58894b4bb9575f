// The Macro menu and what plays macros in the desktop program: Record and
// Stop (the recording saved under a name in the configuration folder's
// macros), Play (a saved macro in the session in front; also the tool bar's
// button), Edit, Import, Export, the macro a session plays once connected
// ("Start Macro" of its file), the saved macros listed in the menu, and the
// keys a key map binds to "Macro:<name>".
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quenlix::app {

class CMainFrame;
class MacroPlayback;
class MacroRecording;
class SessionController;

class MacroCommands : public QObject {
    Q_OBJECT
public:
    /// `active` is the session the commands act on (the one in front).
    explicit MacroCommands(std::function<SessionController&()> active, QObject* parent = nullptr);
    ~MacroCommands() override;

    /// The window's Macro menu and button.
    void Register(CMainFrame& frame);
    /// A new session: its keys that play macros, its macro after connecting.
    void Attach(SessionController& controller);
    /// The session goes: its recording and playing end.
    void Forget(SessionController& controller);

    bool StartRecording(SessionController& controller);
    /// Ends the recording: its text, or empty when none ran.
    std::optional<std::string> StopRecording(SessionController& controller);
    /// Plays a saved macro; false (the operator told why) when it cannot be
    /// read or has wrong lines, or one plays already in the session.
    bool Play(SessionController& controller, const std::string& name);
    void StopPlaying(SessionController& controller);
    MacroRecording* recording(const SessionController& controller) const;
    MacroPlayback* playback(const SessionController& controller) const;

    /// The menu's commands on the session in front.
    void RecordCommand();
    void StopCommand();
    void PlayCommand();
    void EditCommand();
    void ImportCommand();
    void ExportCommand();
    void StartMacroCommand();

    /// The operator's answers (tests replace them): a name to save a
    /// recording under, a macro chosen from a list (with "" for none when
    /// `none` is given), a file to import or to export to.
    std::function<std::optional<std::string>(const QString& title)> askName;
    std::function<std::optional<std::string>(const QString& title, const std::vector<std::string>& names,
                                             bool none)>
        chooseMacro;
    std::function<std::optional<std::string>()> askImportPath;
    std::function<std::optional<std::string>(const std::string& name)> askExportPath;
    /// Tells the operator something went wrong.
    std::function<void(const QString& text)> warn;
    /// Given to each playing macro (tests answer its prompts and read its
    /// failure); empty: the playback's own dialogs.
    std::function<void(MacroPlayback&)> preparePlayback;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Warn(const QString& text);
    SessionController* ControllerOfView(QObject* view) const;

    std::function<SessionController&()> active_;
    std::map<const SessionController*, std::unique_ptr<MacroRecording>> recordings_;
    std::map<const SessionController*, std::unique_ptr<MacroPlayback>> playbacks_;
    std::vector<SessionController*> attached_;
};

}  // namespace quenlix::app
