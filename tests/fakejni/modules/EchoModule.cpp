// The module library contract of the echo module.
#include "EchoWave.h"

extern "C" {

__attribute__((visibility("default"))) int oxa_get_api_level() {
    return 4;
}

__attribute__((visibility("default"))) android::IOXAInterface* oxa_create() {
    return new EchoWave();
}

__attribute__((visibility("default"))) void oxa_destroy(android::IOXAInterface* object) {
    delete static_cast<EchoWave*>(object);
}

}  // extern "C"
