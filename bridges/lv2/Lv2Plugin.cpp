#include "Lv2Plugin.h"

#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <string.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "KnownFaults.h"

namespace wavelv2 {

namespace {

// Room of each atom port's buffer, its header included.
const uint32_t kSequenceBytes = 8192;
// The longest MIDI message queueMidi() takes.
const uint32_t kMaxMidiBytes = 256;
const uint32_t kMidiQueueBytes = 16384;
const uint32_t kNominalBlock = 128;

enum RunState { kIdle = 0, kInBlock = 1, kPaused = 2 };

}  // namespace

// One atom port's buffer: an LV2 atom sequence, 8-byte aligned.
struct Lv2Plugin::Sequence {
    explicit Sequence(bool isInput) : input(isInput), words(kSequenceBytes / sizeof(uint64_t)) {}
    LV2_Atom_Sequence* get() { return reinterpret_cast<LV2_Atom_Sequence*>(words.data()); }
    // Bytes after the atom header.
    static uint32_t capacity() { return kSequenceBytes - sizeof(LV2_Atom); }

    bool input;
    std::vector<uint64_t> words;
};

Lv2Plugin::Lv2Plugin(Lv2World& world, UridMap& urids, Lv2Log& log)
    : mWorld(world),
      mFeatures(urids, log, mWorker),
      mMidiEventType(urids.map(LV2_MIDI__MidiEvent)),
      mSequenceType(urids.map(LV2_ATOM__Sequence)),
      mChunkType(urids.map(LV2_ATOM__Chunk)),
      mPlugin(nullptr),
      mInstance(nullptr),
      mSampleRate(0.0),
      mSilence(kMaxBlock, 0.0f),
      mScratch(kMaxBlock, 0.0f),
      mMidiQueue(kMidiQueueBytes) {}

Lv2Plugin::~Lv2Plugin() {
    unload();
}

const PortInfo* Lv2Plugin::port(const std::string& symbol) const {
    for (const PortInfo& info : mPorts) {
        if (info.symbol == symbol) return &info;
    }
    return nullptr;
}

namespace {

bool checkFeatures(const std::string& uri, const LilvPlugin* plugin, std::string& why) {
    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    std::string missing;
    LILV_FOREACH(nodes, i, required) {
        const char* feature = lilv_node_as_uri(lilv_nodes_get(required, i));
        if (!Lv2Features::provides(feature)) {
            missing += (missing.empty() ? "" : " ") + std::string(feature);
        }
    }
    lilv_nodes_free(required);
    if (missing.empty()) return true;
    why = uri + " requires features the bridge does not provide: " + missing;
    return false;
}

bool checkPorts(const std::string& uri, const std::vector<PortInfo>& ports, std::string& why) {
    for (const PortInfo& info : ports) {
        if (info.type != PortInfo::kUnknown || info.optional) continue;
        why = uri + " has port " + std::to_string(info.index) + " (" + info.symbol +
              ") of a type the bridge does not support";
        return false;
    }
    return true;
}

}  // namespace

bool Lv2Plugin::load(const std::string& uri, double sampleRate, std::string& why) {
    const LilvPlugin* plugin = mWorld.find(uri);
    if (plugin == nullptr) {
        why = "no installed plugin " + uri;
        return false;
    }
    if (const char* fault = knownFault(uri)) {
        why = uri + " is refused: " + fault;
        return false;
    }
    std::vector<PortInfo> ports = readPorts(mWorld, plugin);
    if (!checkFeatures(uri, plugin, why) || !checkPorts(uri, ports, why)) return false;
    unload();
    mPlugin = plugin;
    mUri = uri;
    mPorts = std::move(ports);
    for (PortInfo& info : mPorts) info.scaleTo(sampleRate, 1.0);
    setUpBuffers();
    mSampleRate = sampleRate;
    if (!instantiate(why)) {
        unload();
        return false;
    }
    return true;
}

void Lv2Plugin::setUpBuffers() {
    const size_t count = mPorts.size();
    mControlShared.reset(new std::atomic<float>[count]);
    mControlBuffers.assign(count, 0.0f);
    mSequenceOfPort.assign(count, -1);
    for (const PortInfo& info : mPorts) {
        mControlShared[info.index].store(
            info.type == PortInfo::kControl && info.input ? info.initialValue() : 0.0f);
        if (info.type == PortInfo::kAudio)
            (info.input ? mAudioIn : mAudioOut).push_back(info.index);
        if (info.type == PortInfo::kControl) {
            (info.input ? mControlIn : mControlOut).push_back(info.index);
        }
        if (info.type == PortInfo::kMidi || info.type == PortInfo::kAtom) {
            if (info.type == PortInfo::kMidi && info.input) mMidiIn.push_back(info.index);
            mSequenceOfPort[info.index] = static_cast<int>(mSequences.size());
            mSequences.emplace_back(new Sequence(info.input));
        }
    }
}

bool Lv2Plugin::instantiate(std::string& why) {
    mFeatures.setBlockAndRate(kMaxBlock, kNominalBlock, static_cast<float>(mSampleRate));
    mInstance = lilv_plugin_instantiate(mPlugin, mSampleRate, mFeatures.list());
    if (mInstance == nullptr) {
        why = "instantiating " + mUri + " at " + std::to_string(static_cast<long>(mSampleRate)) +
              " Hz failed";
        return false;
    }
    mWorker.attach(lilv_instance_get_handle(mInstance),
                   static_cast<const LV2_Worker_Interface*>(
                       lilv_instance_get_extension_data(mInstance, LV2_WORKER__interface)));
    connectPorts();
    mConnectedIn.assign(mAudioIn.size(), nullptr);
    mConnectedOut.assign(mAudioOut.size(), nullptr);
    resetSequences();
    mActive = false;
    return true;
}

void Lv2Plugin::activate() {
    if (mInstance == nullptr || mActive) return;
    for (uint32_t index : mControlIn) {
        mControlBuffers[index] = mControlShared[index].load(std::memory_order_relaxed);
    }
    lilv_instance_activate(mInstance);
    mActive = true;
}

void Lv2Plugin::freeInstance() {
    if (mInstance == nullptr) return;
    // Some plugins free in cleanup() what their activate() made, whether or
    // not it ran (swh's IIR filters crash otherwise), as hosts that activate
    // at once never notice: an instance is freed active.
    activate();
    lilv_instance_deactivate(mInstance);
    mActive = false;
    lilv_instance_free(mInstance);
    mInstance = nullptr;
}

bool Lv2Plugin::reload(double sampleRate, std::string& why) {
    if (mInstance == nullptr) {
        why = "no plugin loaded";
        return false;
    }
    mWorker.stop();
    mWorker.attach(nullptr, nullptr);
    freeInstance();
    for (PortInfo& info : mPorts) info.scaleTo(sampleRate, mSampleRate);
    mSampleRate = sampleRate;
    if (instantiate(why)) return true;
    unload();
    return false;
}

void Lv2Plugin::unload() {
    mWorker.stop();
    mWorker.attach(nullptr, nullptr);
    freeInstance();
    mPlugin = nullptr;
    mUri.clear();
    mPorts.clear();
    mControlShared.reset();
    mControlBuffers.clear();
    mAudioIn.clear();
    mAudioOut.clear();
    mMidiIn.clear();
    mControlIn.clear();
    mControlOut.clear();
    mSequences.clear();
    mSequenceOfPort.clear();
    mMidiQueue.clear();
}

void Lv2Plugin::connectPorts() {
    for (const PortInfo& info : mPorts) {
        void* buffer = nullptr;
        switch (info.type) {
            case PortInfo::kControl:
                buffer = &mControlBuffers[info.index];
                break;
            case PortInfo::kMidi:
            case PortInfo::kAtom:
                buffer = mSequences[mSequenceOfPort[info.index]]->get();
                break;
            case PortInfo::kCv:
                buffer = info.input ? mSilence.data() : mScratch.data();
                break;
            case PortInfo::kAudio:  // connected for each block
            case PortInfo::kUnknown:
                break;
        }
        lilv_instance_connect_port(mInstance, info.index, buffer);
    }
}

bool Lv2Plugin::setControl(const std::string& symbol, float value, float& applied,
                           std::string& why) {
    const PortInfo* info = port(symbol);
    if (info == nullptr || info->type != PortInfo::kControl || !info->input) {
        why = "no control input " + symbol;
        return false;
    }
    if (std::isnan(value)) {
        why = "NaN refused for " + symbol;
        return false;
    }
    applied = info->clamp(value);
    mControlShared[info->index].store(applied, std::memory_order_relaxed);
    return true;
}

bool Lv2Plugin::control(const std::string& symbol, float& value) const {
    const PortInfo* info = port(symbol);
    if (info == nullptr || info->type != PortInfo::kControl) return false;
    value = controlAt(info->index);
    return true;
}

float Lv2Plugin::controlAt(uint32_t index) const {
    return mControlShared[index].load(std::memory_order_relaxed);
}

bool Lv2Plugin::queueMidi(const uint8_t* bytes, uint32_t size) {
    if (size == 0 || size > kMaxMidiBytes) return false;
    std::lock_guard<std::mutex> hold(mMidiWriters);
    return mMidiQueue.write(bytes, size);
}

void Lv2Plugin::resetSequences() {
    for (const std::unique_ptr<Sequence>& sequence : mSequences) {
        LV2_Atom_Sequence* atoms = sequence->get();
        if (sequence->input) {
            atoms->atom.size = sizeof(LV2_Atom_Sequence_Body);
            atoms->atom.type = mSequenceType;
        } else {
            // An output's size is the room the plugin may fill.
            atoms->atom.size = Sequence::capacity();
            atoms->atom.type = mChunkType;
        }
        atoms->body.unit = 0;
        atoms->body.pad = 0;
    }
}

void Lv2Plugin::appendEvent(Sequence& sequence, uint32_t frame, const uint8_t* bytes,
                            uint32_t size) {
    LV2_Atom_Sequence* atoms = sequence.get();
    const uint32_t padded = lv2_atom_pad_size(sizeof(LV2_Atom_Event) + size);
    if (atoms->atom.size + padded > Sequence::capacity()) return;
    uint8_t* end = reinterpret_cast<uint8_t*>(&atoms->body) + atoms->atom.size;
    LV2_Atom_Event* event = reinterpret_cast<LV2_Atom_Event*>(end);
    event->time.frames = frame;
    event->body.size = size;
    event->body.type = mMidiEventType;
    memcpy(event + 1, bytes, size);
    atoms->atom.size += padded;
}

void Lv2Plugin::beginBlock() {
    resetSequences();
    uint8_t message[kMaxMidiBytes];
    for (;;) {
        const uint32_t size = mMidiQueue.read(message, sizeof(message));
        if (size == 0) break;
        addMidi(0, message, size);
    }
}

bool Lv2Plugin::addMidi(uint32_t frame, const uint8_t* bytes, uint32_t size) {
    if (mMidiIn.empty()) return false;
    appendEvent(*mSequences[mSequenceOfPort[mMidiIn[0]]], frame, bytes, size);
    return true;
}

void Lv2Plugin::process(uint32_t frames, const float* const* inputs, float* const* outputs) {
    int expected = kIdle;
    if (mInstance == nullptr || !mActive || frames > kMaxBlock ||
        !mRunState.compare_exchange_strong(expected, kInBlock, std::memory_order_acquire)) {
        for (uint32_t i = 0; i < mAudioOut.size(); ++i)
            memset(outputs[i], 0, frames * sizeof(float));
        return;
    }
    if (mBypassed.load(std::memory_order_relaxed)) {
        bypass(frames, inputs, outputs);
    } else {
        processPlugin(frames, inputs, outputs);
    }
    mRunState.store(kIdle, std::memory_order_release);
}

void Lv2Plugin::processPlugin(uint32_t frames, const float* const* inputs, float* const* outputs) {
    for (uint32_t index : mControlIn) {
        mControlBuffers[index] = mControlShared[index].load(std::memory_order_relaxed);
    }
    // JACK hands out the same buffers period after period: connect only
    // what moved.
    for (uint32_t i = 0; i < mAudioIn.size(); ++i) {
        if (mConnectedIn[i] == inputs[i]) continue;
        lilv_instance_connect_port(mInstance, mAudioIn[i], const_cast<float*>(inputs[i]));
        mConnectedIn[i] = inputs[i];
    }
    for (uint32_t i = 0; i < mAudioOut.size(); ++i) {
        if (mConnectedOut[i] == outputs[i]) continue;
        lilv_instance_connect_port(mInstance, mAudioOut[i], outputs[i]);
        mConnectedOut[i] = outputs[i];
    }
    lilv_instance_run(mInstance, frames);
    mWorker.endRun();
    for (uint32_t index : mControlOut) {
        mControlShared[index].store(mControlBuffers[index], std::memory_order_relaxed);
    }
}

void Lv2Plugin::bypass(uint32_t frames, const float* const* inputs, float* const* outputs) {
    for (uint32_t i = 0; i < mAudioOut.size(); ++i) {
        if (i < mAudioIn.size()) {
            memmove(outputs[i], inputs[i], frames * sizeof(float));
        } else {
            memset(outputs[i], 0, frames * sizeof(float));
        }
    }
}

Lv2Plugin::Pause::Pause(Lv2Plugin& plugin) : mPlugin(plugin) {
    for (;;) {
        int expected = kIdle;
        if (mPlugin.mRunState.compare_exchange_weak(expected, kPaused, std::memory_order_acquire))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

Lv2Plugin::Pause::~Pause() {
    mPlugin.mRunState.store(kIdle, std::memory_order_release);
}

}  // namespace wavelv2
