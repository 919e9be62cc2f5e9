#include "RecordingListener.h"

void RecordingListener::notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) {
    Notification notification{msgType,        ext1,           ext2,
                              str != nullptr, str ? str : "", std::this_thread::get_id()};
    std::function<void(const Notification&)> onNotify;
    {
        std::lock_guard<std::mutex> lock(mLock);
        mNotifications.push_back(notification);
        onNotify = mOnNotify;
        // Signalled under the lock: a waiter that wakes may destroy the
        // listener as soon as it has the lock again.
        mArrived.notify_all();
    }
    if (onNotify) onNotify(notification);
}

void RecordingListener::notifyDataCallback(int32_t ext1, int32_t ext2, size_t size,
                                           const void* data) {
    DataNotification notification{ext1,
                                  ext2,
                                  size,
                                  data,
                                  data ? std::string(static_cast<const char*>(data), size) : "",
                                  std::this_thread::get_id()};
    std::lock_guard<std::mutex> lock(mLock);
    mDataNotifications.push_back(notification);
}

std::vector<Notification> RecordingListener::notifications() {
    std::lock_guard<std::mutex> lock(mLock);
    return mNotifications;
}

std::vector<DataNotification> RecordingListener::dataNotifications() {
    std::lock_guard<std::mutex> lock(mLock);
    return mDataNotifications;
}

bool RecordingListener::waitForNotifications(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mLock);
    return mArrived.wait_for(lock, timeout, [&] { return mNotifications.size() >= count; });
}

void RecordingListener::setOnNotify(std::function<void(const Notification&)> onNotify) {
    std::lock_guard<std::mutex> lock(mLock);
    mOnNotify = std::move(onNotify);
}
