// A scoped lock over a POSIX mutex: locks on construction, unlocks on
// destruction.
#ifndef OVIK_AUTO_LOCK_H
#define OVIK_AUTO_LOCK_H

#include <pthread.h>

namespace android {

class OvikAutoLock {
public:
    explicit OvikAutoLock(pthread_mutex_t* lock) : mLock(lock) { pthread_mutex_lock(mLock); }
    ~OvikAutoLock() { pthread_mutex_unlock(mLock); }

    OvikAutoLock(const OvikAutoLock&) = delete;
    OvikAutoLock& operator=(const OvikAutoLock&) = delete;

private:
    pthread_mutex_t* mLock;
};

}  // namespace android

#endif  // OVIK_AUTO_LOCK_H
