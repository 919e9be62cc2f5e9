// The module library entry points of libwave_echo.so.
#include "EchoWave.h"
#include "OXACommon.h"

extern "C" {

OXA_EXPORT int oxa_get_api_level() {
    return 4;
}

OXA_EXPORT android::IOXAInterface* oxa_create() {
    return new EchoWave();
}

OXA_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete object;
}

}  // extern "C"
