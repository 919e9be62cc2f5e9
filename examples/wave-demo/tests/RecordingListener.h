// Stands in for the Java side: records every answer a client forwards, with
// the thread it arrived on, and lets a test wait for one.
#ifndef WAVE_DEMO_TESTS_RECORDING_LISTENER_H
#define WAVE_DEMO_TESTS_RECORDING_LISTENER_H

#include <stdint.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "OXAUserListener.h"

struct TextAnswer {
    int32_t msgType;
    int32_t id;
    int32_t objectId;
    std::string text;
    std::thread::id thread;
};

struct DataAnswer {
    int32_t ext1;
    int32_t objectId;
    std::vector<uint8_t> bytes;
    std::thread::id thread;
};

class RecordingListener : public android::OXAUserListener {
public:
    void notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) override;
    void notifyDataCallback(int32_t ext1, int32_t ext2, size_t size, const void* data) override;

    std::vector<TextAnswer> texts();
    std::vector<DataAnswer> data();
    size_t answerCount();
    // The first text answer with `id` and `text`, waiting up to `timeout`;
    // false when none came.
    bool awaitText(int32_t id, const std::string& text, std::chrono::milliseconds timeout,
                   TextAnswer* found = nullptr);
    bool awaitData(int32_t ext1, std::chrono::milliseconds timeout, DataAnswer* found = nullptr);

private:
    std::mutex mLock;
    std::condition_variable mArrived;
    std::vector<TextAnswer> mTexts;
    std::vector<DataAnswer> mData;
};

#endif  // WAVE_DEMO_TESTS_RECORDING_LISTENER_H
