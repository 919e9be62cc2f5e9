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
#include "SanitizerBuild.h"

namespace oxahost {

constexpr int AudioCheck::kSampleRates[];
constexpr int AudioCheck::kBufferSizes[];

namespace {

const double kTwoPi = 6.283185307179586;
// An output whose component at the fed frequency has at least this share
// of the fed amplitude follows its input.
const double kFollowsLevel = 0.1;
// The share of the frames that may differ from the input with bypass on.
const double kBypassSlack = 0.1;

struct Stats {
    long nans = 0;
    long infinities = 0;
    long denormals = 0;
    double mean = 0.0;
};

Stats measure(const std::vector<float>& samples) {
    Stats stats;
    double sum = 0.0;
    long finite = 0;
    for (float x : samples) {
        if (isnan(x)) {
            ++stats.nans;
        } else if (isinf(x)) {
            ++stats.infinities;
        } else {
            if (x != 0.0f && fabsf(x) < FLT_MIN) ++stats.denormals;
            sum += x;
            ++finite;
        }
    }
    if (finite > 0) stats.mean = sum / finite;
    return stats;
}

// The amplitude of the fed frequency in `samples` (a single bin of a
// discrete Fourier transform); non-finite samples count as silence.
double feedToneAmplitude(const std::vector<float>& samples, int sampleRate) {
    const double step = kTwoPi * AudioRig::kFeedHz / sampleRate;
    double real = 0.0, imaginary = 0.0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const double x = std::isfinite(samples[i]) ? samples[i] : 0.0;
        real += x * cos(step * static_cast<double>(i));
        imaginary += x * sin(step * static_cast<double>(i));
    }
    return samples.empty() ? 0.0 : 2.0 * sqrt(real * real + imaginary * imaginary) / samples.size();
}

// Whether `output` carries the fed signal: its tone at the fed frequency
// has at least kFollowsLevel of the feed's.
bool followsFeed(const std::vector<float>& output, const std::vector<float>& feed, int sampleRate) {
    const double fed = feedToneAmplitude(feed, sampleRate);
    return fed > 0.0 && feedToneAmplitude(output, sampleRate) >= kFollowsLevel * fed;
}

// The frames by which `output` is `feed` late, or -1 when it is not the
// feed at any latency up to `maxLatency` (compared where both are recorded).
// A share of the frames may differ (kBypassSlack): on a loaded machine a
// cycle the module finishes late reaches the recorder stale, and the switch
// into bypass may land inside the recording.
int passThroughLatency(const std::vector<float>& output, const std::vector<float>& feed,
                       int maxLatency, float tolerance) {
    for (size_t latency = 0; latency <= static_cast<size_t>(maxLatency); ++latency) {
        if (latency >= output.size()) break;
        const size_t compared = output.size() - latency;
        const size_t allowed = static_cast<size_t>(kBypassSlack * static_cast<double>(compared));
        size_t differing = 0;
        for (size_t i = latency; i < output.size() && differing <= allowed; ++i) {
            if (fabsf(output[i] - feed[i - latency]) > tolerance) ++differing;
        }
        if (differing <= allowed) return static_cast<int>(latency);
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

void AudioCheck::examine(const std::vector<std::string>& ports, const AudioRig::Take& take,
                         const std::string& setting) {
    for (size_t i = 0; i < take.outputs.size(); ++i) {
        const Stats stats = measure(take.outputs[i]);
        const size_t frames = take.outputs[i].size();
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
                             const std::vector<std::string>& ports, const AudioRig::Take& take,
                             int sampleRate) {
    if (mBypassUnsafe) {
        mBypassNote = "bypass left out (see magic)";
        return;
    }
    std::vector<size_t> following;
    for (size_t i = 0; i < take.outputs.size(); ++i) {
        if (followsFeed(take.outputs[i], take.feed, sampleRate)) following.push_back(i);
    }
    if (following.empty()) {
        mBypassNote = "no output follows the input (a generator): bypass not judged";
        return;
    }
    mBypassNote = "bypass tried on the outputs that follow the input";
    ChildChannel::step("recording with bypass on");
    module.command("setbypassenabledtrue");
    pauseMs(50);
    // Long enough to compare at the largest latency too.
    AudioRig::Take bypassed;
    const bool recorded =
        rig.record(sampleRate * kRecordMs / 1000 + kMaxBypassLatency, kRecordPatienceMs, &bypassed);
    module.command("setbypassenabledfalse");
    std::vector<std::string> passing;
    for (size_t i : following) {
        if (!recorded) break;
        const int latency = passThroughLatency(bypassed.outputs[i], bypassed.feed,
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
    if (!recorded) mBypassNote = "no audio came with bypass on";
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
    AudioRig::Take take;
    if (!rig.record(recorded, kRecordPatienceMs, &take)) {
        // A process callback that blocks is the realtime check's finding;
        // here it is more often a machine too busy for the dummy server.
        mFindings.push_back({joined(ports), "silent",
                             "gave no audio within " + std::to_string(kRecordPatienceMs / 1000) +
                                 " s (the process cycles stalled): not judged",
                             setting, false});
        return;
    }
    ++mSettings;
    examine(ports, take, setting);
    if (bypassToo) checkBypass(module, rig, ports, take, sampleRate);
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
    // ThreadSanitizer cannot see how JACK orders one client's cycle after
    // another's (through the server), so it takes every buffer that the
    // check's clients and the module hand along for a race.
    if (OXA_HOST_THREAD_SANITIZER) {
        outcome.warn(
            "not run: this oxa-host is built with ThreadSanitizer, which cannot follow JACK's "
            "ordering of its clients' cycles");
        return outcome;
    }
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
