#include "AudioCheck.h"

#include <float.h>
#include <math.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "ChildChannel.h"
#include "DummyJackServer.h"
#include "HostedCheck.h"
#include "RealtimeCheck.h"

namespace oxahost {

constexpr int AudioCheck::kSampleRates[];
constexpr int AudioCheck::kBufferSizes[];

namespace {

const double kTwoPi = 6.283185307179586;
// An output whose component at the fed frequency has at least this share
// of the fed amplitude follows its input.
const double kFollowsLevel = 0.1;

struct Stats {
    long nans = 0;
    long infinities = 0;
    long denormals = 0;
    double mean = 0.0;
    // The amplitude of the fed frequency in the output, relative to the feed.
    double feedLevel = 0.0;
};

Stats measure(const std::vector<float>& samples, uint32_t startFrame, int sampleRate) {
    Stats stats;
    double sum = 0.0, real = 0.0, imaginary = 0.0;
    long finite = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const float x = samples[i];
        if (isnan(x)) {
            ++stats.nans;
        } else if (isinf(x)) {
            ++stats.infinities;
        } else {
            if (x != 0.0f && fabsf(x) < FLT_MIN) ++stats.denormals;
            const uint64_t frame = static_cast<uint64_t>(startFrame) + i;
            const double phase = kTwoPi * AudioRig::kFeedHz *
                                 static_cast<double>(frame % static_cast<uint64_t>(sampleRate)) /
                                 sampleRate;
            sum += x;
            real += x * cos(phase);
            imaginary += x * sin(phase);
            ++finite;
        }
    }
    if (finite > 0) {
        stats.mean = sum / finite;
        stats.feedLevel =
            2.0 * sqrt(real * real + imaginary * imaginary) / finite / AudioRig::kFeedAmplitude;
    }
    return stats;
}

// The frames by which `samples` is the fed signal late, or -1 when it is
// not the fed signal at any latency up to `maxLatency`.
int passThroughLatency(const std::vector<float>& samples, uint32_t startFrame, int sampleRate,
                       int maxLatency, float tolerance) {
    for (int latency = 0; latency <= maxLatency; ++latency) {
        bool same = true;
        for (size_t i = 0; i < samples.size() && same; ++i) {
            const int64_t frame =
                static_cast<int64_t>(startFrame) + static_cast<int64_t>(i) - latency;
            if (frame < 0) continue;
            const float fed = AudioRig::feedAt(static_cast<uint32_t>(frame), sampleRate);
            same = fabsf(samples[i] - fed) <= tolerance;
        }
        if (same) return latency;
    }
    return -1;
}

std::string fixed(double value, int decimals) {
    char text[32];
    snprintf(text, sizeof(text), "%.*f", decimals, value);
    return text;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text.empty() ? "none" : text;
}

void pauseMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

void AudioCheck::examine(const std::vector<std::string>& ports,
                         const std::vector<std::vector<float>>& take, uint32_t startFrame,
                         int sampleRate, const std::string& setting) {
    for (size_t i = 0; i < take.size(); ++i) {
        const Stats stats = measure(take[i], startFrame, sampleRate);
        const size_t frames = take[i].size();
        auto found = [&](const char* kind, const std::string& problem, bool fatal) {
            mFindings.push_back({ports[i], kind, problem, setting, fatal});
        };
        if (stats.nans > 0) {
            found("nan", std::to_string(stats.nans) + " NaN of " + std::to_string(frames), true);
        }
        if (stats.infinities > 0) {
            found("inf", std::to_string(stats.infinities) + " infinities", true);
        }
        if (fabs(stats.mean) > kMaxDcOffset) {
            found("dc", "a DC offset of " + fixed(stats.mean, 3) + " (the mean of the output)",
                  true);
        }
        if (stats.denormals > 0) {
            found("denormal", std::to_string(stats.denormals) + " denormal samples", false);
        }
    }
}

void AudioCheck::checkBypass(HostedModule& module, AudioRig& rig,
                             const std::vector<std::string>& ports,
                             const std::vector<std::vector<float>>& take, uint32_t startFrame,
                             int sampleRate) {
    if (mBypassUnsafe) {
        mBypassNote = "bypass left out (see magic)";
        return;
    }
    std::vector<size_t> following;
    for (size_t i = 0; i < take.size(); ++i) {
        if (measure(take[i], startFrame, sampleRate).feedLevel >= kFollowsLevel) {
            following.push_back(i);
        }
    }
    if (following.empty()) {
        mBypassNote = "no output follows the input (a generator): bypass not judged";
        return;
    }
    mBypassNote = "bypass tried on the outputs that follow the input";
    ChildChannel::step("recording with bypass on");
    module.command("setbypassenabledtrue");
    pauseMs(50);
    uint32_t bypassStart = 0;
    const std::vector<std::vector<float>> bypassed =
        rig.record(sampleRate * kRecordMs / 1000, kRecordPatienceMs, &bypassStart);
    module.command("setbypassenabledfalse");
    std::vector<std::string> passing;
    for (size_t i : following) {
        if (i >= bypassed.size()) continue;
        const int latency = passThroughLatency(bypassed[i], bypassStart, sampleRate,
                                               kMaxBypassLatency, kBypassTolerance);
        if (latency < 0) {
            mFindings.push_back(
                {ports[i], "bypass",
                 "with \"setbypassenabledtrue\" it is not its input passed "
                 "through (at no latency up to " +
                     std::to_string(kMaxBypassLatency) + " frames)",
                 std::to_string(kBypassFrames) + " frames at " + std::to_string(sampleRate) + " Hz",
                 true});
        } else {
            passing.push_back(
                ports[i] + (latency > 0 ? " (" + std::to_string(latency) + " frames late)" : ""));
        }
    }
    if (bypassed.empty()) mBypassNote = "no audio came with bypass on";
    if (!passing.empty()) mBypassNote = "bypass passes the input through on " + joined(passing);
}

void AudioCheck::recordAt(AudioRig& rig, const std::vector<std::string>& ports, int frames,
                          int sampleRate, HostedModule& module, bool bypassToo) {
    const std::string setting =
        std::to_string(frames) + " frames at " + std::to_string(sampleRate) + " Hz";
    ChildChannel::step("recording at " + setting);
    if (!rig.setBufferSize(frames)) {
        mFindings.push_back({"the server", "size", "refused the buffer size", setting, false});
        return;
    }
    // A few periods for the module to see the new size.
    pauseMs(20 + 3 * 1000 * frames / sampleRate);
    const int recorded = std::max(sampleRate * kRecordMs / 1000, 4 * frames);
    uint32_t startFrame = 0;
    const std::vector<std::vector<float>> take =
        rig.record(recorded, kRecordPatienceMs, &startFrame);
    if (take.empty() && !ports.empty()) {
        mFindings.push_back({joined(ports), "silent",
                             "gave no audio within " + std::to_string(kRecordPatienceMs / 1000) +
                                 " s (the process cycles stalled)",
                             setting, true});
        return;
    }
    ++mSettings;
    examine(ports, take, startFrame, sampleRate, setting);
    if (bypassToo) checkBypass(module, rig, ports, take, startFrame, sampleRate);
}

AudioCheck::RateResult AudioCheck::runAtRate(const CheckContext& context, const JackApi& jack,
                                             const std::string& jackd, int sampleRate,
                                             CheckOutcome* outcome) {
    ChildChannel::step("starting a JACK server at " + std::to_string(sampleRate) + " Hz");
    DummyJackServer server(
        "oxa-audio-" + std::to_string(getpid()) + "-" + std::to_string(sampleRate), kBypassFrames,
        sampleRate);
    if (!server.start(jackd, RealtimeCheck::kServerPatienceMs, &mWhyNotRun)) return kNotRun;
    HostedCheck hosted(context);
    if (!hosted.probe.runFor(context, outcome)) return kNotRun;
    mBypassUnsafe = hosted.probe.jackClient.claimUnsafe();
    if (!hosted.module.load()) {
        mWhyNotRun = "the host does not load the module";
        return kNotRun;
    }
    // Set up by its own commands first, as in the realtime check.
    for (const std::string& own : hosted.module.ownCommands()) hosted.module.command(own);
    hosted.module.command("start_client jack");
    hosted.module.command("activate");
    AudioRig rig(jack, sampleRate);
    if (!rig.open(&mWhyNotRun)) return kNotRun;
    const AudioRig::Ports ports = rig.modulePorts();
    if (ports.outputs.empty()) return kNoPorts;
    if (!rig.connect(ports, &mWhyNotRun)) return kNotRun;
    std::vector<std::string> recorded(
        ports.outputs.begin(),
        ports.outputs.begin() + std::min<size_t>(ports.outputs.size(), AudioRig::kMaxOutputs));
    mPortsNote = "outputs " + joined(recorded) + ", inputs " + joined(ports.inputs);
    for (int frames : kBufferSizes) {
        recordAt(rig, recorded, frames, sampleRate, hosted.module,
                 sampleRate == kBypassRate && frames == kBypassFrames);
    }
    rig.close();
    ChildChannel::step("deactivate");
    hosted.module.command("deactivate");
    hosted.module.command("tear_down");
    hosted.module.destroy();
    return kRan;
}

void AudioCheck::report(CheckOutcome* outcome) const {
    std::vector<std::string> reported;
    for (const Finding& finding : mFindings) {
        const std::string key = finding.port + "\n" + finding.kind;
        bool seen = false;
        for (const std::string& done : reported) seen = seen || done == key;
        if (seen) continue;
        reported.push_back(key);
        int settings = 0;
        for (const Finding& other : mFindings) {
            if (other.port == finding.port && other.kind == finding.kind) ++settings;
        }
        const std::string where =
            settings == 1 ? finding.setting
                          : std::to_string(settings) + " of " + std::to_string(mSettings) +
                                " settings (the first: " + finding.setting + ")";
        const std::string text = finding.port + ": " + finding.problem + ", at " + where;
        if (finding.fatal) {
            outcome->fail(text);
        } else {
            outcome->warn(text);
        }
    }
}

CheckOutcome AudioCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    std::string why;
    const std::string jackd = DummyJackServer::findJackd(&why);
    JackApi jack;
    if (jackd.empty() || !jack.load(&why)) {
        outcome.warn("not run: " + why);
        return outcome;
    }
    for (int sampleRate : kSampleRates) {
        const RateResult result = runAtRate(context, jack, jackd, sampleRate, &outcome);
        if (result == kNotRun) {
            outcome.warn("not run: " + mWhyNotRun);
            return outcome;
        }
        if (result == kNoPorts) {
            outcome.note(
                "the module opened no JACK client with audio outputs on "
                "\"start_client jack\" and \"activate\": nothing to record");
            return outcome;
        }
    }
    report(&outcome);
    outcome.note(mPortsNote + ", fed a " + fixed(AudioRig::kFeedHz, 0) + " Hz sine of amplitude " +
                 fixed(AudioRig::kFeedAmplitude, 1) + ": " + std::to_string(mSettings) +
                 " settings (64, 256, 1024 frames at 44100, 48000, 96000 Hz) checked for NaN, "
                 "infinity, DC offset and denormals; " +
                 (mBypassNote.empty() ? std::string("bypass not tried") : mBypassNote));
    return outcome;
}

}  // namespace oxahost
