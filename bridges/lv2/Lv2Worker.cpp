#include "Lv2Worker.h"

#include <chrono>

namespace wavelv2 {

namespace {

const size_t kRingBytes = 1 << 16;
const size_t kMessageBytes = 1 << 14;
const std::chrono::milliseconds kPollInterval(1);

}  // namespace

Lv2Worker::Lv2Worker()
    : mInstance(nullptr),
      mInterface(nullptr),
      mRequests(kRingBytes),
      mResponses(kRingBytes),
      mRequestBuffer(kMessageBytes),
      mResponseBuffer(kMessageBytes) {
    mSchedule.handle = this;
    mSchedule.schedule_work = &Lv2Worker::scheduleCallback;
}

Lv2Worker::~Lv2Worker() {
    stop();
}

void Lv2Worker::attach(LV2_Handle instance, const LV2_Worker_Interface* interface) {
    mInstance = instance;
    mInterface = interface;
    mRequests.clear();
    mResponses.clear();
}

void Lv2Worker::start() {
    if (mThread.joinable()) return;
    mStopRequested.store(false, std::memory_order_relaxed);
    mThread = std::thread(&Lv2Worker::workUntilStopped, this);
}

void Lv2Worker::stop() {
    if (!mThread.joinable()) return;
    mStopRequested.store(true, std::memory_order_release);
    mThread.join();
    mRequests.clear();
}

LV2_Worker_Status Lv2Worker::schedule(uint32_t size, const void* data) {
    if (mInterface == nullptr || mInterface->work == nullptr) return LV2_WORKER_ERR_UNKNOWN;
    if (size == 0 || size > mRequestBuffer.size()) return LV2_WORKER_ERR_NO_SPACE;
    if (!mThread.joinable()) return doWork(size, data);
    return mRequests.write(data, size) ? LV2_WORKER_SUCCESS : LV2_WORKER_ERR_NO_SPACE;
}

LV2_Worker_Status Lv2Worker::doWork(uint32_t size, const void* data) {
    return mInterface->work(mInstance, &Lv2Worker::respondCallback, this, size, data);
}

void Lv2Worker::workUntilStopped() {
    while (!mStopRequested.load(std::memory_order_acquire)) {
        const uint32_t size =
            mRequests.read(mRequestBuffer.data(), static_cast<uint32_t>(mRequestBuffer.size()));
        if (size == 0) {
            std::this_thread::sleep_for(kPollInterval);
            continue;
        }
        doWork(size, mRequestBuffer.data());
    }
}

void Lv2Worker::endRun() {
    if (mInterface == nullptr) return;
    if (mInterface->work_response != nullptr) {
        for (;;) {
            const uint32_t size = mResponses.read(mResponseBuffer.data(),
                                                  static_cast<uint32_t>(mResponseBuffer.size()));
            if (size == 0) break;
            mInterface->work_response(mInstance, size, mResponseBuffer.data());
        }
    }
    if (mInterface->end_run != nullptr) mInterface->end_run(mInstance);
}

LV2_Worker_Status Lv2Worker::scheduleCallback(LV2_Worker_Schedule_Handle handle, uint32_t size,
                                              const void* data) {
    return static_cast<Lv2Worker*>(handle)->schedule(size, data);
}

LV2_Worker_Status Lv2Worker::respondCallback(LV2_Worker_Respond_Handle handle, uint32_t size,
                                             const void* data) {
    Lv2Worker* worker = static_cast<Lv2Worker*>(handle);
    if (size == 0) return LV2_WORKER_ERR_UNKNOWN;
    return worker->mResponses.write(data, size) ? LV2_WORKER_SUCCESS : LV2_WORKER_ERR_NO_SPACE;
}

}  // namespace wavelv2
