#include "OXATestHostRecord.h"

#include <utility>

namespace android {

void OXATestHostRecord::addAnswer(const OXATestAnswer& answer) {
    std::function<void(const OXATestAnswer&)> callback;
    {
        std::lock_guard<std::mutex> lock(mLock);
        mAnswers.push_back(answer);
        callback = mCallback;
        // Signalled under the lock: a waiter that wakes may destroy the host
        // as soon as it holds the lock again.
        mArrived.notify_all();
    }
    if (callback) callback(answer);
}

void OXATestHostRecord::addLogLine(const OXATestLogLine& line) {
    std::lock_guard<std::mutex> lock(mLock);
    mLogLines.push_back(line);
}

std::vector<OXATestAnswer> OXATestHostRecord::answers() const {
    std::lock_guard<std::mutex> lock(mLock);
    return mAnswers;
}

size_t OXATestHostRecord::answerCount() const {
    std::lock_guard<std::mutex> lock(mLock);
    return mAnswers.size();
}

bool OXATestHostRecord::waitForFirst(const std::function<bool(const OXATestAnswer&)>& matches,
                                     std::chrono::milliseconds timeout,
                                     OXATestAnswer* found) const {
    std::unique_lock<std::mutex> lock(mLock);
    return mArrived.wait_for(lock, timeout, [&] {
        for (const OXATestAnswer& answer : mAnswers) {
            if (!matches(answer)) continue;
            if (found != nullptr) *found = answer;
            return true;
        }
        return false;
    });
}

bool OXATestHostRecord::waitForCount(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(mLock);
    return mArrived.wait_for(lock, timeout, [&] { return mAnswers.size() >= count; });
}

void OXATestHostRecord::clearAnswers() {
    std::lock_guard<std::mutex> lock(mLock);
    mAnswers.clear();
}

void OXATestHostRecord::setCallback(std::function<void(const OXATestAnswer&)> callback) {
    std::lock_guard<std::mutex> lock(mLock);
    mCallback = std::move(callback);
}

std::vector<OXATestLogLine> OXATestHostRecord::logLines() const {
    std::lock_guard<std::mutex> lock(mLock);
    return mLogLines;
}

}  // namespace android
