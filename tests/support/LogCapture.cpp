#include "LogCapture.h"

#include <android/log.h>
#include <stdio.h>
#include <stdlib.h>

#include <mutex>

const char kHostTag[] = "VAD-OXAClient";
const char kBridgeTag[] = "ZEZE-OvikServiceJNI";

namespace {

// Never destroyed: a module library that stays loaded for good (one opened
// with global visibility and looked up process-wide) logs from its
// destructors after the test program's own statics are gone.
std::mutex& captureLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::vector<LogLine>& captured() {
    static std::vector<LogLine>* lines = new std::vector<LogLine>;
    return *lines;
}

// Set OVIK_TEST_LOG=1 to also see every line on stderr.
void record(const struct __android_logger_data* data, const char* message) {
    {
        std::lock_guard<std::mutex> lock(captureLock());
        captured().push_back(LogLine{data->priority, data->tag ? data->tag : "", message});
    }
    static const bool echo = getenv("OVIK_TEST_LOG") != nullptr;
    if (echo) __android_log_stderr_logger(data, message);
}

const char* priorityName(int priority) {
    switch (priority) {
        case ANDROID_LOG_VERBOSE:
            return "VERBOSE";
        case ANDROID_LOG_DEBUG:
            return "DEBUG";
        case ANDROID_LOG_INFO:
            return "INFO";
        case ANDROID_LOG_WARN:
            return "WARN";
        case ANDROID_LOG_ERROR:
            return "ERROR";
        case ANDROID_LOG_FATAL:
            return "FATAL";
        default:
            return "?";
    }
}

}  // namespace

void PrintTo(const LogLine& line, std::ostream* os) {
    *os << priorityName(line.priority) << ' ' << line.tag << ": \"" << line.message << '"';
}

void LogCapture::install() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
        __android_log_set_logger(record);
    });
}

void LogCapture::clear() {
    std::lock_guard<std::mutex> lock(captureLock());
    captured().clear();
}

std::vector<LogLine> LogCapture::lines() {
    std::lock_guard<std::mutex> lock(captureLock());
    return captured();
}

std::vector<LogLine> LogCapture::linesWithTag(const std::string& tag) {
    std::vector<LogLine> result;
    for (const LogLine& line : lines()) {
        if (line.tag == tag) result.push_back(line);
    }
    return result;
}

int LogCapture::indexOf(int priority, const std::string& tag, const std::string& message,
                        int from) {
    const std::vector<LogLine> all = lines();
    for (int i = from < 0 ? 0 : from; i < static_cast<int>(all.size()); ++i) {
        if (all[i] == LogLine{priority, tag, message}) return i;
    }
    return -1;
}

bool LogCapture::contains(int priority, const std::string& tag, const std::string& message) {
    return indexOf(priority, tag, message) >= 0;
}

int LogCapture::countContaining(int priority, const std::string& tag, const std::string& part) {
    int n = 0;
    for (const LogLine& line : lines()) {
        if (line.priority == priority && line.tag == tag &&
            line.message.find(part) != std::string::npos) {
            ++n;
        }
    }
    return n;
}

int LogCapture::count(int priority, const std::string& tag, const std::string& message) {
    int n = 0;
    for (const LogLine& line : lines()) {
        if (line == LogLine{priority, tag, message}) ++n;
    }
    return n;
}
