// The LV2 bridge as the service drives it: its commands and their errors,
// offline processing compared with lv2apply, an instrument played by MIDI,
// presets and state.
#include <gtest/gtest.h>
#include <stdint.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "BridgeFixture.h"
#include "ReferenceHost.h"

namespace {

const int kCommandId = 1;
const int kStateExt1 = 6;
const int kFramesStream = 1;
const int kStateStream = 2;
const int kRate = 48000;

const char kAmp[] = "http://plugin.org.uk/swh-plugins/amp";
const char kPiano[] = "http://drobilla.net/plugins/mda/Piano";

// Deterministic noise in [-0.5, 0.5), interleaved.
std::vector<float> noise(size_t samples) {
    std::vector<float> out(samples);
    uint32_t state = 12345;
    for (float& sample : out) {
        state = state * 1664525u + 1013904223u;
        sample = static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
    }
    return out;
}

// The frequency in [low, high] Hz, in 1 Hz steps, where the magnitude of the
// Hann-windowed spectrum of `samples` peaks (Goertzel's recurrence at each).
double peakFrequency(const std::vector<float>& samples, double rate, int low, int high) {
    const size_t n = samples.size();
    const double pi = 3.14159265358979323846;
    std::vector<double> windowed(n);
    for (size_t i = 0; i < n; ++i) {
        windowed[i] = samples[i] * (0.5 - 0.5 * std::cos(2.0 * pi * i / (n - 1)));
    }
    double best = 0.0, bestFrequency = 0.0;
    for (int frequency = low; frequency <= high; ++frequency) {
        const double coefficient = 2.0 * std::cos(2.0 * pi * frequency / rate);
        double s1 = 0.0, s2 = 0.0;
        for (double x : windowed) {
            const double s0 = x + coefficient * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
        if (power > best) best = power, bestFrequency = frequency;
    }
    return bestFrequency;
}

class Lv2Bridge : public BridgeFixture {};

TEST_F(Lv2Bridge, AnswersEveryBadInputWithAnErrorAndResultOne) {
    struct Row {
        const char* setUp;  // a command run first, or null
        const char* command;
        const char* error;  // how the error text starts
    } const rows[] = {
        {nullptr, "whistle", "error: unknown command: whistle"},
        {nullptr, "load", "error: load: no plugin URI"},
        {nullptr, "load http://example.org/none", "error: load: no installed plugin"},
        {nullptr, "load urn:wave-lv2-test:needs-teleport",
         "error: load: urn:wave-lv2-test:needs-teleport requires features the bridge does not "
         "provide: urn:wave-lv2-test:teleport"},
        {nullptr, "load urn:wave-lv2-test:odd-port",
         "error: load: urn:wave-lv2-test:odd-port has port 0 (warp) of a type"},
        {nullptr, "load urn:wave-lv2-test:no-binary",
         "error: load: instantiating urn:wave-lv2-test:no-binary at 48000 Hz failed"},
        {nullptr, "ports", "error: ports: no plugin loaded"},
        {nullptr, "set gain 1", "error: set: no plugin loaded"},
        {nullptr, "render 64", "error: render: no plugin loaded"},
        {nullptr, "state", "error: state: no plugin loaded"},
        {nullptr, "presets", "error: presets: no plugin loaded"},
        {nullptr, "unload", "error: unload: no plugin loaded"},
        {nullptr, "rate 12", "error: rate: give a sample rate"},
        {nullptr, "rate fast", "error: rate: give a sample rate"},
        {nullptr, "block 0", "error: block: give a block length from 1 to 4096"},
        {nullptr, "block 4097", "error: block: give a block length"},
        {"load http://plugin.org.uk/swh-plugins/amp", "set gain nan", "error: set: NaN refused"},
        {"load http://plugin.org.uk/swh-plugins/amp", "set gain loud", "error: set: give"},
        {"load http://plugin.org.uk/swh-plugins/amp", "set gain", "error: set: give"},
        {"load http://plugin.org.uk/swh-plugins/amp", "set input 1",
         "error: set: no control input input"},
        {"load http://plugin.org.uk/swh-plugins/amp", "get nothing",
         "error: get: no control port nothing"},
        {"load http://plugin.org.uk/swh-plugins/amp", "preset urn:none",
         "error: preset: no preset urn:none"},
        {"load http://plugin.org.uk/swh-plugins/amp", "render 0", "error: render: give"},
        {"load http://plugin.org.uk/swh-plugins/amp", "render 99999999", "error: render: give"},
        {"load http://plugin.org.uk/swh-plugins/amp", "midi:90 45 64",
         "error: midi: the plugin has no MIDI input"},
        {"load http://drobilla.net/plugins/mda/Piano", "midi:zz", "error: midi: not a MIDI byte"},
        {"load http://drobilla.net/plugins/mda/Piano", "midi:45", "error: midi: MIDI data without"},
        {"load http://drobilla.net/plugins/mda/Piano", "midi:90 45", "error: midi: a MIDI message"},
        {"load http://drobilla.net/plugins/mda/Piano", "midi:", "error: midi: no MIDI bytes"},
    };
    ASSERT_EQ(0, command("start_client"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        if (row.setUp != nullptr) {
            ASSERT_EQ(0, command(row.setUp)) << lastText(kCommandId);
        }
        EXPECT_EQ(1, command(row.command));
        EXPECT_EQ(0u, lastText(kCommandId).rfind(row.error, 0)) << lastText(kCommandId);
    }
}

TEST_F(Lv2Bridge, RefusesStreamsThatAreNoWholeFramesOrOfNoKnownId) {
    ASSERT_EQ(0, command(std::string("load ") + kAmp));
    const float frames[3] = {0.1f, 0.2f, 0.3f};
    EXPECT_EQ(1, stream(kFramesStream, frames, 5));
    EXPECT_EQ(0u, lastText(kCommandId).rfind("error: frames: 5 bytes are not whole frames", 0));
    EXPECT_EQ(1, stream(9, frames, sizeof(frames)));
    EXPECT_EQ("error: stream: unknown id 9", lastText(kCommandId));
    EXPECT_EQ(1, stream(kStateStream, "not turtle", 10));
    EXPECT_EQ("error: state: the text is no LV2 state", lastText(kCommandId));
    ASSERT_EQ(0, command(std::string("load ") + kPiano));
    EXPECT_EQ(1, stream(kFramesStream, frames, sizeof(frames)));
    EXPECT_EQ("error: frames: the plugin has no audio input; use render", lastText(kCommandId));
}

TEST_F(Lv2Bridge, ListsPluginsWithTheirPortCountsThroughAFilter) {
    ASSERT_EQ(0, command("plugins swh-plugins/amp"));
    const std::vector<std::string> found = texts(kCommandId);
    EXPECT_NE(found.end(),
              std::find(found.begin(), found.end(),
                        std::string("plugin ") + kAmp +
                            "|Simple amplifier|Amplifier Plugin|audio 1/1|control 1/0|midi "
                            "0/0"));
    EXPECT_EQ("plugins " + std::to_string(found.size() - 1), found.back());
    ASSERT_EQ(0, command("plugins INSTRUMENT"));
    EXPECT_NE(std::string::npos, texts(kCommandId)[0].find("|Instrument Plugin|audio 0/2|control "))
        << texts(kCommandId)[0];
}

TEST_F(Lv2Bridge, ListsTheLoadedPluginsPortsAndClampsAControlToItsRange) {
    ASSERT_EQ(0, command(std::string("load ") + kAmp));
    EXPECT_EQ(std::string("loaded ") + kAmp + "|audio 1/1|midi 0", lastText(kCommandId));
    ASSERT_EQ(0, command("ports"));
    EXPECT_EQ(
        (std::vector<std::string>{
            "port 0|gain|Amps gain (dB)|input|control|min -70|max 70|default 0",
            "port 1|input|Input|input|audio", "port 2|output|Output|output|audio", "ports 3"}),
        texts(kCommandId));
    ASSERT_EQ(0, command("set gain 100"));
    EXPECT_EQ("set gain 70", lastText(kCommandId));
    ASSERT_EQ(0, command("set gain -1e9"));
    EXPECT_EQ("set gain -70", lastText(kCommandId));
    ASSERT_EQ(0, command("get gain"));
    EXPECT_EQ("value gain -70", lastText(kCommandId));
}

TEST_F(Lv2Bridge, ProcessesFramesOfflineAsLv2applyDoes) {
    struct Row {
        const char* uri;
        int channels;
        std::vector<std::string> controls;
        // Frames per run(): the delay glides to its delay time over a block,
        // so it gives lv2apply's output only at lv2apply's one frame a run.
        int block;
    } const rows[] = {
        {kAmp, 1, {"gain -6"}, 4096},
        {"http://drobilla.net/plugins/mda/Delay",
         2,
         {"l_delay 0.1", "r_delay 0.05", "feedback 0.6"},
         4096},
        {"http://plugin.org.uk/swh-plugins/lowpass_iir", 1, {"cutoff 2400", "stages 3"}, 128},
        {"http://plugin.org.uk/swh-plugins/delay_n", 1, {"delay_time 0.01"}, 1},
    };
    const std::string folder = testing::TempDir();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.uri);
        const std::vector<float> in = noise(static_cast<size_t>(kRate / 4) * row.channels);
        const std::string input = folder + "lv2-in-" + std::to_string(getpid()) + ".wav";
        const std::string output = folder + "lv2-out-" + std::to_string(getpid()) + ".wav";
        ASSERT_TRUE(writeFloatWav(input, in, row.channels, kRate));
        std::string why;
        ASSERT_TRUE(runLv2apply(row.uri, row.controls, input, output, WAVE_LV2_REFERENCE_PATH, why))
            << why;
        std::vector<float> expected;
        int channels = 0;
        ASSERT_TRUE(readFloatWav(output, expected, channels));
        unlink(input.c_str());
        unlink(output.c_str());

        loadWithControls(row.uri, row.controls);
        ASSERT_EQ(0, command("block " + std::to_string(row.block)));
        ASSERT_EQ(0, stream(kFramesStream, in.data(), in.size() * sizeof(float)));
        const std::vector<float> out = lastFrames();
        ASSERT_EQ(expected.size(), out.size());
        double largest = 0.0, energy = 0.0;
        for (size_t i = 0; i < out.size(); ++i) {
            largest = std::max(largest, std::fabs(static_cast<double>(out[i]) - expected[i]));
            energy += std::fabs(out[i]);
        }
        EXPECT_LE(largest, 1e-6);
        // Not silence on both sides.
        EXPECT_GT(energy, out.size() * 0.01);
    }
}

TEST_F(Lv2Bridge, PlaysAPianoNoteAtItsFrequency) {
    struct Row {
        int note;
        double hertz;
    } const rows[] = {{69, 440.0}, {72, 523.25}, {76, 659.26}};
    ASSERT_EQ(0, command("start_client"));
    ASSERT_EQ(0, command(std::string("load ") + kPiano));
    const char hex[] = "0123456789abcdef";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.note);
        const std::string note = {hex[row.note >> 4], hex[row.note & 15]};
        ASSERT_EQ(0, command("midi:90 " + note + " 64"));
        ASSERT_EQ(0, command("render 12288"));
        const std::vector<float> stereo = lastFrames();
        ASSERT_EQ(12288u * 2, stereo.size());
        // The left channel, after the hammer's attack.
        std::vector<float> left;
        for (size_t i = 2 * 2048; i < stereo.size(); i += 2) left.push_back(stereo[i]);
        // From below the octave under the note to above the octave over it.
        const int low = static_cast<int>(row.hertz / 2) - 20;
        const int high = static_cast<int>(row.hertz * 2) + 20;
        EXPECT_NEAR(row.hertz, peakFrequency(left, kRate, low, high), row.hertz * 0.01);
        ASSERT_EQ(0, command("midi:80 " + note + " 00"));
        ASSERT_EQ(0, command("render 24000"));
    }
}

TEST_F(Lv2Bridge, AppliesAPresetOfThePlugin) {
    ASSERT_EQ(0, command(std::string("load ") + kPiano));
    ASSERT_EQ(0, command("presets"));
    const std::vector<std::string> presets = texts(kCommandId);
    ASSERT_EQ("presets 8", presets.back());
    // "preset URI|label": apply the one labelled Dark Piano.
    std::string dark;
    for (const std::string& line : presets) {
        if (line.find("|Dark Piano") != std::string::npos)
            dark = line.substr(7, line.find('|') - 7);
    }
    ASSERT_FALSE(dark.empty());
    ASSERT_EQ(0, command("get hardness_offset"));
    EXPECT_EQ("value hardness_offset 0.5", lastText(kCommandId));
    ASSERT_EQ(0, command("preset " + dark));
    EXPECT_EQ("preset applied " + dark, lastText(kCommandId));
    ASSERT_EQ(0, command("get hardness_offset"));
    EXPECT_EQ("value hardness_offset 0", lastText(kCommandId));
}

TEST_F(Lv2Bridge, RestoresTheStateItSavedAsText) {
    ASSERT_EQ(0, command(std::string("load ") + kAmp));
    ASSERT_EQ(0, command("set gain -12.5"));
    ASSERT_EQ(0, command("state"));
    const std::string state = lastBlock(kStateExt1);
    EXPECT_EQ("state " + std::to_string(state.size()) + " bytes", lastText(kCommandId));
    EXPECT_NE(std::string::npos, state.find(kAmp));
    ASSERT_EQ(0, command("set gain 3"));
    ASSERT_EQ(0, stream(kStateStream, state.data(), state.size()));
    EXPECT_EQ("state restored", lastText(kCommandId));
    ASSERT_EQ(0, command("get gain"));
    EXPECT_EQ("value gain -12.5", lastText(kCommandId));
    // Not to another plugin.
    ASSERT_EQ(0, command(std::string("load ") + kPiano));
    EXPECT_EQ(1, stream(kStateStream, state.data(), state.size()));
    EXPECT_EQ(0u, lastText(kCommandId).rfind("error: state: the state is of ", 0));
}

TEST_F(Lv2Bridge, GivesPluginsOptionsLogAndAWorkerThatAnswersAfterRun) {
    ASSERT_EQ(0, command("load urn:wave-lv2-test:worker"));
    EXPECT_EQ("log note: worker test plugin: block 4096 rate 48000", lastText(5));
    // Offline, the work is done at once; its answer reaches the plugin after
    // the run that asked, which shows it in the next.
    for (const char* answer : {"value answer 0", "value answer 10", "value answer 20"}) {
        ASSERT_EQ(0, command("render 64"));
        ASSERT_EQ(0, command("get answer"));
        EXPECT_EQ(answer, lastText(kCommandId));
    }
}

TEST_F(Lv2Bridge, PassesItsInputThroughWhenBypassed) {
    ASSERT_EQ(0, command("start_client"));
    ASSERT_EQ(0, command(std::string("load ") + kAmp));
    ASSERT_EQ(0, command("set gain -20"));
    const std::vector<float> in = noise(256);
    ASSERT_EQ(0, command("setbypassenabledtrue"));
    ASSERT_EQ(0, stream(kFramesStream, in.data(), in.size() * sizeof(float)));
    EXPECT_EQ(in, lastFrames());
    ASSERT_EQ(0, command("setbypassenabledfalse"));
    ASSERT_EQ(0, stream(kFramesStream, in.data(), in.size() * sizeof(float)));
    EXPECT_NEAR(in[7] * 0.1f, lastFrames()[7], 1e-6);
}

}  // namespace
