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

    // An answer made on a thread while it commanded one client that the
    // host stamped with the object id of another.
    struct Misrouted {
        std::string text;  // cut to a readable length; "" for a block
        int32_t expected;
        int32_t got;
    };

    // While it lives, answers made on the constructing thread are expected
    // from the client of `objectId` (commands nest: the innermost counts).
    class Commanding {
    public:
        explicit Commanding(int32_t objectId);
        ~Commanding();
        Commanding(const Commanding&) = delete;
        Commanding& operator=(const Commanding&) = delete;

    private:
        const int32_t mOuter;
    };

    // Whether the calling thread is inside a command of the check's.
    static bool onCommandingThread();

    void notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) override;
    void notifyDataCallback(int32_t ext1, int32_t ext2, size_t size, const void* data) override;

    void setPhase(Phase phase);
    // Answers that arrived in `phase`.
    long count(Phase phase);
    long total();
    // Text answers that are not modified UTF-8 (the first few).
    std::vector<Invalid> invalidTexts();
    // Answers stamped with another client than the one commanded on their
    // thread (the first few), and how many there were.
    std::vector<Misrouted> misrouted();
    long misroutedCount();

private:
    void record();
    void checkRoute(int32_t objectId, const char* text);

    std::mutex mLock;
    Phase mPhase = kRunning;
    long mCounts[3] = {0, 0, 0};
    std::vector<Invalid> mInvalid;
    std::vector<Misrouted> mMisrouted;
    long mMisroutedCount = 0;
};

}  // namespace oxahost

#endif  // OXA_HOST_ANSWER_LOG_H
