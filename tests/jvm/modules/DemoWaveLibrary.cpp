// The module library entry points of libdemo.so.
#include "DemoWave.h"
#include "OXACommon.h"

extern "C" {

OXA_EXPORT int oxa_get_api_level() {
    return 4;
}

OXA_EXPORT android::IOXAInterface* oxa_create() {
    return new DemoWave();
}

OXA_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete object;
}

OXA_EXPORT int oxa_get_ndk_version() {
    return 21;
}

}  // extern "C"
