#include "WaveModule.h"

#include <dlfcn.h>

#include <stdexcept>

#ifndef OVIK_TEST_MODULE_DIR
#error "OVIK_TEST_MODULE_DIR must name the folder of the test modules"
#endif

WaveModule::WaveModule(const std::string& library)
    : mHandle(dlopen(path(library).c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (mHandle == nullptr) throw std::runtime_error("cannot open " + path(library));
    mCallCount = probe<WaveProbeCallCount>("wave_probe_call_count");
    mCall = probe<WaveProbeCall>("wave_probe_call");
    mReset = probe<WaveProbeReset>("wave_probe_reset");
    mSetValue = probe<WaveProbeSetValue>("wave_probe_set_value");
    mSetText = probe<WaveProbeSetText>("wave_probe_set_text");
    mOverlaps = probe<WaveProbeOverlaps>("wave_probe_overlaps");
    mLiveObjects = probe<WaveProbeLiveObjects>("wave_probe_live_objects");
    // A library that stayed mapped from an earlier test keeps its state.
    mReset();
}

WaveModule::~WaveModule() {
    dlclose(mHandle);
}

template <typename T>
T WaveModule::probe(const char* name) const {
    void* address = dlsym(mHandle, name);
    if (address == nullptr) throw std::runtime_error(std::string("no probe ") + name);
    return reinterpret_cast<T>(address);
}

std::string WaveModule::directory() {
    return OVIK_TEST_MODULE_DIR;
}

std::string WaveModule::fileName(const std::string& library) {
    return "lib" + library + ".so";
}

std::string WaveModule::path(const std::string& library) {
    return directory() + "/" + fileName(library);
}

bool WaveModule::isLoaded(const std::string& library) {
    return loadedHandle(library) != nullptr;
}

void* WaveModule::loadedHandle(const std::string& library) {
    void* handle = dlopen(path(library).c_str(), RTLD_NOW | RTLD_NOLOAD);
    // RTLD_NOLOAD still counts a reference; give it back at once. glibc's
    // handle is the library's link map, so it stays a valid identity.
    if (handle != nullptr) dlclose(handle);
    return handle;
}

std::vector<std::string> WaveModule::calls() const {
    return callsAfter(0);
}

std::vector<std::string> WaveModule::callsAfter(size_t skip) const {
    std::vector<std::string> result;
    const int count = mCallCount();
    for (int i = static_cast<int>(skip); i < count; ++i) {
        const int length = mCall(i, nullptr, 0);
        if (length < 0) break;
        std::string text(static_cast<size_t>(length) + 1, '\0');
        mCall(i, &text[0], length + 1);
        text.resize(static_cast<size_t>(length));
        result.push_back(text);
    }
    return result;
}

void WaveModule::reset() {
    mReset();
}

void WaveModule::setValue(const std::string& key, long value) {
    mSetValue(key.c_str(), value);
}

void WaveModule::setText(const std::string& key, const std::string& text) {
    mSetText(key.c_str(), text.c_str());
}

int WaveModule::overlaps() const {
    return mOverlaps();
}

int WaveModule::liveObjects() const {
    return mLiveObjects();
}
