// Reads a Java string as modified UTF-8 for the length of a scope. A null
// jstring is never handed to GetStringUTFChars (the VM does not allow it):
// it reads as a null text, as does a string the VM cannot copy, in which case
// the VM's OutOfMemoryError is cleared so the caller's failure path can run.
#ifndef SCOPED_UTF_CHARS_H
#define SCOPED_UTF_CHARS_H

#include <jni.h>

class ScopedUtfChars {
public:
    ScopedUtfChars(JNIEnv* env, jstring string) : mEnv(env), mString(string), mChars(nullptr) {
        if (mString == nullptr) return;
        mChars = mEnv->GetStringUTFChars(mString, nullptr);
        if (mChars == nullptr && mEnv->ExceptionCheck()) mEnv->ExceptionClear();
    }
    ScopedUtfChars(ScopedUtfChars&& other) noexcept
        : mEnv(other.mEnv), mString(other.mString), mChars(other.mChars) {
        other.mChars = nullptr;
    }
    ~ScopedUtfChars() {
        if (mChars != nullptr) mEnv->ReleaseStringUTFChars(mString, mChars);
    }

    ScopedUtfChars(const ScopedUtfChars&) = delete;
    ScopedUtfChars& operator=(const ScopedUtfChars&) = delete;

    const char* c_str() const { return mChars; }

private:
    JNIEnv* mEnv;
    jstring mString;
    const char* mChars;
};

#endif  // SCOPED_UTF_CHARS_H
