// Owns one JNI local reference and deletes it when it goes out of scope.
#ifndef SCOPED_LOCAL_REF_H
#define SCOPED_LOCAL_REF_H

#include <jni.h>

template <typename T>
class ScopedLocalRef {
public:
    ScopedLocalRef(JNIEnv* env, T ref) : mEnv(env), mRef(ref) {}
    ScopedLocalRef(ScopedLocalRef&& other) noexcept : mEnv(other.mEnv), mRef(other.release()) {}
    ~ScopedLocalRef() { reset(); }

    ScopedLocalRef(const ScopedLocalRef&) = delete;
    ScopedLocalRef& operator=(const ScopedLocalRef&) = delete;

    T get() const { return mRef; }
    T release() {
        T ref = mRef;
        mRef = nullptr;
        return ref;
    }
    // DeleteLocalRef is one of the calls allowed while an exception is pending.
    void reset() {
        if (mRef != nullptr) mEnv->DeleteLocalRef(mRef);
        mRef = nullptr;
    }

private:
    JNIEnv* mEnv;
    T mRef;
};

#endif  // SCOPED_LOCAL_REF_H
