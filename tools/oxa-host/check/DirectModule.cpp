#include "DirectModule.h"

#include <dlfcn.h>

#include "ChildChannel.h"
#include "EntryPoints.h"
#include "OXAClient.h"
#include "OXAClientUser.h"

namespace oxahost {

namespace {
typedef int (*LevelFunction)();
typedef android::IOXAInterface* (*CreateFunction)();
typedef void (*DestroyFunction)(android::IOXAInterface*);
}  // namespace

DirectModule::DirectModule(const CheckContext& context)
    : mLibrary(context.modulePath()), mObject(nullptr), mAnswers(0) {}

DirectModule::~DirectModule() {
    if (mObject == nullptr) return;
    void* destroy = mLibrary.find(EntryPoints::kDestroy);
    ChildChannel::step("oxa_destroy");
    if (destroy != nullptr) reinterpret_cast<DestroyFunction>(destroy)(mObject);
    android::OXAClientUser::getInstance()->setResponseInterface(nullptr);
}

bool DirectModule::open(std::string* error) {
    if (!mLibrary.open(RTLD_NOW | RTLD_GLOBAL, error)) return false;
    void* level = mLibrary.find(EntryPoints::kApiLevel);
    void* create = mLibrary.find(EntryPoints::kCreate);
    if (level == nullptr || create == nullptr) {
        *error = "the module lacks oxa_get_api_level or oxa_create";
        return false;
    }
    if (reinterpret_cast<LevelFunction>(level)() > android::OXAClient::OXACLIENT_API_LEVEL) {
        *error = "the host refuses the module's API level";
        return false;
    }
    // As the host does: the handle answers here before the object exists.
    android::OXAClientUser::getInstance()->setResponseInterface(this);
    ChildChannel::step("oxa_create");
    mObject = reinterpret_cast<CreateFunction>(create)();
    if (mObject == nullptr) {
        *error = "oxa_create returned null";
        return false;
    }
    mObject->setResponseInterface(this);
    ChildChannel::step("init()");
    if (mObject->init() != 0) {
        *error = "init() failed";
        return false;
    }
    return true;
}

void DirectModule::responseToService(const char*) {
    ++mAnswers;
}

void DirectModule::responseToService(const int32_t, const size_t, const void*) {
    ++mAnswers;
}

void DirectModule::responseToService(const int, const char*) {
    ++mAnswers;
}

int DirectModule::getTargetAPILevel() {
    return android::OXAClient::OXACLIENT_API_LEVEL;
}

}  // namespace oxahost
