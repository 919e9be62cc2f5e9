#include "RecordingListener.h"

void RecordingListener::notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) {
    {
        std::lock_guard<std::mutex> lock(mLock);
        mTexts.push_back(TextAnswer{msgType, ext1, ext2, str != nullptr ? str : "(null)",
                                    std::this_thread::get_id()});
    }
    mArrived.notify_all();
}

void RecordingListener::notifyDataCallback(int32_t ext1, int32_t ext2, size_t size,
                                           const void* data) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    {
        std::lock_guard<std::mutex> lock(mLock);
        mData.push_back(DataAnswer{ext1, ext2, std::vector<uint8_t>(bytes, bytes + size),
                                   std::this_thread::get_id()});
    }
    mArrived.notify_all();
}

std::vector<TextAnswer> RecordingListener::texts() {
    std::lock_guard<std::mutex> lock(mLock);
    return mTexts;
}

std::vector<DataAnswer> RecordingListener::data() {
    std::lock_guard<std::mutex> lock(mLock);
    return mData;
}

size_t RecordingListener::answerCount() {
    std::lock_guard<std::mutex> lock(mLock);
    return mTexts.size() + mData.size();
}

bool RecordingListener::awaitText(int32_t id, const std::string& text,
                                  std::chrono::milliseconds timeout, TextAnswer* found) {
    std::unique_lock<std::mutex> lock(mLock);
    return mArrived.wait_for(lock, timeout, [&] {
        for (const TextAnswer& answer : mTexts) {
            if (answer.id != id || answer.text != text) continue;
            if (found != nullptr) *found = answer;
            return true;
        }
        return false;
    });
}

bool RecordingListener::awaitData(int32_t ext1, std::chrono::milliseconds timeout,
                                  DataAnswer* found) {
    std::unique_lock<std::mutex> lock(mLock);
    return mArrived.wait_for(lock, timeout, [&] {
        for (const DataAnswer& answer : mData) {
            if (answer.ext1 != ext1) continue;
            if (found != nullptr) *found = answer;
            return true;
        }
        return false;
    });
}
