// Pages per second of a printer session: the demo host's report pages laid
// out by the SCS interpreter and written into a PDF (to /dev/null), alone
// and through the printer session's endpoint and answers (no socket).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "connection/PrinterSession.h"
#include "demohost/HostSession.h"
#include "ds5250/RecordFramer.h"
#include "printout/PdfSpoolWriter.h"
#include "scs/PrinterRecords.h"

namespace quenlix {
namespace {

constexpr long kPagesAnIteration = 100;

std::vector<std::vector<std::uint8_t>> ReportPages() {
    std::vector<std::vector<std::uint8_t>> pages;
    for (long page = 1; page <= kPagesAnIteration; ++page) {
        pages.push_back(demohost::HostSession::ReportPage(page, BuiltinTablePair()));
    }
    return pages;
}

void BM_ScsToPdf(benchmark::State& state) {
    const auto pages = ReportPages();
    for (auto _ : state) {
        std::FILE* out = std::fopen("/dev/null", "wb");
        printout::PdfSpoolWriter pdf(out, 612, 792);
        scs::ScsInterpreter scs(pdf, scs::PageDefaults{});
        for (const auto& page : pages) scs.Feed(page.data(), page.size());
        scs.EndOfFile();
        if (!pdf.Finish() || pdf.pages() != kPagesAnIteration) state.SkipWithError("pages lost");
    }
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kPagesAnIteration), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScsToPdf)->Unit(benchmark::kMillisecond);

class CountingEvents : public PrinterEvents {
public:
    void FilePrinted(const std::string&, int pages) override { printed += pages; }
    long printed = 0;
};

void BM_PrinterSessionToPdf(benchmark::State& state) {
    const auto pages = ReportPages();
    std::vector<std::uint8_t> wire;
    for (const auto& page : pages) {
        std::vector<std::uint8_t> record = scs::PrintRecord(page), framed;
        ds::FinishRecord(record, framed);
        wire.insert(wire.end(), framed.begin(), framed.end());
    }
    std::vector<std::uint8_t> end = scs::PrintRecord({}, true), framedEnd;
    ds::FinishRecord(end, framedEnd);
    wire.insert(wire.end(), framedEnd.begin(), framedEnd.end());

    CountingEvents events;
    NullMessageBoxes messages;
    NullSocketNotifier notifier;
    NullRecordSender host;
    PrinterSession printer(PrinterFrontEnd{events, messages, notifier}, ProgramDirectory());
    const std::string folder = "/tmp/quenlix-bench-printer";
    std::filesystem::create_directories(folder);
    printer.settings.OutputFolder = folder;
    printer.endpoint().SetTransport(&host);
    printer.StartWithoutSocket();
    std::vector<std::uint8_t> startup = scs::StartupResponseRecord("I902", "BENCH", "PRT01"), s;
    ds::FinishRecord(startup, s);
    printer.endpoint().OnReceived(s.data(), s.size());
    for (auto _ : state) {
        // Socket-sized pieces, as a live host's data arrives.
        for (std::size_t at = 0; at < wire.size(); at += 1460) {
            printer.endpoint().OnReceived(wire.data() + at,
                                          std::min<std::size_t>(1460, wire.size() - at));
        }
    }
    std::filesystem::remove_all(folder);
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(events.printed), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PrinterSessionToPdf)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlix

BENCHMARK_MAIN();
