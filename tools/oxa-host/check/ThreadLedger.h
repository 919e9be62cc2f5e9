// Which threads the module started, after which step of the session each
// first appeared, what each ran when first seen, and where the module's
// libraries were mapped: so that a thread still running after destroy, or
// crashing in code that was closed under it, is reported by what it is.
//
// The session calls observe() after each of its steps and destroyed() after
// destroying the module. The records are kept in fixed storage, so that the
// crash handler (CrashReporter) can read them without allocating. One
// ledger at a time in a process.
#ifndef OXA_HOST_THREAD_LEDGER_H
#define OXA_HOST_THREAD_LEDGER_H

#include <stdint.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

namespace oxahost {

// What the ledger knows of one thread; plain characters, for the crash
// handler.
struct LedgerRecord {
    char name[16];            // its own name, or "" when it has none
    char step[64];            // the step it first appeared after
    char rawFrames[2048];     // its frames when first seen (raw frame lines)
    unsigned destroysBefore;  // module objects destroyed before it appeared
};

class ThreadLedger {
public:
    // The threads that run now are the tool's own, and the libraries loaded
    // now are not the module's.
    ThreadLedger();
    ~ThreadLedger();

    ThreadLedger(const ThreadLedger&) = delete;
    ThreadLedger& operator=(const ThreadLedger&) = delete;

    // After a step of the session ("activate"): new threads are recorded
    // with their frames, and the libraries loaded with the module.
    void observe(const std::string& step);
    // After the module's object was destroyed and its library closed.
    void destroyed();

    struct Thread {
        int tid = 0;
        std::string name;  // empty when it has no name of its own
        std::string step;
        std::string frames;  // symbolised, indented; may be empty
    };
    // The module's threads that still run after destroy, once those that
    // end within `grace` have ended.
    std::vector<Thread> stillRunning(std::chrono::milliseconds grace);
    // '"name" (tid N, first seen after "step")', or 'an unnamed thread ...'.
    static std::string describe(const Thread& thread);
    // "N threads ...: a, b" then each thread's frames: the report's text
    // after `lead` ("threads still run after destroy").
    static std::string report(const std::vector<Thread>& threads, const std::string& lead);

    // For the crash handler: async-signal-safe. The record of thread `tid`,
    // or null.
    static const LedgerRecord* recordOf(int tid);
    // Whether a module object was destroyed since that thread appeared.
    static bool outlivedDestroy(const LedgerRecord& record);
    // The library of the module's that held `pc` while it was loaded, and
    // the offset in it; false when none did.
    static bool closedLibraryOf(uintptr_t pc, uintptr_t* offset, const char** path);

private:
    void recordNewThreads(const std::string& step);
    void recordLibraries();
    bool inherited(const std::string& name) const;

    std::set<int> mOwnThreads;
    std::set<std::string> mOwnNames;
    std::set<std::string> mOwnLibraries;
};

}  // namespace oxahost

#endif  // OXA_HOST_THREAD_LEDGER_H
