// The module library contract of the scripted module.
#include "ScriptedWave.h"
#include "WaveExport.h"

WAVE_EXPORT int oxa_get_api_level() {
    return 4;
}

WAVE_EXPORT android::IOXAInterface* oxa_create() {
    return new ScriptedWave();
}

WAVE_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete static_cast<ScriptedWave*>(object);
}
