// The module library entry points of libanswer_paths.so.
#include "AnswerPathsWave.h"
#include "WaveExport.h"

WAVE_EXPORT int oxa_get_api_level() {
    return 4;
}

WAVE_EXPORT android::IOXAInterface* oxa_create() {
    return new AnswerPathsWave();
}

WAVE_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete object;
}

WAVE_EXPORT int oxa_get_ndk_version() {
    return 21;
}
