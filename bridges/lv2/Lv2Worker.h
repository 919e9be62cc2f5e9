// The worker feature: work that a plugin's run() hands off, done on a thread
// of the module's own and answered back to the plugin on the audio thread
// after its next run(). The audio thread never waits: a request is copied
// into a lock-free ring, and the worker thread looks for requests every
// millisecond (waking it would be a system call on the audio thread).
//
// Without a thread (offline processing, where no deadline is missed) the
// work is done at once, inside schedule_work(); its answers still reach the
// plugin after run(), as the extension asks.
#ifndef WAVE_LV2_LV2_WORKER_H
#define WAVE_LV2_LV2_WORKER_H

#include <lv2/core/lv2.h>
#include <lv2/worker/worker.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ByteRing.h"

namespace wavelv2 {

class Lv2Worker {
public:
    Lv2Worker();
    // Stops the thread.
    ~Lv2Worker();

    Lv2Worker(const Lv2Worker&) = delete;
    Lv2Worker& operator=(const Lv2Worker&) = delete;

    LV2_Worker_Schedule* feature() { return &mSchedule; }

    // The instantiated plugin and its worker interface (null when it has
    // none: its requests are refused). Not while the thread runs.
    void attach(LV2_Handle instance, const LV2_Worker_Interface* interface);
    // Starts the worker thread; until stop() work is done there.
    void start();
    // Joins the worker thread and drops what is queued; work is done at once
    // again from then on.
    void stop();
    bool isThreaded() const { return mThread.joinable(); }

    // The audio thread, after run(): hands the plugin the answers of its
    // work, then tells it the run is over.
    void endRun();

private:
    static LV2_Worker_Status scheduleCallback(LV2_Worker_Schedule_Handle handle, uint32_t size,
                                              const void* data);
    static LV2_Worker_Status respondCallback(LV2_Worker_Respond_Handle handle, uint32_t size,
                                             const void* data);
    LV2_Worker_Status schedule(uint32_t size, const void* data);
    LV2_Worker_Status doWork(uint32_t size, const void* data);
    void workUntilStopped();

    LV2_Worker_Schedule mSchedule;
    LV2_Handle mInstance;
    const LV2_Worker_Interface* mInterface;
    ByteRing mRequests;
    ByteRing mResponses;
    // Room for one message, on each side.
    std::vector<uint8_t> mRequestBuffer;
    std::vector<uint8_t> mResponseBuffer;
    std::atomic<bool> mStopRequested{false};
    std::thread mThread;
};

}  // namespace wavelv2

#endif  // WAVE_LV2_LV2_WORKER_H
