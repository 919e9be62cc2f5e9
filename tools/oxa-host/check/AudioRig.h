// The audio check's own JACK clients around the module's: one feeds a known
// signal (a sine of kFeedHz at kFeedAmplitude) to every audio input of the
// module, the other records what each of its audio outputs gives. Two
// clients, so that JACK orders them feed, module, recorder, and the output
// of a cycle is the module's answer to that cycle's input.
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
    // `frames` frames of each output recorded, from the start of a cycle;
    // empty when they did not come within `timeoutMs`. `startFrame` is the
    // frame time of the first.
    std::vector<std::vector<float>> record(int frames, int timeoutMs, uint32_t* startFrame);

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
    std::vector<JackApi::Port*> mTaps;
    int mConnectedOutputs = 0;
    // Written by the recorder's process callback while mRecording is set.
    std::vector<std::vector<float>> mTake;
    size_t mTakeFrames = 0;
    uint32_t mTakeStart = 0;
    std::atomic<bool> mRecording{false};
};

}  // namespace oxahost

#endif  // OXA_HOST_AUDIO_RIG_H
