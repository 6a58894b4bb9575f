// The headless front end's command interpreter: one command a line, plain
// lines out. Scripts and tests outside this project read its output, so the
// commands and formats below are a contract: extend, never change.
//
//   connect | disconnect | sleep MS | wait [MS] | wait-block [MS]
//   screen | fields | status | settings
//   type TEXT | key NAME | cursor R C | paste TEXT | copy R1 C1 R2 C2
//   select-word R C | insert on|off
//   block HEX | replay FILE | trace on|on raw|off | load FILE | save FILE
//   hotspots | click R C
//   expect "TEXT" [at R C] [within MS] | expect-field N | expect-cursor R C
//   prompt NAME "QUESTION" | if-screen "TEXT" ... end
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliFrontEnd.h"
#include "connection/TerminalSession.h"
#include "input/Clipboard.h"
#include "keyring/PasswordKeyring.h"
#include "macro/MacroBlocks.h"
#include "macro/OperatorCommands.h"

namespace quenlix::cli {

class CliTrust;

class CliShell {
public:
    CliShell(std::ostream& out, const std::string& tableDirectory,
             const std::string& computerName);
    ~CliShell();

    /// Runs one command line; false when it failed (unknown command, bad
    /// arguments, a failed connect, a wait that timed out...).
    bool Execute(const std::string& line);

    /// Handles socket readiness for at most `timeout`; returns after the
    /// first event handled or when the time is up.
    /// Once per connection, when the environment answer of an automatic
    /// sign-on has gone, prints "signon: level N (how)" or "signon: no
    /// password sent (why)".
    void Pump(std::chrono::milliseconds timeout);

    /// The operator's consent to the password in clear on a plain
    /// connection (--confirm-password-in-clear).
    bool clearPasswordConfirmed = false;

    TerminalSession& session() { return *session_; }
    /// How TLS questions are answered (--insecure, the key's passphrase).
    CliTrust& trust() { return *trust_; }

    /// The keyring `--password-keyring` reads (the desktop keyring in the
    /// program, another in tests); null: none is available.
    void SetKeyring(PasswordKeyring* keyring) { keyring_ = keyring; }
    PasswordKeyring* keyring() const { return keyring_; }

    /// A macro variable (--var NAME=VALUE): `prompt NAME` takes it instead of
    /// asking, and `type $NAME` types it.
    void SetVariable(const std::string& name, const std::string& value) { variables_[name] = value; }
    /// Where `prompt` reads an answer no --var gave (one line; null: none
    /// can be read, as when the script itself is standard input).
    void SetAnswers(std::istream* answers) { answers_ = answers; }
    /// False while an `if-screen` block is open (its `end` missing).
    bool BlocksClosed() const { return blocks_.Closed(); }
    /// An `expect`, `expect-field` or `expect-cursor` failed: the script must
    /// stop there, so that nothing is typed into a screen it did not expect.
    bool MacroStopped() const { return macroStopped_; }

    /// Trailing blanks of each copied row are cut (the "--trim" option), by
    /// the `copy` command and the session's own Copy (`key Ctrl+C`).
    void SetTrimCopy(bool trim);
    bool trimCopy() const { return trimCopy_; }

    /// Reads a session file into the session's values in use and copies them
    /// to the edited ones, as opening a file does. A path that is not a
    /// readable regular file prints message 528 and changes nothing.
    bool LoadSession(const std::string& path);
    /// Writes the edited values to a session file, without the password;
    /// a password read from an older file is left out with a message
    /// (kOlderPasswordLeftOut). False when the file could not be written.
    bool SaveSession(const std::string& path);
    static constexpr std::string_view kOlderPasswordLeftOut =
        "The password of the older session file was not saved: session files no longer keep "
        "passwords. Store it in the desktop keyring with the desktop program's Session "
        "Properties, then give --password-keyring.";
    /// Puts the key map the session's "Keyboard Map" names in force (empty:
    /// the Standard map). A map with errors prints each, prefixed with
    /// `prefix`, to `err`, leaves the map in force unchanged and fails.
    bool UseKeyMap(std::ostream& err, std::string_view prefix);

private:
    using Handler = std::function<bool(const std::string& args)>;
    void Register(const std::string& name, Handler handler) { commands_[name] = std::move(handler); }
    void RegisterSessionCommands();
    void RegisterScreenCommands();
    void RegisterInputCommands();
    void RegisterDataCommands();
    void RegisterMacroCommands();
    /// Lines inside an `if-screen` whose text was not there are passed over.
    bool SkippedByBlock(const std::string& name);
    bool ScreenHolds(const std::string& utf8, int row, int column) const;
    bool Expect(const std::string& args);
    std::string WithVariable(const std::string& text) const;

    bool Connect();
    void PumpOnce(std::chrono::milliseconds timeout);
    /// Prints the sign-on report once it is there, once per connection.
    void ReportSignOn();
    bool signOnReported_ = false;
    bool Wait(const std::string& args, bool justOneBlock);
    bool Feed(const std::string& bytes);
    /// From the first block or replay without a socket until connect or
    /// disconnect, the recording is the session's socket.
    void BeginReplay();
    void EndReplay();
    void PrintScreen();
    void PrintFields();
    void PrintStatus();
    void PrintHotspots();
    void PrintChoices();
    void PrintSettings();
    std::string CellsText(int first, int count) const;

    std::ostream& out_;
    PollNotifier notifier_;
    PrintedMessages messages_;
    HeadlessView view_;
    MemoryClipboard clipboard_;
    std::unique_ptr<TerminalSession> session_;
    std::map<std::string, Handler> commands_;
    bool tracing_ = false;
    bool trimCopy_ = true;
    bool replaying_ = false;  ///< a recording stands in for the socket

    class Tracer;
    class Recording;
    std::unique_ptr<Tracer> tracer_;
    std::unique_ptr<Recording> recording_;
    std::unique_ptr<CliTrust> trust_;
    PasswordKeyring* keyring_ = nullptr;
    macro::MacroVariables variables_;
    std::istream* answers_ = nullptr;
    macro::MacroBlocks blocks_;
    bool macroStopped_ = false;
};

}  // namespace quenlix::cli
