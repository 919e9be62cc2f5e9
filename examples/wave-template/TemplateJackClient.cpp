#include "TemplateJackClient.h"

#include <algorithm>

#include "TemplateWave.h"

namespace wavetemplate {

int TemplateJackClient::setUp(int argc, char** argv) {
    std::string jackAnswer;
    {
        std::unique_lock<std::mutex> changing(mStateChange, std::try_to_lock);
        if (!changing.owns_lock()) return 1;
        const std::string hostName = argc > 0 ? argv[0] : "";
        mName = "wave_template:" + hostName;
        closeJack();
        if (argc > 1 && std::find(argv + 1, argv + argc, std::string("jack")) != argv + argc) {
            jackAnswer = openJack(hostName);
        }
    }
    mModule.response("set up", kAnswerId);
    if (!jackAnswer.empty()) mModule.response(jackAnswer.c_str(), kAnswerId);
    return 0;
}

std::string TemplateJackClient::openJack(const std::string& hostName) {
    // JACK client names cannot hold ':'.
    const std::string name = "wave_template_" + hostName;
    jack_status_t status = static_cast<jack_status_t>(0);
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client == nullptr) return "jack: no JACK server";
    mInput = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    mOutput = jack_port_register(client, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (mInput == nullptr || mOutput == nullptr ||
        jack_set_process_callback(client, &TemplateJackClient::process, this) != 0) {
        jack_client_close(client);
        mInput = mOutput = nullptr;
        return "jack: the server refused the ports";
    }
    mJack = client;
    return std::string("jack: ") + jack_get_client_name(client);
}

void TemplateJackClient::closeJack() {
    if (mJack == nullptr) return;
    // Closing deactivates the client first: the process callback has ended.
    jack_client_close(mJack);
    mJack = nullptr;
    mInput = mOutput = nullptr;
}

int TemplateJackClient::process(jack_nframes_t frames, void* self) {
    TemplateJackClient& client = *static_cast<TemplateJackClient*>(self);
    const float* in = static_cast<const float*>(jack_port_get_buffer(client.mInput, frames));
    float* out = static_cast<float*>(jack_port_get_buffer(client.mOutput, frames));
    const float gain = client.mBypassed.load(std::memory_order_relaxed) ? 1.0f : 0.5f;
    for (jack_nframes_t i = 0; i < frames; ++i) out[i] = gain * in[i];
    return 0;
}

int TemplateJackClient::tearDown() {
    // Called for "tear_down" and once more when the host destroys the
    // client: harmless in any state.
    std::unique_lock<std::mutex> changing(mStateChange, std::try_to_lock);
    if (!changing.owns_lock()) return 1;
    closeJack();
    mAnswers.stop();
    return 0;
}

int TemplateJackClient::activate() {
    {
        std::unique_lock<std::mutex> changing(mStateChange, std::try_to_lock);
        if (!changing.owns_lock()) return 1;
        mAnswers.start();
        if (mJack != nullptr && jack_activate(mJack) != 0) {
            mAnswers.stop();
            return 1;
        }
    }
    mModule.response("active", kAnswerId);
    return 0;
}

int TemplateJackClient::deactivate() {
    std::unique_lock<std::mutex> changing(mStateChange, std::try_to_lock);
    if (!changing.owns_lock()) return 1;
    // The process callback has ended when jack_deactivate() returns; the
    // queue delivers what it pushed, then its thread is joined (or, called
    // on that thread, ends right after the current answer).
    if (mJack != nullptr) jack_deactivate(mJack);
    mAnswers.stop();
    return 0;
}

int TemplateJackClient::transport(android::TransportType /*type*/) {
    return 0;
}

int TemplateJackClient::sendMidi(char* /*midi*/) {
    return 0;
}

char* TemplateJackClient::getJackClientName(const char* /*name*/) {
    return &mName[0];
}

void TemplateJackClient::setByPassEnabled(bool enabled) {
    mBypassed = enabled;
}

}  // namespace wavetemplate
