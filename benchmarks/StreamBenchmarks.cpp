// Streams and requests through a client: the version-1 stream text (which
// must grow linearly with the stream), the version-2 pass-through, and the
// 200000-byte request the service makes. Below them, each stream text
// encoder this processor runs on its own, against copying the same bytes.
#include <benchmark/benchmark.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchClient.h"
#include "StreamText.h"

namespace {

const long kRequestCapacity = 200000;

std::vector<uint8_t> streamOf(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 131 + 7);
    return bytes;
}

void runStreams(benchmark::State& state, const char* moduleFile) {
    BenchClient bench(moduleFile);
    if (!bench.loaded()) {
        state.SkipWithError("the benchmark module did not load");
        return;
    }
    const std::vector<uint8_t> stream = streamOf(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        const int result =
            bench.client().sendStream(stream.data(), static_cast<long>(stream.size()), 5);
        benchmark::DoNotOptimize(result);
        if (result != 0) {
            state.SkipWithError("the module refused the stream");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}

// Stream bytes per second stay flat from 1 KiB to 8 MiB when the text is
// built in linear time; the fitted complexity says O(N).
void BM_StreamTextToVersion1Module(benchmark::State& state) {
    runStreams(state, "libovik_bench_wave_v1.so");
}
BENCHMARK(BM_StreamTextToVersion1Module)
    ->RangeMultiplier(8)
    ->Range(1 << 10, 8 << 20)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

// Passed as is: the time must not grow with the size at all.
void BM_StreamPassThroughToVersion2Module(benchmark::State& state) {
    runStreams(state, "libovik_bench_wave_v2.so");
}
BENCHMARK(BM_StreamPassThroughToVersion2Module)
    ->RangeMultiplier(8)
    ->Range(1 << 10, 8 << 20)
    ->Complexity(benchmark::o1);

void BM_Request200000Bytes(benchmark::State& state) {
    BenchClient bench("libovik_bench_wave_v2.so");
    if (!bench.loaded()) {
        state.SkipWithError("the benchmark module did not load");
        return;
    }
    for (auto _ : state) {
        size_t usedBytes = 0;
        auto heap = bench.client().request("fill", 0, kRequestCapacity, usedBytes);
        if (!heap || usedBytes != static_cast<size_t>(kRequestCapacity)) {
            state.SkipWithError("the request was not filled");
            break;
        }
        benchmark::DoNotOptimize(heap->getBase());
    }
    state.SetBytesProcessed(state.iterations() * kRequestCapacity);
}
BENCHMARK(BM_Request200000Bytes)->Unit(benchmark::kMicrosecond);

// Stream bytes per second of one encoder writing into a reused buffer.
void runEncoder(benchmark::State& state, StreamText::Encoder encode) {
    const std::vector<uint8_t> stream = streamOf(static_cast<size_t>(state.range(0)));
    std::unique_ptr<char[]> text(new char[2 * stream.size()]);
    for (auto _ : state) {
        encode(stream.data(), stream.size(), text.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// What no encoder can beat: copying the stream's bytes once.
void BM_StreamBytesCopied(benchmark::State& state) {
    const std::vector<uint8_t> stream = streamOf(static_cast<size_t>(state.range(0)));
    std::unique_ptr<char[]> copy(new char[stream.size()]);
    for (auto _ : state) {
        memcpy(copy.get(), stream.data(), stream.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StreamBytesCopied)->Arg(64 << 10)->Arg(1 << 20);

const bool kEncodersRegistered = [] {
    for (const StreamText::Variant& variant : StreamText::variants()) {
        benchmark::RegisterBenchmark(
            (std::string("BM_StreamTextEncoder/") + variant.name).c_str(),
            [encode = variant.encode](benchmark::State& state) { runEncoder(state, encode); })
            ->Arg(64 << 10)
            ->Arg(1 << 20);
    }
    return true;
}();

}  // namespace
