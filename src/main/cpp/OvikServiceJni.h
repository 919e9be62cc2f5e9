// The Java service bridge: the library load hook, the listener that delivers
// every client answer to Java, the registry of live clients, and the native
// methods of com.morvane.android.sdk.kestrova.OvikServiceInstallable.
//
// The locks, their order and the rule that no lock is held across a call into
// a module are written at the top of OvikServiceJni.cpp. Clients are never
// destroyed while the registry lock or the listener's lock is held.
#ifndef OVIK_SERVICE_JNI_H
#define OVIK_SERVICE_JNI_H

#include <jni.h>
#include <pthread.h>
#include <stddef.h>
#include <stdint.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "OXAClient.h"
#include "OXACommon.h"
#include "OXAUserListener.h"

// Java handles cached once by JNI_OnLoad.
struct fields_t {
    jmethodID post_event;
    jmethodID post_data_event;
    jclass service_jclass;
};

// The calling thread's JNI environment, or null when it is not attached.
class OXA_EXPORT EnvRef {
public:
    static JNIEnv* getEnv();
};

// The one process-wide listener. Every notification of the process is
// serialised by its lock; a notification raised on a thread that already
// delivers one (a Java callback that drives a module answering at once) is
// delivered at once instead of waiting for itself. Native threads are
// attached for one notification and detached after it.
class OXA_EXPORT JNIOXAUserContext : public android::OXAUserListener {
public:
    static const int OXACLIENT_NOTI_TYPE_ON_MESSAGE = 0;
    static const int OXACLIENT_NOTI_TYPE_ON_DIED = 100;
    static const int OXACLIENT_NOTI_TYPE_ON_DATA = 1122;
    static const int OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED = 1123;
    static const int USB_DEVICE_CONTROLLED_BY_KESTROVA = 1;
    static const int USB_DEVICE_CONTROLLED_BY_ANDROID = 0;
    static const int DIED_UNKNOWN_REASON = 1;
    static const int DIED_BY_FORCE_FROM_USER_REQUEST = 2;

    static JNIOXAUserContext* mJNIOXAUserContext;

    // Keeps none of its arguments. Makes itself the listener of every client.
    JNIOXAUserContext(JNIEnv* env, jobject weak_this, jclass clazz);
    virtual ~JNIOXAUserContext();

    virtual void notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) override;
    virtual void notifyDataCallback(int32_t ext1, int32_t ext2, size_t size,
                                    const void* data) override;

private:
    JNIOXAUserContext(const JNIOXAUserContext&) = delete;
    JNIOXAUserContext& operator=(const JNIOXAUserContext&) = delete;

    OXA_HIDDEN void sweepAllClients(const char* str);

    pthread_mutex_t mOXAUserLock;
};

// The registry of live clients: one per object id, and a name index.
class OXA_EXPORT OXAClientLoader {
public:
    typedef std::shared_ptr<android::OXAClient> ClientRef;

    static int getClientCount();
    static ClientRef getClient(const int objectId);
    static void printMapForDebug();
    static void getAllObjectIds(std::vector<int>* objectIds);
    // Removes every client, appending their ids in ascending order. The
    // clients are destroyed after the registry lock is released.
    static void deleteAllClients(std::vector<int>* objectIds);
    // The same, but hands the removed references to `removed` so the caller
    // decides where the clients are destroyed.
    static void deleteAllClients(std::vector<int>* objectIds, std::vector<ClientRef>* removed);
    static int deleteClient(const std::string name);
    static void initialize();
    // 0 when the client exists afterwards; 1 when the client refused its
    // name, in which case nothing is registered.
    static int newClient(const std::string name, const int uiPid, const int objectId);

private:
    static std::map<int, ClientRef> mClients;
    static std::map<std::string, int> mClientIds;
    static pthread_mutex_t mClientsLock;
};

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
