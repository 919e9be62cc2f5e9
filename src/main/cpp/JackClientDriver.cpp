#include "JackClientDriver.h"

#include <vector>

#include "CommandText.h"
#include "ExecutionWatcher.h"
#include "IJackClientInterfaceV2.h"
#include "ModuleCall.h"
#include "OXAClient.h"

#define LOG_TAG OVIK_HOST_LOG_TAG
#include "OvikLog.h"

namespace android {

namespace {

// Entries of the argument vector handed to setUp(): the name and 999 words.
const size_t kMaxSetUpArgs = 1000;
const char kNotStarted[] = "jack client wasn't started\n";

}  // namespace

JackClientDriver::JackClientDriver(const std::string& clientName)
    : mName(clientName), mJackClient(nullptr), mStatus(OXACLIENT_STATUS_NOT_RUNNING) {}

IJackClientInterface* JackClientDriver::interfaceOrLog(const char* missingText) {
    IJackClientInterface* jackClient = mJackClient.load(std::memory_order_acquire);
    if (jackClient == nullptr) ALOGE("%s", missingText);
    return jackClient;
}

int JackClientDriver::start(IOXAInterface* object, const char* command) {
    IJackClientInterface* jackClient = nullptr;
    if (object != nullptr) {
        jackClient = ModuleCall::result("getJackClientInterface", mName,
                                        static_cast<IJackClientInterface*>(nullptr),
                                        [&] { return object->getJackClientInterface(); });
        if (jackClient == nullptr) ALOGI("You set a jack client module as null");
    } else {
        ALOGI("You don't have a jack client module");
    }
    mJackClient.store(jackClient, std::memory_order_release);
    // Only one thread sets a stopped client up; the others find it started.
    int expected = OXACLIENT_STATUS_NOT_RUNNING;
    if (jackClient == nullptr ||
        !mStatus.compare_exchange_strong(expected, kStatusStarting, std::memory_order_acq_rel)) {
        ALOGI("OXAClient: already started. or JackClient is empty.");
        return 0;
    }
    // The strings live in `words` for the length of the call. A null pointer
    // follows the last entry for modules that walk argv to its end.
    std::vector<std::string> words = CommandText::wordsAfterCommandWord(command, kMaxSetUpArgs - 1);
    std::string name = mName;
    std::vector<char*> argv;
    argv.reserve(words.size() + 2);
    argv.push_back(&name[0]);
    for (std::string& word : words) argv.push_back(&word[0]);
    const int argc = static_cast<int>(argv.size());
    argv.push_back(nullptr);

    ExecutionWatcher watcher("your wave's setUp()", ExecutionWatcher::kModulePatienceSeconds);
    if (ModuleCall::result("setUp", mName, 1,
                           [&] { return jackClient->setUp(argc, argv.data()); }) != 0) {
        mStatus.store(OXACLIENT_STATUS_NOT_RUNNING, std::memory_order_release);
        ALOGE("fail to setUp");
        return 1;
    }
    mStatus.store(OXACLIENT_STATUS_RUNNING, std::memory_order_release);
    ALOGD("success to your jack client");
    return 0;
}

int JackClientDriver::tearDown() {
    IJackClientInterface* jackClient = mJackClient.load(std::memory_order_acquire);
    // Only one thread tears a running client down; a tear_down that meets a
    // setUp() or tearDown() in progress is refused as if not running.
    int expected = OXACLIENT_STATUS_RUNNING;
    if (jackClient == nullptr ||
        !mStatus.compare_exchange_strong(expected, kStatusStopping, std::memory_order_acq_rel)) {
        return 1;
    }
    ExecutionWatcher watcher("your wave's tearDown()", ExecutionWatcher::kModulePatienceSeconds);
    ModuleCall::run("tearDown", mName, [&] { jackClient->tearDown(); });
    mStatus.store(OXACLIENT_STATUS_NOT_RUNNING, std::memory_order_release);
    return 0;
}

int JackClientDriver::pass(const char* title, int (IJackClientInterface::*call)()) {
    IJackClientInterface* jackClient = interfaceOrLog(kNotStarted);
    if (jackClient == nullptr) return 1;
    ExecutionWatcher watcher(title, ExecutionWatcher::kModulePatienceSeconds);
    return ModuleCall::result(title, mName, 1, [&] { return (jackClient->*call)(); });
}

int JackClientDriver::transport(TransportType type, const char* title) {
    IJackClientInterface* jackClient = interfaceOrLog(kNotStarted);
    if (jackClient == nullptr) return 1;
    ExecutionWatcher watcher(title, ExecutionWatcher::kModulePatienceSeconds);
    return ModuleCall::result("transport", mName, 1, [&] { return jackClient->transport(type); });
}

int JackClientDriver::sendMidi(const char* midi) {
    IJackClientInterface* jackClient = interfaceOrLog(kNotStarted);
    if (jackClient == nullptr) return 1;
    // The module gets a text of its own that it may change.
    std::string text(midi);
    ExecutionWatcher watcher("your wave's sendMidi()", ExecutionWatcher::kModulePatienceSeconds);
    return ModuleCall::result("sendMidi", mName, 1, [&] { return jackClient->sendMidi(&text[0]); });
}

int JackClientDriver::setByPass(bool enabled) {
    IJackClientInterface* jackClient = mJackClient.load(std::memory_order_acquire);
    if (jackClient == nullptr) {
        ALOGI("the jack client is null.");
        return 0;
    }
    ExecutionWatcher watcher(
        enabled ? "your wave's setByPassEnabled(true)" : "your wave's setByPassEnabled(false)",
        ExecutionWatcher::kModulePatienceSeconds);
    if (jackClient->getMagicNumber() >= 2) {
        ModuleCall::run("setByPassEnabled", mName, [&] {
            static_cast<IJackClientInterfaceV2*>(jackClient)->setByPassEnabled(enabled);
        });
    } else if (enabled) {
        ALOGI("your wave is not support setByPassEnabled(true)");
    } else {
        ALOGI("your wave is not support setByPassEnabled(false)");
    }
    return 0;
}

char* JackClientDriver::name(const char* query) {
    IJackClientInterface* jackClient =
        interfaceOrLog("fail to get the jack client name. The processing module is not loaded");
    if (jackClient == nullptr) return nullptr;
    if (jackClient->getMagicNumber() < 2) {
        ALOGI("the getJackClientName() is not support. return NULL.");
        return nullptr;
    }
    return ModuleCall::result("getJackClientName", mName, static_cast<char*>(nullptr), [&] {
        return static_cast<IJackClientInterfaceV2*>(jackClient)->getJackClientName(query);
    });
}

void JackClientDriver::tearDownAtDestruction() {
    IJackClientInterface* jackClient = mJackClient.load(std::memory_order_acquire);
    if (jackClient == nullptr) {
        ALOGI("(in)OXAClient teardown is NOT called. Because your client is null");
        return;
    }
    ModuleCall::run("tearDown", mName, [&] { jackClient->tearDown(); });
}

}  // namespace android
