// The processing core: one instantiated plugin with its buffers, run block by
// block. The JACK client's process callback, offline processing and the
// benchmark all drive a plugin through it.
//
// Threads. load(), reload() and unload() on one ordinary thread at a time,
// never while a block is processed (the module stops its JACK client first).
// setControl(), control() and queueMidi() from any ordinary thread. The block
// calls (beginBlock(), addMidi(), process()) on one thread at a time, the
// audio thread: they neither allocate, lock nor wait. An ordinary thread that
// must call the plugin itself (state, presets) holds a Pause meanwhile: the
// audio thread's blocks then give silence.
#ifndef WAVE_LV2_LV2_PLUGIN_H
#define WAVE_LV2_LV2_PLUGIN_H

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <stdint.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ByteRing.h"
#include "Lv2Features.h"
#include "Lv2Log.h"
#include "Lv2Worker.h"
#include "Lv2World.h"
#include "PortInfo.h"
#include "UridMap.h"

namespace wavelv2 {

class Lv2Plugin {
public:
    // The longest block process() takes.
    static const uint32_t kMaxBlock = 4096;

    Lv2Plugin(Lv2World& world, UridMap& urids, Lv2Log& log);
    ~Lv2Plugin();

    Lv2Plugin(const Lv2Plugin&) = delete;
    Lv2Plugin& operator=(const Lv2Plugin&) = delete;

    // Instantiates and activates the plugin `uri` at `sampleRate`, its
    // controls at their defaults. False with the reason in `why` (unknown
    // URI, a plugin known to harm the process, a required feature or a port
    // the bridge lacks: the plugin loaded
    // before stays; a failed instantiation: it is gone).
    bool load(const std::string& uri, double sampleRate, std::string& why);
    // The same plugin again at another rate, its control values kept.
    bool reload(double sampleRate, std::string& why);
    void unload();
    // Activates the plugin before its first block, with the control values
    // set by then (a plugin may read them in its activate()); an ordinary
    // thread calls it, before it processes or starts the audio thread.
    // Harmless when active. Blocks before it give silence.
    void activate();

    bool isLoaded() const { return mInstance != nullptr; }
    const std::string& uri() const { return mUri; }
    const LilvPlugin* plugin() const { return mPlugin; }
    LilvInstance* instance() const { return mInstance; }
    double sampleRate() const { return mSampleRate; }
    const std::vector<PortInfo>& ports() const { return mPorts; }
    const LV2_Feature* const* features() const { return mFeatures.list(); }
    uint32_t audioInputs() const { return static_cast<uint32_t>(mAudioIn.size()); }
    uint32_t audioOutputs() const { return static_cast<uint32_t>(mAudioOut.size()); }
    bool hasMidiInput() const { return !mMidiIn.empty(); }
    // The port of a symbol, or null.
    const PortInfo* port(const std::string& symbol) const;

    // A control input, clamped to its range; false for NaN or a symbol that
    // is no control input. `applied` is the value set.
    bool setControl(const std::string& symbol, float value, float& applied, std::string& why);
    // A control input's value as set, or a control output's after the last
    // block. False for a symbol that is no control port.
    bool control(const std::string& symbol, float& value) const;
    // The value of the control port at `index` (as control()).
    float controlAt(uint32_t index) const;

    // Any ordinary thread: a MIDI message for the next block, at its start.
    bool queueMidi(const uint8_t* bytes, uint32_t size);
    void setBypass(bool bypassed) { mBypassed.store(bypassed, std::memory_order_relaxed); }
    bool isBypassed() const { return mBypassed.load(std::memory_order_relaxed); }
    // Hands the plugin's work to a thread (real time) or does it at once.
    Lv2Worker& worker() { return mWorker; }

    // The audio thread, per block: beginBlock(), then the block's MIDI
    // events in time order, then process() with audioInputs() input and
    // audioOutputs() output buffers of `frames` (at most kMaxBlock) each.
    void beginBlock();
    bool addMidi(uint32_t frame, const uint8_t* bytes, uint32_t size);
    void process(uint32_t frames, const float* const* inputs, float* const* outputs);

    // Keeps the audio thread out of the plugin while it lives.
    class Pause {
    public:
        explicit Pause(Lv2Plugin& plugin);
        ~Pause();

    private:
        Lv2Plugin& mPlugin;
    };

private:
    struct Sequence;
    void setUpBuffers();
    void freeInstance();
    bool instantiate(std::string& why);
    void connectPorts();
    void resetSequences();
    void appendEvent(Sequence& sequence, uint32_t frame, const uint8_t* bytes, uint32_t size);
    void processPlugin(uint32_t frames, const float* const* inputs, float* const* outputs);
    void bypass(uint32_t frames, const float* const* inputs, float* const* outputs);

    Lv2World& mWorld;
    Lv2Worker mWorker;
    Lv2Features mFeatures;
    LV2_URID mMidiEventType;
    LV2_URID mSequenceType;
    LV2_URID mChunkType;

    std::string mUri;
    const LilvPlugin* mPlugin;
    LilvInstance* mInstance;
    double mSampleRate;
    std::vector<PortInfo> mPorts;
    // Per port index: what an ordinary thread set (inputs) or the audio
    // thread read after a block (outputs), and the plugin's own buffer.
    std::unique_ptr<std::atomic<float>[]> mControlShared;
    std::vector<float> mControlBuffers;
    std::vector<uint32_t> mAudioIn, mAudioOut, mMidiIn, mControlIn, mControlOut;
    // The audio buffers the instance was last given, per audio port.
    std::vector<const float*> mConnectedIn;
    std::vector<float*> mConnectedOut;
    std::vector<std::unique_ptr<Sequence>> mSequences;  // per atom port
    std::vector<int> mSequenceOfPort;
    std::vector<float> mSilence;
    std::vector<float> mScratch;

    std::mutex mMidiWriters;
    ByteRing mMidiQueue;
    bool mActive = false;
    std::atomic<bool> mBypassed{false};
    // 0 idle, 1 in a block, 2 paused.
    std::atomic<int> mRunState{0};
};

}  // namespace wavelv2

#endif  // WAVE_LV2_LV2_PLUGIN_H
