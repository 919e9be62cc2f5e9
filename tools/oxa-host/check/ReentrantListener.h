// The listener of a check that commands the module from inside its answers,
// as a Java service may: it records every answer in the check's log and,
// once armed, runs an action inside the first answer made on the kind of
// thread asked for. Any thread.
#ifndef OXA_HOST_REENTRANT_LISTENER_H
#define OXA_HOST_REENTRANT_LISTENER_H

#include <stddef.h>
#include <stdint.h>

#include <condition_variable>
#include <functional>
#include <mutex>

#include "AnswerLog.h"
#include "OXAUserListener.h"

namespace oxahost {

class ReentrantListener : public android::OXAUserListener {
public:
    // A thread inside one of the check's commands (the answer is made during
    // the command), or a thread of the module's own.
    enum Thread { kCommandingThread, kModuleThread };

    explicit ReentrantListener(AnswerLog& answers) : mAnswers(answers) {}

    void notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) override;
    void notifyDataCallback(int32_t ext1, int32_t ext2, size_t size, const void* data) override;

    // Runs `action` once, inside the next answer made on `thread`.
    void arm(Thread thread, std::function<void()> action);
    // Takes the action back; false when it has started already.
    bool disarm();
    // Whether the action started within `ms` milliseconds; whether it returned.
    bool waitStarted(int ms);
    bool waitReturned(int ms);

private:
    void reenter();

    AnswerLog& mAnswers;
    std::mutex mLock;
    std::condition_variable mChanged;
    std::function<void()> mAction;
    Thread mThread = kCommandingThread;
    bool mArmed = false;
    bool mStarted = false;
    bool mReturned = false;
};

}  // namespace oxahost

#endif  // OXA_HOST_REENTRANT_LISTENER_H
