#include "ProbeLibrary.h"

#include <dlfcn.h>

ProbeLibrary::ProbeLibrary() : mHandle(nullptr) {
    const std::string path = directory() + "/" + fileName();
    mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (mHandle == nullptr) {
        const char* error = dlerror();
        mError = error != nullptr ? error : "dlopen failed";
    }
}

ProbeLibrary::~ProbeLibrary() {
    if (mHandle != nullptr) dlclose(mHandle);
}

std::string ProbeLibrary::directory() {
    return OVIK_ABI_PROBE_DIR;
}

std::string ProbeLibrary::fileName() {
    return OVIK_ABI_PROBE_FILE;
}

void* ProbeLibrary::lookUp(const char* name) const {
    return mHandle != nullptr ? dlsym(mHandle, name) : nullptr;
}
