// A module's own thread that its commands start and stop: the kit's helper,
// header only, nothing of the host library.
//
//   android::OXAModuleThread mMeter{[this] { runMeter(); }, "mine-meter"};
//   mMeter.start();                 // activate()
//   mMeter.stop();                  // deactivate(), tearDown(), destructor
//
//   void runMeter() {               // on the thread
//       while (mMeter.waitFor(std::chrono::milliseconds(100))) answerLevel();
//   }
//
// The host does not serialise a client's commands, and a Java callback may
// send any command from inside an answer, so start() and stop() are safe
// from any thread at any time:
// - both may be called by several threads at once, and any number of times;
// - stop() called on the thread itself (a callback of its own answer sent
//   "deactivate") does not join it: the body is asked to end and the thread
//   is joined by the next start(), stop() or the destructor, from another
//   thread. start() on the thread itself calls off such a stop;
// - stop() from any other thread returns once the thread has ended, so the
//   module's library may be closed after its destroy function returns.
//   Do not hold a lock of your own across start() or stop() that the body's
//   answers may need: a Java callback of that answer may send a command that
//   waits for the lock.
// - The destructor stops the thread; never destroy the object on its own
//   thread.
//
// The body runs on the thread until it returns; it returns when it is done
// or soon after a stop is asked for (waitFor() or stopRequested() says so).
// A body that returns on its own leaves the thread counted as running until
// stop() (isRunning() reports what was asked for, not whether code runs).
//
// The name, when given, becomes the thread's name (pthread_setname_np, at
// most 15 bytes kept), which debuggers, `top -H` and the validator's thread
// reports show. Without one the thread keeps the name of the thread that
// started it, which reads as the host's own thread.
#ifndef OXA_MODULE_THREAD_H
#define OXA_MODULE_THREAD_H

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace android {

class OXAModuleThread {
public:
    explicit OXAModuleThread(std::function<void()> body, const char* name = nullptr)
        : mBody(std::move(body)), mName(name != nullptr ? name : "") {}
    ~OXAModuleThread() { stop(); }

    OXAModuleThread(const OXAModuleThread&) = delete;
    OXAModuleThread& operator=(const OXAModuleThread&) = delete;

    // Starts the body on a thread of its own. False when it runs already.
    bool start() {
        std::unique_lock<std::mutex> lock(mLock);
        if (std::this_thread::get_id() == mThreadId) return restartFromInside();
        mChanged.wait(lock, [this] { return !mJoining; });
        if (mThread.joinable()) {
            if (!mStopRequested) return false;
            // Stopped from inside itself and not joined yet: it ends soon.
            joinLocked(lock);
            if (mThread.joinable()) return false;  // another start() won meanwhile
        }
        mStopRequested = false;
        mRunAgain = false;
        mThread = std::thread(&OXAModuleThread::run, this);
        mThreadId = mThread.get_id();
        return true;
    }

    // Asks the body to end and, unless called on the thread itself, joins
    // the thread. Harmless when it is stopped.
    void stop() {
        std::unique_lock<std::mutex> lock(mLock);
        if (!mThread.joinable() && !mJoining) return;
        mStopRequested = true;
        mRunAgain = false;
        mChanged.notify_all();
        if (std::this_thread::get_id() == mThreadId) return;
        if (mJoining) {
            mChanged.wait(lock, [this] { return !mJoining; });
            return;
        }
        joinLocked(lock);
    }

    // Whether it was started and no stop was asked for since.
    bool isRunning() const {
        std::lock_guard<std::mutex> lock(mLock);
        return (mThread.joinable() || mJoining) && !mStopRequested;
    }

    // For the body: waits for `interval`; false, at once, when a stop is
    // asked for.
    template <typename Rep, typename Period>
    bool waitFor(std::chrono::duration<Rep, Period> interval) {
        std::unique_lock<std::mutex> lock(mLock);
        return !mChanged.wait_for(lock, interval, [this] { return mStopRequested; });
    }

    // For the body: whether a stop is asked for.
    bool stopRequested() const {
        std::lock_guard<std::mutex> lock(mLock);
        return mStopRequested;
    }

private:
    // start() on the thread itself, inside one of its own answers.
    bool restartFromInside() {
        if (!mStopRequested || mJoining) return false;
        mStopRequested = false;
        mRunAgain = true;
        return true;
    }

    // Joins the thread with the lock released; other callers wait for the
    // join meanwhile, the thread itself does not.
    void joinLocked(std::unique_lock<std::mutex>& lock) {
        std::thread ending = std::move(mThread);
        mJoining = true;
        lock.unlock();
        ending.join();
        lock.lock();
        mJoining = false;
        mThreadId = std::thread::id();
        mChanged.notify_all();
    }

    void run() {
        if (!mName.empty()) pthread_setname_np(pthread_self(), mName.substr(0, 15).c_str());
        for (;;) {
            mBody();
            std::lock_guard<std::mutex> lock(mLock);
            if (!mRunAgain) return;
            mRunAgain = false;  // started again from inside the body's last round
        }
    }

    const std::function<void()> mBody;
    const std::string mName;
    // Guards everything below; never held while the body runs or a thread is
    // joined, so the body's answers may call start() and stop().
    mutable std::mutex mLock;
    std::condition_variable mChanged;
    std::thread mThread;
    std::thread::id mThreadId;
    bool mJoining = false;
    bool mStopRequested = false;
    bool mRunAgain = false;
};

}  // namespace android

#endif  // OXA_MODULE_THREAD_H
