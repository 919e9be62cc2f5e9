// Reports a fatal signal in a child process: the signal, the faulting
// address and the raw frames (address, library, offset in it), written to a
// file descriptor with async-signal-safe calls only; then the signal takes
// its default course, so that the parent sees the child die of it. The
// parent turns the frames into functions and lines (CrashSymbolizer): a
// dying process cannot safely run a symbolizer of its own.
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
