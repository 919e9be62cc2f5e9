// The module library contract of the joining module.
#include "JoiningWave.h"
#include "WaveExport.h"

WAVE_EXPORT int oxa_get_api_level() {
    return 4;
}

WAVE_EXPORT android::IOXAInterface* oxa_create() {
    return new JoiningWave();
}

WAVE_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete static_cast<JoiningWave*>(object);
}
