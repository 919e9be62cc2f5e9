// A module that misbehaves on request: it throws from the call a test names,
// answers from places a module should not (its destroy function, its JACK
// client's tearDown(), its destructor, a thread_local destructor, a thread
// that outlives its client), sends empty, huge and page-crossing answers,
// and lies about what a request wrote. A test switches it through
// hostile_wave_set(); without switches it behaves.
#include <stddef.h>
#include <string.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "IJackClientInterfaceV2.h"
#include "IOXAInterfaceV2.h"
#include "OXAClientUser.h"
#include "WaveExport.h"

namespace {

std::mutex sLock;
std::map<std::string, std::string> sSwitches;

std::string setting(const std::string& key) {
    std::lock_guard<std::mutex> lock(sLock);
    auto found = sSwitches.find(key);
    return found == sSwitches.end() ? std::string() : found->second;
}

// "throw" names the call that throws; "throwKind" "other" throws an int,
// anything else a std::runtime_error whose what() is "hostile <call>".
void maybeThrow(const std::string& call) {
    if (setting("throw") != call) return;
    if (setting("throwKind") == "other") throw 42;
    throw std::runtime_error("hostile " + call);
}

// "answer" names the call that answers "from <call>" through the handle.
void maybeAnswer(const std::string& call) {
    if (setting("answer") != call) return;
    android::OXAClientUser::getInstance()->response(("from " + call).c_str());
}

// The answering thread a test releases after the client is gone.
struct LateAnswer {
    std::mutex lock;
    std::condition_variable changed;
    bool released = false;
    bool answered = false;
    std::thread thread;
};
LateAnswer sLate;

void answerLate() {
    std::unique_lock<std::mutex> lock(sLate.lock);
    sLate.changed.wait(lock, [] { return sLate.released; });
    lock.unlock();
    android::OXAClientUser::getInstance()->response("late");
    lock.lock();
    sLate.answered = true;
    sLate.changed.notify_all();
}

// Answers through the handle when its thread ends.
struct ThreadExitAnswer {
    std::string text;
    ~ThreadExitAnswer() { android::OXAClientUser::getInstance()->response(text.c_str()); }
};

class HostileJack : public android::IJackClientInterfaceV2 {
public:
    int setUp(int, char**) override { return step("setUp"); }
    int tearDown() override { return step("tearDown"); }
    int activate() override { return step("activate"); }
    int deactivate() override { return step("deactivate"); }
    int transport(android::TransportType) override { return step("transport"); }
    int sendMidi(char*) override { return step("sendMidi"); }
    char* getJackClientName(const char*) override {
        step("getJackClientName");
        return mName;
    }
    void setByPassEnabled(bool) override { step("setByPassEnabled"); }

private:
    int step(const char* call) {
        maybeAnswer(call);
        maybeThrow(call);
        return 0;
    }
    char mName[8] = "hostile";
};

// "block" "64MiB": the object makes a block of 64 MiB when it is created, for
// the command "big" to answer. Creation is not watched by the host, unlike
// the command: making the block there would put the module's own filling of
// it into the watched processor time, which a sanitizer on a busy machine
// can take beyond the host's limit.
std::vector<unsigned char> bigBlock() {
    if (setting("block") != "64MiB") return {};
    std::vector<unsigned char> block(64u << 20);
    // Byte i's value is its mebibyte's number.
    for (size_t mib = 0; mib < 64; ++mib)
        memset(&block[mib << 20], static_cast<int>(mib), 1u << 20);
    return block;
}

class HostileWave : public android::IOXAInterfaceV2 {
public:
    HostileWave() : mBlock(bigBlock()) { maybeThrow("constructor"); }
    ~HostileWave() override { maybeAnswer("destructor"); }

    int init() override {
        maybeThrow("init");
        return 0;
    }
    android::IJackClientInterface* getJackClientInterface() override {
        maybeThrow("getJackClientInterface");
        return &mJack;
    }
    int sendCommand(const char* command) override;
    int request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                const void* buffer) override;
    int sendStream(const void*, const long, const int) override {
        maybeThrow("sendStream");
        return 0;
    }

private:
    void answerInPieces(const std::string& command);
    HostileJack mJack;
    const std::vector<unsigned char> mBlock;
};

int HostileWave::sendCommand(const char* command) {
    maybeThrow("sendCommand");
    const std::string text(command);
    if (text == "late") {
        sLate.thread = std::thread(answerLate);
    } else if (text.compare(0, 4, "tls:") == 0) {
        const std::string answer = text.substr(4);
        std::thread([answer] {
            thread_local ThreadExitAnswer exitAnswer;
            exitAnswer.text = answer;
        }).join();
    } else {
        answerInPieces(text);
    }
    return 0;
}

// "empty": an empty text and a data answer of 0 bytes. "big": the block of
// switch "block" as one data answer. "long": a text of three pages whose end
// is on the last of them.
void HostileWave::answerInPieces(const std::string& command) {
    if (command == "empty") {
        response("");
        response(1, 0, "");
    } else if (command == "big") {
        response(2, mBlock.size(), mBlock.data());
    } else if (command == "long") {
        std::string text(3 * 4096, 'p');
        response(text.c_str());
    }
}

// "request" "overreport" claims twice the block; "nothing" writes nothing and
// reports success with the count left at the capacity.
int HostileWave::request(const char*, const long, const long capacity, size_t& usedBytes,
                         const void* buffer) {
    maybeThrow("request");
    const std::string mode = setting("request");
    if (mode == "overreport") {
        memset(const_cast<void*>(buffer), 'r', static_cast<size_t>(capacity));
        usedBytes = 2 * static_cast<size_t>(capacity);
    } else if (mode != "nothing") {
        usedBytes = 0;
    }
    return 0;
}

}  // namespace

WAVE_EXPORT int oxa_get_api_level() {
    return 4;
}

WAVE_EXPORT android::IOXAInterface* oxa_create() {
    maybeThrow("oxa_create");
    return new HostileWave();
}

WAVE_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    maybeAnswer("oxa_destroy");
    delete object;
    maybeThrow("oxa_destroy");
}

// Sets switch `key` to `value`; an empty value clears it.
WAVE_EXPORT void hostile_wave_set(const char* key, const char* value) {
    std::lock_guard<std::mutex> lock(sLock);
    if (*value == '\0') {
        sSwitches.erase(key);
    } else {
        sSwitches[key] = value;
    }
}

// Lets the thread started by the command "late" answer, and waits up to
// `timeoutMs` for it to have answered; 1 when it did. Joins it then.
WAVE_EXPORT int hostile_wave_release_late_answer(int timeoutMs) {
    std::unique_lock<std::mutex> lock(sLate.lock);
    sLate.released = true;
    sLate.changed.notify_all();
    const bool answered = sLate.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                                 [] { return sLate.answered; });
    lock.unlock();
    if (answered && sLate.thread.joinable()) sLate.thread.join();
    return answered ? 1 : 0;
}
