#include "GuardedRun.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "Console.h"
#include "CrashReporter.h"
#include "CrashSymbolizer.h"

namespace oxahost {

namespace {

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n > 0) {
            text.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            return text;
        }
    }
}

}  // namespace

int GuardedRun::run(const std::function<int()>& body) {
    int crashPipe[2];
    if (pipe2(crashPipe, O_CLOEXEC) != 0) return body();
    fflush(stdout);
    fflush(stderr);
    const pid_t child = fork();
    if (child < 0) {
        close(crashPipe[0]);
        close(crashPipe[1]);
        return body();
    }
    if (child == 0) {
        close(crashPipe[0]);
        CrashReporter::install(crashPipe[1]);
        const int status = body();
        fflush(stdout);
        fflush(stderr);
        // No exit handlers: module code left behind must not run them.
        _exit(status);
    }
    close(crashPipe[1]);
    // The child's report ends when it dies: every writer is gone then.
    const std::string report = readAll(crashPipe[0]);
    close(crashPipe[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    const char* name = WIFSIGNALED(status) ? CrashReporter::signalName(WTERMSIG(status)) : nullptr;
    Console::diagnostic(
        "CRASH: the module's process died of " +
        (name != nullptr ? std::string(name) : "signal " + std::to_string(WTERMSIG(status))));
    std::string frames = CrashSymbolizer::symbolize(report);
    while (!frames.empty() && frames.back() == '\n') frames.pop_back();
    if (!frames.empty()) Console::diagnostic(frames);
    return 1;
}

}  // namespace oxahost
