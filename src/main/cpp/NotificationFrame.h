// One notification to Java, set up the one way every notification is:
//
//   NotificationFrame frame(args);
//   if (!frame.delivering()) return;      // left for the listener's holder
//   JavaService::postEvent(frame.env(), frame.exceptions(), ...);
//
// For the frame's length it holds the listener's turn, gives the thread a
// JNI environment (attaching a native thread, and detaching it at the end),
// logs a failed attach, and keeps the callbacks' exceptions from breaking
// the calls after them. When the turn cannot be taken without waiting for a
// thread that may wait for this one, the notification is queued for the
// holder and the frame does nothing more. Clients let go of inside the frame
// are queued and drained after the turn is over (docs/thread-model.md).
#ifndef NOTIFICATION_FRAME_H
#define NOTIFICATION_FRAME_H

#include <android/log.h>
#include <jni.h>

#include "ClientRelease.h"
#include "DeferredNotification.h"
#include "EnvRef.h"
#include "JavaExceptionKeeper.h"
#include "JavaService.h"
#include "JniThreadScope.h"
#include "ListenerGate.h"
#include "OvikLog.h"

class NotificationFrame {
public:
    explicit NotificationFrame(const NotificationArgs& args)
        : mTurn(ListenerGate::process(), args),
          mThread(mTurn.taken() ? JavaService::vm() : nullptr,
                  mTurn.taken() ? EnvRef::getEnv() : nullptr),
          mExceptions(mThread.env(), mThread.attachedHere()) {
        if (mThread.attachFailed()) {
            __android_log_print(ANDROID_LOG_ERROR, OVIK_BRIDGE_LOG_TAG, "%s",
                                args.kind == NotificationArgs::kData
                                    ? "notifydata: failed to attach current thread."
                                    : "notify: failed to attach current thread");
        }
    }

    NotificationFrame(const NotificationFrame&) = delete;
    NotificationFrame& operator=(const NotificationFrame&) = delete;

    // False when the notification was queued for the holder of the turn.
    bool delivering() const { return mTurn.taken(); }
    // The thread's environment; null when there is no VM or no way to attach.
    JNIEnv* env() const { return mThread.env(); }
    JavaExceptionKeeper& exceptions() { return mExceptions; }
    // For the outermost frame of the holder: the next notification that
    // another thread left for it meanwhile.
    bool takeDeferred(DeferredNotification* next) { return mTurn.takeDeferred(next); }

private:
    // Declared in the order they end in reverse: the kept exception is raised
    // before the thread detaches, and the queue is drained after the turn.
    ClientRelease::NotificationScope mNotifying;
    ListenerGate::Turn mTurn;
    JniThreadScope mThread;
    JavaExceptionKeeper mExceptions;
};

#endif  // NOTIFICATION_FRAME_H
