#include "ProbeJack.h"

ProbeJack::ProbeJack(android::IOXAInterface* owner) : mOwner(owner) {}

ProbeJack::~ProbeJack() {
    report("~ProbeJack()");
}

int ProbeJack::setUp(int argc, char** argv) {
    std::string text = "setUp(" + std::to_string(argc);
    for (int i = 0; i < argc; ++i) text += std::string(",") + argv[i];
    report(text + ")");
    return 21;
}

int ProbeJack::tearDown() {
    report("tearDown()");
    return 22;
}

int ProbeJack::activate() {
    report("activate()");
    return 23;
}

int ProbeJack::deactivate() {
    report("deactivate()");
    return 24;
}

int ProbeJack::transport(android::TransportType type) {
    report("transport(" + std::to_string(static_cast<int>(type)) + ")");
    return 25;
}

int ProbeJack::sendMidi(char* midi) {
    report(std::string("sendMidi(") + midi + ")");
    return 26;
}

char* ProbeJack::getJackClientName(const char* name) {
    report(std::string("getJackClientName(") + name + ")");
    mJackName = std::string("probe-") + name;
    return &mJackName[0];
}

void ProbeJack::setByPassEnabled(bool enabled) {
    report(enabled ? "setByPassEnabled(true)" : "setByPassEnabled(false)");
}

long long ProbeJack::magicNumberOffset() const {
    const android::IJackClientInterface* base = this;
    return reinterpret_cast<const char*>(&mMagicNumber) - reinterpret_cast<const char*>(base);
}

void ProbeJack::report(const std::string& text) {
    if (mOwner != nullptr) mOwner->response(text.c_str());
}
