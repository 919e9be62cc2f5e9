#include "DemoJackClient.h"

#include <algorithm>
#include <chrono>

#include "WaveDemoProtocol.h"

namespace wavedemo {

namespace {
const char kDefaultJackName[] = "wave_demo";
}  // namespace

DemoJackClient::DemoJackClient(android::IOXAInterface& module)
    : mModule(module),
      mJackName(kDefaultJackName),
      mBypassed(false),
      mAnswers(module),
      mMeter(mAnswers),
      mReporter(module, kLevelCount, std::chrono::milliseconds(kLevelPeriodMs)) {}

DemoJackClient::~DemoJackClient() {
    // The reporter's destructor joins the thread as well; stopping here keeps
    // the order obvious: no answer may leave after the client is gone.
    mReporter.stop();
    mMeter.close();
    mAnswers.stop();
}

void DemoJackClient::answer(const std::string& text) {
    mModule.response(text.c_str(), kJackAnswerId);
}

int DemoJackClient::setUp(int argc, char** argv) {
    std::string text = "set up:";
    std::string meterAnswer;
    {
        std::unique_lock<std::mutex> changing(mStateChange, std::try_to_lock);
        if (!changing.owns_lock()) return 1;
        // Copy what is needed: the host's strings live for this call only.
        mSetUpArguments.assign(argv, argv + argc);
        mJackName = std::string(kDefaultJackName) + ":" + (argc > 0 ? argv[0] : "");
        for (const std::string& argument : mSetUpArguments) text += " " + argument;
        if (std::find(mSetUpArguments.begin() + (argc > 0 ? 1 : 0), mSetUpArguments.end(),
                      "jack") != mSetUpArguments.end()) {
            meterAnswer = openMeter(argc > 0 ? argv[0] : "");
        }
    }
    answer(text);
    if (!meterAnswer.empty()) answer(meterAnswer);
    return 0;
}

std::string DemoJackClient::openMeter(const std::string& hostName) {
    // JACK client names cannot hold ':'.
    std::string why;
    if (mMeter.open(std::string(kDefaultJackName) + "_" + hostName, why)) {
        return "jack: " + mMeter.clientName() + " at " + std::to_string(mMeter.sampleRate()) +
               " Hz";
    }
    return "jack: " + why + ", levels are counted";
}

int DemoJackClient::tearDown() {
    // Called for "tear_down" and once more when the host destroys the client:
    // it must be harmless in any state, and it answers only when it undid a
    // set-up (the second call may run while the host shuts down).
    {
        std::unique_lock<std::mutex> changing(mStateChange, std::try_to_lock);
        if (!changing.owns_lock()) return 1;
        stopReporting();
        mMeter.close();
        if (mSetUpArguments.empty()) return 0;
        mSetUpArguments.clear();
    }
    answer("torn down");
    return 0;
}

int DemoJackClient::activate() {
    {
        std::unique_lock<std::mutex> changing(mStateChange, std::try_to_lock);
        if (!changing.owns_lock() || isActive() || !startReporting()) return 1;
    }
    answer("activated");
    return 0;
}

int DemoJackClient::deactivate() {
    {
        std::unique_lock<std::mutex> changing(mStateChange, std::try_to_lock);
        if (!changing.owns_lock() || !isActive()) return 1;
        stopReporting();
    }
    answer("deactivated");
    return 0;
}

bool DemoJackClient::startReporting() {
    if (!mMeter.isOpen()) return mReporter.start();
    mAnswers.start();
    if (mMeter.start()) return true;
    mAnswers.stop();
    return false;
}

void DemoJackClient::stopReporting() {
    mReporter.stop();
    // The process callback has ended when stop() returns; what it queued is
    // delivered before the delivery thread is joined (or, when this runs on
    // the delivery thread itself, right after the current answer).
    mMeter.stop();
    mAnswers.stop();
}

int DemoJackClient::transport(android::TransportType type) {
    answer(type == android::TRANSPORT_ON ? "transport on" : "transport off");
    return 0;
}

int DemoJackClient::sendMidi(char* midi) {
    answer(std::string("midi ") + midi);
    return 0;
}

char* DemoJackClient::getJackClientName(const char* /*name*/) {
    return &mJackName[0];
}

void DemoJackClient::setByPassEnabled(bool enabled) {
    mBypassed = enabled;
    answer(enabled ? "bypass on" : "bypass off");
}

}  // namespace wavedemo
