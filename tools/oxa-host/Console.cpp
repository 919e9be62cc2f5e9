#include "Console.h"

#include <stdio.h>

#include <mutex>

namespace oxahost {

namespace {
std::mutex sConsoleLock;
}  // namespace

void Console::line(const std::string& text) {
    std::lock_guard<std::mutex> lock(sConsoleLock);
    fwrite(text.data(), 1, text.size(), stdout);
    fputc('\n', stdout);
    // Flushed at once: output piped to a file keeps its order with the
    // library's own lines if it ever writes directly.
    fflush(stdout);
}

void Console::diagnostic(const std::string& text) {
    std::lock_guard<std::mutex> lock(sConsoleLock);
    fflush(stdout);
    fwrite(text.data(), 1, text.size(), stderr);
    fputc('\n', stderr);
    fflush(stderr);
}

}  // namespace oxahost
