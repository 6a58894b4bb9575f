// What making the password substitute costs at connect, per method. The
// level 4 key derivation (10022 rounds of HMAC-SHA512) dominates; it should
// stay well under 50 ms so that signing on does not visibly wait.
#include <benchmark/benchmark.h>

#include <string>

#include "signon/PasswordSubstitute.h"
#include "terminal/TranslationCache.h"

namespace quenlix {
namespace {

const signon::SeedPair kSeeds = {{0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x07, 0x18},
                                 {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08}};

void Substitute(benchmark::State& state, int level, const char* password) {
    for (auto _ : state) {
        const signon::SubstituteOutcome outcome =
            signon::MakePasswordSubstitute(level, "USERA", password, kSeeds, BuiltinTablePair());
        if (!outcome.made()) state.SkipWithError(outcome.refusal.c_str());
        benchmark::DoNotOptimize(outcome.substitute.data());
    }
}

void BM_SubstituteLevel0(benchmark::State& state) { Substitute(state, 0, "SECRET1"); }
void BM_SubstituteLevel2(benchmark::State& state) { Substitute(state, 2, "Secret"); }
void BM_SubstituteLevel4(benchmark::State& state) { Substitute(state, 4, "Secret"); }
void BM_SubstituteLevel4LongPassword(benchmark::State& state) {
    Substitute(state, 4, std::string(128, 'p').c_str());
}

BENCHMARK(BM_SubstituteLevel0);
BENCHMARK(BM_SubstituteLevel2);
BENCHMARK(BM_SubstituteLevel4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubstituteLevel4LongPassword)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlix

BENCHMARK_MAIN();
