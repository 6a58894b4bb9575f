// Screens per second from the demo host's burst over loopback, through the
// headless front end's whole path (socket, TLS when asked, telnet, records,
// interpreter), plain TCP against TLS. Each iteration is one connection:
// its handshake is left out of the time, the burst of full 24 x 80 screens
// and the Read Screen answer after it are measured.
#include <benchmark/benchmark.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "cli/CliShell.h"
#include "cli/CommandLine.h"
#include "demohost/DemoServer.h"

namespace quenlix {
namespace {

constexpr long kScreens = 5000;

void Burst(benchmark::State& state, bool tls) {
    std::string error;
    std::unique_ptr<demohost::HostTls> hostTls;
    if (tls) {
        hostTls = demohost::HostTls::SelfSigned("127.0.0.1", error);
        if (!hostTls) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    demohost::ServerOptions options;
    options.port = 0;
    options.scenario = demohost::Scenario::kBurst;
    options.burstCount = kScreens;
    options.tls = hostTls.get();
    demohost::DemoServer server(options);
    if (!server.Open(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::thread loop([&] { server.Run(); });

    std::vector<std::string> args = {"--host", "127.0.0.1", "--port", std::to_string(server.port()),
                                     "--screen", "24 * 80"};
    if (tls) {
        args.insert(args.end(), {"--tls", "--trust-fingerprint", hostTls->fingerprint()});
    }
    for (auto _ : state) {
        std::ostringstream out, err;
        cli::CliShell shell(out, DataDirectory(), "BENCH");
        cli::ApplyCommandLine(args, shell, out, err, "bench");
        if (!shell.Execute("connect")) {
            state.SkipWithError("connect failed");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        // The host's last record unlocks the keyboard once the burst is in.
        const bool done = shell.Execute("wait 60000");
        const auto end = std::chrono::steady_clock::now();
        if (!done) {
            state.SkipWithError("the burst did not end");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        shell.Execute("disconnect");
    }
    state.counters["screens/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kScreens), benchmark::Counter::kIsRate);
    server.RequestStop();
    loop.join();
}

void BM_DemoBurst_PlainTcp(benchmark::State& s) { Burst(s, false); }
void BM_DemoBurst_Tls(benchmark::State& s) { Burst(s, true); }

BENCHMARK(BM_DemoBurst_PlainTcp)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DemoBurst_Tls)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace quenlix

BENCHMARK_MAIN();
