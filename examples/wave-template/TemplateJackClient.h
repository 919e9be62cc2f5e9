// The module's JACK client: "start_client", "activate", "deactivate",
// "tear_down", "transport", "midi:" and the bypass switch arrive here.
#ifndef WAVE_TEMPLATE_TEMPLATE_JACK_CLIENT_H
#define WAVE_TEMPLATE_TEMPLATE_JACK_CLIENT_H

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
    android::IOXAInterface& mModule;
    // What getJackClientName() hands out; valid until the next setUp().
    std::string mName;
    // Your JACK process callback answers through this queue, never through
    // mModule.response(), which waits for the host and Java:
    //   mAnswers.pushText(kAnswerId, "peak -6 dB");  // real-time safe
    // Its delivery thread runs from activate() to deactivate() or tearDown().
    // The host may send commands from several threads at once, and a Java
    // callback of one of your answers may send "deactivate" on the very
    // thread that answered: start() and stop() are safe for both. Hold no
    // lock of your own across them that your answers' callbacks may need.
    android::OXAAnswerQueue<> mAnswers;
};

}  // namespace wavetemplate

#endif  // WAVE_TEMPLATE_TEMPLATE_JACK_CLIENT_H
