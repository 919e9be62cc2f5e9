// Live module objects and answering threads of one test module library,
// exported as jvmwave_live_objects() and jvmwave_live_threads() so the JVM
// suites can check that destroying clients leaves nothing behind, and the
// answers the module sent, exported as jvmwave_answers_sent() (through the
// processing object) and jvmwave_handle_answers_sent() (through the
// process-wide response handle), so a stress run can account for each.
#ifndef OVIK_JVM_MODULE_COUNTERS_H
#define OVIK_JVM_MODULE_COUNTERS_H

#include "IOXAInterface.h"
#include "OXAClientUser.h"
#include "WaveExport.h"

// Hidden, so each module library counts for itself even when both are
// loaded globally (a default-visibility class would bind to the first one).
class __attribute__((visibility("hidden"))) ModuleCounters {
public:
    // Counts an answer, then sends it through `wave`'s response operations.
    template <typename... Args>
    static void answer(android::IOXAInterface* wave, Args... args) {
        answerSent();
        wave->response(args...);
    }
    // Counts an answer, then sends it through the process-wide handle.
    static void answerThroughHandle(const char* text, int id);

    static void answerSent();
    static void objectMade();
    static void objectGone();
    static void threadStarted();
    static void threadEnded();
    static int liveObjects();
    static int liveThreads();
    static int answersSent();
    static int handleAnswersSent();
};

WAVE_EXPORT int jvmwave_live_objects();
WAVE_EXPORT int jvmwave_live_threads();
WAVE_EXPORT int jvmwave_answers_sent();
WAVE_EXPORT int jvmwave_handle_answers_sent();

#endif  // OVIK_JVM_MODULE_COUNTERS_H
