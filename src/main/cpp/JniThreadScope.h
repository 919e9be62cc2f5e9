// Gives the calling thread a JNI environment for the length of one scope:
// the thread's own when it has one, otherwise one from attaching it, in
// which case the thread is detached again at the end of the scope. A thread
// that was attached already is left attached.
#ifndef JNI_THREAD_SCOPE_H
#define JNI_THREAD_SCOPE_H

#include <jni.h>

class JniThreadScope {
public:
    // `env` is the thread's environment (null when it has none).
    JniThreadScope(JavaVM* vm, JNIEnv* env) : mVm(vm), mEnv(env), mAttached(false) {
        if (mEnv != nullptr || mVm == nullptr) return;
        mAttachFailed = mVm->AttachCurrentThread(EnvSlot{&mEnv}, nullptr) != JNI_OK;
        if (mAttachFailed) mEnv = nullptr;
        mAttached = !mAttachFailed;
    }
    ~JniThreadScope() {
        if (mAttached) mVm->DetachCurrentThread();
    }

    JniThreadScope(const JniThreadScope&) = delete;
    JniThreadScope& operator=(const JniThreadScope&) = delete;

    JNIEnv* env() const { return mEnv; }
    bool attachedHere() const { return mAttached; }
    bool attachFailed() const { return mAttachFailed; }

private:
    // AttachCurrentThread takes JNIEnv** in Android's jni.h and void** in the
    // JDK's; this converts to whichever the header declares.
    struct EnvSlot {
        JNIEnv** slot;
        operator JNIEnv**() const { return slot; }
        operator void**() const { return reinterpret_cast<void**>(slot); }
    };

    JavaVM* mVm;
    JNIEnv* mEnv;
    bool mAttached;
    bool mAttachFailed = false;
};

#endif  // JNI_THREAD_SCOPE_H
