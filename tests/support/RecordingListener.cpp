#include "RecordingListener.h"

#include <utility>

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
    // Moved: a block of many mebibytes is copied once, while the module's
    // call, which the host watches, still runs.
    mDataNotifications.push_back(std::move(notification));
    mArrived.notify_all();
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

size_t RecordingListener::count() {
    std::lock_guard<std::mutex> lock(mLock);
    return mNotifications.size() + mDataNotifications.size();
}

bool RecordingListener::waitForText(int32_t id, const std::string& text,
                                    std::chrono::milliseconds timeout, Notification* found) {
    std::unique_lock<std::mutex> lock(mLock);
    return mArrived.wait_for(lock, timeout, [&] {
        for (const Notification& notification : mNotifications) {
            if (notification.ext1 != id || notification.text != text) continue;
            if (found != nullptr) *found = notification;
            return true;
        }
        return false;
    });
}

bool RecordingListener::waitForData(int32_t ext1, std::chrono::milliseconds timeout,
                                    DataNotification* found) {
    std::unique_lock<std::mutex> lock(mLock);
    return mArrived.wait_for(lock, timeout, [&] {
        for (const DataNotification& notification : mDataNotifications) {
            if (notification.ext1 != ext1) continue;
            if (found != nullptr) *found = notification;
            return true;
        }
        return false;
    });
}

void RecordingListener::clear() {
    std::lock_guard<std::mutex> lock(mLock);
    mNotifications.clear();
    mDataNotifications.clear();
}

void RecordingListener::setOnNotify(std::function<void(const Notification&)> onNotify) {
    std::lock_guard<std::mutex> lock(mLock);
    mOnNotify = std::move(onNotify);
}
