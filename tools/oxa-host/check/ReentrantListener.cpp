#include "ReentrantListener.h"

#include <chrono>

namespace oxahost {

void ReentrantListener::notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) {
    mAnswers.notify(msgType, ext1, ext2, str);
    reenter();
}

void ReentrantListener::notifyDataCallback(int32_t ext1, int32_t ext2, size_t size,
                                           const void* data) {
    mAnswers.notifyDataCallback(ext1, ext2, size, data);
    reenter();
}

void ReentrantListener::arm(Thread thread, std::function<void()> action) {
    std::lock_guard<std::mutex> lock(mLock);
    mAction = std::move(action);
    mThread = thread;
    mArmed = true;
    mStarted = false;
    mReturned = false;
}

void ReentrantListener::reenter() {
    const Thread here = AnswerLog::onCommandingThread() ? kCommandingThread : kModuleThread;
    std::function<void()> action;
    {
        std::lock_guard<std::mutex> lock(mLock);
        if (!mArmed || mThread != here) return;
        mArmed = false;
        mStarted = true;
        action = std::move(mAction);
    }
    mChanged.notify_all();
    // Without the lock: the action's own answers come back here.
    action();
    {
        std::lock_guard<std::mutex> lock(mLock);
        mReturned = true;
    }
    mChanged.notify_all();
}

bool ReentrantListener::disarm() {
    std::lock_guard<std::mutex> lock(mLock);
    mArmed = false;
    return !mStarted;
}

bool ReentrantListener::waitStarted(int ms) {
    std::unique_lock<std::mutex> lock(mLock);
    return mChanged.wait_for(lock, std::chrono::milliseconds(ms), [this] { return mStarted; });
}

bool ReentrantListener::waitReturned(int ms) {
    std::unique_lock<std::mutex> lock(mLock);
    return mChanged.wait_for(lock, std::chrono::milliseconds(ms), [this] { return mReturned; });
}

}  // namespace oxahost
