#include "ModuleLoader.h"

#include <android/log.h>
#include <limits.h>

#include "ExecutionWatcher.h"
#include "ModuleCall.h"

#define LOG_TAG OVIK_HOST_LOG_TAG
#include "OvikLog.h"

namespace android {

namespace {

typedef int (*IntFunction)();
typedef IOXAInterface* (*CreateFunction)();
typedef void (*DestroyFunction)(IOXAInterface*);

}  // namespace

bool ModuleLoader::isLevelAllowed(int hostLevel, int moduleLevel) {
    ALOGI("(in)T%d is trying... N%d", hostLevel, moduleLevel);
    return moduleLevel <= hostLevel;
}

bool ModuleLoader::checkAPILevel(int hostLevel) const {
    void* address = nullptr;
    if (mLibrary.isMissing("oxa_get_api_level", &address)) {
        ALOGE(
            "fail to load a symbol. Please check your wave compile options. Some functions "
            "were missed.\n");
        return false;
    }
    if (address == nullptr) return true;
    // A module that throws here has no level: it is refused like a level too high.
    const int level = ModuleCall::result("oxa_get_api_level", mClient, INT_MAX,
                                         [&] { return reinterpret_cast<IntFunction>(address)(); });
    if (!isLevelAllowed(hostLevel, level)) {
        ALOGE("error: OXA NDK api level is NOT allowed with framework API level(%d)", hostLevel);
        return false;
    }
    return true;
}

IOXAInterface* ModuleLoader::create() const {
    void* address = nullptr;
    if (mLibrary.isMissing("oxa_create", &address)) {
        ALOGE("fail to load creator symbol\n");
        return nullptr;
    }
    IOXAInterface* object = nullptr;
    if (address != nullptr) {
        object = ModuleCall::result("oxa_create", mClient, static_cast<IOXAInterface*>(nullptr),
                                    [&] { return reinterpret_cast<CreateFunction>(address)(); });
    }
    if (object == nullptr) ALOGE("fail to create your wave instance");
    return object;
}

bool ModuleLoader::init(IOXAInterface* object, IOXAResponseInterface* response) const {
    object->setResponseInterface(response);
    ExecutionWatcher watcher("your wave's init()", ExecutionWatcher::kModulePatienceSeconds);
    if (ModuleCall::result("init", mClient, 1, [&] { return object->init(); }) != 0) {
        ALOGE("fail to init your wave");
        // The library closes next: its object must go first, and a later
        // "init_client:" must be able to load again.
        destroy(object);
        return false;
    }
    ModuleCall::run("getJackClientInterface", mClient, [&] { object->getJackClientInterface(); });
    return true;
}

int32_t ModuleLoader::version(const char* symbol, int32_t fallback, int32_t current) const {
    void* address = nullptr;
    if (mLibrary.isMissing(symbol, &address)) return fallback;
    if (address == nullptr) return current;
    return ModuleCall::result(symbol, mClient, fallback,
                              [&] { return reinterpret_cast<IntFunction>(address)(); });
}

void ModuleLoader::destroy(IOXAInterface* object) const {
    void* address = mLibrary.find("oxa_destroy");
    if (address == nullptr) return;
    // The object counts as gone even when its destroy function threw: the
    // library is closed after this all the same.
    ModuleCall::run("oxa_destroy", mClient,
                    [&] { reinterpret_cast<DestroyFunction>(address)(object); });
}

}  // namespace android
