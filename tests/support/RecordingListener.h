// Stands in for the Java listener of the clients: records every notification
// with the thread it arrived on, and lets a test wait for them.
#ifndef OVIK_TEST_RECORDING_LISTENER_H
#define OVIK_TEST_RECORDING_LISTENER_H

#include <stddef.h>
#include <stdint.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "OXAUserListener.h"

struct Notification {
    int32_t msgType;
    int32_t ext1;
    int32_t ext2;
    bool hasText;
    std::string text;
    std::thread::id thread;
};

struct DataNotification {
    int32_t ext1;
    int32_t ext2;
    size_t size;
    const void* data;
    std::string bytes;
    std::thread::id thread;
};

class RecordingListener : public android::OXAUserListener {
public:
    void notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) override;
    void notifyDataCallback(int32_t ext1, int32_t ext2, size_t size, const void* data) override;

    std::vector<Notification> notifications();
    std::vector<DataNotification> dataNotifications();
    // Text and data notifications together.
    size_t count();
    // Waits until `count` text notifications arrived; false on timeout.
    bool waitForNotifications(size_t count, std::chrono::milliseconds timeout);
    // Waits for the first text notification with ext1 `id` and `text`, or
    // the first data notification with `ext1`, and copies it to `found` if
    // given; false on timeout.
    bool waitForText(int32_t id, const std::string& text, std::chrono::milliseconds timeout,
                     Notification* found = nullptr);
    bool waitForData(int32_t ext1, std::chrono::milliseconds timeout,
                     DataNotification* found = nullptr);
    void clear();
    // Runs on the notifying thread after each text notification is recorded,
    // with no lock of the listener held.
    void setOnNotify(std::function<void(const Notification&)> onNotify);

private:
    std::mutex mLock;
    std::condition_variable mArrived;
    std::vector<Notification> mNotifications;
    std::vector<DataNotification> mDataNotifications;
    std::function<void(const Notification&)> mOnNotify;
};

#endif  // OVIK_TEST_RECORDING_LISTENER_H
