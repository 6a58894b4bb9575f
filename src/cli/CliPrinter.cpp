// The printer session's loop and printed lines.
#include "cli/CliPrinter.h"


#include <thread>

#include "cli/CliFrontEnd.h"
#include "connection/PrinterSession.h"
#include "connection/TerminalSession.h"

namespace quenlix::cli {

namespace {

class PrintedEvents : public PrinterEvents {
public:
    explicit PrintedEvents(std::ostream& out) : out_(out) {}
    void PrinterReady(const scs::StartupCode& code) override {
        out_ << "printer: ready (" << code.code << ")\n" << std::flush;
    }
    void PrinterRefused(const scs::StartupCode& code) override {
        out_ << "message: " << code.code << ' ' << code.Text() << '\n' << std::flush;
        refused = true;
    }
    void FilePrinted(const std::string& path, int pages) override {
        out_ << "printed: " << path;
        if (transform) {
            out_ << " (printer-ready data)\n";
        } else {
            out_ << " (" << pages << (pages == 1 ? " page)\n" : " pages)\n");
        }
        out_ << std::flush;
        ++files;
    }
    void Problem(const std::string& text) override { out_ << "problem: " << text << '\n'; }
    void SessionEnded(const std::string&) override { ended = true; }

    bool transform = false;
    bool refused = false;
    bool ended = false;
    int files = 0;

private:
    std::ostream& out_;
};

}  // namespace

int RunPrinter(const SessionSettings& settings, const std::string& tableDirectory, bool once,
               std::ostream& out) {
    PollNotifier notifier;
    PrintedMessages messages(out);
    PrintedEvents events(out);
    events.transform = settings.HostPrintTransform != 0;
    PrinterSession printer(PrinterFrontEnd{events, messages, notifier}, tableDirectory);
    printer.settings = settings;
    if (!printer.StartConnection()) return 1;
    while (!events.ended && !(once && events.files > 0)) {
        printer.OnTimerTick();
        const auto tick = TerminalSession::kTickInterval;
        if (!notifier.Pump(printer.endpoint(), tick)) {
            if (printer.state() == PrinterSession::State::kIdle) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    printer.EndSession();
    out << std::flush;
    return events.refused ? 1 : 0;
}

}  // namespace quenlix::cli
