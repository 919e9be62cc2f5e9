// oxa-host's listener: stands where the Java service stands on a device and
// prints every answer of the module with its ids.
#ifndef OXA_HOST_PRINTING_LISTENER_H
#define OXA_HOST_PRINTING_LISTENER_H

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

#include "OXAUserListener.h"

namespace oxahost {

class PrintingListener : public android::OXAUserListener {
public:
    PrintingListener();

    // Any thread: the module's own threads as well as the calling one.
    void notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) override;
    void notifyDataCallback(int32_t ext1, int32_t ext2, size_t size, const void* data) override;

    // Called for every answer, on the thread that answers, with a short
    // description of it. Set before the module is loaded.
    void onAnswer(std::function<void(const std::string& answer)> observer) {
        mOnAnswer = std::move(observer);
    }

    long answerCount();
    // Waits until `count` answers have arrived or `timeout` has passed;
    // true when they arrived.
    bool waitForAnswers(long count, std::chrono::milliseconds timeout);

private:
    void countAnswer();

    std::mutex mLock;
    std::condition_variable mArrived;
    long mAnswers;
    std::function<void(const std::string&)> mOnAnswer;
};

}  // namespace oxahost

#endif  // OXA_HOST_PRINTING_LISTENER_H
