// Describing whole screens: what a trace costs on each host block.
#include <benchmark/benchmark.h>

#include "support/SampleScreens.h"
#include "trace/TrafficTracer.h"

namespace quenlix {
namespace {

void BM_DescribeScreen27x132(benchmark::State& state) {
    const Bytes block = samples::FullScreen(27, 132, 40);
    for (auto _ : state) {
        ScreenMemory memory;
        const RecordDescription d =
            DescribeRecord(block.data(), block.size(), RecordSource::kHost, {}, &memory);
        benchmark::DoNotOptimize(d.lines.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * block.size()));
}

/// The trace lines of a screen arriving in pieces of 1460 bytes (one TCP
/// segment), as "trace on" prints them.
void BM_TraceScreen27x132(benchmark::State& state) {
    const Bytes block = samples::FullScreen(27, 132, 40);
    TrafficTracer tracer{ScreenMemory()};
    for (auto _ : state) {
        for (std::size_t at = 0; at < block.size(); at += 1460) {
            const std::size_t n = std::min<std::size_t>(1460, block.size() - at);
            const std::vector<std::string> lines = tracer.Received(block.data() + at, n);
            benchmark::DoNotOptimize(lines.data());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * block.size()));
}

BENCHMARK(BM_DescribeScreen27x132);
BENCHMARK(BM_TraceScreen27x132);

}  // namespace
}  // namespace quenlix

BENCHMARK_MAIN();
