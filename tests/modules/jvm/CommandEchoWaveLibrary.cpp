// The module library entry points of libwave_command_echo.so.
#include "CommandEchoWave.h"
#include "WaveExport.h"

WAVE_EXPORT int oxa_get_api_level() {
    return 4;
}

WAVE_EXPORT android::IOXAInterface* oxa_create() {
    return new CommandEchoWave();
}

WAVE_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete object;
}
