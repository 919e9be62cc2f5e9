// The functions the host looks up in a module library, with C linkage. Only
// these need to be visible; the library is built with hidden visibility.
#include "IOXAInterface.h"
#include "WaveDemo.h"
#include "WaveDemoProtocol.h"

#define WAVE_EXPORT extern "C" __attribute__((visibility("default")))

// Required: the API level the module was built for (the host accepts up to 4).
WAVE_EXPORT int oxa_get_api_level() {
    return wavedemo::kApiLevel;
}

// Required: a new processing object. The host gives it back to oxa_destroy.
WAVE_EXPORT android::IOXAInterface* oxa_create() {
    return new wavedemo::WaveDemo();
}

// Without this the host never destroys the object. Destroying it stops the
// module's thread, which must happen before the host closes the library.
WAVE_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete static_cast<wavedemo::WaveDemo*>(object);
}

WAVE_EXPORT int oxa_get_ndk_version() {
    return wavedemo::kNdkVersion;
}

// The contract version this module was built against. The host library has
// functions of the same names (its own version); a module's own definitions
// are the ones the host finds in the module library.
WAVE_EXPORT int oxa_user_get_major_version_number() {
    return wavedemo::kTargetMajor;
}

WAVE_EXPORT int oxa_user_get_minor_version_number() {
    return wavedemo::kTargetMinor;
}

WAVE_EXPORT int oxa_user_get_patch_version_number() {
    return wavedemo::kTargetPatch;
}
