#include "LogPrinter.h"

#include <android/log.h>

#include <string>

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

void printLogLine(const struct __android_logger_data* data, const char* message) {
    std::string text = message != nullptr ? message : "";
    // Several of the library's lines end in "\n"; the console adds its own.
    while (!text.empty() && text.back() == '\n') text.pop_back();
    Console::line(std::string("log ") + priorityLetter(data->priority) + " " +
                  (data->tag != nullptr ? data->tag : "") + ": " + text);
}

}  // namespace

void LogPrinter::install() {
    __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
    __android_log_set_logger(printLogLine);
}

void LogPrinter::quiet() {
    __android_log_set_minimum_priority(ANDROID_LOG_ERROR);
    __android_log_set_logger(printLogLine);
}

}  // namespace oxahost
