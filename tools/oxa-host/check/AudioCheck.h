// audio: for a module that opens a JACK client, what its audio outputs give
// while the check feeds its inputs a sine (AudioRig). A dummy JACK server of
// the check's own runs at each sample rate of kSampleRates; at each buffer
// size of kBufferSizes (set while the module runs, as a host may) every
// output is recorded and must hold no NaN, no infinity and no DC offset
// (FAIL) and no denormals (WARN: they cost processor time, they do not
// sound). When an output follows the input (the sine is in it), bypass
// ("setbypassenabledtrue") must pass the input through unchanged, at most
// a few periods late. A module without a JACK client, or whose client has no
// audio ports, passes with a note; without jackd the check is not run.
#ifndef OXA_HOST_AUDIO_CHECK_H
#define OXA_HOST_AUDIO_CHECK_H

#include <stdint.h>

#include <string>
#include <vector>

#include "AudioRig.h"
#include "Check.h"
#include "HostedModule.h"
#include "JackApi.h"
#include "MagicProbe.h"

namespace oxahost {

class AudioCheck : public Check {
public:
    const char* name() const override { return "audio"; }
    const char* description() const override {
        return "the outputs carry no NaN, infinity, denormal or DC, and bypass passes the input";
    }
    CheckOutcome run(const CheckContext& context) override;

    static constexpr int kSampleRates[] = {44100, 48000, 96000};
    static constexpr int kBufferSizes[] = {64, 256, 1024};
    // The setting at which bypass is tried.
    static constexpr int kBypassRate = 48000;
    static constexpr int kBypassFrames = 256;
    // Recorded at each setting, and the time it may take.
    static constexpr int kRecordMs = 100;
    static constexpr int kRecordPatienceMs = 3000;
    // The largest DC offset (mean of an output fed a sine) that passes.
    static constexpr double kMaxDcOffset = 0.01;
    // How late a bypassed output may follow its input.
    static constexpr int kMaxBypassLatency = 4096;
    static constexpr float kBypassTolerance = 1e-4f;

private:
    // What was found on one output at one setting.
    struct Finding {
        std::string port;
        std::string kind;  // groups the findings of the settings
        std::string problem;
        std::string setting;
        bool fatal;
    };
    enum RateResult { kRan, kNoPorts, kNotRun };

    // One server at `sampleRate`, the module run at every buffer size.
    RateResult runAtRate(const CheckContext& context, const JackApi& jack, const std::string& jackd,
                         int sampleRate, CheckOutcome* outcome);
    void recordAt(AudioRig& rig, const std::vector<std::string>& ports, int frames, int sampleRate,
                  HostedModule& module, bool bypassToo);
    void examine(const std::vector<std::string>& ports, const AudioRig::Take& take,
                 const std::string& setting);
    void checkBypass(HostedModule& module, AudioRig& rig, const std::vector<std::string>& ports,
                     const AudioRig::Take& take, int sampleRate);
    void report(CheckOutcome* outcome) const;

    std::vector<Finding> mFindings;
    int mSettings = 0;
    bool mBypassUnsafe = false;
    std::string mWhyNotRun;
    std::string mPortsNote;
    std::string mBypassNote;
};

}  // namespace oxahost

#endif  // OXA_HOST_AUDIO_CHECK_H
