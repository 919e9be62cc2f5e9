// A thread of the module's own that answers through a processing object's
// response(text, id), as a JACK process thread would: `count` times, or
// until stopped when `count` is 0, with `pause` between answers. Destroying
// it stops and joins it, so no module code runs once its object is gone.
// Every answer is counted as sent (ModuleCounters).
#ifndef OVIK_JVM_ANSWER_THREAD_H
#define OVIK_JVM_ANSWER_THREAD_H

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "IOXAInterface.h"

class AnswerThread {
public:
    AnswerThread(android::IOXAInterface* wave, int id, const std::string& text, int count,
                 std::chrono::microseconds pause);
    ~AnswerThread();

    AnswerThread(const AnswerThread&) = delete;
    AnswerThread& operator=(const AnswerThread&) = delete;

    // Asks the thread to stop and waits for it. Safe to call more than once.
    void stop();
    // Whether the thread has sent all its answers (or stopped) and returned.
    bool done() const { return mDone; }

private:
    void run();

    android::IOXAInterface* mWave;
    const int mId;
    const std::string mText;
    const int mCount;
    const std::chrono::microseconds mPause;
    std::atomic<bool> mStopping;
    std::atomic<bool> mDone;
    std::thread mThread;
};

#endif  // OVIK_JVM_ANSWER_THREAD_H
