#include "TemplateWave.h"

#include <string.h>

#include <string>

namespace wavetemplate {

TemplateWave::TemplateWave() : mJackClient(*this) {}

int TemplateWave::init() {
    response("template ready", kAnswerId);
    return 0;
}

int TemplateWave::sendCommand(const char* command) {
    if (strcmp(command, "hello") == 0) {
        response("hello from the template", kAnswerId);
        return 0;
    }
    response((std::string("unknown command: ") + command).c_str(), kAnswerId);
    return 1;
}

android::IJackClientInterface* TemplateWave::getJackClientInterface() {
    return &mJackClient;
}

int TemplateWave::request(const char* what, const long /*ext1*/, const long capacity,
                          size_t& usedBytes, const void* buffer) {
    if (strcmp(what, "zeros") != 0) return 1;
    memset(const_cast<void*>(buffer), 0, static_cast<size_t>(capacity));
    usedBytes = static_cast<size_t>(capacity);
    return 0;
}

int TemplateWave::sendStream(const void* /*stream*/, const long streamLen, const int /*id*/) {
    response(("stream of " + std::to_string(streamLen) + " bytes").c_str(), kAnswerId);
    return 0;
}

}  // namespace wavetemplate
