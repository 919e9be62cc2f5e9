#include "TestJackClient.h"

#include "Recorder.h"

namespace testwave {

TestJackClient::TestJackClient(const std::string& label) : mLabel(label) {}

int TestJackClient::answer(const std::string& operation) {
    return static_cast<int>(Recorder::instance().value(operation, 0));
}

int TestJackClient::setUp(int argc, char** argv) {
    // argc alone bounds the vector: the host promises no terminating null.
    std::string call = "setUp:" + std::to_string(argc) + ":";
    for (int i = 0; i < argc; ++i) {
        if (i > 0) call += "|";
        call += argv[i];
    }
    CallScope scope(call + mLabel);
    return answer("setUp");
}

int TestJackClient::tearDown() {
    CallScope scope("tearDown" + mLabel);
    return answer("tearDown");
}

int TestJackClient::activate() {
    CallScope scope("activate" + mLabel);
    return answer("activate");
}

int TestJackClient::deactivate() {
    CallScope scope("deactivate" + mLabel);
    return answer("deactivate");
}

int TestJackClient::transport(android::TransportType type) {
    CallScope scope("transport:" + std::to_string(static_cast<int>(type)) + mLabel);
    return answer("transport");
}

int TestJackClient::sendMidi(char* midi) {
    CallScope scope("sendMidi:" + std::string(midi) + mLabel);
    return answer("sendMidi");
}

#if WAVE_VERSION >= 2
char* TestJackClient::getJackClientName(const char* name) {
    CallScope scope("getJackClientName:" + std::string(name != nullptr ? name : "(null)") + mLabel);
    if (!Recorder::instance().text("jackName", &mName)) return nullptr;
    return &mName[0];
}

void TestJackClient::setByPassEnabled(bool enabled) {
    CallScope scope(std::string("setByPassEnabled:") + (enabled ? "1" : "0") + mLabel);
}
#endif

}  // namespace testwave
