#include "OXAClientUser.h"

#include <android/log.h>
#include <pthread.h>

#include <atomic>
#include <new>

#include "OvikAutoLock.h"
#include "OvikLog.h"

namespace android {

namespace {
// Guards creation and destruction of the handle; constant-initialised, so it
// is usable by module threads before any static constructor of this library.
pthread_mutex_t sInstanceLock = PTHREAD_MUTEX_INITIALIZER;
// Set when the handle was emptied because the client it answered to was
// destroyed, cleared when it is pointed at a client again: answers in
// between come from module code that outlived its client.
std::atomic<bool> sClientGone{false};

// Whether an answer may go on to `itf`; a dropped answer of a module whose
// client is gone is logged, once per answer, in the client host's voice.
bool canAnswer(const IOXAResponseInterfaceV2* itf) {
    if (itf != nullptr) return true;
    if (sClientGone.load(std::memory_order_acquire)) {
        __android_log_print(ANDROID_LOG_ERROR, OVIK_HOST_LOG_TAG,
                            "an answer through the response handle was dropped: the client it "
                            "answered to is gone");
    }
    return false;
}
}  // namespace

OXAClientUser* OXAClientUser::mInstance = nullptr;

OXAClientUser::OXAClientUser() : mResponse(nullptr) {}

OXAClientUser::~OXAClientUser() {
    OvikAutoLock lock(&sInstanceLock);
    if (mInstance == this) mInstance = nullptr;
}

OXAClientUser* OXAClientUser::getInstance() {
    OvikAutoLock lock(&sInstanceLock);
    if (mInstance == nullptr) mInstance = new (std::nothrow) OXAClientUser();
    return mInstance;
}

void OXAClientUser::setResponseInterface(IOXAResponseInterfaceV2* itf) {
    // Module threads read the pointer while a loading client writes it.
    __atomic_store_n(&mResponse, itf, __ATOMIC_RELEASE);
    sClientGone.store(false, std::memory_order_release);
}

IOXAResponseInterfaceV2* OXAClientUser::currentResponse() const {
    return __atomic_load_n(&mResponse, __ATOMIC_ACQUIRE);
}

void OXAClientUser::response(const char* message) {
    IOXAResponseInterfaceV2* itf = currentResponse();
    if (!canAnswer(itf)) return;
    itf->responseToService(message);
}

void OXAClientUser::response(const int32_t ext1, const size_t len, const void* data) {
    IOXAResponseInterfaceV2* itf = currentResponse();
    if (!canAnswer(itf)) return;
    itf->responseToService(ext1, len, data);
}

void OXAClientUser::response(const char* message, const int id) {
    IOXAResponseInterfaceV2* itf = currentResponse();
    if (!canAnswer(itf)) return;
    itf->responseToService(id, message);
}

int OXAClientUser::getTargetAPILevel() {
    IOXAResponseInterfaceV2* itf = currentResponse();
    if (itf == nullptr) return 0;
    return itf->getTargetAPILevel();
}

void OXAClientUser::forgetResponseInterface(IOXAResponseInterfaceV2* itf) {
    OvikAutoLock lock(&sInstanceLock);
    if (mInstance == nullptr) return;
    if (__atomic_compare_exchange_n(&mInstance->mResponse, &itf, nullptr, false, __ATOMIC_ACQ_REL,
                                    __ATOMIC_ACQUIRE)) {
        sClientGone.store(true, std::memory_order_release);
    }
}

extern "C" {

OXAClientUser* oxa_user_create(IOXAResponseInterfaceV2* responseItf) {
    OXAClientUser* handle = OXAClientUser::getInstance();
    if (handle != nullptr) handle->setResponseInterface(responseItf);
    return handle;
}

void oxa_user_destroy(OXAClientUser* p) {
    delete p;
}

int oxa_user_get_api_level() {
    return 1;
}

int oxa_user_get_major_version_number() {
    return 1;
}

int oxa_user_get_minor_version_number() {
    return 1;
}

int oxa_user_get_patch_version_number() {
    return 4;
}

const char* oxa_user_get_version_string() {
    return "1.1.4";
}

}  // extern "C"

}  // namespace android
