#include "JNIOXAUserContext.h"

#include <vector>

#include "ClientRelease.h"
#include "JavaService.h"
#include "NotificationFrame.h"
#include "OXAClient.h"
#include "OXAClientLoader.h"
#include "OvikAutoLock.h"
#include "ScopedLocalRef.h"

#define LOG_TAG OVIK_BRIDGE_LOG_TAG
#include "OvikLog.h"

namespace {

// Initialises `mutex` in place as a recursive mutex.
void initRecursiveMutex(pthread_mutex_t* mutex) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

// False, after logging `noVmText`, when the frame has no environment because
// there is no VM at all.
bool hasVm(const NotificationFrame& frame, const char* noVmText) {
    if (frame.env() != nullptr || JavaService::vm() != nullptr) return true;
    ALOGE("%s", noVmText);
    return false;
}

// False, after logging `noEnvText`, when the frame has no environment.
bool hasEnv(const NotificationFrame& frame, const char* noEnvText) {
    if (frame.env() != nullptr) return true;
    ALOGE("%s", noEnvText);
    return false;
}

}  // namespace

JNIOXAUserContext* JNIOXAUserContext::mJNIOXAUserContext = nullptr;
const int JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_MESSAGE;
const int JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_DIED;
const int JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_DATA;
const int JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED;
const int JNIOXAUserContext::USB_DEVICE_CONTROLLED_BY_KESTROVA;
const int JNIOXAUserContext::USB_DEVICE_CONTROLLED_BY_ANDROID;
const int JNIOXAUserContext::DIED_UNKNOWN_REASON;
const int JNIOXAUserContext::DIED_BY_FORCE_FROM_USER_REQUEST;

JNIOXAUserContext::JNIOXAUserContext(JNIEnv* /*env*/, jobject /*weak_this*/, jclass /*clazz*/) {
    ALOGI("JNIOXAUserContext creating this=%p", this);
    // Recursive, so a notification raised while this thread delivers one
    // (a callback driving a module that answers at once) is not blocked by
    // itself; other threads still wait their turn.
    initRecursiveMutex(&mOXAUserLock);
    OXAClientLoader::initialize();
    android::OXAClient::setListener(this);
}

JNIOXAUserContext::~JNIOXAUserContext() {
    ALOGI("JNIOXAUserContext deleting this=%p", this);
    android::OXAClient::setListener(nullptr);
    mJNIOXAUserContext = nullptr;
}

void JNIOXAUserContext::notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) {
    if (msgType == OXACLIENT_NOTI_TYPE_ON_DIED && ext1 == DIED_BY_FORCE_FROM_USER_REQUEST) {
        sweepAllClients(str);
        return;
    }
    NotificationFrame frame(&mOXAUserLock, "notify: failed to attach current thread");
    if (!hasVm(frame, "notify: JavaVM is null")) return;
    JNIEnv* env = frame.env();
    if (msgType == OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED) {
        std::vector<int> objectIds;
        OXAClientLoader::getAllObjectIds(&objectIds);
        for (int objectId : objectIds) {
            if (env == nullptr) {
                ALOGE("notify: changed setting to objectid[%d], env is null", objectId);
                continue;
            }
            JavaService::postEvent(env, frame.exceptions(),
                                   OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED, ext1, objectId, str);
        }
        return;
    }
    if (!hasEnv(frame, "notify: env is null")) return;
    JavaService::postEvent(env, frame.exceptions(), msgType, ext1, ext2, str);
}

// Removes every client under the locks; they are destroyed when the removal's
// notification scope ends, outside every lock, unless this thread is inside
// an answer (then later, docs/thread-model.md). Then posts one death notice
// per client in ascending object id order.
void JNIOXAUserContext::sweepAllClients(const char* str) {
    std::vector<int> objectIds;
    {
        // The lock makes the removal wait for a notification in progress.
        ClientRelease::NotificationScope notifying;
        android::OvikAutoLock lock(&mOXAUserLock);
        if (JavaService::vm() == nullptr) {
            EnvRef::getEnv();  // logs that there is no VM
            ALOGE("notify: JavaVM is null");
            return;
        }
        OXAClientLoader::deleteAllClients(&objectIds);
    }
    NotificationFrame frame(&mOXAUserLock, "notify: failed to attach current thread");
    for (int objectId : objectIds) {
        if (frame.env() == nullptr) {
            ALOGE("notify: fail to send onKill objectid[%d], env is null", objectId);
            continue;
        }
        JavaService::postEvent(frame.env(), frame.exceptions(), OXACLIENT_NOTI_TYPE_ON_DIED,
                               DIED_BY_FORCE_FROM_USER_REQUEST, objectId, str);
    }
}

void JNIOXAUserContext::notifyDataCallback(int32_t ext1, int32_t ext2, size_t size,
                                           const void* data) {
    NotificationFrame frame(&mOXAUserLock, "notifydata: failed to attach current thread.");
    if (!hasVm(frame, "notifydata: JavaVM is null.") || !hasEnv(frame, "notifydata: env is null")) {
        return;
    }
    JNIEnv* env = frame.env();
    const fields_t& fields = JavaService::fields();
    ScopedLocalRef<jobject> buffer(env, JavaService::newDirectBuffer(env, data, size));
    env->CallStaticVoidMethod(fields.service_jclass, fields.post_data_event,
                              static_cast<jobject>(nullptr),
                              static_cast<jint>(OXACLIENT_NOTI_TYPE_ON_DATA),
                              static_cast<jint>(ext1), static_cast<jint>(ext2), buffer.get());
    frame.exceptions().takePending();
}
