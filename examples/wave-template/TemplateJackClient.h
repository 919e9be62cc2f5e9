// The module's JACK client: "start_client", "activate", "deactivate",
// "tear_down", "transport", "midi:" and the bypass switch arrive here. Set up
// with the word "jack" ("start_client jack"), it also becomes a client of the
// running JACK server, with an input and an output port; its process
// callback halves the input on the output, or passes it through when
// bypassed. CMakeLists.txt links it with ovik_wave_link_jack(), which keeps
// libjack loaded once the module has loaded it.
#ifndef WAVE_TEMPLATE_TEMPLATE_JACK_CLIENT_H
#define WAVE_TEMPLATE_TEMPLATE_JACK_CLIENT_H

#include <jack/jack.h>

#include <atomic>
#include <mutex>
#include <string>

#include "IJackClientInterfaceV2.h"
#include "IOXAInterface.h"
#include "OXAAnswerQueue.h"

namespace wavetemplate {

class TemplateJackClient : public android::IJackClientInterfaceV2 {
public:
    // Answers go through the processing object that owns this client.
    explicit TemplateJackClient(android::IOXAInterface& module)
        : mModule(module), mAnswers(module) {}
    ~TemplateJackClient() override { closeJack(); }

    // argv[0] is the host's client name, then the words of "start_client".
    int setUp(int argc, char** argv) override;
    int tearDown() override;
    int activate() override;
    int deactivate() override;
    int transport(android::TransportType type) override;
    int sendMidi(char* midi) override;
    char* getJackClientName(const char* name) override;
    void setByPassEnabled(bool enabled) override;

private:
    // Connects to the running server (never starts one); the answer that
    // says how that went.
    std::string openJack(const std::string& hostName);
    void closeJack();
    // JACK's real-time thread: no lock, no allocation, no answer but
    // through mAnswers.
    static int process(jack_nframes_t frames, void* self);

    android::IOXAInterface& mModule;
    // What getJackClientName() hands out; valid until the next setUp().
    std::string mName;
    jack_client_t* mJack = nullptr;
    jack_port_t* mInput = nullptr;
    jack_port_t* mOutput = nullptr;
    std::atomic<bool> mBypassed{false};
    // Held while a command changes the client's state. The host does not
    // serialise commands, and a callback of one of this client's answers may
    // send one while another thread waits here for the answering thread: a
    // command that finds it held gives 1 instead of waiting. Never held
    // while answering through mModule.
    std::mutex mStateChange;
    // Your JACK process callback answers through this queue, never through
    // mModule.response(), which waits for the host and Java:
    //   mAnswers.pushText(kAnswerId, "peak -6 dB");  // real-time safe
    // Its delivery thread runs from activate() to deactivate() or tearDown().
    // start() and stop() are safe from any thread, the delivery thread
    // itself included (a Java callback of an answer may send "deactivate").
    android::OXAAnswerQueue<> mAnswers;
};

}  // namespace wavetemplate

#endif  // WAVE_TEMPLATE_TEMPLATE_JACK_CLIENT_H
