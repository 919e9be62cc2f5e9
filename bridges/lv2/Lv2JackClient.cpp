#include "Lv2JackClient.h"

#include <string.h>

#include "Lv2Protocol.h"
#include "MidiText.h"
#include "ValueText.h"

namespace wavelv2 {

namespace {

const char kJackNamePrefix[] = "wave_lv2";
const char kMidiPortName[] = "midi_in";

// Nothing may be thrown into the host: a failure to allocate is a refusal.
template <typename Body>
int guarded(Body body) {
    try {
        return body();
    } catch (...) {
        return 1;
    }
}

}  // namespace

Lv2JackClient::Lv2JackClient(android::IOXAInterface& module, std::mutex& lock, Lv2Plugin& plugin,
                             Lv2Log& log)
    : mModule(module),
      mLock(lock),
      mPlugin(plugin),
      mLog(log),
      mApi(nullptr),
      mClient(nullptr),
      mActive(false),
      mJackName(kJackNamePrefix),
      mMidiInput(nullptr),
      mReportFrames(0),
      mFramesSinceReport(0),
      mAnswers(module) {}

Lv2JackClient::~Lv2JackClient() {
    {
        std::lock_guard<std::mutex> hold(mLock);
        close();
    }
    // Delivers what the callback queued, then joins the delivery thread.
    mAnswers.stop();
}

int Lv2JackClient::answer(int result, const std::string& text) {
    // Errors come with the commands' errors, whatever refused them.
    mModule.response(text.c_str(), result == 0 ? kJackAnswerId : kCommandAnswerId);
    return result;
}

int Lv2JackClient::setUp(int argc, char** argv) {
    return guarded([&] {
        {
            std::lock_guard<std::mutex> hold(mLock);
            mHostName = argc > 0 && argv[0] != nullptr ? argv[0] : "";
            // JACK client names cannot hold ':'.
            mJackName = std::string(kJackNamePrefix) + (mHostName.empty() ? "" : "_" + mHostName);
            for (char& c : mJackName) {
                if (c == ':') c = '_';
            }
        }
        return answer(0, "set up");
    });
}

int Lv2JackClient::tearDown() {
    return guarded([&] {
        bool wasActive = false;
        {
            std::lock_guard<std::mutex> hold(mLock);
            wasActive = mActive;
            mActive = false;
            close();
        }
        // The host calls this once more as it destroys the client: answer only
        // when something was undone.
        return wasActive ? answer(0, "torn down") : 0;
    });
}

int Lv2JackClient::activate() {
    return guarded([&] {
        std::string text;
        {
            std::lock_guard<std::mutex> hold(mLock);
            if (mActive) {
                text = "error: activate: already active";
            } else {
                mActive = true;
                std::string why = "no plugin loaded";
                if (mPlugin.isLoaded() && open(why)) {
                    text = "active " + std::string(mApi->getClientName(mClient)) + " at " +
                           std::to_string(static_cast<long>(mPlugin.sampleRate())) + " Hz";
                } else {
                    text = "active without JACK: " + why;
                }
            }
        }
        return answer(text.rfind("error", 0) == 0 ? 1 : 0, text);
    });
}

bool Lv2JackClient::open(std::string& why) {
    mApi = JackApi::get();
    if (mApi == nullptr) {
        why = "no JACK library (libjack.so.0)";
        return false;
    }
    jack_status_t status = static_cast<jack_status_t>(0);
    mClient = mApi->clientOpen(mJackName.c_str(), JackNoStartServer, &status);
    if (mClient == nullptr) {
        why = "no JACK server";
        return false;
    }
    const double rate = mApi->getSampleRate(mClient);
    if (mApi->getBufferSize(mClient) > Lv2Plugin::kMaxBlock) {
        why = "the JACK period is longer than " + std::to_string(Lv2Plugin::kMaxBlock) + " frames";
    } else if (rate != mPlugin.sampleRate() && !mPlugin.reload(rate, why)) {
        // The plugin is unloaded: it does not run at the server's rate.
    } else if (registerPorts(why) &&
               mApi->setProcessCallback(mClient, &Lv2JackClient::process, this) == 0) {
        mReportFrames = static_cast<jack_nframes_t>(rate / kControlReportsPerSecond);
        mFramesSinceReport = 0;
        mAnswers.start();
        mPlugin.activate();
        mPlugin.worker().start();
        if (mApi->activate(mClient) == 0) return true;
        why = "the JACK server refused to activate the client";
    }
    close();
    return false;
}

bool Lv2JackClient::registerPorts(std::string& why) {
    mControlOutputs.clear();
    for (const PortInfo& port : mPlugin.ports()) {
        if (port.type == PortInfo::kControl && !port.input) mControlOutputs.push_back(port.index);
        if (port.type != PortInfo::kAudio) continue;
        jack_port_t* registered =
            mApi->portRegister(mClient, port.symbol.c_str(), JACK_DEFAULT_AUDIO_TYPE,
                               port.input ? JackPortIsInput : JackPortIsOutput, 0);
        if (registered == nullptr) {
            why = "the JACK server refused the port " + port.symbol;
            return false;
        }
        (port.input ? mInputs : mOutputs).push_back(registered);
    }
    if (mPlugin.hasMidiInput()) {
        mMidiInput =
            mApi->portRegister(mClient, kMidiPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        if (mMidiInput == nullptr) {
            why = "the JACK server refused the MIDI port";
            return false;
        }
    }
    mInputBuffers.assign(mInputs.size(), nullptr);
    mOutputBuffers.assign(mOutputs.size(), nullptr);
    return true;
}

void Lv2JackClient::close() {
    if (mClient != nullptr) {
        // The process callback has ended once deactivate returns.
        mApi->deactivate(mClient);
        mApi->clientClose(mClient);
        mClient = nullptr;
    }
    mPlugin.worker().stop();
    mLog.clearAudioThread();
    // The answer queue's delivery thread runs on until the module goes: it
    // answers Java, whose callback may command the module, so it is never
    // joined while the module's lock is held.
    mInputs.clear();
    mOutputs.clear();
    mMidiInput = nullptr;
}

int Lv2JackClient::deactivate() {
    return guarded([&] {
        bool wasActive = false;
        {
            std::lock_guard<std::mutex> hold(mLock);
            wasActive = mActive;
            mActive = false;
            close();
        }
        if (!wasActive) return answer(1, "error: deactivate: not active");
        return answer(0, "deactivated");
    });
}

int Lv2JackClient::transport(android::TransportType type) {
    return guarded([&] {
        return answer(0, type == android::TRANSPORT_ON ? "transport on" : "transport off");
    });
}

int Lv2JackClient::sendMidi(char* midi) {
    return guarded([&] {
        std::vector<MidiMessage> messages;
        std::string why;
        if (!parseMidiText(midi != nullptr ? midi : "", messages, why)) {
            return answer(1, "error: midi: " + why);
        }
        {
            std::lock_guard<std::mutex> hold(mLock);
            if (!mPlugin.isLoaded() || !mPlugin.hasMidiInput()) {
                why = mPlugin.isLoaded() ? "the plugin has no MIDI input" : "no plugin loaded";
            }
            for (size_t i = 0; why.empty() && i < messages.size(); ++i) {
                if (!mPlugin.queueMidi(messages[i].data(),
                                       static_cast<uint32_t>(messages[i].size())))
                    why = "the MIDI queue is full";
            }
        }
        return why.empty() ? 0 : answer(1, "error: midi: " + why);
    });
}

char* Lv2JackClient::getJackClientName(const char* /*name*/) {
    return &mJackName[0];
}

void Lv2JackClient::setByPassEnabled(bool enabled) {
    guarded([&] {
        mPlugin.setBypass(enabled);
        answer(0, enabled ? "bypass on" : "bypass off");
        return 0;
    });
}

int Lv2JackClient::process(jack_nframes_t frames, void* self) {
    return static_cast<Lv2JackClient*>(self)->processCycle(frames);
}

int Lv2JackClient::processCycle(jack_nframes_t frames) {
    // Real-time thread: no lock, no allocation, no system call; answers go
    // to the queue, never to the host.
    mLog.markAudioThread();
    for (size_t i = 0; i < mInputs.size(); ++i) {
        mInputBuffers[i] = static_cast<const float*>(mApi->portGetBuffer(mInputs[i], frames));
    }
    for (size_t i = 0; i < mOutputs.size(); ++i) {
        mOutputBuffers[i] = static_cast<float*>(mApi->portGetBuffer(mOutputs[i], frames));
    }
    mPlugin.beginBlock();
    if (mMidiInput != nullptr) {
        void* events = mApi->portGetBuffer(mMidiInput, frames);
        const uint32_t count = mApi->midiEventCount(events);
        for (uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (mApi->midiEventGet(&event, events, i) == 0) {
                mPlugin.addMidi(event.time, event.buffer, static_cast<uint32_t>(event.size));
            }
        }
    }
    mPlugin.process(frames, mInputBuffers.data(), mOutputBuffers.data());
    forwardLog();
    reportControls(frames);
    return 0;
}

void Lv2JackClient::forwardLog() {
    char message[Lv2Log::kMessageBytes];
    while (mLog.readAudioMessage(message)) mAnswers.pushText(kLogAnswerId, message);
}

void Lv2JackClient::reportControls(jack_nframes_t frames) {
    mFramesSinceReport += frames;
    if (mFramesSinceReport < mReportFrames) return;
    mFramesSinceReport = 0;
    const std::vector<PortInfo>& ports = mPlugin.ports();
    char text[128];
    for (uint32_t index : mControlOutputs) {
        formatControl(text, sizeof(text), "out ", ports[index].symbol.c_str(),
                      mPlugin.controlAt(index));
        mAnswers.pushText(kControlAnswerId, text);
    }
}

}  // namespace wavelv2
