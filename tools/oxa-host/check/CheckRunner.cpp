#include "CheckRunner.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <exception>
#include <string>

#include "ChildChannel.h"
#include "CrashReporter.h"
#include "CrashSymbolizer.h"
#include "LogTap.h"

namespace oxahost {

namespace {

typedef std::chrono::steady_clock Clock;

// The reading end of a pipe, drained as the child writes.
struct Drain {
    int fd = -1;
    std::string text;

    bool open() const { return fd >= 0; }
    void readSome() {
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n > 0) {
            text.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            close(fd);
            fd = -1;
        }
    }
};

[[noreturn]] void runInChild(Check& check, const CheckContext& context, int resultFd, int crashFd) {
    signal(SIGPIPE, SIG_IGN);
    CrashReporter::install(crashFd);
    ChildChannel::open(resultFd);
    LogTap::install();
    CheckOutcome outcome;
    try {
        outcome = check.run(context);
    } catch (const std::exception& exception) {
        outcome.fail(std::string("an exception left the module: ") + exception.what());
    } catch (...) {
        outcome.fail("an exception that is not a std::exception left the module");
    }
    ChildChannel::finish(outcome);
    // No exit handlers: whatever the module left behind must not run or hang.
    _exit(0);
}

std::string withStep(const std::string& text, const std::string& step) {
    return step.empty() ? text : text + " (in: " + step + ")";
}

std::string formatSeconds(double seconds) {
    char text[32];
    snprintf(text, sizeof(text), "%g", seconds);
    return text;
}

}  // namespace

CheckRunner::CheckRunner(const CheckContext& context, double timeoutSeconds)
    : mContext(context), mTimeoutSeconds(timeoutSeconds) {}

std::vector<CheckResult> CheckRunner::runAll(
    const std::vector<Check*>& checks, const CheckOptions& options,
    const std::function<void(const CheckResult&)>& onResult) {
    std::vector<CheckResult> results;
    // The least that failed checks ruled out, and the first of them.
    int ruledOut = Check::kNone;
    std::string ruledOutBy;
    for (Check* check : checks) {
        if (!options.selects(check->name())) continue;
        CheckResult result;
        if (check->needs() >= ruledOut) {
            result.name = check->name();
            result.verdict = Verdict::kWarn;
            result.details = "not run: the host cannot " +
                             std::string(ruledOut == Check::kLoadedModule ? "load this module"
                                                                          : "open this library") +
                             " (see " + ruledOutBy + ")";
        } else {
            result = run(*check);
        }
        // What crashes or hangs a check that decides loading crashes or hangs the host.
        const bool refused = result.refused || result.verdict >= Verdict::kTimeout;
        if (refused && check->failureRulesOut() < ruledOut) {
            ruledOut = check->failureRulesOut();
            ruledOutBy = check->name();
        }
        if (onResult) onResult(result);
        results.push_back(result);
    }
    return results;
}

CheckResult CheckRunner::run(Check& check) {
    CheckResult result;
    result.name = check.name();
    int resultPipe[2];
    int crashPipe[2];
    if (pipe2(resultPipe, O_CLOEXEC) != 0) {
        result.verdict = Verdict::kFail;
        result.details = "cannot make a pipe for the check's process";
        return result;
    }
    if (pipe2(crashPipe, O_CLOEXEC) != 0) {
        close(resultPipe[0]);
        close(resultPipe[1]);
        result.verdict = Verdict::kFail;
        result.details = "cannot make a pipe for the check's process";
        return result;
    }
    fflush(stdout);
    fflush(stderr);
    const Clock::time_point started = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(resultPipe[0]);
        close(crashPipe[0]);
        runInChild(check, mContext, resultPipe[1], crashPipe[1]);
    }
    close(resultPipe[1]);
    close(crashPipe[1]);
    if (child < 0) {
        close(resultPipe[0]);
        close(crashPipe[0]);
        result.verdict = Verdict::kFail;
        result.details = "cannot start the check's process";
        return result;
    }

    Drain drains[2];
    drains[0].fd = resultPipe[0];
    drains[1].fd = crashPipe[0];
    const Clock::time_point deadline =
        started +
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(mTimeoutSeconds));
    int status = 0;
    bool exited = false;
    bool timedOut = false;
    while (!exited) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            timedOut = true;
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        long waitMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
        struct pollfd fds[2];
        nfds_t count = 0;
        for (Drain& drain : drains) {
            if (drain.open()) fds[count++] = {drain.fd, POLLIN, 0};
        }
        // With both pipes closed only the exit is left to wait for.
        if (count == 0 && waitMs > 10) waitMs = 10;
        if (poll(fds, count, static_cast<int>(waitMs)) > 0) {
            for (nfds_t i = 0; i < count; ++i) {
                if (fds[i].revents == 0) continue;
                for (Drain& drain : drains) {
                    if (drain.fd == fds[i].fd) drain.readSome();
                }
            }
        }
        if (!drains[0].open() && !drains[1].open()) {
            exited = waitpid(child, &status, WNOHANG) == child;
        }
    }
    for (Drain& drain : drains) {
        if (drain.open()) close(drain.fd);
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - started).count();

    CheckOutcome outcome;
    std::string step;
    std::string cause;
    const bool finished = ChildChannel::parse(drains[0].text, &outcome, &step, &cause);
    if (timedOut) {
        result.verdict = Verdict::kTimeout;
        result.details =
            withStep("no result within " + formatSeconds(mTimeoutSeconds) + " s", step);
        if (!cause.empty()) result.details += "\n" + cause;
    } else if (WIFSIGNALED(status)) {
        const int number = WTERMSIG(status);
        const char* name = CrashReporter::signalName(number);
        result.verdict = Verdict::kCrash;
        result.details =
            withStep("the module's process died of " +
                         (name != nullptr ? std::string(name) : "signal " + std::to_string(number)),
                     step);
        if (!cause.empty()) result.details += "\n" + cause;
        if (!drains[1].text.empty()) {
            result.details += "\n" + CrashSymbolizer::symbolize(drains[1].text);
        }
    } else if (!finished || WEXITSTATUS(status) != 0) {
        result.verdict = Verdict::kCrash;
        result.details =
            withStep("the module's process exited with status " +
                         std::to_string(WEXITSTATUS(status)) + " before the check ended",
                     step);
    } else {
        result.verdict = outcome.verdict();
        result.details = outcome.details();
        result.refused = outcome.refused();
    }
    while (!result.details.empty() && result.details.back() == '\n') result.details.pop_back();
    return result;
}

}  // namespace oxahost
