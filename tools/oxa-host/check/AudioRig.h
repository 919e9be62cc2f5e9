// The audio check's own JACK clients around the module's: one feeds a known
// signal (a sine of kFeedHz at kFeedAmplitude) to every audio input of the
// module, the other records what each of its audio outputs gives, and the
// fed signal itself in the same cycles (so that a late or skipped cycle of a
// busy machine shifts both alike). Two clients, so that JACK orders them
// feed, module, recorder, and the output of a cycle is the module's answer
// to that cycle's input.
#ifndef OXA_HOST_AUDIO_RIG_H
#define OXA_HOST_AUDIO_RIG_H

#include <stdint.h>

#include <atomic>
#include <string>
#include <vector>

#include "JackApi.h"

namespace oxahost {

class AudioRig {
public:
    static constexpr double kFeedHz = 1000.0;
    static constexpr float kFeedAmplitude = 0.5f;
    // At most this many of the module's outputs are recorded.
    static constexpr int kMaxOutputs = 8;

    struct Ports {
        std::vector<std::string> inputs;
        std::vector<std::string> outputs;
    };
    // What one recording holds: the fed signal and each output, frame by frame.
    struct Take {
        std::vector<float> feed;
        std::vector<std::vector<float>> outputs;
    };

    // `sampleRate` is the server's.
    AudioRig(const JackApi& jack, int sampleRate) : mJack(jack), mSampleRate(sampleRate) {}
    ~AudioRig() { close(); }

    AudioRig(const AudioRig&) = delete;
    AudioRig& operator=(const AudioRig&) = delete;

    // Opens and activates both clients; false with the reason in `why`.
    bool open(std::string* why);
    void close();
    // The audio ports of every client but the server's and the rig's.
    Ports modulePorts();
    // Feeds every input in `ports` and records its first kMaxOutputs outputs.
    bool connect(const Ports& ports, std::string* why);
    bool setBufferSize(int frames);
    // `frames` frames of the feed and of each output, from the start of a
    // cycle; false when they did not come within `timeoutMs`.
    bool record(int frames, int timeoutMs, Take* take);

    // The fed signal at frame time `frame`.
    static float feedAt(uint32_t frame, int sampleRate);

private:
    static int feedCycle(uint32_t frames, void* self);
    static int recordCycle(uint32_t frames, void* self);

    const JackApi& mJack;
    const int mSampleRate;
    JackApi::Client* mFeeder = nullptr;
    JackApi::Client* mRecorder = nullptr;
    JackApi::Port* mFeed = nullptr;
    // The recorder's ports: the feed's first, then one per output.
    std::vector<JackApi::Port*> mTaps;
    int mConnectedOutputs = 0;
    // Written by the recorder's process callback while mRecording is set,
    // in the order of mTaps.
    std::vector<std::vector<float>> mTake;
    size_t mTakeFrames = 0;
    std::atomic<bool> mRecording{false};
};

}  // namespace oxahost

#endif  // OXA_HOST_AUDIO_RIG_H
