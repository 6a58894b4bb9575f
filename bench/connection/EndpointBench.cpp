// Screens per second through the connection endpoint: host blocks arriving
// in socket-sized pieces are reassembled, routed and interpreted into the
// presentation space, as they are from a live host (without the socket).
#include <benchmark/benchmark.h>

#include "connection/TerminalSession.h"
#include "support/SampleScreens.h"

namespace quenlix {
namespace {

struct Headless {
    NullViewOperations view;
    NullMessageBoxes messages;
    NullSocketNotifier notifier;
    MemoryClipboard clipboard;
    NullRecordSender transport;
};

void Screens(benchmark::State& state, int rows, int columns, int fields, std::size_t piece) {
    Headless h;
    TerminalSession session(FrontEnd{h.view, h.messages, h.notifier, h.clipboard},
                            ProgramDirectory(), "BENCH");
    session.activeSettings.PageCode = 37;
    session.terminal.state.connected = 1;
    session.terminal.screen.SetGeometry(columns, rows);
    session.endpoint().SetTransport(&h.transport);
    session.unplacedByteTrace().SetPath("");
    // A telnet command first, so held pieces wait for their end of record.
    const std::uint8_t doEor[] = {0xFF, 0xFD, 0x19};
    session.endpoint().OnReceived(doEor, sizeof doEor);
    const Bytes block = samples::FullScreen(rows, columns, fields);
    for (auto _ : state) {
        for (std::size_t at = 0; at < block.size(); at += piece) {
            const std::size_t n = std::min(piece, block.size() - at);
            session.endpoint().OnReceived(block.data() + at, n);
        }
    }
    state.counters["screens/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * block.size()));
}

void BM_Screens24x80_OnePiece(benchmark::State& s) { Screens(s, 24, 80, 20, 1 << 20); }
void BM_Screens27x132_OnePiece(benchmark::State& s) { Screens(s, 27, 132, 40, 1 << 20); }
void BM_Screens27x132_1460BytePieces(benchmark::State& s) { Screens(s, 27, 132, 40, 1460); }

BENCHMARK(BM_Screens24x80_OnePiece);
BENCHMARK(BM_Screens27x132_OnePiece);
BENCHMARK(BM_Screens27x132_1460BytePieces);

}  // namespace
}  // namespace quenlix

BENCHMARK_MAIN();
