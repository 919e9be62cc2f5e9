// The C library functions that a real-time thread must not call, defined in
// oxa-host itself: the dynamic linker binds every library's calls to them
// (the executable comes first), and each tells the realtime probe before it
// passes the call on to the C library's own. The allocation functions pass
// on through the C library's __libc_ names, the others through the next
// definition (dlsym RTLD_NEXT), looked up before main().
#include <dlfcn.h>
#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <semaphore.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/select.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <new>

#include "RealtimeProbe.h"
#include "RealtimeWatch.h"
#include "SanitizerBuild.h"

// A sanitizer defines the allocation functions itself; the probe then stays
// out of its way and the check says it cannot run.
#define OXA_REALTIME_PROBE \
    (!OXA_HOST_ADDRESS_SANITIZER && !OXA_HOST_THREAD_SANITIZER && !OXA_HOST_MEMORY_SANITIZER)

bool oxahost::RealtimeProbe::available() {
    return OXA_REALTIME_PROBE != 0;
}

#if OXA_REALTIME_PROBE

using oxahost::realtime::caught;
using oxahost::realtime::watching;

namespace {

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

struct WatchedStart {
    void* (*routine)(void*);
    void* argument;
};

void* startWatched(void* start) {
    const WatchedStart copy = *static_cast<WatchedStart*>(start);
    delete static_cast<WatchedStart*>(start);
    oxahost::realtime::watchThisThread();
    return copy.routine(copy.argument);
}

std::atomic<int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*)> sCreate;
std::atomic<int (*)(pthread_mutex_t*)> sMutexLock;
std::atomic<int (*)(pthread_mutex_t*)> sMutexTrylock;
std::atomic<int (*)(pthread_cond_t*, pthread_mutex_t*)> sCondWait;
std::atomic<int (*)(pthread_cond_t*, pthread_mutex_t*, const struct timespec*)> sCondTimedwait;
std::atomic<int (*)(pthread_cond_t*, pthread_mutex_t*, clockid_t, const struct timespec*)>
    sCondClockwait;
std::atomic<int (*)(pthread_mutex_t*, const struct timespec*)> sMutexTimedlock;
std::atomic<int (*)(pthread_mutex_t*, clockid_t, const struct timespec*)> sMutexClocklock;
std::atomic<int (*)(pthread_rwlock_t*)> sRdlock;
std::atomic<int (*)(pthread_rwlock_t*)> sTryRdlock;
std::atomic<int (*)(pthread_rwlock_t*)> sWrlock;
std::atomic<int (*)(pthread_rwlock_t*)> sTryWrlock;
std::atomic<int (*)(pthread_rwlock_t*, const struct timespec*)> sTimedRdlock;
std::atomic<int (*)(pthread_rwlock_t*, const struct timespec*)> sTimedWrlock;
std::atomic<int (*)(pthread_rwlock_t*, clockid_t, const struct timespec*)> sClockRdlock;
std::atomic<int (*)(pthread_rwlock_t*, clockid_t, const struct timespec*)> sClockWrlock;
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
std::atomic<size_t (*)(const void*, size_t, size_t, FILE*)> sFwrite;
std::atomic<int (*)(const char*, FILE*)> sFputs;
std::atomic<int (*)(const char*)> sPuts;
std::atomic<int (*)(int, FILE*)> sFputc;
std::atomic<int (*)(int, FILE*)> sPutc;
std::atomic<int (*)(int)> sPutchar;
std::atomic<int (*)(FILE*)> sFflush;
std::atomic<int (*)(FILE*, const char*, va_list)> sVfprintf;
std::atomic<int (*)(FILE*, int, const char*, va_list)> sVfprintfChk;

// Resolves the C library's functions before any thread needs them.
__attribute__((constructor)) void resolveNext() {
    next(sCreate, "pthread_create");
    next(sMutexLock, "pthread_mutex_lock");
    next(sMutexTrylock, "pthread_mutex_trylock");
    next(sCondWait, "pthread_cond_wait");
    next(sCondTimedwait, "pthread_cond_timedwait");
    next(sCondClockwait, "pthread_cond_clockwait");
    next(sMutexTimedlock, "pthread_mutex_timedlock");
    next(sMutexClocklock, "pthread_mutex_clocklock");
    next(sRdlock, "pthread_rwlock_rdlock");
    next(sTryRdlock, "pthread_rwlock_tryrdlock");
    next(sWrlock, "pthread_rwlock_wrlock");
    next(sTryWrlock, "pthread_rwlock_trywrlock");
    next(sTimedRdlock, "pthread_rwlock_timedrdlock");
    next(sTimedWrlock, "pthread_rwlock_timedwrlock");
    next(sClockRdlock, "pthread_rwlock_clockrdlock");
    next(sClockWrlock, "pthread_rwlock_clockwrlock");
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
    next(sFwrite, "fwrite");
    next(sFputs, "fputs");
    next(sPuts, "puts");
    next(sFputc, "fputc");
    next(sPutc, "putc");
    next(sPutchar, "putchar");
    next(sFflush, "fflush");
    next(sVfprintf, "vfprintf");
    next(sVfprintfChk, "__vfprintf_chk");
}

// The tries that tell a free lock from a held one.
int tryMutex(pthread_mutex_t* mutex) {
    return next(sMutexTrylock, "pthread_mutex_trylock")(mutex);
}
int tryRead(pthread_rwlock_t* lock) {
    return next(sTryRdlock, "pthread_rwlock_tryrdlock")(lock);
}
int tryWrite(pthread_rwlock_t* lock) {
    return next(sTryWrlock, "pthread_rwlock_trywrlock")(lock);
}

// What tryTakeUnlessHeld() gives when the lock is still to be taken by the
// real call; any other value is the result of the try, the lock's own.
constexpr int kTakeItNow = -1;

// A lock taken at once is no wait; only one that is held is reported.
// Inlined, so that the caught call's caller is the function of the lock.
template <typename Lock>
__attribute__((always_inline)) inline int tryTakeUnlessHeld(const char* call, int (*tryTake)(Lock*),
                                                            Lock* lock) {
    if (!watching()) return kTakeItNow;
    const int error = tryTake(lock);
    if (error != EBUSY) return error;
    caught(call);
    return kTakeItNow;
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
    if (oxahost::realtime::isJackThreadToWatch(__builtin_return_address(0))) {
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
    const int tried =
        tryTakeUnlessHeld("pthread_mutex_lock (held by another thread: waits)", tryMutex, mutex);
    return tried != kTakeItNow ? tried : lock(mutex);
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

OXA_PROBE_EXPORT int pthread_cond_clockwait(pthread_cond_t* condition, pthread_mutex_t* mutex,
                                            clockid_t clock, const struct timespec* until) {
    caught("pthread_cond_clockwait");
    return next(sCondClockwait, "pthread_cond_clockwait")(condition, mutex, clock, until);
}

OXA_PROBE_EXPORT int pthread_mutex_timedlock(pthread_mutex_t* mutex,
                                             const struct timespec* until) noexcept {
    const int tried = tryTakeUnlessHeld("pthread_mutex_timedlock (held by another thread: waits)",
                                        tryMutex, mutex);
    return tried != kTakeItNow ? tried
                               : next(sMutexTimedlock, "pthread_mutex_timedlock")(mutex, until);
}

OXA_PROBE_EXPORT int pthread_mutex_clocklock(pthread_mutex_t* mutex, clockid_t clock,
                                             const struct timespec* until) noexcept {
    const int tried = tryTakeUnlessHeld("pthread_mutex_clocklock (held by another thread: waits)",
                                        tryMutex, mutex);
    return tried != kTakeItNow
               ? tried
               : next(sMutexClocklock, "pthread_mutex_clocklock")(mutex, clock, until);
}

// The read-write locks behind std::shared_mutex and std::shared_timed_mutex.
OXA_PROBE_EXPORT int pthread_rwlock_rdlock(pthread_rwlock_t* lock) noexcept {
    const int tried =
        tryTakeUnlessHeld("pthread_rwlock_rdlock (held for writing: waits)", tryRead, lock);
    return tried != kTakeItNow ? tried : next(sRdlock, "pthread_rwlock_rdlock")(lock);
}

OXA_PROBE_EXPORT int pthread_rwlock_wrlock(pthread_rwlock_t* lock) noexcept {
    const int tried =
        tryTakeUnlessHeld("pthread_rwlock_wrlock (held by another thread: waits)", tryWrite, lock);
    return tried != kTakeItNow ? tried : next(sWrlock, "pthread_rwlock_wrlock")(lock);
}

OXA_PROBE_EXPORT int pthread_rwlock_timedrdlock(pthread_rwlock_t* lock,
                                                const struct timespec* until) noexcept {
    const int tried =
        tryTakeUnlessHeld("pthread_rwlock_timedrdlock (held for writing: waits)", tryRead, lock);
    return tried != kTakeItNow ? tried
                               : next(sTimedRdlock, "pthread_rwlock_timedrdlock")(lock, until);
}

OXA_PROBE_EXPORT int pthread_rwlock_timedwrlock(pthread_rwlock_t* lock,
                                                const struct timespec* until) noexcept {
    const int tried = tryTakeUnlessHeld(
        "pthread_rwlock_timedwrlock (held by another thread: waits)", tryWrite, lock);
    return tried != kTakeItNow ? tried
                               : next(sTimedWrlock, "pthread_rwlock_timedwrlock")(lock, until);
}

OXA_PROBE_EXPORT int pthread_rwlock_clockrdlock(pthread_rwlock_t* lock, clockid_t clock,
                                                const struct timespec* until) noexcept {
    const int tried =
        tryTakeUnlessHeld("pthread_rwlock_clockrdlock (held for writing: waits)", tryRead, lock);
    return tried != kTakeItNow
               ? tried
               : next(sClockRdlock, "pthread_rwlock_clockrdlock")(lock, clock, until);
}

OXA_PROBE_EXPORT int pthread_rwlock_clockwrlock(pthread_rwlock_t* lock, clockid_t clock,
                                                const struct timespec* until) noexcept {
    const int tried = tryTakeUnlessHeld(
        "pthread_rwlock_clockwrlock (held by another thread: waits)", tryWrite, lock);
    return tried != kTakeItNow
               ? tried
               : next(sClockWrlock, "pthread_rwlock_clockwrlock")(lock, clock, until);
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

// Writes to a FILE: each may take the stream's lock, allocate its buffer
// and write to the descriptor.
OXA_PROBE_EXPORT size_t fwrite(const void* bytes, size_t size, size_t count, FILE* file) {
    caught("fwrite");
    return next(sFwrite, "fwrite")(bytes, size, count, file);
}

OXA_PROBE_EXPORT int fputs(const char* text, FILE* file) {
    caught("fputs");
    return next(sFputs, "fputs")(text, file);
}

OXA_PROBE_EXPORT int puts(const char* text) {
    caught("puts");
    return next(sPuts, "puts")(text);
}

OXA_PROBE_EXPORT int fputc(int c, FILE* file) {
    caught("fputc");
    return next(sFputc, "fputc")(c, file);
}

OXA_PROBE_EXPORT int putc(int c, FILE* file) {
    caught("putc");
    return next(sPutc, "putc")(c, file);
}

OXA_PROBE_EXPORT int putchar(int c) {
    caught("putchar");
    return next(sPutchar, "putchar")(c);
}

OXA_PROBE_EXPORT int fflush(FILE* file) {
    caught("fflush");
    return next(sFflush, "fflush")(file);
}

OXA_PROBE_EXPORT int vfprintf(FILE* file, const char* format, va_list arguments) {
    caught("vfprintf");
    return next(sVfprintf, "vfprintf")(file, format, arguments);
}

OXA_PROBE_EXPORT int vprintf(const char* format, va_list arguments) {
    caught("vprintf");
    return next(sVfprintf, "vfprintf")(stdout, format, arguments);
}

OXA_PROBE_EXPORT int fprintf(FILE* file, const char* format, ...) {
    caught("fprintf");
    va_list arguments;
    va_start(arguments, format);
    const int written = next(sVfprintf, "vfprintf")(file, format, arguments);
    va_end(arguments);
    return written;
}

OXA_PROBE_EXPORT int printf(const char* format, ...) {
    caught("printf");
    va_list arguments;
    va_start(arguments, format);
    const int written = next(sVfprintf, "vfprintf")(stdout, format, arguments);
    va_end(arguments);
    return written;
}

// What the calls above become in a module built with _FORTIFY_SOURCE.
OXA_PROBE_EXPORT int __vfprintf_chk(FILE* file, int flag, const char* format, va_list arguments) {
    caught("vfprintf");
    return next(sVfprintfChk, "__vfprintf_chk")(file, flag, format, arguments);
}

OXA_PROBE_EXPORT int __fprintf_chk(FILE* file, int flag, const char* format, ...) {
    caught("fprintf");
    va_list arguments;
    va_start(arguments, format);
    const int written = next(sVfprintfChk, "__vfprintf_chk")(file, flag, format, arguments);
    va_end(arguments);
    return written;
}

OXA_PROBE_EXPORT int __printf_chk(int flag, const char* format, ...) {
    caught("printf");
    va_list arguments;
    va_start(arguments, format);
    const int written = next(sVfprintfChk, "__vfprintf_chk")(stdout, flag, format, arguments);
    va_end(arguments);
    return written;
}

#endif  // OXA_REALTIME_PROBE
