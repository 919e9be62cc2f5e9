// Native methods of the JVM suites' helper classes
// com.morvane.ovik.jvmtest.support.NativeLog and NativeHelper.
#include <jni.h>

#include <string>

#include "AttachedNotifier.h"
#include "CapturedLog.h"
#include "ModuleProbe.h"
#include "RegistryProbe.h"
#include "ScopedUtfChars.h"

namespace {

JavaVM* sVm = nullptr;

// A Java string as a byte string; empty for null.
std::string toString(JNIEnv* env, jstring string) {
    ScopedUtfChars chars(env, string);
    return chars.c_str() != nullptr ? std::string(chars.c_str()) : std::string();
}

}  // namespace

extern "C" {

JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* vm, void* /*reserved*/) {
    sVm = vm;
    CapturedLog::install();
    return JNI_VERSION_1_4;
}

JNIEXPORT jbyteArray JNICALL Java_com_morvane_ovik_jvmtest_support_NativeLog_take(JNIEnv* env,
                                                                                  jclass) {
    const std::string lines = CapturedLog::take();
    jbyteArray bytes = env->NewByteArray(static_cast<jsize>(lines.size()));
    if (bytes == nullptr) return nullptr;  // OutOfMemoryError pending for the caller
    env->SetByteArrayRegion(bytes, 0, static_cast<jsize>(lines.size()),
                            reinterpret_cast<const jbyte*>(lines.data()));
    return bytes;
}

JNIEXPORT jboolean JNICALL Java_com_morvane_ovik_jvmtest_support_NativeHelper_broadcastToClients(
    JNIEnv* env, jclass, jint reason, jstring text) {
    return RegistryProbe::broadcast(reason, toString(env, text).c_str()) ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jint JNICALL Java_com_morvane_ovik_jvmtest_support_NativeHelper_notifyFromAttachedThread(
    JNIEnv* env, jclass, jint objectId, jint count, jstring text) {
    return AttachedNotifier::run(sVm, objectId, count, toString(env, text));
}

JNIEXPORT jboolean JNICALL
Java_com_morvane_ovik_jvmtest_support_NativeHelper_pinModule(JNIEnv* env, jclass, jstring path) {
    return ModuleProbe::pin(toString(env, path)) ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jint JNICALL Java_com_morvane_ovik_jvmtest_support_NativeHelper_moduleCount(
    JNIEnv* env, jclass, jstring path, jstring symbol) {
    return ModuleProbe::count(toString(env, path), toString(env, symbol));
}

}  // extern "C"
