#include "AnswerPathsJackClient.h"

#include "ModuleCounters.h"

AnswerPathsJackClient::AnswerPathsJackClient(android::IOXAInterface* wave)
    : mWave(wave), mName(nullptr) {}

AnswerPathsJackClient::~AnswerPathsJackClient() = default;

int AnswerPathsJackClient::setUp(int argc, char** argv) {
    std::string text = "setUp";
    for (int i = 0; i < argc; ++i) text += " " + std::string(argv[i]);
    ModuleCounters::answer(mWave, text.c_str(), 1);
    return 0;
}

int AnswerPathsJackClient::tearDown() {
    replaceLevelThread(nullptr);
    std::string farewell;
    {
        std::lock_guard<std::mutex> lock(mLock);
        farewell = mFarewell;
    }
    if (!farewell.empty()) ModuleCounters::answer(mWave, farewell.c_str(), 6);
    return 0;
}

int AnswerPathsJackClient::activate() {
    replaceLevelThread(std::unique_ptr<AnswerThread>(
        new AnswerThread(mWave, 2, "level 3", 1, std::chrono::microseconds(0))));
    return 0;
}

int AnswerPathsJackClient::deactivate() {
    replaceLevelThread(nullptr);
    return 0;
}

int AnswerPathsJackClient::transport(android::TransportType type) {
    ModuleCounters::answer(mWave, type == android::TRANSPORT_ON ? "transport on" : "transport off",
                           1);
    return 0;
}

int AnswerPathsJackClient::sendMidi(char* midi) {
    ModuleCounters::answer(mWave, (std::string("midi ") + midi).c_str(), 1);
    return 0;
}

char* AnswerPathsJackClient::getJackClientName(const char* /*name*/) {
    std::lock_guard<std::mutex> lock(mLock);
    return mName != nullptr ? const_cast<char*>(mName->c_str()) : nullptr;
}

void AnswerPathsJackClient::setByPassEnabled(bool enabled) {
    ModuleCounters::answer(mWave, enabled ? "bypass on" : "bypass off", 1);
}

void AnswerPathsJackClient::setName(bool hasName, const std::string& name) {
    std::lock_guard<std::mutex> lock(mLock);
    mName = hasName ? &*mNames.insert(name).first : nullptr;
}

void AnswerPathsJackClient::setFarewell(const std::string& text) {
    std::lock_guard<std::mutex> lock(mLock);
    mFarewell = text;
}

void AnswerPathsJackClient::replaceLevelThread(std::unique_ptr<AnswerThread> thread) {
    {
        std::lock_guard<std::mutex> lock(mLock);
        mLevelThread.swap(thread);
    }
    // `thread` now holds the old one, stopped and joined here.
}
