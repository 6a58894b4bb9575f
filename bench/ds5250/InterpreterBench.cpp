// Interpreting whole screens, and restyling them.
#include <benchmark/benchmark.h>

#include "support/SampleScreens.h"
#include "support/StandaloneInterpreter.h"
#include "support/WireRecords.h"
#include "terminal/ScreenReading.h"

namespace quenlix {
namespace {

/// The screen starts 24 x 80 in an array for the largest screen, as after a
/// connection start; the host's Clear Unit commands choose the size.
struct Session : StandaloneInterpreter {
    Session() : StandaloneInterpreter(132, 27, 37) { terminal.screen.SetGeometry(80, 24); }
};

void Interpret(benchmark::State& state, int rows, int columns, int fields) {
    Session s;
    // The record as the endpoint hands it on.
    const Bytes record = ::quenlix::WireRecords(samples::FullScreen(rows, columns, fields)).at(0);
    for (auto _ : state) {
        s.interpreter.ProcessRecord(record.data(), record.size());
        benchmark::DoNotOptimize(s.terminal.screen.at(0).character);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * record.size()));
}

void BM_InterpretScreen24x80(benchmark::State& state) { Interpret(state, 24, 80, 20); }
void BM_InterpretScreen27x132(benchmark::State& state) { Interpret(state, 27, 132, 40); }

void BM_Restyle27x132(benchmark::State& state) {
    Session s;
    const Bytes block = samples::FullScreen(27, 132, 40);
    ::quenlix::ProcessWire(s.interpreter, block);
    for (auto _ : state) {
        s.terminal.Restyle();
        benchmark::DoNotOptimize(s.terminal.screen.at(100).foreground);
    }
}

/// What the accessibility layer reads at each frame while a screen reader
/// listens: the readable text, every field with its label, the title, the
/// indicator row.
void BM_ReadScreenAloud27x132(benchmark::State& state) {
    Session s;
    const Bytes block = samples::FullScreen(27, 132, 40);
    ::quenlix::ProcessWire(s.interpreter, block);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadableText(s.terminal).size());
        benchmark::DoNotOptimize(FieldList(s.terminal).size());
        benchmark::DoNotOptimize(TitleText(s.terminal).size());
        benchmark::DoNotOptimize(StatusText(s.terminal).size());
    }
}

BENCHMARK(BM_InterpretScreen24x80);
BENCHMARK(BM_ReadScreenAloud27x132);
BENCHMARK(BM_InterpretScreen27x132);
BENCHMARK(BM_Restyle27x132);

}  // namespace
}  // namespace quenlix

BENCHMARK_MAIN();
