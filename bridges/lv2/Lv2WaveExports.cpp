// The functions the host looks up in the module library, with C linkage;
// nothing else leaves the library.
#include "IOXAInterface.h"
#include "Lv2Protocol.h"
#include "Lv2Wave.h"

#define WAVE_EXPORT extern "C" __attribute__((visibility("default")))

WAVE_EXPORT int oxa_get_api_level() {
    return wavelv2::kApiLevel;
}

// Null when the bridge cannot be made; the host then refuses the module.
WAVE_EXPORT android::IOXAInterface* oxa_create() {
    try {
        return new wavelv2::Lv2Wave();
    } catch (...) {
        return nullptr;
    }
}

// Closes the JACK client and stops the module's threads before the host
// closes the library.
WAVE_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete static_cast<wavelv2::Lv2Wave*>(object);
}

WAVE_EXPORT int oxa_get_ndk_version() {
    return wavelv2::kNdkVersion;
}

WAVE_EXPORT int oxa_user_get_major_version_number() {
    return wavelv2::kTargetMajor;
}

WAVE_EXPORT int oxa_user_get_minor_version_number() {
    return wavelv2::kTargetMinor;
}

WAVE_EXPORT int oxa_user_get_patch_version_number() {
    return wavelv2::kTargetPatch;
}
