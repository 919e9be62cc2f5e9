#include "ModuleProbe.h"

#include <dlfcn.h>

#include <memory>

namespace {

struct LibraryCloser {
    void operator()(void* handle) const { dlclose(handle); }
};
typedef std::unique_ptr<void, LibraryCloser> LibraryHandle;

}  // namespace

bool ModuleProbe::pin(const std::string& path) {
    // Never closed: the pin is meant to last until the process ends.
    return dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL) != nullptr;
}

int ModuleProbe::count(const std::string& path, const std::string& symbol) {
    LibraryHandle library(dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD));
    if (!library) return -1;
    typedef int (*Counter)();
    Counter counter = reinterpret_cast<Counter>(dlsym(library.get(), symbol.c_str()));
    return counter != nullptr ? counter() : -1;
}
