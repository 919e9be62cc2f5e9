// The example module's own thread: while the JACK client is active it
// answers a few levels (id 2), then one data block, the way a real module
// reports meter levels away from its process thread. With a JACK server the
// levels are the real meter's peaks ("meter -6.0 dBFS"); without one they
// are counted ("level N").
#ifndef WAVE_DEMO_LEVEL_REPORTER_H
#define WAVE_DEMO_LEVEL_REPORTER_H

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "IOXAInterface.h"
#include "JackMeter.h"

namespace wavedemo {

class LevelReporter {
public:
    // Answers go through `module`'s response(), which reaches the client that
    // hosts it. `meter` is read while it is open when the thread starts, every
    // `meterPeriod`. The module and the meter outlive the reporter.
    LevelReporter(android::IOXAInterface& module, JackMeter& meter, int levelCount,
                  std::chrono::milliseconds period, std::chrono::milliseconds meterPeriod);
    // Stops and joins the thread: the library may be closed right after.
    ~LevelReporter();

    LevelReporter(const LevelReporter&) = delete;
    LevelReporter& operator=(const LevelReporter&) = delete;

    // Starts the thread unless it runs already. False when it ran already.
    bool start();
    // Asks the thread to stop, wakes it and joins it. Harmless when stopped.
    void stop();
    bool isRunning() const { return mThread.joinable(); }

private:
    void run();
    // Waits one period; false when asked to stop meanwhile.
    bool waitOnePeriod(std::chrono::milliseconds period);
    void sendLevelBlock(int count);

    android::IOXAInterface& mModule;
    JackMeter& mMeter;
    const int mLevelCount;
    const std::chrono::milliseconds mPeriod;
    const std::chrono::milliseconds mMeterPeriod;
    // Set by start() before the thread exists, read by the thread.
    bool mMetered;
    std::mutex mLock;
    std::condition_variable mWake;
    bool mStopRequested;
    std::thread mThread;
};

}  // namespace wavedemo

#endif  // WAVE_DEMO_LEVEL_REPORTER_H
