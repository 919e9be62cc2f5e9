// The example module's own thread, for when it has no JACK server: while the
// JACK client is active it answers a few counted levels ("level N", id 2),
// then one data block. With a server the real meter answers instead, from
// its process callback through the answer queue (JackMeter).
#ifndef WAVE_DEMO_LEVEL_REPORTER_H
#define WAVE_DEMO_LEVEL_REPORTER_H

#include <chrono>

#include "IOXAInterface.h"
#include "OXAModuleThread.h"

namespace wavedemo {

class LevelReporter {
public:
    // Answers go through `module`'s response(), which reaches the client that
    // hosts it, every `period`. The module outlives the reporter.
    LevelReporter(android::IOXAInterface& module, int levelCount, std::chrono::milliseconds period);
    // Stops and joins the thread: the library may be closed right after.
    ~LevelReporter();

    LevelReporter(const LevelReporter&) = delete;
    LevelReporter& operator=(const LevelReporter&) = delete;

    // Starts the thread unless it runs already. False when it ran already.
    // Safe from any thread, its own included (OXAModuleThread).
    bool start() { return mThread.start(); }
    // Asks the thread to stop, wakes it and joins it (on its own thread: it
    // ends after the current answer). Harmless when stopped.
    void stop() { mThread.stop(); }
    bool isRunning() const { return mThread.isRunning(); }

private:
    void run();
    void sendLevelBlock(int count);

    android::IOXAInterface& mModule;
    const int mLevelCount;
    const std::chrono::milliseconds mPeriod;
    // Last, so the thread is stopped before anything it reads is destroyed.
    android::OXAModuleThread mThread;
};

}  // namespace wavedemo

#endif  // WAVE_DEMO_LEVEL_REPORTER_H
