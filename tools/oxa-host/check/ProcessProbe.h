// What the check's own process holds: open file descriptors, resident
// memory and threads, read from /proc/self.
#ifndef OXA_HOST_PROCESS_PROBE_H
#define OXA_HOST_PROCESS_PROBE_H

#include <map>
#include <set>
#include <string>

namespace oxahost {

class ProcessProbe {
public:
    // Open descriptors and what each refers to.
    static std::map<int, std::string> openFiles();
    static long residentBytes();
    // Bytes the process's allocator has handed out and not had back: what
    // a leak of the module's heap shows in. Unlike the resident size it is
    // not blurred by an emulator's own memory.
    static long heapBytes();
    // The paths of the libraries loaded now, as the loader names them.
    static std::set<std::string> loadedLibraries();
    // Thread ids and names (comm), the calling thread included.
    static std::map<int, std::string> threads();
    // Starts and joins one thread, so that helper threads a runtime starts
    // with a process's first thread (ThreadSanitizer's background thread)
    // exist before threads are counted.
    static void startRuntimeThreads();
};

}  // namespace oxahost

#endif  // OXA_HOST_PROCESS_PROBE_H
