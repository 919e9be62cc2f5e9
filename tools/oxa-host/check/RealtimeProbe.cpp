#include "RealtimeProbe.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <elf.h>
#include <errno.h>
#include <execinfo.h>
#include <poll.h>
#include <pthread.h>
#include <semaphore.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <new>

#include "ElfSymbols.h"

// A sanitizer defines the allocation functions itself; the probe then stays
// out of its way and the check says it cannot run.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define OXA_REALTIME_PROBE 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define OXA_REALTIME_PROBE 0
#endif
#endif
#ifndef OXA_REALTIME_PROBE
#define OXA_REALTIME_PROBE 1
#endif

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

// Called first by every caught function: cheap unless this is a watched
// thread while armed.
void caught(const char* call) {
    if (!tWatched || tInProbe || !sArmed.load(std::memory_order_acquire)) return;
    tInProbe = true;
    void* frames[kFrames];
    const int count = backtrace(frames, kFrames);
    if (count > kProbeFrames && moduleOnStack(frames + kProbeFrames, count - kProbeFrames)) {
        record(call, frames, count);
    }
    tInProbe = false;
}

// Whether a caught call on this thread is looked at (unused under a sanitizer).
[[maybe_unused]] bool watching() {
    return tWatched && !tInProbe && sArmed.load(std::memory_order_acquire);
}

// The next definition of `name` after oxa-host's: the C library's.
template <typename Function>
Function next(std::atomic<Function>& slot, const char* name) {
    Function function = slot.load(std::memory_order_relaxed);
    if (function == nullptr) {
        function = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
        slot.store(function, std::memory_order_relaxed);
    }
    return function;
}

std::string demangled(const std::string& name) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> text(
        abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), free);
    return status == 0 && text ? std::string(text.get()) : name;
}

std::string symbolise(void* const* frames, int count) {
    std::map<std::string, std::unique_ptr<ElfSymbols>> files;
    std::string text;
    for (int i = kProbeFrames; i < count && i < kProbeFrames + kPrintedFrames; ++i) {
        char line[64];
        snprintf(line, sizeof(line), "    #%d %p", i - kProbeFrames, frames[i]);
        text += line;
        Dl_info info;
        if (dladdr(frames[i], &info) == 0 || info.dli_fname == nullptr) {
            text += "\n";
            continue;
        }
        std::unique_ptr<ElfSymbols>& symbols = files[info.dli_fname];
        if (!symbols) {
            symbols.reset(new ElfSymbols());
            std::string error;
            if (!symbols->read(info.dli_fname, &error)) symbols.reset(new ElfSymbols());
        }
        // The return address is past the call: look up the byte before it.
        const uint64_t offset = reinterpret_cast<uintptr_t>(frames[i]) -
                                reinterpret_cast<uintptr_t>(info.dli_fbase) - 1;
        const ElfSymbol* symbol = symbols->containing(offset, STT_FUNC);
        if (symbol != nullptr) {
            snprintf(line, sizeof(line), "+0x%llx",
                     static_cast<unsigned long long>(offset + 1 - symbol->value));
            text += " " + demangled(symbol->name) + line;
        }
        text += std::string(" (") + baseName(info.dli_fname) + ")\n";
    }
    return text;
}

}  // namespace

bool RealtimeProbe::available() {
    return OXA_REALTIME_PROBE != 0;
}

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

int RealtimeProbe::watchedThreads() {
    return sWatched.load();
}

void RealtimeProbe::noteAnswer() {
    caught("an answer to the host (responseToService)");
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

#if OXA_REALTIME_PROBE

using oxahost::caught;
using oxahost::next;
using oxahost::watching;

namespace {

struct WatchedStart {
    void* (*routine)(void*);
    void* argument;
};

void* startWatched(void* start) {
    const WatchedStart copy = *static_cast<WatchedStart*>(start);
    delete static_cast<WatchedStart*>(start);
    oxahost::tWatched = true;
    oxahost::sWatched.fetch_add(1);
    return copy.routine(copy.argument);
}

std::atomic<int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*)> sCreate;
std::atomic<int (*)(pthread_mutex_t*)> sMutexLock;
std::atomic<int (*)(pthread_mutex_t*)> sMutexTrylock;
std::atomic<int (*)(pthread_cond_t*, pthread_mutex_t*)> sCondWait;
std::atomic<int (*)(pthread_cond_t*, pthread_mutex_t*, const struct timespec*)> sCondTimedwait;
std::atomic<int (*)(pthread_t, void**)> sJoin;
std::atomic<int (*)(sem_t*)> sSemWait;
std::atomic<int (*)(const struct timespec*, struct timespec*)> sNanosleep;
std::atomic<int (*)(clockid_t, int, const struct timespec*, struct timespec*)> sClockNanosleep;
std::atomic<int (*)(useconds_t)> sUsleep;
std::atomic<unsigned (*)(unsigned)> sSleep;
std::atomic<ssize_t (*)(int, void*, size_t)> sRead;
std::atomic<ssize_t (*)(int, const void*, size_t)> sWrite;
std::atomic<int (*)(struct pollfd*, nfds_t, int)> sPoll;
std::atomic<int (*)(int, fd_set*, fd_set*, fd_set*, struct timeval*)> sSelect;

// Resolves the C library's functions before any thread needs them.
__attribute__((constructor)) void resolveNext() {
    next(sCreate, "pthread_create");
    next(sMutexLock, "pthread_mutex_lock");
    next(sMutexTrylock, "pthread_mutex_trylock");
    next(sCondWait, "pthread_cond_wait");
    next(sCondTimedwait, "pthread_cond_timedwait");
    next(sJoin, "pthread_join");
    next(sSemWait, "sem_wait");
    next(sNanosleep, "nanosleep");
    next(sClockNanosleep, "clock_nanosleep");
    next(sUsleep, "usleep");
    next(sSleep, "sleep");
    next(sRead, "read");
    next(sWrite, "write");
    next(sPoll, "poll");
    next(sSelect, "select");
}

}  // namespace

#define OXA_PROBE_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" {
void* __libc_malloc(size_t size);
void __libc_free(void* pointer);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
}

OXA_PROBE_EXPORT void* malloc(size_t size) noexcept {
    caught("malloc");
    return __libc_malloc(size);
}

OXA_PROBE_EXPORT void free(void* pointer) noexcept {
    if (pointer != nullptr) caught("free");
    __libc_free(pointer);
}

OXA_PROBE_EXPORT void* calloc(size_t count, size_t size) noexcept {
    caught("calloc");
    return __libc_calloc(count, size);
}

OXA_PROBE_EXPORT void* realloc(void* pointer, size_t size) noexcept {
    caught("realloc");
    return __libc_realloc(pointer, size);
}

OXA_PROBE_EXPORT void* aligned_alloc(size_t alignment, size_t size) noexcept {
    caught("aligned_alloc");
    return __libc_memalign(alignment, size);
}

OXA_PROBE_EXPORT int posix_memalign(void** pointer, size_t alignment, size_t size) noexcept {
    caught("posix_memalign");
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr) return ENOMEM;
    *pointer = block;
    return 0;
}

OXA_PROBE_EXPORT int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                                    void* (*routine)(void*), void* argument) noexcept {
    auto create = next(sCreate, "pthread_create");
    if (oxahost::sWatchNew.load() &&
        oxahost::inLibraryNamed(__builtin_return_address(0), "libjack", true)) {
        WatchedStart* start = new (std::nothrow) WatchedStart{routine, argument};
        if (start != nullptr) {
            const int error = create(thread, attributes, startWatched, start);
            if (error != 0) delete start;
            return error;
        }
    }
    return create(thread, attributes, routine, argument);
}

OXA_PROBE_EXPORT int pthread_mutex_lock(pthread_mutex_t* mutex) noexcept {
    auto lock = next(sMutexLock, "pthread_mutex_lock");
    if (!watching()) return lock(mutex);
    // Taken at once, it is no wait; only a lock that is held is reported.
    const int error = next(sMutexTrylock, "pthread_mutex_trylock")(mutex);
    if (error != EBUSY) return error;
    caught("pthread_mutex_lock (held by another thread: waits)");
    return lock(mutex);
}

OXA_PROBE_EXPORT int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex) {
    caught("pthread_cond_wait");
    return next(sCondWait, "pthread_cond_wait")(condition, mutex);
}

OXA_PROBE_EXPORT int pthread_cond_timedwait(pthread_cond_t* condition, pthread_mutex_t* mutex,
                                            const struct timespec* until) {
    caught("pthread_cond_timedwait");
    return next(sCondTimedwait, "pthread_cond_timedwait")(condition, mutex, until);
}

OXA_PROBE_EXPORT int pthread_join(pthread_t thread, void** result) {
    caught("pthread_join");
    return next(sJoin, "pthread_join")(thread, result);
}

OXA_PROBE_EXPORT int sem_wait(sem_t* semaphore) {
    caught("sem_wait");
    return next(sSemWait, "sem_wait")(semaphore);
}

OXA_PROBE_EXPORT int nanosleep(const struct timespec* pause, struct timespec* left) {
    caught("nanosleep");
    return next(sNanosleep, "nanosleep")(pause, left);
}

OXA_PROBE_EXPORT int clock_nanosleep(clockid_t clock, int flags, const struct timespec* pause,
                                     struct timespec* left) {
    caught("clock_nanosleep");
    return next(sClockNanosleep, "clock_nanosleep")(clock, flags, pause, left);
}

OXA_PROBE_EXPORT int usleep(useconds_t microseconds) {
    caught("usleep");
    return next(sUsleep, "usleep")(microseconds);
}

OXA_PROBE_EXPORT unsigned sleep(unsigned seconds) {
    caught("sleep");
    return next(sSleep, "sleep")(seconds);
}

OXA_PROBE_EXPORT ssize_t read(int fd, void* buffer, size_t size) {
    caught("read");
    return next(sRead, "read")(fd, buffer, size);
}

OXA_PROBE_EXPORT ssize_t write(int fd, const void* buffer, size_t size) {
    caught("write");
    return next(sWrite, "write")(fd, buffer, size);
}

OXA_PROBE_EXPORT int poll(struct pollfd* fds, nfds_t count, int timeoutMs) {
    caught("poll");
    return next(sPoll, "poll")(fds, count, timeoutMs);
}

OXA_PROBE_EXPORT int select(int count, fd_set* readable, fd_set* writable, fd_set* failed,
                            struct timeval* timeout) {
    caught("select");
    return next(sSelect, "select")(count, readable, writable, failed, timeout);
}

#endif  // OXA_REALTIME_PROBE
