// The bridge's cost per period against the plugin's own run(), and the
// offline path's speed as a multiple of real time. Meaningful in a Release
// build:
//   cmake --build --preset release --target wave_lv2_benchmark
//   build/release/bridges/lv2/benchmarks/wave_lv2_benchmark
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Lv2Log.h"
#include "Lv2Plugin.h"
#include "Lv2World.h"
#include "OfflineRenderer.h"
#include "UridMap.h"

namespace {

const double kRate = 48000.0;
const uint32_t kPeriod = 128;

const char* const kPlugins[] = {
    "http://plugin.org.uk/swh-plugins/amp",
    "http://plugin.org.uk/swh-plugins/lowpass_iir",
    "http://drobilla.net/plugins/mda/Delay",
    "http://drobilla.net/plugins/mda/Piano",
};

// A plugin loaded in the bridge's core, with a period's buffers.
struct Loaded {
    explicit Loaded(const char* uri) : log(urids), plugin(world, urids, log) {
        std::string why;
        ok = plugin.load(uri, kRate, why);
        if (!ok) return;
        plugin.activate();
        inputs.assign(plugin.audioInputs(), std::vector<float>(kPeriod, 0.25f));
        outputs.assign(plugin.audioOutputs(), std::vector<float>(kPeriod, 0.0f));
        for (auto& channel : inputs) in.push_back(channel.data());
        for (auto& channel : outputs) out.push_back(channel.data());
        // An instrument plays a note in the first period.
        const uint8_t note[3] = {0x90, 0x45, 0x64};
        if (plugin.hasMidiInput()) plugin.queueMidi(note, sizeof(note));
    }

    wavelv2::UridMap urids;
    wavelv2::Lv2Log log;
    wavelv2::Lv2World world;
    wavelv2::Lv2Plugin plugin;
    bool ok = false;
    std::vector<std::vector<float>> inputs, outputs;
    std::vector<const float*> in;
    std::vector<float*> out;
};

// The plugin's run() alone, its ports connected once, as a host that does
// nothing else would call it.
void directRun(benchmark::State& state) {
    Loaded loaded(kPlugins[state.range(0)]);
    if (!loaded.ok) return state.SkipWithError("the plugin does not load");
    state.SetLabel(kPlugins[state.range(0)]);
    // One block through the bridge plays the instrument's note and connects
    // the audio buffers; then the event input stays empty, as the bridge's
    // periods after the first leave it.
    loaded.plugin.beginBlock();
    loaded.plugin.process(kPeriod, loaded.in.data(), loaded.out.data());
    loaded.plugin.beginBlock();
    LilvInstance* instance = loaded.plugin.instance();
    for (auto _ : state) {
        lilv_instance_run(instance, kPeriod);
        benchmark::ClobberMemory();
    }
}

// One period as the JACK process callback runs it: the block's start (MIDI
// and event buffers), control values in, run(), the worker's answers, control
// values out.
void bridgePeriod(benchmark::State& state) {
    Loaded loaded(kPlugins[state.range(0)]);
    if (!loaded.ok) return state.SkipWithError("the plugin does not load");
    state.SetLabel(kPlugins[state.range(0)]);
    for (auto _ : state) {
        loaded.plugin.beginBlock();
        loaded.plugin.process(kPeriod, loaded.in.data(), loaded.out.data());
        benchmark::ClobberMemory();
    }
}

// One second of audio through the offline path (deinterleaving, blocks of
// 4096 frames, interleaving); "realtime" is seconds of audio per second.
void offlineSecond(benchmark::State& state) {
    Loaded loaded(kPlugins[state.range(0)]);
    if (!loaded.ok) return state.SkipWithError("the plugin does not load");
    state.SetLabel(kPlugins[state.range(0)]);
    wavelv2::OfflineRenderer renderer(loaded.plugin);
    const uint32_t frames = static_cast<uint32_t>(kRate);
    std::vector<float> in(static_cast<size_t>(frames) * loaded.plugin.audioInputs(), 0.25f), out;
    for (auto _ : state) {
        renderer.render(reinterpret_cast<const uint8_t*>(in.data()), frames, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

const int kPluginCount = static_cast<int>(sizeof(kPlugins) / sizeof(kPlugins[0]));

}  // namespace

BENCHMARK(directRun)->DenseRange(0, kPluginCount - 1);
BENCHMARK(bridgePeriod)->DenseRange(0, kPluginCount - 1);
BENCHMARK(offlineSecond)->DenseRange(0, kPluginCount - 1)->Unit(benchmark::kMillisecond);
