// The module library contract of the joining module.
#include "JoiningWave.h"

extern "C" {

__attribute__((visibility("default"))) int oxa_get_api_level() {
    return 4;
}

__attribute__((visibility("default"))) android::IOXAInterface* oxa_create() {
    return new JoiningWave();
}

__attribute__((visibility("default"))) void oxa_destroy(android::IOXAInterface* object) {
    delete static_cast<JoiningWave*>(object);
}

}  // extern "C"
