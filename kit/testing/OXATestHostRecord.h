// What one test host records: its client's answers and the library's log
// lines, filled from any thread, waited for by the test.
#ifndef OXA_TEST_HOST_RECORD_H
#define OXA_TEST_HOST_RECORD_H

#include <stdint.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "OXATestHost.h"

namespace android {

class OXATestHostRecord {
public:
    explicit OXATestHostRecord(int32_t objectId) : mObjectId(objectId) {}

    int32_t objectId() const { return mObjectId; }

    // Records the answer, wakes the waiters, then runs the callback on this
    // thread with no lock held.
    void addAnswer(const OXATestAnswer& answer);
    void addLogLine(const OXATestLogLine& line);

    std::vector<OXATestAnswer> answers() const;
    size_t answerCount() const;
    // Waits for the first answer that `matches`; copies it to `found`.
    bool waitForFirst(const std::function<bool(const OXATestAnswer&)>& matches,
                      std::chrono::milliseconds timeout, OXATestAnswer* found) const;
    bool waitForCount(size_t count, std::chrono::milliseconds timeout) const;
    void clearAnswers();
    void setCallback(std::function<void(const OXATestAnswer&)> callback);
    std::vector<OXATestLogLine> logLines() const;

private:
    const int32_t mObjectId;
    mutable std::mutex mLock;
    mutable std::condition_variable mArrived;
    std::vector<OXATestAnswer> mAnswers;
    std::vector<OXATestLogLine> mLogLines;
    std::function<void(const OXATestAnswer&)> mCallback;
};

}  // namespace android

#endif  // OXA_TEST_HOST_RECORD_H
