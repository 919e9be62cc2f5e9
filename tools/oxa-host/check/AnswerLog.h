// The listener of the checks that host the module: stands where the Java
// service stands and records every answer with the phase of the client's
// life it arrived in. Any thread.
#ifndef OXA_HOST_ANSWER_LOG_H
#define OXA_HOST_ANSWER_LOG_H

#include <stddef.h>
#include <stdint.h>

#include <mutex>
#include <string>
#include <vector>

#include "OXAUserListener.h"

namespace oxahost {

class AnswerLog : public android::OXAUserListener {
public:
    enum Phase { kRunning = 0, kDestroying = 1, kDestroyed = 2 };

    struct Invalid {
        std::string text;  // cut to a readable length
        long offset;
        int32_t id;
    };

    void notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) override;
    void notifyDataCallback(int32_t ext1, int32_t ext2, size_t size, const void* data) override;

    void setPhase(Phase phase);
    // Answers that arrived in `phase`.
    long count(Phase phase);
    long total();
    // Text answers that are not modified UTF-8 (the first few).
    std::vector<Invalid> invalidTexts();

private:
    void record();

    std::mutex mLock;
    Phase mPhase = kRunning;
    long mCounts[3] = {0, 0, 0};
    std::vector<Invalid> mInvalid;
};

}  // namespace oxahost

#endif  // OXA_HOST_ANSWER_LOG_H
