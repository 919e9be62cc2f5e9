// The module library functions the host looks for. Each test module is this
// file built with a different choice of definitions, one per load path:
//   WAVE_API_LEVEL=n      what oxa_get_api_level() returns (4 unless set)
//   WAVE_NO_API_LEVEL     no oxa_get_api_level
//   WAVE_NO_CREATE        no oxa_create
//   WAVE_CREATE_NULL      oxa_create returns null
//   WAVE_INIT_RESULT=n    init() returns n unless a test set "init"
//   WAVE_NO_DESTROY       no oxa_destroy
//   WAVE_VERSIONS         the four optional version functions, 21 7 8 9
#include <new>

#include "IOXAInterface.h"
#include "Recorder.h"
#include "TestWave.h"
#include "WaveExport.h"

#ifndef WAVE_API_LEVEL
#define WAVE_API_LEVEL 4
#endif

namespace {

#ifdef WAVE_NO_DESTROY
// Nobody destroys the object of a module without oxa_destroy, so it lives in
// the library's own storage: it goes away with the mapping instead of
// leaking heap memory the leak checker would report.
alignas(testwave::TestWave) unsigned char sObjectStorage[sizeof(testwave::TestWave)];

[[maybe_unused]] android::IOXAInterface* newWave() {
    return new (sObjectStorage) testwave::TestWave();
}
#else
[[maybe_unused]] android::IOXAInterface* newWave() {
    return new testwave::TestWave();
}
#endif

}  // namespace

#ifndef WAVE_NO_API_LEVEL
WAVE_EXPORT int oxa_get_api_level() {
    return WAVE_API_LEVEL;
}
#endif

#ifndef WAVE_NO_CREATE
WAVE_EXPORT android::IOXAInterface* oxa_create() {
#ifdef WAVE_CREATE_NULL
    testwave::CallScope scope("oxa_create:null");
    return nullptr;
#else
#ifdef WAVE_INIT_RESULT
    testwave::Recorder& recorder = testwave::Recorder::instance();
    recorder.setValue("init", recorder.value("init", WAVE_INIT_RESULT));
#endif
    return newWave();
#endif
}
#endif

#ifndef WAVE_NO_DESTROY
WAVE_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    { testwave::CallScope scope("oxa_destroy"); }
    delete object;
}
#endif

#ifdef WAVE_VERSIONS
WAVE_EXPORT int oxa_get_ndk_version() {
    return 21;
}
WAVE_EXPORT int oxa_user_get_major_version_number() {
    return 7;
}
WAVE_EXPORT int oxa_user_get_minor_version_number() {
    return 8;
}
WAVE_EXPORT int oxa_user_get_patch_version_number() {
    return 9;
}
#endif
