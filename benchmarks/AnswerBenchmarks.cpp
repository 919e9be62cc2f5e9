// Answers from a module through its client to the listener, which only
// counts, and one command round trip: a command in, the module's answer out.
#include <benchmark/benchmark.h>

#include <vector>

#include "BenchClient.h"

namespace {

void BM_TextAnswerThroughClient(benchmark::State& state) {
    BenchClient bench("libovik_bench_wave_v2.so");
    if (!bench.loaded()) {
        state.SkipWithError("the benchmark module did not load");
        return;
    }
    const long before = bench.listener().texts();
    for (auto _ : state) bench.client().responseToService(2, "level 3");
    if (bench.listener().texts() - before != static_cast<long>(state.iterations())) {
        state.SkipWithError("answers were lost on the way to the listener");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextAnswerThroughClient);

void BM_DataAnswerThroughClient(benchmark::State& state) {
    BenchClient bench("libovik_bench_wave_v2.so");
    if (!bench.loaded()) {
        state.SkipWithError("the benchmark module did not load");
        return;
    }
    const std::vector<uint8_t> block(static_cast<size_t>(state.range(0)), 0x11);
    const long before = bench.listener().data();
    for (auto _ : state) bench.client().responseToService(4, block.size(), block.data());
    if (bench.listener().data() - before != static_cast<long>(state.iterations())) {
        state.SkipWithError("answers were lost on the way to the listener");
    }
    // Not copied on the way: the rate must not depend on the block size.
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DataAnswerThroughClient)->Arg(64)->Arg(64 << 10);

void BM_CommandRoundTrip(benchmark::State& state) {
    BenchClient bench("libovik_bench_wave_v2.so");
    if (!bench.loaded()) {
        state.SkipWithError("the benchmark module did not load");
        return;
    }
    const std::string ping = bench.addressed("ping");
    const long before = bench.listener().texts();
    for (auto _ : state) {
        if (bench.client().sendCommand(ping.c_str()) != 0) {
            state.SkipWithError("the module refused the command");
            break;
        }
    }
    if (bench.listener().texts() - before != static_cast<long>(state.iterations())) {
        state.SkipWithError("an answer did not arrive");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CommandRoundTrip);

}  // namespace
