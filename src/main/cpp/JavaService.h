// The Java side as the bridge knows it: the VM and the service class's
// handles, stored once by JNI_OnLoad and read by every thread after it, and
// the few ways a module's answer becomes a Java value.
#ifndef JAVA_SERVICE_H
#define JAVA_SERVICE_H

#include <jni.h>
#include <stddef.h>
#include <stdint.h>

// Java handles cached once by JNI_OnLoad.
struct fields_t {
    jmethodID post_event;
    jmethodID post_data_event;
    jclass service_jclass;
};

class JavaExceptionKeeper;

class JavaService {
public:
    // The VM the library was loaded into; null before JNI_OnLoad.
    static JavaVM* vm();
    static void setVm(JavaVM* vm);
    // The cached handles; all null until JNI_OnLoad found them.
    static fields_t& fields();

    // A Java string for a module's text, made valid modified UTF-8 first. A
    // null text is a null string; a string the VM cannot make is null too,
    // and its OutOfMemoryError is cleared.
    static jstring newString(JNIEnv* env, const char* text);
    // A direct buffer over `size` bytes at `data`, or null when there are no
    // bytes to point at or the VM cannot make one.
    static jobject newDirectBuffer(JNIEnv* env, const void* data, size_t size);
    // One postEventFromNative call; its exception goes to `exceptions`.
    static void postEvent(JNIEnv* env, JavaExceptionKeeper& exceptions, int32_t msgType,
                          int32_t ext1, int32_t ext2, const char* str);
};

#endif  // JAVA_SERVICE_H
