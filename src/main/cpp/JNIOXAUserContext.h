#ifndef JNI_OXA_USER_CONTEXT_H
#define JNI_OXA_USER_CONTEXT_H

#include <jni.h>
#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "DeferredNotification.h"
#include "OXACommon.h"
#include "OXAUserListener.h"

class NotificationFrame;

// The one process-wide listener. Every notification of the process is
// serialised by the listener's turn (ListenerGate); a notification raised on
// a thread that already delivers one (a Java callback that drives a module
// answering at once) is delivered at once instead of waiting for itself, and
// one that would wait for a holder that may be waiting for it is left to the
// holder, which delivers it after its callback. Native threads are attached
// for one notification and detached after it.
class OXA_EXPORT JNIOXAUserContext : public android::OXAUserListener {
public:
    static const int OXACLIENT_NOTI_TYPE_ON_MESSAGE = 0;
    static const int OXACLIENT_NOTI_TYPE_ON_DIED = 100;
    static const int OXACLIENT_NOTI_TYPE_ON_DATA = 1122;
    static const int OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED = 1123;
    static const int USB_DEVICE_CONTROLLED_BY_KESTROVA = 1;
    static const int USB_DEVICE_CONTROLLED_BY_ANDROID = 0;
    static const int DIED_UNKNOWN_REASON = 1;
    static const int DIED_BY_FORCE_FROM_USER_REQUEST = 2;

    static JNIOXAUserContext* mJNIOXAUserContext;

    // Keeps none of its arguments. Makes itself the listener of every client.
    JNIOXAUserContext(JNIEnv* env, jobject weak_this, jclass clazz);
    virtual ~JNIOXAUserContext();

    virtual void notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) override;
    virtual void notifyDataCallback(int32_t ext1, int32_t ext2, size_t size,
                                    const void* data) override;

private:
    JNIOXAUserContext(const JNIOXAUserContext&) = delete;
    JNIOXAUserContext& operator=(const JNIOXAUserContext&) = delete;

    // Delivers `args` in a frame of its own, then, in the outermost frame,
    // what other threads left for this one meanwhile.
    OXA_HIDDEN void deliverOrLeave(const NotificationArgs& args);
    OXA_HIDDEN void deliver(NotificationFrame& frame, const NotificationArgs& args);
    OXA_HIDDEN void deliverEvent(NotificationFrame& frame, const NotificationArgs& args);
    OXA_HIDDEN void deliverBlock(NotificationFrame& frame, const NotificationArgs& args);
    OXA_HIDDEN void broadcastUsbControl(NotificationFrame& frame, const NotificationArgs& args);
    OXA_HIDDEN void postDeathNotices(NotificationFrame& frame, const NotificationArgs& args);
    OXA_HIDDEN void sweepAllClients(const char* str);
};

#endif  // JNI_OXA_USER_CONTEXT_H
