// A scoped lock over a POSIX mutex: locks on construction, unlocks on
// destruction. It counts the library locks the calling thread holds, so the
// release path can tell whether a client may be destroyed here
// (docs/thread-model.md).
#ifndef OVIK_AUTO_LOCK_H
#define OVIK_AUTO_LOCK_H

#include <pthread.h>

namespace android {

class OvikAutoLock {
public:
    explicit OvikAutoLock(pthread_mutex_t* lock) : mLock(lock) {
        pthread_mutex_lock(mLock);
        ++tHeld;
    }
    ~OvikAutoLock() {
        --tHeld;
        pthread_mutex_unlock(mLock);
    }

    OvikAutoLock(const OvikAutoLock&) = delete;
    OvikAutoLock& operator=(const OvikAutoLock&) = delete;

    // How many library locks the calling thread holds.
    static int heldOnThisThread() { return tHeld; }

private:
    static inline thread_local int tHeld = 0;

    pthread_mutex_t* mLock;
};

}  // namespace android

#endif  // OVIK_AUTO_LOCK_H
