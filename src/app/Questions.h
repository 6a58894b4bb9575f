// Every question the session commands and the close sequence put to the
// operator, behind one interface: the program answers them with message
// boxes and dialogs, tests answer them from a script.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "session/SessionSettings.h"
#include "terminal/StringTable.h"

namespace quenlix::app {

/// The "Open Connection" choice offered by Start when no session is loaded.
enum class NoSessionChoice {
    Create = 100,  ///< define a new session (the default button)
    Open = 200,    ///< open a saved session file
    Cancel = 0,
};

/// The "Modify Connection Parameters" choice after connection values were
/// edited under a live connection.
enum class NewParamsChoice {
    Restart,   ///< end the session and connect again with the new values
    Continue,  ///< keep the connection; the new values wait for the next session
    Cancel,    ///< store nothing
};

/// The answer to moving an older file's password to the keyring on save.
enum class PasswordMoveChoice {
    Move,      ///< store it in the keyring; the file says the keyring keeps it
    LeaveOut,  ///< save without it; it is kept in memory for this run only
    Cancel,    ///< do not save
};

class Questions {
public:
    virtual ~Questions() = default;
    /// A numbered question with the buttons Yes and No; true for Yes.
    virtual bool AskYesNo(int stringId) = 0;
    virtual NoSessionChoice ChooseNoSession() = 0;
    virtual NewParamsChoice ChooseNewParams() = 0;
    /// The open dialog for a session file; empty when cancelled.
    virtual std::optional<std::string> AskOpenPath() = 0;
    /// The save dialog proposing `proposedName`; empty when cancelled.
    virtual std::optional<std::string> AskSavePath(const std::string& proposedName) = 0;
    /// The Session Properties sheet with the caption string `captionId`,
    /// loaded from `from` or, when null, at its pages' own start values;
    /// `filePath` is shown on the "Advanced" page. The sheet's values after
    /// OK, empty after Cancel.
    virtual std::optional<SessionSettings> EditProperties(int captionId,
                                                          const SessionSettings* from,
                                                          const std::string& filePath) = 0;
    /// Before saving a session whose password came from an older file: move
    /// it to the desktop keyring? `question` says whose password it is.
    virtual PasswordMoveChoice AskMovePassword(const std::string& question) = 0;
    /// The sign-on password at connect, when the keyring cannot give it
    /// (`question` says why); empty when the operator gave none.
    virtual std::optional<std::string> AskPassword(const std::string& question) = 0;
    /// At the close of a window with several sessions: end these connected
    /// sessions (`names`, in tab order)? Asked once for all of them. By
    /// default the end-session question.
    virtual bool AskEndSessions(const std::vector<std::string>& names) {
        (void)names;
        return AskYesNo(kStrEndSessionQuestion);
    }
};

}  // namespace quenlix::app
