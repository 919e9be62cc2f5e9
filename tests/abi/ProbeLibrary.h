// The layout probe module opened with the real dynamic loader, as the host
// opens modules, and closed again when this goes away.
#ifndef OVIK_ABI_PROBE_LIBRARY_H
#define OVIK_ABI_PROBE_LIBRARY_H

#include <string>

class ProbeLibrary {
public:
    ProbeLibrary();
    ~ProbeLibrary();
    ProbeLibrary(const ProbeLibrary&) = delete;
    ProbeLibrary& operator=(const ProbeLibrary&) = delete;

    // Where the module lies, for "init_client:" commands.
    static std::string directory();
    static std::string fileName();

    bool isOpen() const { return mHandle != nullptr; }
    const std::string& error() const { return mError; }

    // The exported function `name` as a `Function`, or null.
    template <typename Function>
    Function function(const char* name) const {
        return reinterpret_cast<Function>(lookUp(name));
    }

private:
    void* lookUp(const char* name) const;

    void* mHandle;
    std::string mError;
};

#endif  // OVIK_ABI_PROBE_LIBRARY_H
