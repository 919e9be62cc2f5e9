#include "CommandEchoWave.h"

#include "ModuleCounters.h"

CommandEchoWave::CommandEchoWave() {
    ModuleCounters::objectMade();
}

CommandEchoWave::~CommandEchoWave() {
    ModuleCounters::objectGone();
}

int CommandEchoWave::init() {
    return 0;
}

int CommandEchoWave::sendCommand(const char* command) {
    ModuleCounters::answer(this, command, 1);
    return 0;
}

android::IJackClientInterface* CommandEchoWave::getJackClientInterface() {
    return nullptr;
}

int CommandEchoWave::request(const char* /*what*/, const long /*ext1*/, const long /*capacity*/,
                             size_t& /*usedBytes*/, const void* /*buffer*/) {
    return 1;
}
