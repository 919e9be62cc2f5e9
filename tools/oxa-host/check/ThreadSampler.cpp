#include "ThreadSampler.h"

#include <execinfo.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "CrashSymbolizer.h"

namespace oxahost {

namespace {

const int kFrames = 32;
// How long a thread is given to run the handler: a busy machine or an
// emulator may take a while to schedule it.
const std::chrono::milliseconds kPatience(1000);

std::mutex sOneAtATime;
std::atomic<int> sWanted{0};
std::atomic<bool> sTaken{false};
void* sFrames[kFrames];
int sCount = 0;

int samplingSignal() {
    // Far from the real-time signals the C library keeps for itself.
    return SIGRTMAX - 2;
}

void onSample(int, siginfo_t*, void*) {
    if (static_cast<int>(syscall(SYS_gettid)) != sWanted.load(std::memory_order_acquire)) return;
    sCount = backtrace(sFrames, kFrames);
    sTaken.store(true, std::memory_order_release);
}

void installHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        // backtrace() loads its unwinder on first use: not in the handler.
        void* warmUp[2];
        backtrace(warmUp, 2);
        struct sigaction action = {};
        action.sa_sigaction = onSample;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(samplingSignal(), &action, nullptr);
    });
}

}  // namespace

std::string ThreadSampler::rawFrames(int tid) {
    installHandler();
    std::lock_guard<std::mutex> lock(sOneAtATime);
    sTaken.store(false);
    sWanted.store(tid, std::memory_order_release);
    if (syscall(SYS_tgkill, getpid(), tid, samplingSignal()) != 0) return "";
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!sTaken.load(std::memory_order_acquire)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            // A late handler must not write into the next request's frames.
            sWanted.store(-1);
            return "";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    sWanted.store(-1);
    // The handler's own frame and the signal trampoline come first; the
    // interrupted function follows the trampoline.
    std::string raw;
    for (int i = 2; i < sCount; ++i) raw += CrashSymbolizer::rawFrame(sFrames[i], i > 2);
    return raw;
}

}  // namespace oxahost
