// quenlix-telnet-cli: a headless TN5250 terminal for scripts and tests.
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "cli/CliShell.h"
#include "session/ConnectFile.h"

using namespace quenlix;

namespace {

constexpr const char* kUsage =
    "usage: quenlix-telnet-cli [options] [SCRIPT]\n"
    "Runs commands, one a line, from SCRIPT or standard input.\n"
    "options:\n"
    "  --host NAME          host name or dotted address\n"
    "  --port N             TCP port (23)\n"
    "  --terminal TYPE      IBM-5292-2 or IBM-3477-FC (IBM-3477-FC)\n"
    "  --screen SIZE        \"24 * 80\" or \"27 * 132\" (\"27 * 132\")\n"
    "  --codepage N         host code page (37)\n"
    "  --display-name NAME  device name offered to the host\n"
    "  --user U --password P --program P --menu M --curlib L\n"
    "                       automatic sign-on values\n"
    "  --session FILE       load a session file\n"
    "  --trim on|off        trim trailing blanks of copied rows (on)\n"
    "  --help, --version\n";

std::string ComputerName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "QUENLIX";
    std::string text(name);
    text = text.substr(0, text.find('.'));
    return text.substr(0, 15);
}

}  // namespace

int main(int argc, char** argv) {
    cli::CliShell shell(std::cout, DataDirectory(), ComputerName());
    TerminalSession& session = shell.session();
    SessionSettings s = session.activeSettings;
    s.TerminalName = "IBM-3477-FC";
    s.TerminalCaract = "27 * 132";
    s.PageCode = 37;
    s.Language = "U.S. (37)";
    std::string script;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "quenlix-telnet-cli: " << arg << " needs a value\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--version") {
            std::cout << "quenlix-telnet-cli " << QUENLIX_VERSION << '\n';
            return 0;
        } else if (arg == "--host") {
            s.IP = value();
        } else if (arg == "--port") {
            s.Port = std::atoi(value().c_str());
        } else if (arg == "--terminal") {
            s.TerminalName = value();
        } else if (arg == "--screen") {
            s.TerminalCaract = value();
        } else if (arg == "--codepage") {
            s.PageCode = std::atoi(value().c_str());
        } else if (arg == "--display-name") {
            s.DisplayName = value();
            s.DisplayNameAuto = 0;
        } else if (arg == "--user") {
            s.UserID = value();
            s.AutoConnection = 1;
        } else if (arg == "--password") {
            s.UserPassword = value();
            s.AutoConnection = 1;
        } else if (arg == "--program") {
            s.ProgProc = value();
            s.AutoConnection = 1;
        } else if (arg == "--menu") {
            s.Menu = value();
            s.AutoConnection = 1;
        } else if (arg == "--curlib") {
            s.CurLib = value();
            s.AutoConnection = 1;
        } else if (arg == "--session") {
            const std::string path = value();
            if (!std::ifstream(path)) {
                std::cout << "message: Opening of session file failed\n";
                return 1;
            }
            CConnectFile::ReadSessionFile(path, s, session.terminal.state.computerName);
        } else if (arg == "--trim") {
            shell.trimCopy = value() != "off";
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            std::cerr << "quenlix-telnet-cli: unknown option " << arg << "\n" << kUsage;
            return 2;
        } else {
            script = arg;
        }
    }
    session.activeSettings = s;
    session.pendingSettings = s;

    std::ifstream file;
    if (!script.empty() && script != "-") {
        file.open(script);
        if (!file) {
            std::cerr << "quenlix-telnet-cli: cannot read " << script << '\n';
            return 2;
        }
    }
    std::istream& in = file.is_open() ? static_cast<std::istream&>(file) : std::cin;
    bool allOk = true;
    for (std::string line; std::getline(in, line);) {
        if (!shell.Execute(line)) allOk = false;
    }
    return allOk ? 0 : 1;
}
