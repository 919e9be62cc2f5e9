#include "RealtimeProbe.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <mutex>

#include "CrashSymbolizer.h"
#include "RealtimeWatch.h"

namespace oxahost {

namespace {

const int kFrames = 24;
const int kMaxReports = 8;
// The probe's own frames at the top of every recorded stack.
const int kProbeFrames = 2;
const int kPrintedFrames = 12;

struct RawReport {
    const char* call;
    int count;
    int frameCount;
    void* frames[kFrames];
};

std::atomic<bool> sArmed{false};
std::atomic<bool> sWatchNew{false};
std::atomic<int> sWatched{0};
// Set by arm() before sArmed, read by caught calls after it.
char sModuleName[256];
std::mutex sReportsLock;
RawReport sReports[kMaxReports];
int sReportCount = 0;

// A thread that libjack started while watching.
thread_local bool tWatched = false;
// Set while the probe itself runs on this thread: the calls it makes are
// passed straight on.
thread_local bool tInProbe = false;

const char* baseName(const char* path) {
    const char* slash = strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

bool inLibraryNamed(const void* address, const char* name, bool prefix) {
    Dl_info info;
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return false;
    const char* file = baseName(info.dli_fname);
    return prefix ? strncmp(file, name, strlen(name)) == 0 : strcmp(file, name) == 0;
}

bool moduleOnStack(void* const* frames, int count) {
    for (int i = 0; i < count; ++i) {
        if (inLibraryNamed(frames[i], sModuleName, false)) return true;
    }
    return false;
}

void record(const char* call, void* const* frames, int count) {
    std::lock_guard<std::mutex> lock(sReportsLock);
    // One report per call and place in the module.
    for (int i = 0; i < sReportCount; ++i) {
        RawReport& report = sReports[i];
        if (strcmp(report.call, call) == 0 && report.frameCount == count &&
            memcmp(report.frames + kProbeFrames, frames + kProbeFrames,
                   sizeof(void*) * static_cast<size_t>(count - kProbeFrames)) == 0) {
            ++report.count;
            return;
        }
    }
    if (sReportCount == kMaxReports) return;
    RawReport& report = sReports[sReportCount++];
    report.call = call;
    report.count = 1;
    report.frameCount = count;
    memcpy(report.frames, frames, sizeof(void*) * static_cast<size_t>(count));
}

// The frames below the probe's own, named as a crash report names them.
std::string symbolise(void* const* frames, int count) {
    std::string raw;
    for (int i = kProbeFrames; i < count && i < kProbeFrames + kPrintedFrames; ++i) {
        raw += CrashSymbolizer::rawFrame(frames[i], true);
    }
    return CrashSymbolizer::symbolize(raw, true);
}

}  // namespace

namespace realtime {

// Called first by every caught function: cheap unless this is a watched
// thread while armed.
__attribute__((noinline)) void caught(const char* call, const void* caller) {
    if (!tWatched || tInProbe || !sArmed.load(std::memory_order_acquire)) return;
    tInProbe = true;
    void* frames[kFrames] = {};
    int count = backtrace(frames, kFrames);
    // The unwinder stops at a function without unwind information: on 32-bit
    // ARM, GCC gives it only to functions an exception must pass, unless
    // built with -funwind-tables. The caller of the caught call is known.
    if (count <= kProbeFrames) {
        frames[kProbeFrames] = const_cast<void*>(caller);
        count = kProbeFrames + 1;
    }
    if (count > kProbeFrames && moduleOnStack(frames + kProbeFrames, count - kProbeFrames)) {
        record(call, frames, count);
    }
    tInProbe = false;
}

bool watching() {
    return tWatched && !tInProbe && sArmed.load(std::memory_order_acquire);
}

bool isJackThreadToWatch(const void* creator) {
    return sWatchNew.load() && inLibraryNamed(creator, "libjack", true);
}

void watchThisThread() {
    tWatched = true;
    sWatched.fetch_add(1);
}

}  // namespace realtime

void RealtimeProbe::arm(const std::string& modulePath) {
    // backtrace() loads its unwinder on first use: not on a watched thread.
    void* warmUp[2];
    backtrace(warmUp, 2);
    snprintf(sModuleName, sizeof(sModuleName), "%s", baseName(modulePath.c_str()));
    {
        std::lock_guard<std::mutex> lock(sReportsLock);
        sReportCount = 0;
    }
    sWatched.store(0);
    sArmed.store(true, std::memory_order_release);
}

void RealtimeProbe::disarm() {
    sArmed.store(false, std::memory_order_release);
}

void RealtimeProbe::watchNewJackThreads(bool on) {
    sWatchNew.store(on);
}

void RealtimeProbe::watchCallingThread() {
    realtime::watchThisThread();
}

bool RealtimeProbe::callingThreadWatched() {
    return tWatched;
}

int RealtimeProbe::watchedThreads() {
    return sWatched.load();
}

void RealtimeProbe::noteAnswer() {
    realtime::caught("an answer to the host (responseToService)");
}

std::vector<RealtimeProbe::Report> RealtimeProbe::reports() {
    std::lock_guard<std::mutex> lock(sReportsLock);
    std::vector<Report> reports;
    for (int i = 0; i < sReportCount; ++i) {
        const RawReport& raw = sReports[i];
        Report report;
        report.call = raw.call;
        if (raw.count > 1) report.call += " (" + std::to_string(raw.count) + " times)";
        report.backtrace = symbolise(raw.frames, raw.frameCount);
        reports.push_back(report);
    }
    return reports;
}

}  // namespace oxahost
