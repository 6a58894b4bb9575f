// quenlix-telnet-cli: a headless TN5250 terminal for scripts and tests.
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliPrinter.h"
#include "cli/CliShell.h"
#include "cli/CommandLine.h"
#include "keyring/SecretServiceKeyring.h"

using namespace quenlix;

namespace {

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
    // The pins the desktop program stored count here too; the CLI never
    // writes them (--trust-fingerprint trusts for one run).
    shell.session().pins.SetPath(CertificatePins::DefaultPath());
    SecretServiceKeyring keyring;
    shell.SetKeyring(&keyring);
    const cli::CommandLine options =
        cli::ApplyCommandLine(std::vector<std::string>(argv + 1, argv + argc), shell, std::cout,
                              std::cerr, QUENLIX_VERSION);
    if (options.exitStatus >= 0) return options.exitStatus;
    // A printer session takes no commands: it prints what the host spools.
    if (shell.session().activeSettings.IsPrinter()) {
        return cli::RunPrinter(shell.session().activeSettings, DataDirectory(), options.once,
                               std::cout);
    }

    std::ifstream file;
    if (!options.script.empty() && options.script != "-") {
        file.open(options.script);
        if (!file) {
            std::cerr << "quenlix-telnet-cli: cannot read " << options.script << '\n';
            return 2;
        }
    }
    std::istream& in = file.is_open() ? static_cast<std::istream&>(file) : std::cin;
    // A prompt no --var answers reads standard input, unless the script is it.
    shell.SetAnswers(file.is_open() ? &std::cin : nullptr);
    bool allOk = true;
    for (std::string line; std::getline(in, line);) {
        if (!shell.Execute(line)) allOk = false;
        if (shell.MacroStopped()) {
            std::cout << "stopped: the screen a step expects did not come\n";
            return 1;
        }
    }
    if (!shell.BlocksClosed()) {
        std::cout << "error: if-screen without end\n";
        allOk = false;
    }
    return allOk ? 0 : 1;
}
