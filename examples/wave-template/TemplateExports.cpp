// The C entry points the host looks up in the module library. The kit's
// version script exports these and nothing else.
#include "TemplateWave.h"

#define WAVE_EXPORT extern "C" __attribute__((visibility("default")))

// Required: the API level the module is built for (the host accepts up to 4).
WAVE_EXPORT int oxa_get_api_level() {
    return 4;
}

// Required: a new processing object, which the host gives back to oxa_destroy.
WAVE_EXPORT android::IOXAInterface* oxa_create() {
    return new wavetemplate::TemplateWave();
}

// Without it the host never destroys the object.
WAVE_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete static_cast<wavetemplate::TemplateWave*>(object);
}

// Optional: the contract version the module is built against.
WAVE_EXPORT int oxa_user_get_major_version_number() {
    return 1;
}

WAVE_EXPORT int oxa_user_get_minor_version_number() {
    return 1;
}

WAVE_EXPORT int oxa_user_get_patch_version_number() {
    return 4;
}
