// The probe functions of WaveProbeApi.h, exported by every test module, and
// the lines that show when the loader maps and unmaps the module.
#include <android/log.h>
#include <string.h>

#include <string>

#include "Recorder.h"
#include "WaveExport.h"
#include "WaveProbeApi.h"

using testwave::Recorder;

WAVE_EXPORT int wave_probe_call_count() {
    return Recorder::instance().callCount();
}

WAVE_EXPORT int wave_probe_call(int index, char* buffer, int capacity) {
    std::string text;
    if (!Recorder::instance().call(index, &text)) return -1;
    if (buffer != nullptr && capacity > 0) {
        const size_t n =
            text.size() < static_cast<size_t>(capacity - 1) ? text.size() : capacity - 1;
        memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<int>(text.size());
}

WAVE_EXPORT void wave_probe_reset() {
    Recorder::instance().reset();
}

WAVE_EXPORT void wave_probe_set_value(const char* key, long value) {
    Recorder::instance().setValue(key, value);
}

WAVE_EXPORT void wave_probe_set_text(const char* key, const char* text) {
    Recorder::instance().setText(key, text);
}

WAVE_EXPORT int wave_probe_overlaps() {
    return Recorder::instance().overlaps();
}

WAVE_EXPORT int wave_probe_live_objects() {
    return Recorder::instance().liveObjects();
}

// Lines that tell a test when the module is mapped and unmapped, so it can
// see that the host closed the library after destroying the object.
__attribute__((constructor)) static void waveLibraryLoaded() {
    __android_log_print(ANDROID_LOG_DEBUG, WAVE_PROBE_LOG_TAG, "library loaded");
}

__attribute__((destructor)) static void waveLibraryUnloaded() {
    __android_log_print(ANDROID_LOG_DEBUG, WAVE_PROBE_LOG_TAG, "library unloaded");
}
