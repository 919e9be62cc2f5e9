#include "AnswerPathsWave.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "CommandWords.h"
#include "ModuleCounters.h"
#include "OXAClient.h"

namespace {

// Texts that are not modified UTF-8: a stray continuation byte, a standard
// 4-byte emoji, bytes that start no sequence, a sequence cut short by the
// end, and a two-byte NUL (valid, to pass unchanged).
const char* const kInvalidTexts[] = {
    "A\x80Z",       "smile \xF0\x9F\x98\x80!", "caf\xC3\xA9 \xFF\xFE end",
    "cut \xE2\x82", "nul \xC0\x80 kept",
};

android::OXAUserListener* listener() {
    return android::OXAClient::mListener;
}

std::string hex(const void* bytes, long length) {
    static const char kDigits[] = "0123456789abcdef";
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    std::string text;
    for (long i = 0; i < length; ++i) {
        text.push_back(kDigits[p[i] >> 4]);
        text.push_back(kDigits[p[i] & 0x0F]);
    }
    return text;
}

}  // namespace

AnswerPathsWave::AnswerPathsWave() : mJackClient(this) {
    ModuleCounters::objectMade();
}

AnswerPathsWave::~AnswerPathsWave() {
    mThreads.clear();
    if (!mFarewell.empty()) ModuleCounters::answer(this, ("destroyed " + mFarewell).c_str(), 8);
    ModuleCounters::objectGone();
}

int AnswerPathsWave::init() {
    return 0;
}

android::IJackClientInterface* AnswerPathsWave::getJackClientInterface() {
    return &mJackClient;
}

const std::map<std::string, AnswerPathsWave::Handler>& AnswerPathsWave::handlers() {
    static const std::map<std::string, Handler> table = {
        {"say", &AnswerPathsWave::say},
        {"say_plain", &AnswerPathsWave::sayPlain},
        {"handle_say", &AnswerPathsWave::handleSay},
        {"say_null", &AnswerPathsWave::sayNull},
        {"say_data", &AnswerPathsWave::sayData},
        {"say_invalid", &AnswerPathsWave::sayInvalid},
        {"thread_say", &AnswerPathsWave::threadSay},
        {"thread_stop", &AnswerPathsWave::threadStop},
        {"farewell", &AnswerPathsWave::farewell},
        {"force_death", &AnswerPathsWave::forceDeath},
        {"died_unknown", &AnswerPathsWave::diedUnknown},
        {"usb", &AnswerPathsWave::usb},
        {"jack_name", &AnswerPathsWave::jackName},
        {"jack_name_null", &AnswerPathsWave::jackNameNull},
        {"result", &AnswerPathsWave::result},
    };
    return table;
}

int AnswerPathsWave::sendCommand(const char* command) {
    const std::pair<std::string, std::string> parts = splitFirstWord(command);
    auto handler = handlers().find(parts.first);
    if (handler == handlers().end()) return 7;
    return (this->*(handler->second))(parts.second);
}

int AnswerPathsWave::say(const std::string& arguments) {
    const std::pair<long, std::string> parts = splitNumber(arguments);
    ModuleCounters::answer(this, parts.second.c_str(), static_cast<int>(parts.first));
    return 0;
}

int AnswerPathsWave::sayPlain(const std::string& arguments) {
    ModuleCounters::answer(this, arguments.c_str());
    return 0;
}

int AnswerPathsWave::handleSay(const std::string& arguments) {
    const std::pair<long, std::string> parts = splitNumber(arguments);
    ModuleCounters::answerThroughHandle(parts.second.c_str(), static_cast<int>(parts.first));
    return 0;
}

int AnswerPathsWave::sayNull(const std::string& arguments) {
    ModuleCounters::answer(this, static_cast<const char*>(nullptr),
                           static_cast<int>(splitNumber(arguments).first));
    return 0;
}

int AnswerPathsWave::sayData(const std::string& arguments) {
    const std::pair<long, std::string> ext1 = splitNumber(arguments);
    const size_t count = static_cast<size_t>(splitNumber(ext1.second).first);
    std::vector<unsigned char> block(count);
    fill(block.data(), count, ext1.first);
    ModuleCounters::answer(this, static_cast<int32_t>(ext1.first), count,
                           static_cast<const void*>(block.data()));
    return 0;
}

int AnswerPathsWave::sayInvalid(const std::string& /*arguments*/) {
    int id = 1;
    for (const char* text : kInvalidTexts) ModuleCounters::answer(this, text, id++);
    return 0;
}

int AnswerPathsWave::threadSay(const std::string& arguments) {
    const std::pair<long, std::string> id = splitNumber(arguments);
    const std::pair<long, std::string> count = splitNumber(id.second);
    // Endless answering pauses a little so it does not starve the JVM.
    const std::chrono::microseconds pause(count.first == 0 ? 200 : 0);
    std::unique_ptr<AnswerThread> thread(new AnswerThread(
        this, static_cast<int>(id.first), count.second, static_cast<int>(count.first), pause));
    // Threads that have said everything are joined here, outside the lock,
    // so a module driven for long keeps no finished threads.
    std::vector<std::unique_ptr<AnswerThread>> finished;
    std::lock_guard<std::mutex> lock(mLock);
    for (auto it = mThreads.begin(); it != mThreads.end();) {
        if ((*it)->done()) {
            finished.push_back(std::move(*it));
            it = mThreads.erase(it);
        } else {
            ++it;
        }
    }
    mThreads.push_back(std::move(thread));
    return 0;
}

int AnswerPathsWave::threadStop(const std::string& /*arguments*/) {
    std::vector<std::unique_ptr<AnswerThread>> threads;
    {
        std::lock_guard<std::mutex> lock(mLock);
        threads.swap(mThreads);
    }
    return 0;
}

int AnswerPathsWave::farewell(const std::string& arguments) {
    std::lock_guard<std::mutex> lock(mLock);
    mFarewell = arguments;
    mJackClient.setFarewell(arguments);
    return 0;
}

int AnswerPathsWave::forceDeath(const std::string& arguments) {
    if (listener() == nullptr) return 1;
    listener()->notify(100, 2, 0, arguments.c_str());
    return 0;
}

int AnswerPathsWave::diedUnknown(const std::string& arguments) {
    if (listener() == nullptr) return 1;
    const std::pair<long, std::string> ext2 = splitNumber(arguments);
    listener()->notify(100, 1, static_cast<int32_t>(ext2.first), ext2.second.c_str());
    return 0;
}

int AnswerPathsWave::usb(const std::string& arguments) {
    if (listener() == nullptr) return 1;
    const std::pair<long, std::string> ext1 = splitNumber(arguments);
    listener()->notify(1123, static_cast<int32_t>(ext1.first), 0, ext1.second.c_str());
    return 0;
}

int AnswerPathsWave::jackName(const std::string& arguments) {
    mJackClient.setName(true, arguments);
    return 0;
}

int AnswerPathsWave::jackNameNull(const std::string& /*arguments*/) {
    mJackClient.setName(false, std::string());
    return 0;
}

int AnswerPathsWave::result(const std::string& arguments) {
    return static_cast<int>(splitNumber(arguments).first);
}

unsigned char AnswerPathsWave::patternByte(size_t index, long ext1) {
    return static_cast<unsigned char>((index * 31 + static_cast<size_t>(ext1)) & 0xFF);
}

void AnswerPathsWave::fill(unsigned char* block, size_t count, long ext1) {
    for (size_t i = 0; i < count; ++i) block[i] = patternByte(i, ext1);
}

int AnswerPathsWave::request(const char* what, const long ext1, const long capacity,
                             size_t& usedBytes, const void* buffer) {
    char seen[128];
    snprintf(seen, sizeof(seen), "request %s ext1=%ld capacity=%ld", what, ext1, capacity);
    ModuleCounters::answer(this, static_cast<const char*>(seen), 3);
    unsigned char* block = static_cast<unsigned char*>(const_cast<void*>(buffer));
    const std::pair<std::string, std::string> parts = splitFirstWord(what);
    if (parts.first == "fill") {
        const size_t count = static_cast<size_t>(strtol(parts.second.c_str(), nullptr, 10));
        fill(block, std::min(count, static_cast<size_t>(capacity)), ext1);
        usedBytes = count;
        return 0;
    }
    if (parts.first == "keep") {
        fill(block, static_cast<size_t>(capacity), ext1);
        return 0;
    }
    return 1;
}

int AnswerPathsWave::sendStream(const void* stream, const long streamLen, const int id) {
    const std::string text = "stream " + std::to_string(id) + " " + std::to_string(streamLen) +
                             " " + hex(stream, streamLen);
    ModuleCounters::answer(this, text.c_str(), 4);
    return 100 + id;
}
