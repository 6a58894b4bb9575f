// Option parsing of the headless front end.
#include "cli/CommandLine.h"

#include <cstdlib>
#include <cstring>

#include "cli/CliTrust.h"
#include "keyring/SessionPasswords.h"
#include "session/ConnectFile.h"
#include "session/FileIo.h"
#include "signon/PasswordSubstitute.h"

namespace quenlix::cli {

const char* const kUsage =
    "usage: quenlix-telnet-cli [options] [SCRIPT]\n"
    "Runs commands, one a line, from SCRIPT or standard input.\n"
    "options:\n"
    "  --host NAME          host name or address (IPv4, or IPv6 with or without [ ])\n"
    "  --port N             TCP port (23)\n"
    "  --terminal TYPE      IBM-5292-2 or IBM-3477-FC (IBM-3477-FC; IBM-5292-2\n"
    "                       when only --screen \"24 * 80\" is given)\n"
    "  --screen SIZE        \"24 * 80\" or \"27 * 132\" (\"27 * 132\"; the size of\n"
    "                       the --terminal type when only that is given)\n"
    "  --codepage N         host code page (37)\n"
    "  --display-name NAME  device name offered to the host\n"
    "  --user U --password P --program P --menu M --curlib L\n"
    "                       automatic sign-on values (at most 10 characters\n"
    "                       each, the password up to 128; --password shows in\n"
    "                       the process list)\n"
    "  --password-file FILE the password from the file's first line\n"
    "  --password-keyring   the password from the desktop keyring, for the\n"
    "                       session's host, port and user\n"
    "  --password-level auto|0|1|2|3|4\n"
    "                       the host's password level, for the password substitute\n"
    "                       of an automatic sign-on (auto: ask the host's sign-on\n"
    "                       server, remembered per host while the program runs)\n"
    "  --signon-port N      the sign-on server's port (8476; 9476 with --tls)\n"
    "  --port-mapper        ask the host's port mapper (port 449) for that port\n"
    "  --enhanced           offer the host the enhanced interface: windows,\n"
    "                       selection fields and scroll bars\n"
    "  --send-password-in-clear\n"
    "                       send the password itself to a host that offers no\n"
    "                       encryption (no seed); without --tls it also needs\n"
    "  --confirm-password-in-clear\n"
    "                       the consent that the password crosses the network\n"
    "                       readable by anyone on the path\n"
    "  --session FILE       load a session file\n"
    "  --trim on|off        trim trailing blanks of copied rows (on)\n"
    "  --trace-file PATH    where the trace of host bytes that cannot be placed\n"
    "                       goes (trameDefault.txt in the user's state folder)\n"
    "  --tls                connect over TLS (1.2 or newer; port 992 on IBM i)\n"
    "  --ca-file FILE       also trust the certificate authorities in FILE (PEM)\n"
    "  --client-cert FILE   client certificate and key (PEM) for hosts that ask\n"
    "  --client-key-passphrase-file FILE\n"
    "                       the client key's passphrase from the file's first line\n"
    "  --trust-fingerprint SHA256\n"
    "                       trust a host certificate with this SHA-256 fingerprint\n"
    "                       for this run (hex, colons optional, any case)\n"
    "  --insecure           connect even when the certificate does not verify,\n"
    "                       printing a warning with the reason\n"
    "  --keymap MAP         key map: Standard, IBM5250, Laptop, a map of the\n"
    "                       configuration folder by name, or a map file (Standard)\n"
    "  --var NAME=VALUE     a macro variable: 'prompt NAME' takes it without asking,\n"
    "                       'type $NAME' types it (repeatable)\n"
    "  --device display|printer\n"
    "                       the session's device (display); a printer session runs\n"
    "                       no script: it writes each spooled file the host sends\n"
    "  --output-dir DIR     where a printer writes its files (the current folder)\n"
    "  --printer-font N     the printer's font id sent to the host (11)\n"
    "  --transform MODEL    host print transform for this printer model (e.g. *HP4):\n"
    "                       the host's printer-ready data is written as it comes\n"
    "  --paper SIZE         Letter, Legal, Executive, A4, A5 or A3 (Letter)\n"
    "  --once               a printer session ends after its first spooled file\n"
    "  --help, --version\n";

namespace {

/// The first line of a small regular file, without its line end.
bool ReadPasswordFile(const std::string& path, std::string& password, std::ostream& err) {
    std::string contents;
    if (const int error = ReadSmallFile(path, contents, 64 * 1024); error != 0) {
        err << "quenlix-telnet-cli: cannot read " << path << ": " << std::strerror(error) << "\n";
        return false;
    }
    password = contents.substr(0, contents.find('\n'));
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return true;
}

/// The keyring's password for the session's account, into `s`.
bool TakeKeyringPassword(CliShell& shell, SessionSettings& s, std::ostream& err) {
    static constexpr std::string_view kOption = "quenlix-telnet-cli: --password-keyring: ";
    if (s.IP.empty() || s.UserID.empty()) {
        err << kOption << "the keyring keeps passwords by host, port and user: give --host and "
                          "--user (or a session file with them)\n";
        return false;
    }
    NoKeyring none;
    PasswordKeyring& keyring = shell.keyring() ? *shell.keyring() : none;
    const KeyringAnswer answer = FetchPassword(keyring, s);
    if (answer.status == KeyringStatus::kNotFound) {
        err << kOption << "the keyring holds no password for " << AccountWords(AccountOf(s))
            << "\n";
        return false;
    }
    if (!answer.ok()) {
        err << kOption << "the desktop keyring is not available (" << answer.reason << ")\n";
        return false;
    }
    s.PasswordStore = PasswordStorage::kKeyring;
    if (s.UserPassword.size() > kMaxPasswordLength) {
        err << kOption << "the stored password has " << s.UserPassword.size()
            << " characters; a sign-on takes at most " << kMaxPasswordLength << "\n";
        s.UserPassword.clear();
        return false;
    }
    return true;
}

bool IsValueOption(std::string_view arg) {
    static constexpr std::string_view kWithValue[] = {
        "--host",         "--port",    "--terminal", "--screen",  "--codepage",
        "--display-name", "--user",    "--password", "--program", "--menu",
        "--curlib",       "--session", "--trim",     "--password-file", "--trace-file",
        "--ca-file",      "--client-cert", "--client-key-passphrase-file",
        "--trust-fingerprint", "--keymap", "--password-level", "--signon-port", "--var",
        "--device",       "--output-dir", "--printer-font", "--transform", "--paper"};
    for (std::string_view option : kWithValue) {
        if (arg == option) return true;
    }
    return false;
}

}  // namespace

CommandLine ApplyCommandLine(const std::vector<std::string>& args, CliShell& shell,
                             std::ostream& out, std::ostream& err, std::string_view version) {
    CommandLine result;
    TerminalSession& session = shell.session();
    SessionSettings s = session.activeSettings;
    s.TerminalName = "IBM-3477-FC";
    s.TerminalCaract = "27 * 132";
    s.PageCode = 37;
    s.Language = "U.S. (37)";
    // The terminal type and the screen size go together, as the session
    // properties pair them: one given alone brings the other with it.
    bool terminalGiven = false, screenGiven = false;
    bool fromKeyring = false;
    bool clearAsked = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        auto takeValue = [&] {
            if (i + 1 >= args.size()) {
                err << "quenlix-telnet-cli: " << arg << " needs a value\n";
                result.exitStatus = 2;
                return false;
            }
            value = args[++i];
            return true;
        };
        if (IsValueOption(arg) && !takeValue()) return result;
        if (arg == "--help") {
            out << kUsage;
            result.exitStatus = 0;
            return result;
        } else if (arg == "--version") {
            out << "quenlix-telnet-cli " << version << '\n';
            result.exitStatus = 0;
            return result;
        } else if (arg == "--host") {
            s.IP = value;
        } else if (arg == "--port") {
            s.Port = std::atoi(value.c_str());
        } else if (arg == "--terminal") {
            s.TerminalName = value;
            terminalGiven = true;
        } else if (arg == "--screen") {
            s.TerminalCaract = value;
            screenGiven = true;
        } else if (arg == "--codepage") {
            s.PageCode = std::atoi(value.c_str());
        } else if (arg == "--display-name") {
            s.DisplayName = value;
            s.DisplayNameAuto = 0;
        } else if (arg == "--user") {
            s.UserID = value;
            s.AutoConnection = 1;
        } else if (arg == "--password" || arg == "--password-file") {
            if (arg == "--password-file" && !ReadPasswordFile(value, value, err)) {
                result.exitStatus = 2;
                return result;
            }
            // Longer than any host takes: refused here rather than failing
            // the sign-on with a password that looks right.
            if (value.size() > kMaxPasswordLength) {
                err << "quenlix-telnet-cli: " << arg << ": the password has " << value.size()
                    << " characters; a sign-on takes at most " << kMaxPasswordLength << "\n";
                result.exitStatus = 2;
                return result;
            }
            s.UserPassword = value;
            s.AutoConnection = 1;
            fromKeyring = false;
        } else if (arg == "--password-keyring") {
            // Looked up once every option is in: the host, port and user may
            // come after it, or from a session file.
            fromKeyring = true;
            s.AutoConnection = 1;
        } else if (arg == "--password-level") {
            if (value == "auto") {
                s.PasswordLevel = kAutomaticPasswordLevel;
            } else if (value.size() == 1 && value[0] >= '0' && value[0] <= '4') {
                s.PasswordLevel = value[0] - '0';
            } else {
                err << "quenlix-telnet-cli: --password-level: " << value
                    << " is not auto or a level 0 to 4\n";
                result.exitStatus = 2;
                return result;
            }
        } else if (arg == "--signon-port") {
            const bool digits = !value.empty() && value.size() <= 5 &&
                                value.find_first_not_of("0123456789") == std::string::npos;
            const int port = digits ? std::atoi(value.c_str()) : 0;
            if (port < 1 || port > 65535) {
                err << "quenlix-telnet-cli: --signon-port: " << value << " is not a port 1 to 65535\n";
                result.exitStatus = 2;
                return result;
            }
            session.signOnServerPort = port;
        } else if (arg == "--port-mapper") {
            session.signOnPortMapper = true;
        } else if (arg == "--enhanced") {
            s.Enhanced = 1;
        } else if (arg == "--send-password-in-clear") {
            s.SendPasswordInClear = 1;
            clearAsked = true;
        } else if (arg == "--confirm-password-in-clear") {
            shell.clearPasswordConfirmed = true;
        } else if (arg == "--program") {
            s.ProgProc = value;
            s.AutoConnection = 1;
        } else if (arg == "--menu") {
            s.Menu = value;
            s.AutoConnection = 1;
        } else if (arg == "--curlib") {
            s.CurLib = value;
            s.AutoConnection = 1;
        } else if (arg == "--session") {
            if (!shell.LoadSession(value)) {
                result.exitStatus = 1;
                return result;
            }
            s = session.activeSettings;
            terminalGiven = screenGiven = false;
        } else if (arg == "--trim") {
            shell.SetTrimCopy(value != "off");
        } else if (arg == "--trace-file") {
            session.unplacedByteTrace().SetPath(value);
        } else if (arg == "--tls") {
            s.Security = ConnectionSecurity::kTls;
        } else if (arg == "--ca-file") {
            s.CAFile = value;
        } else if (arg == "--client-cert") {
            s.ClientCertificate = value;
        } else if (arg == "--client-key-passphrase-file") {
            std::string passphrase;
            if (!ReadPasswordFile(value, passphrase, err)) {
                result.exitStatus = 2;
                return result;
            }
            shell.trust().keyPassphrase = passphrase;
        } else if (arg == "--trust-fingerprint") {
            if (!session.pins.TrustForThisRun(value)) {
                err << "quenlix-telnet-cli: --trust-fingerprint: " << value
                    << " is not a SHA-256 fingerprint (64 hexadecimal digits, colons optional)\n";
                result.exitStatus = 2;
                return result;
            }
        } else if (arg == "--insecure") {
            shell.trust().insecure = true;
        } else if (arg == "--keymap") {
            s.KeyboardMap = value;
        } else if (arg == "--var") {
            const std::size_t equals = value.find('=');
            const std::string name = value.substr(0, equals);
            bool named = equals != std::string::npos && !name.empty() && name.size() <= 64;
            for (const char c : name) {
                named = named && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                  (c >= '0' && c <= '9') || c == '_');
            }
            if (!named) {
                err << "quenlix-telnet-cli: --var takes NAME=VALUE (NAME of letters, digits and _)\n";
                result.exitStatus = 2;
                return result;
            }
            shell.SetVariable(name, value.substr(equals + 1));
        } else if (arg == "--device") {
            if (value != "display" && value != "printer") {
                err << "quenlix-telnet-cli: --device: " << value << " is not display or printer\n";
                result.exitStatus = 2;
                return result;
            }
            s.Device = value == "printer" ? DeviceKind::kPrinter : DeviceKind::kDisplay;
        } else if (arg == "--output-dir") {
            s.OutputFolder = value;
        } else if (arg == "--printer-font") {
            const bool digits = !value.empty() && value.size() <= 5 &&
                                value.find_first_not_of("0123456789") == std::string::npos;
            if (!digits) {
                err << "quenlix-telnet-cli: --printer-font: " << value << " is not a font id\n";
                result.exitStatus = 2;
                return result;
            }
            s.PrinterFont = std::atoi(value.c_str());
        } else if (arg == "--transform") {
            s.HostPrintTransform = 1;
            s.PrinterModel = value;
        } else if (arg == "--paper") {
            if (std::string(FindPaperSize(value).name) != value) {
                err << "quenlix-telnet-cli: --paper: " << value << " is not a paper size\n";
                result.exitStatus = 2;
                return result;
            }
            s.PaperSizeName = value;
        } else if (arg == "--once") {
            result.once = true;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            err << "quenlix-telnet-cli: unknown option " << arg << "\n" << kUsage;
            result.exitStatus = 2;
            return result;
        } else {
            result.script = arg;
        }
    }
    if (screenGiven && !terminalGiven) {
        s.TerminalName = s.WantsWideScreen() ? "IBM-3477-FC" : "IBM-5292-2";
    } else if (terminalGiven && !screenGiven) {
        s.TerminalCaract = s.TerminalName == "IBM-3477-FC" ? "27 * 132" : "24 * 80";
    }
    if (fromKeyring && !TakeKeyringPassword(shell, s, err)) {
        result.exitStatus = 2;
        return result;
    }
    // A DES level cannot carry a long password: said now rather than after a
    // sign-on the host would count as failed.
    const std::string tooLong = signon::DesPasswordLengthRefusal(s.PasswordLevel, s.UserPassword);
    if (!tooLong.empty()) {
        err << "quenlix-telnet-cli: " << tooLong << "\n";
        result.exitStatus = 2;
        return result;
    }
    // The password in clear over plain TCP is asked for twice or not at all.
    if (clearAsked && !s.UsesTls() && !shell.clearPasswordConfirmed) {
        err << "quenlix-telnet-cli: --send-password-in-clear without --tls lets anyone on the "
               "path read the password; add --confirm-password-in-clear to accept that\n";
        result.exitStatus = 2;
        return result;
    }
    session.activeSettings = s;
    session.pendingSettings = s;
    // The map of --keymap or of the session file; one with errors ends the
    // program as a bad option does, so a script never runs on keys it did
    // not ask for.
    if (!shell.UseKeyMap(err, "quenlix-telnet-cli: ")) result.exitStatus = 2;
    return result;
}

}  // namespace quenlix::cli
