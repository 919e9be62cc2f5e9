#include "JNIOXAUserContext.h"

#include <vector>

#include "ClientRelease.h"
#include "JavaService.h"
#include "ListenerGate.h"
#include "NotificationFrame.h"
#include "OXAClient.h"
#include "OXAClientLoader.h"
#include "ScopedLocalRef.h"

#define LOG_TAG OVIK_BRIDGE_LOG_TAG
#include "OvikLog.h"

namespace {

const char kNoVmText[] = "notify: JavaVM is null";

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

bool isForcedDeath(const NotificationArgs& args) {
    return args.msgType == JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_DIED &&
           args.ext1 == JNIOXAUserContext::DIED_BY_FORCE_FROM_USER_REQUEST;
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
    OXAClientLoader::initialize();
    android::OXAClient::setListener(this);
}

JNIOXAUserContext::~JNIOXAUserContext() {
    ALOGI("JNIOXAUserContext deleting this=%p", this);
    android::OXAClient::setListener(nullptr);
    mJNIOXAUserContext = nullptr;
}

void JNIOXAUserContext::notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) {
    const NotificationArgs args = NotificationArgs::event(msgType, ext1, ext2, str);
    if (isForcedDeath(args)) {
        sweepAllClients(str);
        return;
    }
    deliverOrLeave(args);
}

void JNIOXAUserContext::notifyDataCallback(int32_t ext1, int32_t ext2, size_t size,
                                           const void* data) {
    deliverOrLeave(NotificationArgs::block(ext1, ext2, size, data));
}

void JNIOXAUserContext::deliverOrLeave(const NotificationArgs& args) {
    NotificationFrame frame(args);
    if (!frame.delivering()) return;
    deliver(frame, args);
    DeferredNotification next;
    while (frame.takeDeferred(&next)) deliver(frame, next.args());
}

void JNIOXAUserContext::deliver(NotificationFrame& frame, const NotificationArgs& args) {
    switch (args.kind) {
        case NotificationArgs::kEvent:
            deliverEvent(frame, args);
            break;
        case NotificationArgs::kData:
            deliverBlock(frame, args);
            break;
        case NotificationArgs::kDeathNotices:
            postDeathNotices(frame, args);
            break;
    }
}

void JNIOXAUserContext::deliverEvent(NotificationFrame& frame, const NotificationArgs& args) {
    if (!hasVm(frame, kNoVmText)) return;
    if (isForcedDeath(args)) {
        // A sweep that was left for this thread: its clients are destroyed
        // when this thread's turn is over, after the death notices.
        std::vector<int> objectIds;
        OXAClientLoader::deleteAllClients(&objectIds);
        postDeathNotices(frame, NotificationArgs::deathNotices(&objectIds, args.text));
        return;
    }
    if (args.msgType == OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED) {
        broadcastUsbControl(frame, args);
        return;
    }
    if (!hasEnv(frame, "notify: env is null")) return;
    JavaService::postEvent(frame.env(), frame.exceptions(), args.msgType, args.ext1, args.ext2,
                           args.text);
}

void JNIOXAUserContext::broadcastUsbControl(NotificationFrame& frame,
                                            const NotificationArgs& args) {
    std::vector<int> objectIds;
    OXAClientLoader::getAllObjectIds(&objectIds);
    for (int objectId : objectIds) {
        if (frame.env() == nullptr) {
            ALOGE("notify: changed setting to objectid[%d], env is null", objectId);
            continue;
        }
        JavaService::postEvent(frame.env(), frame.exceptions(),
                               OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED, args.ext1, objectId,
                               args.text);
    }
}

void JNIOXAUserContext::postDeathNotices(NotificationFrame& frame, const NotificationArgs& args) {
    for (int objectId : *args.objectIds) {
        if (frame.env() == nullptr) {
            ALOGE("notify: fail to send onKill objectid[%d], env is null", objectId);
            continue;
        }
        JavaService::postEvent(frame.env(), frame.exceptions(), OXACLIENT_NOTI_TYPE_ON_DIED,
                               DIED_BY_FORCE_FROM_USER_REQUEST, objectId, args.text);
    }
}

// Removes every client in the listener's turn; they are destroyed when the
// turn is over, outside every lock, unless this thread is inside an answer
// (then later, docs/thread-model.md). Then posts one death notice per client
// in ascending object id order. A sweep that would wait for a holder of the
// turn that may wait for it is left to the holder as a whole.
void JNIOXAUserContext::sweepAllClients(const char* str) {
    const NotificationArgs sweep = NotificationArgs::event(OXACLIENT_NOTI_TYPE_ON_DIED,
                                                           DIED_BY_FORCE_FROM_USER_REQUEST, 0, str);
    std::vector<int> objectIds;
    {
        ClientRelease::NotificationScope notifying;
        ListenerGate::Turn turn(ListenerGate::process(), sweep);
        if (!turn.taken()) return;
        if (JavaService::vm() == nullptr) {
            EnvRef::getEnv();  // logs that there is no VM
            ALOGE("%s", kNoVmText);
            return;
        }
        OXAClientLoader::deleteAllClients(&objectIds);
    }
    deliverOrLeave(NotificationArgs::deathNotices(&objectIds, str));
}

void JNIOXAUserContext::deliverBlock(NotificationFrame& frame, const NotificationArgs& args) {
    if (!hasVm(frame, "notifydata: JavaVM is null.") || !hasEnv(frame, "notifydata: env is null")) {
        return;
    }
    JNIEnv* env = frame.env();
    const fields_t& fields = JavaService::fields();
    ScopedLocalRef<jobject> buffer(env, JavaService::newDirectBuffer(env, args.data, args.size));
    env->CallStaticVoidMethod(
        fields.service_jclass, fields.post_data_event, static_cast<jobject>(nullptr),
        static_cast<jint>(OXACLIENT_NOTI_TYPE_ON_DATA), static_cast<jint>(args.ext1),
        static_cast<jint>(args.ext2), buffer.get());
    frame.exceptions().takePending();
}
