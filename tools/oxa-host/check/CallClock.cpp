#include "CallClock.h"

#include <time.h>

#include "ChildChannel.h"

namespace oxahost {

namespace {

double seconds(clockid_t clock) {
    struct timespec now;
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

double CallClock::processCpuSeconds() {
    return seconds(CLOCK_PROCESS_CPUTIME_ID);
}

double CallClock::wallSeconds() {
    return seconds(CLOCK_MONOTONIC);
}

void CallClock::measure(const std::string& label, const std::function<void()>& body) {
    ChildChannel::step(label);
    const double wall = wallSeconds();
    const double cpu = processCpuSeconds();
    body();
    const Call call = {label, wallSeconds() - wall, processCpuSeconds() - cpu};
    // Some checks call the module from several threads at once.
    std::lock_guard<std::mutex> lock(mLock);
    mCalls.push_back(call);
}

}  // namespace oxahost
