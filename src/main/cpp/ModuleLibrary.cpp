#include "ModuleLibrary.h"

#include <dlfcn.h>

#define LOG_TAG OVIK_HOST_LOG_TAG
#include "OvikLog.h"

namespace android {

namespace {

// Opens a library; an open fails when there is no handle and an error text.
// Gives the error text (or null) through `error`.
void* openWithMode(const std::string& path, int mode, const char** error) {
    ALOGI("try to dlopen %s", path.c_str());
    void* handle = dlopen(path.c_str(), mode);
    *error = dlerror();
    return handle;
}

// Whether `path` names a library that is loaded already; loads nothing.
bool isLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        dlerror();
        return false;
    }
    dlclose(handle);
    return true;
}

}  // namespace

void (*ModuleLibrary::sNewlyLoadedHook)() = nullptr;

void ModuleLibrary::setNewlyLoadedHook(void (*hook)()) {
    sNewlyLoadedHook = hook;
}

ModuleLibrary& ModuleLibrary::operator=(ModuleLibrary&& other) noexcept {
    if (this != &other) {
        close();
        mHandle = other.mHandle;
        other.mHandle = nullptr;
    }
    return *this;
}

bool ModuleLibrary::open(const std::string& name, const std::string& fileName,
                         const std::string& libPath) {
    close();
    dlerror();
    const char* error = nullptr;
    // The file name opens with global visibility, which modules and the
    // libraries they open may rely on; the fallback name with local. A
    // module keeps its C++ names to itself by exporting only its oxa_*
    // entry points (the kit's version script), which oxa-host check checks.
    const std::string path = libPath + "/" + fileName;
    bool wasLoaded = isLoaded(path);
    mHandle = openWithMode(path, RTLD_NOW | RTLD_GLOBAL, &error);
    if (mHandle == nullptr && error != nullptr) {
        ALOGE("dlopen failed : %s", error);
        const std::string fallback = libPath + "/libwave_" + name + ".so";
        wasLoaded = isLoaded(fallback);
        mHandle = openWithMode(fallback, RTLD_NOW | RTLD_LOCAL, &error);
        if (mHandle == nullptr && error != nullptr) ALOGE("dlopen failed : %s", error);
    }
    if (mHandle != nullptr && !wasLoaded && sNewlyLoadedHook != nullptr) sNewlyLoadedHook();
    return mHandle != nullptr;
}

bool ModuleLibrary::isMissing(const char* symbol, void** address) const {
    dlerror();
    *address = dlsym(mHandle, symbol);
    const char* error = dlerror();
    return *address == nullptr && error != nullptr;
}

void* ModuleLibrary::find(const char* symbol) const {
    void* address = nullptr;
    return isMissing(symbol, &address) ? nullptr : address;
}

void ModuleLibrary::close() {
    if (mHandle == nullptr) return;
    dlclose(mHandle);
    mHandle = nullptr;
}

}  // namespace android
