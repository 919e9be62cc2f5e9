// Live module objects and answering threads of one test module library,
// exported as jvmwave_live_objects() and jvmwave_live_threads() so the JVM
// suites can check that destroying clients leaves nothing behind.
#ifndef OVIK_JVM_MODULE_COUNTERS_H
#define OVIK_JVM_MODULE_COUNTERS_H

class ModuleCounters {
public:
    static void objectMade();
    static void objectGone();
    static void threadStarted();
    static void threadEnded();
    static int liveObjects();
    static int liveThreads();
};

extern "C" {
__attribute__((visibility("default"))) int jvmwave_live_objects();
__attribute__((visibility("default"))) int jvmwave_live_threads();
}

#endif  // OVIK_JVM_MODULE_COUNTERS_H
