#include "LogTap.h"

#include <android/log.h>

#include <mutex>

namespace oxahost {

namespace {

// Enough for any check; a module that logs without end is cut off.
const size_t kMaxLines = 100000;

std::mutex sLock;
std::vector<std::string> sErrors;

void tapLine(const struct __android_logger_data* data, const char* message) {
    if (data->priority < ANDROID_LOG_ERROR) return;
    std::lock_guard<std::mutex> lock(sLock);
    if (sErrors.size() < kMaxLines) sErrors.push_back(message != nullptr ? message : "");
}

}  // namespace

void LogTap::install() {
    __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
    __android_log_set_logger(tapLine);
}

void LogTap::clear() {
    std::lock_guard<std::mutex> lock(sLock);
    sErrors.clear();
}

std::vector<std::string> LogTap::errorsContaining(const std::string& text) {
    std::lock_guard<std::mutex> lock(sLock);
    std::vector<std::string> found;
    for (const std::string& line : sErrors) {
        if (line.find(text) != std::string::npos) found.push_back(line);
    }
    return found;
}

}  // namespace oxahost
