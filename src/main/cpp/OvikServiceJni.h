// The Java service bridge: the native methods of
// com.morvane.android.sdk.kestrova.OvikServiceInstallable and the library
// load hook. With them come the listener that delivers every client answer to
// Java (JNIOXAUserContext.h), the registry of live clients (OXAClientLoader.h)
// and the thread environment lookup (EnvRef.h).
//
// The locks, their order, which thread may make which call and where a client
// is destroyed are written once, in docs/thread-model.md.
#ifndef OVIK_SERVICE_JNI_H
#define OVIK_SERVICE_JNI_H

#include <jni.h>
#include <pthread.h>

#include "EnvRef.h"
#include "JNIOXAUserContext.h"
#include "JavaService.h"
#include "OXAClient.h"
#include "OXAClientLoader.h"
#include "OXACommon.h"

// What the native methods forward to. Java calls each from any of its
// threads, several at once, and from inside its own callbacks on any thread
// (docs/thread-model.md). A method holds its own reference to the client it
// found for its whole length: a client deleted meanwhile lives until the
// method returns. Java strings are read and released within the call; no
// local reference is kept.
class OXA_EXPORT OXAControl {
public:
    static const int NOT_EXIST_OBJECT_ID = -1;
    // The service's level is the host's, the one modules are checked against.
    static const int OXASERVICE_API_LEVEL = android::OXAClient::OXACLIENT_API_LEVEL;
    // The set-up lock (docs/thread-model.md). Initialised statically.
    static pthread_mutex_t mJNIOXAUserContextLock;

    // Registers client `objectId` named `name` (kept if the id exists) and
    // creates the listener once. 0, or 1 when refused. Keeps no reference.
    static int setup(JNIEnv* env, jobject thiz, jobject weak_this, jstring name, jint objectId);
    // "<name>!<command>" to client `objectId`: the command's result, 1 when
    // there is no such client or text. Blocks for as long as the module does.
    static jint sendCommand(JNIEnv* env, jobject thiz, jint objectId, jstring command);
    // Removes client `name` from the registry; 0, or 1 for a null name. The
    // client is destroyed when its last reference goes, outside every lock.
    static jint deleteClient(JNIEnv* env, jobject thiz, jstring name);
    // Has the module fill a 200000-byte block. A direct buffer over the bytes
    // it filled, or null. The block stays valid until the next request that
    // reaches a client (of any client: one block is retained process-wide);
    // Java must be done with the buffer by then. The next request to the same
    // client may be handed the same block to fill again.
    static jobject request(JNIEnv* env, jobject thiz, jint objectId, jstring what, jlong ext1,
                           jlong capacity);
    // 1 when `SDKAPILevel` is above this service's level, else 0.
    static jint isAPILevelAllowed(JNIEnv* env, jobject thiz, jint SDKAPILevel);
    // The bytes of direct buffer `byteBuffer`, read during the call only, to
    // client `objectId`; the module's result, or 1.
    static jint sendStream(JNIEnv* env, jobject thiz, jint objectId, jstring name,
                           jobject byteBuffer, jint id);
    // Constants: OXASERVICE_API_LEVEL, and 3 for every feature.
    static jint getTargetAPILevel(JNIEnv* env, jobject thiz);
    static jint isFeatureSupport(JNIEnv* env, jobject thiz, jint feature);
    // The module's JACK client name as a new local string, or `defaultName`
    // itself.
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
