// Keeps Java exceptions thrown by callbacks from breaking the calls after
// them: no JNI call may be made while an exception is pending.
//
// On a thread that the library attached, an exception is described and
// cleared (it must not be pending when the thread detaches). On any other
// thread (a Java thread inside a native method) the first exception is kept,
// cleared while more calls are made, and raised again at the end of the
// scope, so the Java caller still sees it when its native call returns.
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

    ~JavaExceptionKeeper() {
        if (mFirst == nullptr) return;
        mEnv->Throw(mFirst);
        mEnv->DeleteLocalRef(mFirst);
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
    JNIEnv* mEnv;
    bool mAttachedHere;
    jthrowable mFirst;
};

#endif  // JAVA_EXCEPTION_KEEPER_H
