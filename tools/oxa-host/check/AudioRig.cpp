#include "AudioRig.h"

#include <math.h>
#include <string.h>

#include <chrono>
#include <thread>

namespace oxahost {

namespace {
const double kTwoPi = 6.283185307179586;
const char kFeederName[] = "oxa_check_feed";
const char kRecorderName[] = "oxa_check_record";
}  // namespace

bool AudioRig::open(std::string* why) {
    int status = 0;
    mFeeder = mJack.clientOpen(kFeederName, JackApi::kNoStartServer, &status);
    mRecorder = mJack.clientOpen(kRecorderName, JackApi::kNoStartServer, &status);
    if (mFeeder == nullptr || mRecorder == nullptr) {
        *why = "the JACK server refused the check's own clients";
        return false;
    }
    const int serverRate = static_cast<int>(mJack.sampleRate(mFeeder));
    if (serverRate != mSampleRate) {
        *why = "the JACK server runs at " + std::to_string(serverRate) + " Hz, not at " +
               std::to_string(mSampleRate) + " Hz";
        return false;
    }
    mFeed = mJack.portRegister(mFeeder, "out", JackApi::kAudioType, JackApi::kPortIsOutput, 0);
    for (int i = 0; i <= kMaxOutputs; ++i) {
        const std::string name = i == 0 ? std::string("feed") : "in_" + std::to_string(i);
        mTaps.push_back(mJack.portRegister(mRecorder, name.c_str(), JackApi::kAudioType,
                                           JackApi::kPortIsInput, 0));
    }
    for (JackApi::Port* tap : mTaps) {
        if (tap == nullptr) mFeed = nullptr;
    }
    if (mFeed == nullptr || mJack.setProcess(mFeeder, feedCycle, this) != 0 ||
        mJack.setProcess(mRecorder, recordCycle, this) != 0 || mJack.activate(mFeeder) != 0 ||
        mJack.activate(mRecorder) != 0) {
        *why = "the JACK server refused the check's own ports";
        return false;
    }
    return true;
}

void AudioRig::close() {
    for (JackApi::Client** client : {&mFeeder, &mRecorder}) {
        if (*client == nullptr) continue;
        mJack.deactivate(*client);
        mJack.clientClose(*client);
        *client = nullptr;
    }
}

AudioRig::Ports AudioRig::modulePorts() {
    Ports ports;
    const char** names = mJack.getPorts(mFeeder, nullptr, JackApi::kAudioType, 0);
    if (names == nullptr) return ports;
    for (const char** name = names; *name != nullptr; ++name) {
        const std::string text = *name;
        const std::string client = text.substr(0, text.find(':'));
        if (client == "system" || client == kFeederName || client == kRecorderName) continue;
        JackApi::Port* port = mJack.portByName(mFeeder, *name);
        if (port == nullptr) continue;
        const unsigned long flags = static_cast<unsigned long>(mJack.portFlags(port));
        if ((flags & JackApi::kPortIsInput) != 0) ports.inputs.push_back(text);
        if ((flags & JackApi::kPortIsOutput) != 0) ports.outputs.push_back(text);
    }
    mJack.free(names);
    return ports;
}

bool AudioRig::connect(const Ports& ports, std::string* why) {
    if (mJack.connect(mFeeder, mJack.portName(mFeed), mJack.portName(mTaps[0])) != 0) {
        *why = "cannot record the check's own signal";
        return false;
    }
    for (const std::string& input : ports.inputs) {
        if (mJack.connect(mFeeder, mJack.portName(mFeed), input.c_str()) != 0) {
            *why = "cannot connect the check's signal to " + input;
            return false;
        }
    }
    mConnectedOutputs = 0;
    for (const std::string& output : ports.outputs) {
        if (mConnectedOutputs == kMaxOutputs) break;
        if (mJack.connect(mRecorder, output.c_str(),
                          mJack.portName(mTaps[mConnectedOutputs + 1])) != 0) {
            *why = "cannot record " + output;
            return false;
        }
        ++mConnectedOutputs;
    }
    return true;
}

bool AudioRig::setBufferSize(int frames) {
    if (mJack.setBufferSize(mFeeder, static_cast<uint32_t>(frames)) != 0) return false;
    return static_cast<int>(mJack.bufferSize(mFeeder)) == frames;
}

bool AudioRig::record(int frames, int timeoutMs, Take* take) {
    mTake.assign(static_cast<size_t>(mConnectedOutputs) + 1,
                 std::vector<float>(static_cast<size_t>(frames), 0.0f));
    mTakeFrames = 0;
    mRecording = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (mRecording && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (mRecording.exchange(false)) return false;
    take->feed = mTake[0];
    take->outputs.assign(mTake.begin() + 1, mTake.end());
    return true;
}

float AudioRig::feedAt(uint32_t frame, int sampleRate) {
    // The phase from the frame time modulo a whole number of periods keeps
    // its precision however long the server runs.
    const uint32_t period = static_cast<uint32_t>(sampleRate);
    const double phase = kTwoPi * kFeedHz * static_cast<double>(frame % period) / sampleRate;
    return kFeedAmplitude * static_cast<float>(sin(phase));
}

int AudioRig::feedCycle(uint32_t frames, void* self) {
    AudioRig* rig = static_cast<AudioRig*>(self);
    float* out = static_cast<float*>(rig->mJack.portBuffer(rig->mFeed, frames));
    const uint32_t start = rig->mJack.lastFrameTime(rig->mFeeder);
    for (uint32_t i = 0; i < frames; ++i) out[i] = feedAt(start + i, rig->mSampleRate);
    return 0;
}

int AudioRig::recordCycle(uint32_t frames, void* self) {
    AudioRig* rig = static_cast<AudioRig*>(self);
    if (!rig->mRecording.load(std::memory_order_acquire)) return 0;
    const size_t wanted = rig->mTake[0].size() - rig->mTakeFrames;
    const size_t copied = wanted < frames ? wanted : frames;
    for (size_t i = 0; i < rig->mTake.size(); ++i) {
        const float* in = static_cast<const float*>(rig->mJack.portBuffer(rig->mTaps[i], frames));
        memcpy(rig->mTake[i].data() + rig->mTakeFrames, in, copied * sizeof(float));
    }
    rig->mTakeFrames += copied;
    if (rig->mTakeFrames == rig->mTake[0].size()) {
        rig->mRecording.store(false, std::memory_order_release);
    }
    return 0;
}

}  // namespace oxahost
