// Reports a fatal signal in a check's child process: the signal, the faulting
// address and a backtrace, written to a file descriptor with async-signal-safe
// calls only; then the signal takes its default course, so that the runner
// sees the child die of it.
#ifndef OXA_HOST_CRASH_REPORTER_H
#define OXA_HOST_CRASH_REPORTER_H

namespace oxahost {

class CrashReporter {
public:
    // Installs the handlers (on an alternate stack, for stack overflows).
    static void install(int fd);
    // The name of signal `number` ("SIGSEGV"), or null for one not handled.
    static const char* signalName(int number);
};

}  // namespace oxahost

#endif  // OXA_HOST_CRASH_REPORTER_H
