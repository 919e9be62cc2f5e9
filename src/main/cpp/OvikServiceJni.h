// The Java service bridge: the native methods of
// com.morvane.android.sdk.kestrova.OvikServiceInstallable and the library
// load hook. With them come the listener that delivers every client answer to
// Java (JNIOXAUserContext.h), the registry of live clients (OXAClientLoader.h)
// and the thread environment lookup (EnvRef.h).
//
// The locks, their order and the rule that no lock is held across a call into
// a module are written at the top of OvikServiceJni.cpp. Clients are never
// destroyed while the registry lock or the listener's lock is held.
#ifndef OVIK_SERVICE_JNI_H
#define OVIK_SERVICE_JNI_H

#include <jni.h>
#include <pthread.h>

#include "EnvRef.h"
#include "JNIOXAUserContext.h"
#include "JavaService.h"
#include "OXAClientLoader.h"
#include "OXACommon.h"

// What the native methods forward to.
class OXA_EXPORT OXAControl {
public:
    static const int NOT_EXIST_OBJECT_ID = -1;
    static const int OXASERVICE_API_LEVEL = 4;
    static pthread_mutex_t mJNIOXAUserContextLock;

    static int setup(JNIEnv* env, jobject thiz, jobject weak_this, jstring name, jint objectId);
    static jint sendCommand(JNIEnv* env, jobject thiz, jint objectId, jstring command);
    static jint deleteClient(JNIEnv* env, jobject thiz, jstring name);
    static jobject request(JNIEnv* env, jobject thiz, jint objectId, jstring what, jlong ext1,
                           jlong capacity);
    static jint isAPILevelAllowed(JNIEnv* env, jobject thiz, jint SDKAPILevel);
    static jint sendStream(JNIEnv* env, jobject thiz, jint objectId, jstring name,
                           jobject byteBuffer, jint id);
    static jint getTargetAPILevel(JNIEnv* env, jobject thiz);
    static jint isFeatureSupport(JNIEnv* env, jobject thiz, jint feature);
    static jstring getJackClientName(JNIEnv* env, jobject thiz, jstring name, jstring defaultName,
                                     jint objectId);
};

extern "C" {
JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* vm, void* reserved);

JNIEXPORT jint JNICALL
Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_nativeGetNativeVersionCode(JNIEnv*,
                                                                                        jobject);
JNIEXPORT jint JNICALL Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_nativeSetup(
    JNIEnv*, jobject, jobject, jstring, jint);
JNIEXPORT jint JNICALL
Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_nativeSendCommand(JNIEnv*, jobject,
                                                                               jint, jstring);
JNIEXPORT jint JNICALL
Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_nativeDeleteClient(JNIEnv*, jobject,
                                                                                jstring);
JNIEXPORT jobject JNICALL
Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_nativeRequest(JNIEnv*, jobject, jint,
                                                                           jstring, jlong, jlong);
JNIEXPORT jint JNICALL
Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_nativeIsAPILevelAllowed(JNIEnv*,
                                                                                     jobject, jint);
JNIEXPORT jint JNICALL
Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_nativeSendStream(JNIEnv*, jobject,
                                                                              jint, jstring,
                                                                              jobject, jint);
JNIEXPORT jint JNICALL
Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_nativeGetTargetAPILevel(JNIEnv*,
                                                                                     jobject);
JNIEXPORT jint JNICALL
Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_nativeIsFeatureSupport(JNIEnv*,
                                                                                    jobject, jint);
JNIEXPORT jstring JNICALL
Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_nativeGetJackClientName(JNIEnv*,
                                                                                     jobject,
                                                                                     jstring,
                                                                                     jstring, jint);
JNIEXPORT jint JNICALL
Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_nativeLoadJackLib(JNIEnv*, jobject,
                                                                               jstring);
JNIEXPORT jint JNICALL
Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_nativeUnloadJackLib(JNIEnv*, jobject);
}

#endif  // OVIK_SERVICE_JNI_H
