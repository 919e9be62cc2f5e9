// What a JACK process thread of the checked module does: calls that a
// real-time thread must not make (memory allocation and release, a lock that
// would wait, blocking system calls, answers to the host), caught by
// functions of the same names defined in oxa-host itself, which the dynamic
// linker binds ahead of the C library's for every library in the process.
//
// Which threads are watched: the threads that libjack starts while
// watchNewJackThreads() is on (the check turns it on around the module's
// "activate", when libjack starts the client's process thread). A call is
// reported only when the module's own code is on the thread's stack, so
// libjack's waiting between cycles is not.
//
// Everything here but the reports is usable from any thread; the caught
// calls themselves only note raw stack frames, and reports are symbolised
// later by the checking thread.
#ifndef OXA_HOST_REALTIME_PROBE_H
#define OXA_HOST_REALTIME_PROBE_H

#include <string>
#include <vector>

namespace oxahost {

class RealtimeProbe {
public:
    struct Report {
        std::string call;       // "malloc", "an answer to the host", ...
        std::string backtrace;  // symbolised, one frame a line
    };

    // False when this build cannot catch the calls (a sanitizer owns them).
    static bool available();
    // Calls with a frame in the library at `modulePath` are reported from now
    // on (until disarm()).
    static void arm(const std::string& modulePath);
    static void disarm();
    // Threads that libjack starts while this is on are watched.
    static void watchNewJackThreads(bool on);
    // The calling thread is watched from now on, as if libjack had started
    // it: for a thread that runs a module's real-time work on its behalf.
    static void watchCallingThread();
    // Whether the calling thread is watched (a JACK thread of the module).
    static bool callingThreadWatched();
    // Threads that libjack started while watched, since arm().
    static int watchedThreads();
    // Called by the checks' listener for every answer.
    static void noteAnswer();
    // The distinct reports since arm(), symbolised (at most a few).
    static std::vector<Report> reports();
};

}  // namespace oxahost

#endif  // OXA_HOST_REALTIME_PROBE_H
