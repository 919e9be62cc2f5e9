#include "Lv2Log.h"

#include <stdio.h>
#include <string.h>

namespace wavelv2 {

namespace {

// Messages kept outside the audio thread until they are taken.
const size_t kMaxMessages = 64;
const size_t kAudioRingBytes = 4096;

}  // namespace

Lv2Log::Lv2Log(UridMap& urids)
    : mError(urids.map(LV2_LOG__Error)),
      mWarning(urids.map(LV2_LOG__Warning)),
      mNote(urids.map(LV2_LOG__Note)),
      mTrace(urids.map(LV2_LOG__Trace)),
      mAudioMessages(kAudioRingBytes) {
    mLog.handle = this;
    mLog.printf = &Lv2Log::printfCallback;
    mLog.vprintf = &Lv2Log::vprintfCallback;
}

const char* Lv2Log::typeName(LV2_URID type) const {
    if (type == mError) return "error";
    if (type == mWarning) return "warning";
    if (type == mTrace) return "trace";
    return "note";
}

int Lv2Log::log(LV2_URID type, const char* format, va_list arguments) {
    char text[kMessageBytes];
    const int prefix = snprintf(text, sizeof(text), "log %s: ", typeName(type));
    const int length = vsnprintf(text + prefix, sizeof(text) - prefix, format, arguments);
    // Plugins end their messages with a newline; an answer needs none.
    size_t end = strnlen(text, sizeof(text) - 1);
    while (end > 0 && text[end - 1] == '\n') text[--end] = '\0';
    if (pthread_equal(pthread_self(), mAudioThread.load(std::memory_order_relaxed))) {
        mAudioMessages.write(text, static_cast<uint32_t>(end + 1));
        return length;
    }
    std::lock_guard<std::mutex> hold(mLock);
    if (mMessages.size() < kMaxMessages) mMessages.emplace_back(text);
    return length;
}

std::vector<std::string> Lv2Log::takeMessages() {
    std::lock_guard<std::mutex> hold(mLock);
    std::vector<std::string> taken;
    taken.swap(mMessages);
    return taken;
}

bool Lv2Log::readAudioMessage(char (&out)[kMessageBytes]) {
    return mAudioMessages.read(out, sizeof(out)) > 0;
}

// Plugins call these: nothing may be thrown into them.
int Lv2Log::printfCallback(LV2_Log_Handle handle, LV2_URID type, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int length = vprintfCallback(handle, type, format, arguments);
    va_end(arguments);
    return length;
}

int Lv2Log::vprintfCallback(LV2_Log_Handle handle, LV2_URID type, const char* format,
                            va_list arguments) {
    try {
        return static_cast<Lv2Log*>(handle)->log(type, format, arguments);
    } catch (...) {
        return 0;
    }
}

}  // namespace wavelv2
