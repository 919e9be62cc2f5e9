#include "TestWave.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "BurnProcessor.h"
#include "OXAClientUser.h"
#include "Recorder.h"

namespace testwave {

namespace {

// The text after `prefix` when `command` starts with it.
bool afterPrefix(const std::string& command, const char* prefix, std::string* rest) {
    const size_t n = strlen(prefix);
    if (command.compare(0, n, prefix) != 0) return false;
    *rest = command.substr(n);
    return true;
}

// "<number>:<text>" split in two; false without the colon.
bool numberAndText(const std::string& text, long* number, std::string* rest) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    *number = strtol(text.c_str(), nullptr, 10);
    *rest = text.substr(colon + 1);
    return true;
}

}  // namespace

TestWave::TestWave() : mJackClient(""), mSecondJackClient("#2") {
    Recorder& recorder = Recorder::instance();
    recorder.objectCreated();
    // The address the host logs as mUserObject.
    char call[48];
    snprintf(call, sizeof(call), "construct:%p", static_cast<android::IOXAInterface*>(this));
    CallScope scope(call);
    // Before setResponseInterface() only the process-wide handle reaches the
    // host.
    std::string text;
    if (recorder.text("ctorAnswer", &text)) {
        android::OXAClientUser::getInstance()->response(text.c_str());
    }
}

TestWave::~TestWave() {
    {
        CallScope scope("destruct");
        std::lock_guard<std::mutex> lock(mThreadsLock);
        for (std::thread& thread : mThreads) thread.join();
    }
    Recorder::instance().objectDestroyed();
}

int TestWave::init() {
    CallScope scope("init");
    std::string text;
    if (Recorder::instance().text("initAnswer", &text)) response(text.c_str());
    return static_cast<int>(Recorder::instance().value("init", 0));
}

int TestWave::sendCommand(const char* command) {
    CallScope scope("sendCommand:" + std::string(command));
    int result = 0;
    if (act(command, &result)) return result;
    return static_cast<int>(Recorder::instance().value("sendCommand", 0));
}

android::IJackClientInterface* TestWave::getJackClientInterface() {
    CallScope scope("getJackClientInterface");
    switch (Recorder::instance().value("jackClient", 1)) {
        case 0:
            return nullptr;
        case 2:
            return &mSecondJackClient;
        default:
            return &mJackClient;
    }
}

int TestWave::request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                      const void* buffer) {
    char call[160];
    snprintf(call, sizeof(call), "request:%s:%ld:%ld:%zu:%p", what, ext1, capacity, usedBytes,
             buffer);
    CallScope scope(call);
    Recorder& recorder = Recorder::instance();
    const long fill = recorder.value("requestFill", -1);
    if (fill >= 0) {
        // The host's block is writable; the contract only types it const.
        unsigned char* bytes = static_cast<unsigned char*>(const_cast<void*>(buffer));
        for (long i = 0; i < fill; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 1);
        usedBytes = static_cast<size_t>(fill);
    }
    return static_cast<int>(recorder.value("request", 0));
}

#if WAVE_VERSION >= 2
int TestWave::sendStream(const void* stream, const long streamLen, const int id) {
    char call[96];
    snprintf(call, sizeof(call), "sendStream:%p:%ld:%d", stream, streamLen, id);
    CallScope scope(call);
    return static_cast<int>(Recorder::instance().value("sendStream", 0));
}
#endif

bool TestWave::act(const std::string& command, int* result) {
    std::string text;
    long number = 0;
    *result = 0;
    if (afterPrefix(command, "say:", &text)) {
        response(text.c_str());
    } else if (afterPrefix(command, "sayid:", &text) && numberAndText(text, &number, &text)) {
        response(text.c_str(), static_cast<int>(number));
    } else if (afterPrefix(command, "data:", &text) && numberAndText(text, &number, &text)) {
        response(static_cast<int32_t>(number), text.size(), text.data());
    } else if (afterPrefix(command, "datanull:", &text)) {
        response(static_cast<int32_t>(atol(text.c_str())), 4, nullptr);
    } else if (afterPrefix(command, "dataempty:", &text)) {
        response(static_cast<int32_t>(atol(text.c_str())), 0, "x");
    } else if (afterPrefix(command, "user:", &text)) {
        android::OXAClientUser::getInstance()->response(text.c_str());
    } else if (afterPrefix(command, "thread:", &text)) {
        answerFromThread(text, false);
    } else if (afterPrefix(command, "threaduser:", &text)) {
        answerFromThread(text, true);
    } else if (afterPrefix(command, "burn:", &text)) {
        burnProcessorTime(atol(text.c_str()));
    } else if (afterPrefix(command, "sleep:", &text)) {
        usleep(static_cast<useconds_t>(atol(text.c_str()) * 1000));
#if WAVE_VERSION >= 2
    } else if (command == "api_level") {
        *result = getTargetAPILevel();
#endif
    } else {
        return false;
    }
    return true;
}

void TestWave::answerFromThread(const std::string& text, bool throughHandle) {
    std::lock_guard<std::mutex> lock(mThreadsLock);
    mThreads.emplace_back([this, text, throughHandle] {
        if (throughHandle) {
            android::OXAClientUser::getInstance()->response(text.c_str());
        } else {
            response(text.c_str());
        }
    });
}

}  // namespace testwave
