#include "EchoWave.h"

#include "ModuleCounters.h"

EchoWave::EchoWave() {
    ModuleCounters::objectMade();
}

EchoWave::~EchoWave() {
    ModuleCounters::objectGone();
}

int EchoWave::init() {
    return 0;
}

int EchoWave::sendCommand(const char* command) {
    ModuleCounters::answer(this, command, 1);
    return 0;
}

android::IJackClientInterface* EchoWave::getJackClientInterface() {
    return nullptr;
}

int EchoWave::request(const char* /*what*/, const long /*ext1*/, const long /*capacity*/,
                      size_t& /*usedBytes*/, const void* /*buffer*/) {
    return 1;
}
