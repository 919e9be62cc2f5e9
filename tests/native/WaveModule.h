// A test's own handle on one test module library (tests/modules): opens it so
// the test can configure it before a client loads it and read what the host
// did to it afterwards, through the probe functions every module exports.
// While a WaveModule is alive the library stays mapped, so a client closing
// it does not unload it.
#ifndef OVIK_TEST_WAVE_MODULE_H
#define OVIK_TEST_WAVE_MODULE_H

#include <string>
#include <vector>

#include "WaveProbeApi.h"

class WaveModule {
public:
    // `library` is the module's target name, e.g. "oxa_wave_v2".
    explicit WaveModule(const std::string& library);
    ~WaveModule();

    WaveModule(const WaveModule&) = delete;
    WaveModule& operator=(const WaveModule&) = delete;

    // The folder of the test modules and the full path of one of them.
    static std::string directory();
    static std::string path(const std::string& library);
    static std::string fileName(const std::string& library);
    // Whether the loader has the library mapped; opens nothing.
    static bool isLoaded(const std::string& library);
    // The loader's handle of a mapped library (what the host logs as
    // mLibHandle), or null.
    static void* loadedHandle(const std::string& library);

    bool isOpen() const { return mHandle != nullptr; }
    std::vector<std::string> calls() const;
    // The calls recorded after the first `skip` ones.
    std::vector<std::string> callsAfter(size_t skip) const;
    void reset();
    void setValue(const std::string& key, long value);
    void setText(const std::string& key, const std::string& text);
    int overlaps() const;
    int liveObjects() const;

private:
    template <typename T>
    T probe(const char* name) const;

    void* mHandle;
    WaveProbeCallCount mCallCount;
    WaveProbeCall mCall;
    WaveProbeReset mReset;
    WaveProbeSetValue mSetValue;
    WaveProbeSetText mSetText;
    WaveProbeOverlaps mOverlaps;
    WaveProbeLiveObjects mLiveObjects;
};

#endif  // OVIK_TEST_WAVE_MODULE_H
