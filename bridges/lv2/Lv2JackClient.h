// The bridge's JACK client (version 2). "activate" makes the module a client
// of the running JACK server with an input or output port for each audio
// port of the loaded plugin and a MIDI input where the plugin has one, and
// runs the plugin in the process callback; "deactivate" closes it again.
// Without a plugin or a server the module is active all the same, without
// JACK, and says why: it then processes offline only.
// The process callback answers the plugin's control outputs ten times a
// second, and what the plugin logs, through the kit's answer queue.
//
// The host calls this object from any Java thread; it shares the module's
// lock with the processing object and answers only once it is released. The
// answer queue's delivery thread starts with the first JACK activation and
// ends with the module.
#ifndef WAVE_LV2_LV2_JACK_CLIENT_H
#define WAVE_LV2_LV2_JACK_CLIENT_H

#include <jack/jack.h>

#include <mutex>
#include <string>
#include <vector>

#include "IJackClientInterfaceV2.h"
#include "IOXAInterface.h"
#include "JackApi.h"
#include "Lv2Log.h"
#include "Lv2Plugin.h"
#include "OXAAnswerQueue.h"

namespace wavelv2 {

class Lv2JackClient : public android::IJackClientInterfaceV2 {
public:
    Lv2JackClient(android::IOXAInterface& module, std::mutex& lock, Lv2Plugin& plugin, Lv2Log& log);
    ~Lv2JackClient() override;

    int setUp(int argc, char** argv) override;
    int tearDown() override;
    int activate() override;
    int deactivate() override;
    int transport(android::TransportType type) override;
    // "midi:90 45 64": hexadecimal bytes for the plugin's MIDI input.
    int sendMidi(char* midi) override;
    char* getJackClientName(const char* name) override;
    void setByPassEnabled(bool enabled) override;

    // With the module's lock held: whether the process callback runs the
    // plugin.
    bool runsPlugin() const { return mClient != nullptr; }

private:
    typedef android::OXAAnswerQueue<> Answers;

    int answer(int result, const std::string& text);
    bool open(std::string& why);
    bool registerPorts(std::string& why);
    void close();
    static int process(jack_nframes_t frames, void* self);
    int processCycle(jack_nframes_t frames);
    void reportControls(jack_nframes_t frames);
    void forwardLog();

    android::IOXAInterface& mModule;
    std::mutex& mLock;
    Lv2Plugin& mPlugin;
    Lv2Log& mLog;
    const JackApi* mApi;
    jack_client_t* mClient;
    bool mActive;
    std::string mHostName;
    std::string mJackName;
    std::vector<jack_port_t*> mInputs;
    std::vector<jack_port_t*> mOutputs;
    jack_port_t* mMidiInput;
    // The process callback's buffers, filled each cycle.
    std::vector<const float*> mInputBuffers;
    std::vector<float*> mOutputBuffers;
    std::vector<uint32_t> mControlOutputs;
    jack_nframes_t mReportFrames;
    jack_nframes_t mFramesSinceReport;
    // Declared last: its delivery thread calls the module, and goes first.
    Answers mAnswers;
};

}  // namespace wavelv2

#endif  // WAVE_LV2_LV2_JACK_CLIENT_H
