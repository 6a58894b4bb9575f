// The options of quenlix-telnet-cli: they set the session's values before the
// first command runs.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliShell.h"

namespace quenlix::cli {

/// The option summary printed by --help and after a bad option.
extern const char* const kUsage;

struct CommandLine {
    /// The script to run; empty or "-" for standard input.
    std::string script;
    /// -1 to run the script; otherwise the program ends at once with this
    /// status: 0 after --help or --version, 1 for a session file that cannot
    /// be read (message 528 printed), 2 for a bad option or a key map
    /// (--keymap or the session file's) with errors.
    int exitStatus = -1;
    /// A printer session ends after its first spooled file (--once).
    bool once = false;
};

/// Applies the options in `args` (without the program name) to the shell's
/// session, in order: "--session FILE" replaces every value with the file's,
/// later options change single values. Both copies of the values end equal.
/// Help and version go to `out`, complaints to `err`.
CommandLine ApplyCommandLine(const std::vector<std::string>& args, CliShell& shell,
                             std::ostream& out, std::ostream& err, std::string_view version);

}  // namespace quenlix::cli
