// One notification to Java, set up the one way every notification is:
//
//   NotificationFrame frame(&mOXAUserLock, "notify: failed to attach current thread");
//   if (frame.env() == nullptr) { ...log, return... }
//   JavaService::postEvent(frame.env(), frame.exceptions(), ...);
//
// For the frame's length it holds the listener lock, gives the thread a JNI
// environment (attaching a native thread, and detaching it at the end), logs
// a failed attach with `attachFailedText`, and keeps the callbacks'
// exceptions from breaking the calls after them. Clients let go of inside
// the frame are queued and drained after the lock is free
// (docs/thread-model.md).
#ifndef NOTIFICATION_FRAME_H
#define NOTIFICATION_FRAME_H

#include <android/log.h>
#include <jni.h>
#include <pthread.h>

#include "ClientRelease.h"
#include "EnvRef.h"
#include "JavaExceptionKeeper.h"
#include "JavaService.h"
#include "JniThreadScope.h"
#include "OvikAutoLock.h"
#include "OvikLog.h"

class NotificationFrame {
public:
    NotificationFrame(pthread_mutex_t* listenerLock, const char* attachFailedText)
        : mLock(listenerLock),
          mThread(JavaService::vm(), EnvRef::getEnv()),
          mExceptions(mThread.env(), mThread.attachedHere()) {
        if (mThread.attachFailed()) {
            __android_log_print(ANDROID_LOG_ERROR, OVIK_BRIDGE_LOG_TAG, "%s", attachFailedText);
        }
    }

    NotificationFrame(const NotificationFrame&) = delete;
    NotificationFrame& operator=(const NotificationFrame&) = delete;

    // The thread's environment; null when there is no VM or no way to attach.
    JNIEnv* env() const { return mThread.env(); }
    JavaExceptionKeeper& exceptions() { return mExceptions; }

private:
    // Declared in the order they end in reverse: the kept exception is raised
    // before the thread detaches, and the queue is drained after the unlock.
    ClientRelease::NotificationScope mNotifying;
    android::OvikAutoLock mLock;
    JniThreadScope mThread;
    JavaExceptionKeeper mExceptions;
};

#endif  // NOTIFICATION_FRAME_H
