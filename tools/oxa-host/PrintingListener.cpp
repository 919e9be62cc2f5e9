#include "PrintingListener.h"

#include <string>

#include "Console.h"
#include "HexPreview.h"

namespace oxahost {

namespace {
const size_t kPreviewBytes = 16;
}  // namespace

PrintingListener::PrintingListener() : mAnswers(0) {}

void PrintingListener::notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) {
    const std::string text =
        str != nullptr ? std::string("\"") + str + "\"" : std::string("(null)");
    Console::line("answer text msgType=" + std::to_string(msgType) +
                  " ext1=" + std::to_string(ext1) + " ext2=" + std::to_string(ext2) + ": " + text);
    if (mOnAnswer) mOnAnswer("text " + text);
    countAnswer();
}

void PrintingListener::notifyDataCallback(int32_t ext1, int32_t ext2, size_t size,
                                          const void* data) {
    // The block is the module's memory, valid only during this call.
    Console::line("answer data ext1=" + std::to_string(ext1) + " ext2=" + std::to_string(ext2) +
                  " length=" + std::to_string(size) + ": " + hexPreview(data, size, kPreviewBytes));
    if (mOnAnswer) mOnAnswer("data of " + std::to_string(size) + " bytes");
    countAnswer();
}

void PrintingListener::countAnswer() {
    {
        std::lock_guard<std::mutex> lock(mLock);
        ++mAnswers;
    }
    mArrived.notify_all();
}

long PrintingListener::answerCount() {
    std::lock_guard<std::mutex> lock(mLock);
    return mAnswers;
}

bool PrintingListener::waitForAnswers(long count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mLock);
    return mArrived.wait_for(lock, timeout, [this, count] { return mAnswers >= count; });
}

}  // namespace oxahost
