#include "LogPrinter.h"

#include <android/log.h>

#include <mutex>
#include <string>
#include <vector>

#include "Console.h"

namespace oxahost {

namespace {

char priorityLetter(int priority) {
    switch (priority) {
        case ANDROID_LOG_VERBOSE:
            return 'V';
        case ANDROID_LOG_DEBUG:
            return 'D';
        case ANDROID_LOG_INFO:
            return 'I';
        case ANDROID_LOG_WARN:
            return 'W';
        case ANDROID_LOG_ERROR:
            return 'E';
        case ANDROID_LOG_FATAL:
            return 'F';
        default:
            return '?';
    }
}

std::mutex sKeptLock;
std::vector<std::string> sKept;
int sPrintedPriority = ANDROID_LOG_VERBOSE;

void printLogLine(const struct __android_logger_data* data, const char* message) {
    std::string text = message != nullptr ? message : "";
    // Several of the library's lines end in "\n"; the console adds its own.
    while (!text.empty() && text.back() == '\n') text.pop_back();
    {
        std::lock_guard<std::mutex> lock(sKeptLock);
        sKept.push_back(text);
    }
    if (data->priority < sPrintedPriority) return;
    Console::line(std::string("log ") + priorityLetter(data->priority) + " " +
                  (data->tag != nullptr ? data->tag : "") + ": " + text);
}

}  // namespace

void LogPrinter::install() {
    __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
    __android_log_set_logger(printLogLine);
}

void LogPrinter::quiet() {
    // Every line reaches the logger, to be kept; only errors are printed.
    sPrintedPriority = ANDROID_LOG_ERROR;
    __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
    __android_log_set_logger(printLogLine);
}

std::vector<std::string> LogPrinter::linesContaining(const std::string& text) {
    std::lock_guard<std::mutex> lock(sKeptLock);
    std::vector<std::string> lines;
    for (const std::string& line : sKept) {
        if (line.find(text) != std::string::npos) lines.push_back(line);
    }
    return lines;
}

}  // namespace oxahost
