#include "CapturedLog.h"

#include <android/log.h>
#include <stdlib.h>

#include <mutex>

namespace {

std::mutex& bufferLock() {
    static std::mutex lock;
    return lock;
}

std::string& buffer() {
    static std::string lines;
    return lines;
}

// Set OVIK_TEST_LOG=1 to see every line on stderr as well.
void record(const struct __android_logger_data* data, const char* message) {
    {
        std::lock_guard<std::mutex> lock(bufferLock());
        std::string& lines = buffer();
        lines.push_back(static_cast<char>(data->priority));
        lines.append(data->tag != nullptr ? data->tag : "");
        lines.push_back('\0');
        lines.append(message != nullptr ? message : "");
        lines.push_back('\0');
    }
    static const bool echo = getenv("OVIK_TEST_LOG") != nullptr;
    if (echo) __android_log_stderr_logger(data, message);
}

}  // namespace

void CapturedLog::install() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
        __android_log_set_logger(record);
    });
}

std::string CapturedLog::take() {
    std::lock_guard<std::mutex> lock(bufferLock());
    std::string lines;
    lines.swap(buffer());
    return lines;
}
