// Reads the counters a test module library exports, so Java can check that
// every module object and thread is gone once its clients are.
#ifndef OVIK_JVM_MODULE_PROBE_H
#define OVIK_JVM_MODULE_PROBE_H

#include <string>

class ModuleProbe {
public:
    // Keeps the library at `path` loaded for the rest of the process, so its
    // counters outlive the clients that load and close it.
    static bool pin(const std::string& path);
    // The value of the counter function `symbol` of the loaded library at
    // `path`, or -1 when the library is not loaded or lacks it.
    static int count(const std::string& path, const std::string& symbol);
};

#endif  // OVIK_JVM_MODULE_PROBE_H
