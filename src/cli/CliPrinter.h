// The headless front end of a printer session: connects as a printer, then
// prints one line a happening until the host ends the session (or, with
// --once, until one spooled file is written):
//
//   printer: ready (I902)                  the host started the device
//   message: 8902 Device not available     the host refused it (exit status 1)
//   printed: <file> (<n> pages)            a spooled file written as a PDF
//   printed: <file> (printer-ready data)   ... as the host print transform's data
//   problem: <text>                        something skipped or not written
#pragma once

#include <ostream>
#include <string>

namespace quenlix {
struct SessionSettings;
}

namespace quenlix::cli {

/// Runs a printer session with `settings` to its end; returns the exit
/// status: 0 when it ended (the host closed it, or --once's file is
/// written), 1 when the device was refused or the host not reached.
int RunPrinter(const SessionSettings& settings, const std::string& tableDirectory, bool once,
               std::ostream& out);

}  // namespace quenlix::cli
