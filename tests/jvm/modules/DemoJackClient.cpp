#include "DemoJackClient.h"

DemoJackClient::DemoJackClient(android::IOXAInterface* wave) : mWave(wave), mHasName(false) {}

DemoJackClient::~DemoJackClient() = default;

int DemoJackClient::setUp(int argc, char** argv) {
    std::string text = "setUp";
    for (int i = 0; i < argc; ++i) text += " " + std::string(argv[i]);
    mWave->response(text.c_str(), 1);
    return 0;
}

int DemoJackClient::tearDown() {
    mLevelThread.reset();
    if (!mFarewell.empty()) mWave->response(mFarewell.c_str(), 6);
    return 0;
}

int DemoJackClient::activate() {
    mLevelThread.reset(new AnswerThread(mWave, 2, "level 3", 1, std::chrono::microseconds(0)));
    return 0;
}

int DemoJackClient::deactivate() {
    mLevelThread.reset();
    return 0;
}

int DemoJackClient::transport(android::TransportType type) {
    mWave->response(type == android::TRANSPORT_ON ? "transport on" : "transport off", 1);
    return 0;
}

int DemoJackClient::sendMidi(char* midi) {
    mWave->response((std::string("midi ") + midi).c_str(), 1);
    return 0;
}

char* DemoJackClient::getJackClientName(const char* /*name*/) {
    return mHasName ? &mName[0] : nullptr;
}

void DemoJackClient::setByPassEnabled(bool enabled) {
    mWave->response(enabled ? "bypass on" : "bypass off", 1);
}

void DemoJackClient::setName(bool hasName, const std::string& name) {
    mHasName = hasName;
    mName = name;
}

void DemoJackClient::setFarewell(const std::string& text) {
    mFarewell = text;
}
