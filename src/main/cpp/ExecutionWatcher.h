// A scoped timer around one call into module code. It measures the processor
// time of the whole process (all threads) and logs after the call when the
// call used more than its patience. It never interrupts the call. The title
// is `title` followed by `detail`, both held by pointer: they must outlive the
// watcher, and are only read when it reports.
#ifndef EXECUTION_WATCHER_H
#define EXECUTION_WATCHER_H

#include <android/log.h>
#include <time.h>

#include "OvikLog.h"

namespace android {

class ExecutionWatcher {
public:
    // The processor time every watched call into a module may use.
    static const clock_t kModulePatienceSeconds = 5;

    ExecutionWatcher(const char* title, clock_t patientSeconds)
        : ExecutionWatcher(title, "", patientSeconds) {}
    ExecutionWatcher(const char* title, const char* detail, clock_t patientSeconds)
        : mStart(0), mPatient(patientSeconds * CLOCKS_PER_SEC), mTitle(title), mDetail(detail) {
        start();
    }
    virtual ~ExecutionWatcher() { stop(); }

private:
    ExecutionWatcher();
    ExecutionWatcher(const ExecutionWatcher&);
    ExecutionWatcher& operator=(const ExecutionWatcher&);

    void start() { mStart = clock(); }

    void stop() {
        // Unsigned subtraction, so a clock that wraps on 32-bit targets
        // still gives the elapsed ticks without overflow.
        clock_t elapsed = static_cast<clock_t>(static_cast<unsigned long>(clock()) -
                                               static_cast<unsigned long>(mStart));
        if (elapsed > mPatient) explode();
    }

    void explode() {
        __android_log_print(ANDROID_LOG_ERROR, OVIK_HOST_LOG_TAG,
                            "%s%s tooks long time. You have to optimize!!!", mTitle, mDetail);
    }

    clock_t mStart;
    clock_t mPatient;
    const char* mTitle;
    const char* mDetail;
};

}  // namespace android

#endif  // EXECUTION_WATCHER_H
