// The log feature: a plugin's messages, kept as texts ("log warning: ...")
// until the module answers them. Messages logged on the audio thread (the one
// that last called markAudioThread()) go to a lock-free ring that the audio
// thread itself drains (readAudioMessage); all others to a short list that
// an ordinary thread takes (takeMessages). Messages beyond either's room are
// dropped.
#ifndef WAVE_LV2_LV2_LOG_H
#define WAVE_LV2_LV2_LOG_H

#include <lv2/log/log.h>
#include <pthread.h>
#include <stdarg.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "ByteRing.h"
#include "UridMap.h"

namespace wavelv2 {

class Lv2Log {
public:
    // Longest message kept, its terminating zero included.
    static const size_t kMessageBytes = 200;

    explicit Lv2Log(UridMap& urids);

    Lv2Log(const Lv2Log&) = delete;
    Lv2Log& operator=(const Lv2Log&) = delete;

    LV2_Log_Log* feature() { return &mLog; }

    // The audio thread, each block: messages logged on this thread go to
    // the ring. (Not a thread_local: its first use in a module's library
    // allocates.)
    void markAudioThread() { mAudioThread.store(pthread_self(), std::memory_order_relaxed); }
    // Once the audio thread has stopped.
    void clearAudioThread() { mAudioThread.store(pthread_t(), std::memory_order_relaxed); }

    // Ordinary threads: the messages logged so far outside the audio thread.
    std::vector<std::string> takeMessages();
    // The audio thread: the next message it logged into `out`, false when
    // there is none.
    bool readAudioMessage(char (&out)[kMessageBytes]);

    int log(LV2_URID type, const char* format, va_list arguments);

private:
    static int printfCallback(LV2_Log_Handle handle, LV2_URID type, const char* format, ...);
    static int vprintfCallback(LV2_Log_Handle handle, LV2_URID type, const char* format,
                               va_list arguments);
    const char* typeName(LV2_URID type) const;

    LV2_URID mError;
    LV2_URID mWarning;
    LV2_URID mNote;
    LV2_URID mTrace;
    LV2_Log_Log mLog;
    std::mutex mLock;
    std::vector<std::string> mMessages;
    ByteRing mAudioMessages;
    std::atomic<pthread_t> mAudioThread{pthread_t()};
};

}  // namespace wavelv2

#endif  // WAVE_LV2_LV2_LOG_H
