// Keeps Java exceptions thrown by callbacks from breaking the calls after
// them: no JNI call may be made while an exception is pending.
//
// On a thread that the library attached, an exception is described and
// cleared (it must not be pending when the thread detaches). On any other
// thread (a Java thread inside a native method) the first exception is kept,
// cleared while more calls are made, and raised again at the end of the
// scope, so the Java caller still sees it when its native call returns.
//
// The library clears every exception its own JNI calls raise, so the one
// exception that can be pending when a notification starts is one an earlier
// scope on the same thread raised again at its end. A notification's keeper
// therefore asks the VM only when that happened (ExceptionCheck is a full
// transition into the VM, dearer than the rest of an answer's own work).
#ifndef JAVA_EXCEPTION_KEEPER_H
#define JAVA_EXCEPTION_KEEPER_H

#include <jni.h>

class JavaExceptionKeeper {
public:
    // Takes whatever is pending now: for the end of a native method, after
    // module code whose answers may have raised one again.
    JavaExceptionKeeper(JNIEnv* env, bool attachedHere)
        : mEnv(env), mAttachedHere(attachedHere), mFirst(nullptr) {
        takePending();
    }

    // For a notification: takes what an earlier keeper on this thread raised
    // again, if any. A thread attached for the notification has none.
    struct ForNotification {};
    JavaExceptionKeeper(JNIEnv* env, bool attachedHere, ForNotification)
        : mEnv(env), mAttachedHere(attachedHere), mFirst(nullptr) {
        if (attachedHere || !tRaisedAgain) return;
        tRaisedAgain = false;
        takePending();
    }

    ~JavaExceptionKeeper() {
        if (mFirst == nullptr) return;
        mEnv->Throw(mFirst);
        mEnv->DeleteLocalRef(mFirst);
        tRaisedAgain = true;
    }

    JavaExceptionKeeper(const JavaExceptionKeeper&) = delete;
    JavaExceptionKeeper& operator=(const JavaExceptionKeeper&) = delete;

    // Call after every JNI call that may throw; afterwards none is pending.
    void takePending() {
        if (mEnv == nullptr || !mEnv->ExceptionCheck()) return;
        if (mAttachedHere) {
            mEnv->ExceptionDescribe();
            mEnv->ExceptionClear();
            return;
        }
        if (mFirst == nullptr) {
            mFirst = mEnv->ExceptionOccurred();
        }
        mEnv->ExceptionClear();
    }

private:
    // Whether a keeper on this thread raised an exception again since the
    // last notification looked. It may outlive that exception (the Java
    // caller took it); then the next notification asks the VM once for
    // nothing.
    static inline thread_local bool tRaisedAgain = false;

    JNIEnv* mEnv;
    bool mAttachedHere;
    jthrowable mFirst;
};

#endif  // JAVA_EXCEPTION_KEEPER_H
