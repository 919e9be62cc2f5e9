#include "TemplateJackClient.h"

#include "TemplateWave.h"

namespace wavetemplate {

int TemplateJackClient::setUp(int argc, char** argv) {
    mName = std::string("wave_template:") + (argc > 0 ? argv[0] : "");
    mModule.response("set up", kAnswerId);
    return 0;
}

int TemplateJackClient::tearDown() {
    mAnswers.stop();
    return 0;
}

int TemplateJackClient::activate() {
    mAnswers.start();
    mModule.response("active", kAnswerId);
    return 0;
}

int TemplateJackClient::deactivate() {
    // Delivers what the process callback queued, then joins the thread.
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

void TemplateJackClient::setByPassEnabled(bool /*enabled*/) {}

}  // namespace wavetemplate
