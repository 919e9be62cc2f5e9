#include "ScriptedWave.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "OXAClient.h"

namespace {

bool startsWith(const std::string& text, const char* prefix, std::string* rest) {
    const size_t length = strlen(prefix);
    if (text.compare(0, length, prefix) != 0) return false;
    *rest = text.substr(length);
    return true;
}

// Splits "<number>:<text>" into its two parts.
int leadingNumber(const std::string& fields, std::string* text) {
    const size_t colon = fields.find(':');
    *text = colon == std::string::npos ? "" : fields.substr(colon + 1);
    return atoi(fields.c_str());
}

// Alive from the library's load until its static objects are destroyed: at
// unload, or at exit before what was registered earlier.
struct LibraryStatics {
    bool alive = true;
    ~LibraryStatics() { alive = false; }
} sStatics;

}  // namespace

ScriptedWave::ScriptedWave() : mJackClient(this) {
    mMagicNumber = 2;
    for (size_t i = 0; i < sizeof(mBlock); ++i) mBlock[i] = static_cast<unsigned char>(i);
}

ScriptedWave::~ScriptedWave() {
    if (!sStatics.alive) {
        // A real module would now use destroyed objects; make it loud.
        fputs("scripted wave destroyed after its library's statics\n", stderr);
        abort();
    }
    joinThread();
    if (mFarewell) response("destroyed");
}

int ScriptedWave::sendCommand(const char* command) {
    const std::string text(command);
    std::string rest;
    if (startsWith(text, "say:", &rest)) {
        response(rest.c_str());
    } else if (startsWith(text, "say_id:", &rest)) {
        std::string message;
        const int id = leadingNumber(rest, &message);
        response(message.c_str(), id);
    } else if (startsWith(text, "data:", &rest)) {
        std::string count;
        const int ext1 = leadingNumber(rest, &count);
        response(ext1, static_cast<size_t>(atoi(count.c_str())), mBlock);
    } else if (startsWith(text, "thread_say:", &rest)) {
        std::string message;
        const int times = leadingNumber(rest, &message);
        answerFromThread(times, message);
    } else if (text == "join") {
        joinThread();
    } else if (startsWith(text, "raise:", &rest)) {
        return raise(rest);
    } else if (startsWith(text, "report:", &rest)) {
        mReported = atol(rest.c_str());
    } else if (text == "fail_request") {
        mFailRequest = true;
    } else if (text == "pass_request") {
        mFailRequest = false;
    } else if (startsWith(text, "jack_name:", &rest)) {
        mJackClient.setName(rest.c_str());
    } else if (text == "jack_name_null") {
        mJackClient.setName(nullptr);
    } else if (startsWith(text, "handoff:", &rest)) {
        handOff(rest, false);
    } else if (startsWith(text, "handoff_ping:", &rest)) {
        handOff(rest, true);
    } else if (startsWith(text, "magic:", &rest)) {
        mMagicNumber = atoi(rest.c_str());
    } else if (text == "answer_names") {
        mJackClient.answerNames();
    } else if (startsWith(text, "stream:", &rest)) {
        std::string hex;
        const int id = leadingNumber(rest, &hex);
        char answer[64];
        snprintf(answer, sizeof(answer), "stream id=%d len=%zu", id, hex.size() / 2);
        response(answer);
    } else if (text == "farewell") {
        mFarewell = true;
        mJackClient.sayFarewell();
    } else {
        return 9;
    }
    return 0;
}

int ScriptedWave::request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                          const void* buffer) {
    char answer[256];
    snprintf(answer, sizeof(answer), "request what=%s ext1=%ld capacity=%ld used=%zu", what, ext1,
             capacity, usedBytes);
    response(answer);
    if (mFailRequest) return 1;
    memset(const_cast<void*>(buffer), 0xA5, static_cast<size_t>(capacity));
    if (mReported >= 0) usedBytes = static_cast<size_t>(mReported);
    return 0;
}

int ScriptedWave::sendStream(const void*, const long streamLen, const int id) {
    char answer[64];
    snprintf(answer, sizeof(answer), "stream id=%d len=%ld", id, streamLen);
    response(answer);
    return static_cast<int>(streamLen);
}

void ScriptedWave::answerFromThread(int times, const std::string& text) {
    joinThread();
    mThread = std::thread([this, times, text] {
        for (int i = 0; i < times; ++i) response(text.c_str());
    });
}

void ScriptedWave::handOff(const std::string& text, bool answerMeanwhile) {
    std::thread worker([this, text] { response(text.c_str()); });
    if (answerMeanwhile) response("ping");
    worker.join();
}

void ScriptedWave::joinThread() {
    if (mThread.joinable()) mThread.join();
}

int ScriptedWave::raise(const std::string& fields) {
    int msgType = 0, ext1 = 0, ext2 = 0, used = 0;
    if (sscanf(fields.c_str(), "%d:%d:%d:%n", &msgType, &ext1, &ext2, &used) != 3) return 1;
    android::OXAUserListener* listener = android::OXAClient::mListener;
    if (listener == nullptr) return 1;
    listener->notify(msgType, ext1, ext2, fields.c_str() + used);
    return 0;
}
