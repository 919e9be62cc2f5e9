// The Java service bridge.
//
// Locks, in the order they may be taken:
//   1. OXAControl::mJNIOXAUserContextLock (set-up lock): the whole of
//      nativeSetup, that is, registering a client and creating the listener
//      once. Calls out to nothing but the registry and the VM.
//   2. JNIOXAUserContext::mOXAUserLock (listener lock, recursive): one
//      notification to Java, the callback included; the sweep and the USB
//      broadcast read the registry under it.
//   3. OXAClientLoader::mClientsLock (registry lock): the registry's two maps.
//      Calls out to nothing.
//   The request block's lock guards replacing the retained block and making
//   the buffer over it; the retired-client list in ClientRelease has a lock
//   of its own. Neither calls out, and nothing is taken while either is held.
//
// The rule: no lock of the library is held across a call into a module. The
// listener lock is the one lock held across a call into Java. A native method
// therefore never waits for another call into a module to finish, whichever
// thread it comes from: a Java thread, a callback on a Java thread, or a
// callback on a module's thread. A client is kept alive by the reference its
// caller holds, not by a lock, and references dropped inside a notification
// are let go only after the listener lock is free (ClientRelease).
#include "OvikServiceJni.h"

#include <android/log.h>
#include <sys/resource.h>
#include <unistd.h>

#include "ClientRelease.h"
#include "JavaExceptionKeeper.h"
#include "JniThreadScope.h"
#include "ModifiedUtf8.h"
#include "OvikAutoLock.h"
#include "OxaMemoryHeap.h"
#include "ScopedLocalRef.h"
#include "ScopedUtfChars.h"

#define LOG_TAG "ZEZE-OvikServiceJNI"
#define ALOGD(...) __android_log_print(ANDROID_LOG_DEBUG, LOG_TAG, __VA_ARGS__)
#define ALOGI(...) __android_log_print(ANDROID_LOG_INFO, LOG_TAG, __VA_ARGS__)
#define ALOGE(...) __android_log_print(ANDROID_LOG_ERROR, LOG_TAG, __VA_ARGS__)

using android::OvikAutoLock;
using android::OXAClient;
using android::OxaMemoryHeap;

// The closed JACK loader library.
extern "C" {
int load_jack_lib_symbols(const char* path);
int unload_jack_lib_symbols();
}

namespace {

const char kServiceClassPath[] = "com/morvane/android/sdk/kestrova/OvikServiceInstallable";
// Every request asks its module for a block of this size.
const long kRequestCapacity = 200000;

JavaVM* sJavaVM = nullptr;
fields_t sFields = {nullptr, nullptr, nullptr};

// A Java string for a module's text, made valid modified UTF-8 first. A null
// text is a null string; a string the VM cannot make is null too, and its
// OutOfMemoryError is cleared.
jstring newJavaString(JNIEnv* env, const char* text) {
    if (text == nullptr) return nullptr;
    std::string storage;
    jstring string = env->NewStringUTF(ModifiedUtf8::makeValid(text, storage));
    if (string == nullptr && env->ExceptionCheck()) env->ExceptionClear();
    return string;
}

void postEvent(JNIEnv* env, JavaExceptionKeeper& exceptions, int32_t msgType, int32_t ext1,
               int32_t ext2, const char* str) {
    ScopedLocalRef<jstring> string(env, newJavaString(env, str));
    env->CallStaticVoidMethod(sFields.service_jclass, sFields.post_event,
                              static_cast<jobject>(nullptr), static_cast<jint>(msgType),
                              static_cast<jint>(ext1), static_cast<jint>(ext2), string.get());
    exceptions.takePending();
}

// A direct buffer over `size` bytes at `data`, or null when there are no
// bytes to point at or the VM cannot make one.
jobject newDirectBuffer(JNIEnv* env, const void* data, size_t size) {
    if (data == nullptr) return nullptr;
    jobject buffer = env->NewDirectByteBuffer(const_cast<void*>(data),
                                              static_cast<jlong>(static_cast<uint64_t>(size)));
    if (buffer == nullptr && env->ExceptionCheck()) env->ExceptionClear();
    return buffer;
}

// Initialises `mutex` in place as a recursive mutex.
void initRecursiveMutex(pthread_mutex_t* mutex) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

// The listener lock for one notification. The thread counts as notifying
// until after the unlock, so the clients it let go of meanwhile are
// destroyed with the lock free.
class ListenerLockScope {
public:
    explicit ListenerLockScope(pthread_mutex_t* lock) : mLock(lock) {}

private:
    ClientRelease::NotificationScope mNotifying;
    OvikAutoLock mLock;
};

}  // namespace

// ---- Library load ----------------------------------------------------------

extern "C" JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* vm, void* /*reserved*/) {
    ALOGD("Load The OvikService JNI(4)");
    // The set-up lock is initialised statically, once; initialising it again
    // here could disturb a thread that holds it.
    sJavaVM = vm;

    JNIEnv* env = nullptr;
    if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_4) != JNI_OK) {
        ALOGE("ERROR: JNI version is not 1.4");
        return 0;
    }
    // A failed lookup leaves the VM's exception pending; it is cleared so the
    // VM reports its own refusal of the library.
    jclass clazz = env->FindClass(kServiceClassPath);
    if (clazz == nullptr) {
        env->ExceptionClear();
        ALOGE("unable to find class '%s'", kServiceClassPath);
        return 0;
    }
    sFields.service_jclass = static_cast<jclass>(env->NewGlobalRef(clazz));
    sFields.post_event = env->GetStaticMethodID(clazz, "postEventFromNative",
                                                "(Ljava/lang/Object;IIILjava/lang/Object;)V");
    if (sFields.post_event == nullptr) {
        env->ExceptionClear();
        ALOGE("Can't find post event callback function");
        return 0;
    }
    sFields.post_data_event = env->GetStaticMethodID(
        clazz, "postDataEventFromNative", "(Ljava/lang/Object;IIILjava/nio/ByteBuffer;)V");
    if (sFields.post_data_event == nullptr) {
        env->ExceptionClear();
        ALOGE("Can't find post data event callback function");
        return 0;
    }
    return JNI_VERSION_1_4;
}

JNIEnv* EnvRef::getEnv() {
    if (sJavaVM == nullptr) {
        ALOGI("JNIEnv return null because the vm is null.");
        return nullptr;
    }
    JNIEnv* env = nullptr;
    const jint status = sJavaVM->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_4);
    if (status == JNI_OK && env != nullptr) return env;
    if (status == JNI_EDETACHED && env == nullptr) return nullptr;
    ALOGI("invalid JNIEnv return status=%d, env=%p", status, env);
    return env;
}

// ---- Listener --------------------------------------------------------------

JNIOXAUserContext* JNIOXAUserContext::mJNIOXAUserContext = nullptr;
const int JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_MESSAGE;
const int JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_DIED;
const int JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_DATA;
const int JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED;
const int JNIOXAUserContext::USB_DEVICE_CONTROLLED_BY_KESTROVA;
const int JNIOXAUserContext::USB_DEVICE_CONTROLLED_BY_ANDROID;
const int JNIOXAUserContext::DIED_UNKNOWN_REASON;
const int JNIOXAUserContext::DIED_BY_FORCE_FROM_USER_REQUEST;

JNIOXAUserContext::JNIOXAUserContext(JNIEnv* /*env*/, jobject /*weak_this*/, jclass /*clazz*/) {
    ALOGI("JNIOXAUserContext creating this=%p", this);
    // Recursive, so a notification raised while this thread delivers one
    // (a callback driving a module that answers at once) is not blocked by
    // itself; other threads still wait their turn.
    initRecursiveMutex(&mOXAUserLock);
    OXAClientLoader::initialize();
    OXAClient::setListener(this);
}

JNIOXAUserContext::~JNIOXAUserContext() {
    ALOGI("JNIOXAUserContext deleting this=%p", this);
    OXAClient::setListener(nullptr);
    mJNIOXAUserContext = nullptr;
}

void JNIOXAUserContext::notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) {
    if (msgType == OXACLIENT_NOTI_TYPE_ON_DIED && ext1 == DIED_BY_FORCE_FROM_USER_REQUEST) {
        sweepAllClients(str);
        return;
    }
    ListenerLockScope lock(&mOXAUserLock);
    JniThreadScope thread(sJavaVM, EnvRef::getEnv());
    if (thread.env() == nullptr && sJavaVM == nullptr) {
        ALOGE("notify: JavaVM is null");
        return;
    }
    if (thread.attachFailed()) ALOGE("notify: failed to attach current thread");
    if (msgType == OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED) {
        std::vector<int> objectIds;
        OXAClientLoader::getAllObjectIds(&objectIds);
        JNIEnv* env = thread.env();
        JavaExceptionKeeper exceptions(env, thread.attachedHere());
        for (int objectId : objectIds) {
            if (env == nullptr) {
                ALOGE("notify: changed setting to objectid[%d], env is null", objectId);
                continue;
            }
            postEvent(env, exceptions, OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED, ext1, objectId,
                      str);
        }
        return;
    }
    JNIEnv* env = thread.env();
    if (env == nullptr) {
        ALOGE("notify: env is null");
        return;
    }
    JavaExceptionKeeper exceptions(env, thread.attachedHere());
    postEvent(env, exceptions, msgType, ext1, ext2, str);
}

// Removes every client under the locks, destroys them once no lock of the
// listener or the registry is held (a module whose teardown answers, or waits
// for its own answering thread, must not block on them), then posts one death
// notice per client in ascending object id order.
void JNIOXAUserContext::sweepAllClients(const char* str) {
    std::vector<int> objectIds;
    std::vector<OXAClientLoader::ClientRef> removed;
    {
        ListenerLockScope lock(&mOXAUserLock);
        if (sJavaVM == nullptr) {
            EnvRef::getEnv();  // logs that there is no VM
            ALOGE("notify: JavaVM is null");
            return;
        }
        OXAClientLoader::deleteAllClients(&objectIds, &removed);
    }
    ClientRelease::drop(&removed);
    ListenerLockScope lock(&mOXAUserLock);
    JniThreadScope thread(sJavaVM, EnvRef::getEnv());
    if (thread.attachFailed()) ALOGE("notify: failed to attach current thread");
    JNIEnv* env = thread.env();
    JavaExceptionKeeper exceptions(env, thread.attachedHere());
    for (int objectId : objectIds) {
        if (env == nullptr) {
            ALOGE("notify: fail to send onKill objectid[%d], env is null", objectId);
            continue;
        }
        postEvent(env, exceptions, OXACLIENT_NOTI_TYPE_ON_DIED, DIED_BY_FORCE_FROM_USER_REQUEST,
                  objectId, str);
    }
}

void JNIOXAUserContext::notifyDataCallback(int32_t ext1, int32_t ext2, size_t size,
                                           const void* data) {
    ListenerLockScope lock(&mOXAUserLock);
    JniThreadScope thread(sJavaVM, EnvRef::getEnv());
    if (thread.env() == nullptr && sJavaVM == nullptr) {
        ALOGE("notifydata: JavaVM is null.");
        return;
    }
    if (thread.attachFailed()) ALOGE("notifydata: failed to attach current thread.");
    JNIEnv* env = thread.env();
    if (env == nullptr) {
        ALOGE("notifydata: env is null");
        return;
    }
    JavaExceptionKeeper exceptions(env, thread.attachedHere());
    ScopedLocalRef<jobject> buffer(env, newDirectBuffer(env, data, size));
    env->CallStaticVoidMethod(sFields.service_jclass, sFields.post_data_event,
                              static_cast<jobject>(nullptr),
                              static_cast<jint>(OXACLIENT_NOTI_TYPE_ON_DATA),
                              static_cast<jint>(ext1), static_cast<jint>(ext2), buffer.get());
    exceptions.takePending();
}

// ---- Registry --------------------------------------------------------------

std::map<int, OXAClientLoader::ClientRef> OXAClientLoader::mClients;
std::map<std::string, int> OXAClientLoader::mClientIds;
// Ready from the moment the library is mapped: registry calls come before the
// listener, whose constructor calls initialize().
pthread_mutex_t OXAClientLoader::mClientsLock = PTHREAD_MUTEX_INITIALIZER;

void OXAClientLoader::initialize() {
    // The lock is statically initialised; initialising it again could
    // disturb a thread that holds it, so there is nothing to do.
}

int OXAClientLoader::getClientCount() {
    OvikAutoLock lock(&mClientsLock);
    return static_cast<int>(mClients.size());
}

OXAClientLoader::ClientRef OXAClientLoader::getClient(const int objectId) {
    ClientRelease::releaseRetired();
    OvikAutoLock lock(&mClientsLock);
    auto found = mClients.find(objectId);
    if (found == mClients.end()) {
        ALOGI("Loader: OXAClient[id:%d] is not found", objectId);
        return nullptr;
    }
    return found->second;
}

void OXAClientLoader::printMapForDebug() {
    ALOGI("******************* OXAClient list*******************\n");
    for (const auto& entry : mClients) {
        ALOGI("OXAClient[id:%d] = %x\n", entry.first,
              static_cast<unsigned int>(reinterpret_cast<uintptr_t>(entry.second.get())));
    }
    ALOGI("*****************************************************\n");
}

void OXAClientLoader::getAllObjectIds(std::vector<int>* objectIds) {
    OvikAutoLock lock(&mClientsLock);
    if (objectIds == nullptr) return;
    for (const auto& entry : mClients) objectIds->push_back(entry.first);
}

void OXAClientLoader::deleteAllClients(std::vector<int>* objectIds) {
    std::vector<ClientRef> removed;
    deleteAllClients(objectIds, &removed);
    ClientRelease::drop(&removed);
}

void OXAClientLoader::deleteAllClients(std::vector<int>* objectIds,
                                       std::vector<ClientRef>* removed) {
    OvikAutoLock lock(&mClientsLock);
    for (auto entry = mClients.begin(); entry != mClients.end();) {
        if (objectIds != nullptr) objectIds->push_back(entry->first);
        ClientRef client = entry->second;
        entry = mClients.erase(entry);
        OXAClient::deleteInstance(client);
        removed->push_back(std::move(client));
    }
    mClientIds.clear();
    mClients.clear();
    ALOGI("Loader: All OXAClient was deleted");
    printMapForDebug();
}

int OXAClientLoader::deleteClient(const std::string name) {
    ALOGI("Loader: OXAClient[%s] is deleting", name.c_str());
    ClientRelease::releaseRetired();
    ClientRef client;
    {
        OvikAutoLock lock(&mClientsLock);
        auto named = mClientIds.find(name);
        bool found = false;
        if (named != mClientIds.end()) {
            const int objectId = named->second;
            mClientIds.erase(named);
            auto entry = mClients.find(objectId);
            if (entry != mClients.end()) {
                client = entry->second;
                mClients.erase(entry);
                found = true;
            }
        }
        if (!found) ALOGI("Loader: OXAClient is not existed");
        OXAClient::deleteInstance(client);
    }
    // The client is destroyed outside the lock, if this was its last
    // reference.
    ClientRelease::drop(std::move(client));
    return 0;
}

int OXAClientLoader::newClient(const std::string name, const int uiPid, const int objectId) {
    setpriority(PRIO_PROCESS, 0, -19);
    ALOGI("Loader: OXAClient[%s][%d] is starting", name.c_str(), objectId);
    ClientRelease::releaseRetired();
    OvikAutoLock lock(&mClientsLock);
    if (mClients.count(objectId) != 0) {
        ALOGI("Loader: already exist");
        return 0;
    }
    ClientRef client = OXAClient::createInstance(name, "com.null", uiPid);
    if (!client) {
        ALOGE("Loader: OXAClient[%s][%d] was refused", name.c_str(), objectId);
        return 1;
    }
    mClients.emplace(objectId, std::move(client));
    mClientIds.emplace(name, objectId);
    return 0;
}

// ---- Native methods --------------------------------------------------------

pthread_mutex_t OXAControl::mJNIOXAUserContextLock = PTHREAD_MUTEX_INITIALIZER;
const int OXAControl::NOT_EXIST_OBJECT_ID;
const int OXAControl::OXASERVICE_API_LEVEL;

int OXAControl::setup(JNIEnv* env, jobject thiz, jobject weak_this, jstring name, jint objectId) {
    OvikAutoLock lock(&mJNIOXAUserContextLock);
    if (name == nullptr) {
        ALOGE("fail to setup, the client name is null");
        return 1;
    }
    ScopedUtfChars clientName(env, name);
    if (clientName.c_str() == nullptr) {
        ALOGE("fail to setup, the client name can't be read");
        return 1;
    }
    if (OXAClientLoader::newClient(std::string(clientName.c_str()), getpid(), objectId) != 0) {
        ALOGE("fail to setup, invalid client name %s", clientName.c_str());
        return 1;
    }
    if (JNIOXAUserContext::mJNIOXAUserContext == nullptr) {
        ScopedLocalRef<jclass> clazz(env, env->GetObjectClass(thiz));
        if (clazz.get() == nullptr) {
            if (env->ExceptionCheck()) env->ExceptionClear();
            ALOGE("fail to setup, Can't find clazz");
            return 1;
        }
        JNIOXAUserContext::mJNIOXAUserContext =
            new (std::nothrow) JNIOXAUserContext(env, weak_this, clazz.get());
    }
    return 0;
}

jint OXAControl::sendCommand(JNIEnv* env, jobject /*thiz*/, jint objectId, jstring command) {
    ScopedUtfChars text(env, command);
    ClientRelease::Held client(OXAClientLoader::getClient(objectId));
    if (!client) {
        ALOGE("fail to send command. client is null");
        return 1;
    }
    if (text.c_str() == nullptr) {
        ALOGE("fail to send command. param is null.");
        return 1;
    }
    return client->sendCommand(text.c_str());
}

jint OXAControl::deleteClient(JNIEnv* env, jobject /*thiz*/, jstring name) {
    if (name == nullptr) return 1;
    ScopedUtfChars text(env, name);
    if (text.c_str() == nullptr) return 1;
    return OXAClientLoader::deleteClient(std::string(text.c_str()));
}

jobject OXAControl::request(JNIEnv* env, jobject /*thiz*/, jint objectId, jstring what, jlong ext1,
                            jlong /*capacity*/) {
    // Keeps the block most recently handed to Java alive until the next
    // request that reaches a client.
    static std::shared_ptr<OxaMemoryHeap> requestedMemory;
    // Makes replacing the block and handing it out one step, so a concurrent
    // request cannot release a block between the two. The module is called
    // outside it, so a module that answers during its request cannot meet a
    // Java callback that requests in turn.
    static pthread_mutex_t requestedMemoryLock = PTHREAD_MUTEX_INITIALIZER;

    ScopedUtfChars text(env, what);
    ClientRelease::Held client(OXAClientLoader::getClient(objectId));
    if (!client) {
        ALOGE("fail to request command. client is null");
        return nullptr;
    }
    size_t usedBytes = 0;
    if (text.c_str() == nullptr) {
        ALOGE("fail to request command. param is null");
        return nullptr;
    }
    std::shared_ptr<OxaMemoryHeap> heap = client->request(
        text.c_str(), static_cast<long>(static_cast<int32_t>(ext1)), kRequestCapacity, usedBytes);

    OvikAutoLock lock(&requestedMemoryLock);
    requestedMemory = std::move(heap);
    if (!requestedMemory) {
        ALOGE("fail to request data from client");
        return nullptr;
    }
    if (usedBytes > requestedMemory->getSize()) usedBytes = requestedMemory->getSize();
    // A callback of this request may have thrown; keep its exception for the
    // caller while the buffer is made.
    JavaExceptionKeeper exceptions(env, false);
    return newDirectBuffer(env, requestedMemory->getBase(), usedBytes);
}

jint OXAControl::isAPILevelAllowed(JNIEnv* /*env*/, jobject /*thiz*/, jint SDKAPILevel) {
    return SDKAPILevel > OXASERVICE_API_LEVEL ? 1 : 0;
}

jint OXAControl::sendStream(JNIEnv* env, jobject /*thiz*/, jint objectId, jstring /*name*/,
                            jobject byteBuffer, jint id) {
    void* address = nullptr;
    int32_t length = 0;
    if (byteBuffer != nullptr) {
        address = env->GetDirectBufferAddress(byteBuffer);
        length = static_cast<int32_t>(env->GetDirectBufferCapacity(byteBuffer));
    }
    ClientRelease::Held client(OXAClientLoader::getClient(objectId));
    if (!client) {
        ALOGE("fail to send stream. client is null");
        return 1;
    }
    if (address == nullptr) {
        ALOGE("fail to send stream. param is null.");
        return 1;
    }
    return client->sendStream(address, static_cast<long>(length), id);
}

jint OXAControl::getTargetAPILevel(JNIEnv* /*env*/, jobject /*thiz*/) {
    return OXASERVICE_API_LEVEL;
}

jint OXAControl::isFeatureSupport(JNIEnv* /*env*/, jobject /*thiz*/, jint /*feature*/) {
    return 3;
}

jstring OXAControl::getJackClientName(JNIEnv* env, jobject /*thiz*/, jstring name,
                                      jstring defaultName, jint objectId) {
    ScopedUtfChars text(env, name);
    ClientRelease::Held client(OXAClientLoader::getClient(objectId));
    if (!client) return defaultName;
    if (text.c_str() == nullptr) {
        ALOGE("fail to get jack client name. param is null");
        return defaultName;
    }
    const char* jackName = client->getJackClientName(text.c_str());
    if (jackName == nullptr) {
        ALOGI("jack client name is not set. So, default name that you set will be used.");
        return defaultName;
    }
    JavaExceptionKeeper exceptions(env, false);
    jstring result = newJavaString(env, jackName);
    return result != nullptr ? result : defaultName;
}

// ---- Entry points ----------------------------------------------------------

#define OVIK_NATIVE(name) Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_##name

extern "C" {

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeGetNativeVersionCode)(JNIEnv*, jobject) {
    return 1;
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeSetup)(JNIEnv* env, jobject thiz, jobject weak_this,
                                                jstring name, jint objectId) {
    return OXAControl::setup(env, thiz, weak_this, name, objectId);
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeSendCommand)(JNIEnv* env, jobject thiz, jint objectId,
                                                      jstring command) {
    return OXAControl::sendCommand(env, thiz, objectId, command);
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeDeleteClient)(JNIEnv* env, jobject thiz, jstring name) {
    return OXAControl::deleteClient(env, thiz, name);
}

JNIEXPORT jobject JNICALL OVIK_NATIVE(nativeRequest)(JNIEnv* env, jobject thiz, jint objectId,
                                                     jstring what, jlong ext1, jlong capacity) {
    return OXAControl::request(env, thiz, objectId, what, ext1, capacity);
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeIsAPILevelAllowed)(JNIEnv* env, jobject thiz,
                                                            jint SDKAPILevel) {
    return OXAControl::isAPILevelAllowed(env, thiz, SDKAPILevel);
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeSendStream)(JNIEnv* env, jobject thiz, jint objectId,
                                                     jstring name, jobject byteBuffer, jint id) {
    return OXAControl::sendStream(env, thiz, objectId, name, byteBuffer, id);
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeGetTargetAPILevel)(JNIEnv*, jobject) {
    return OXAControl::OXASERVICE_API_LEVEL;
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeIsFeatureSupport)(JNIEnv*, jobject, jint) {
    return 3;
}

JNIEXPORT jstring JNICALL OVIK_NATIVE(nativeGetJackClientName)(JNIEnv* env, jobject thiz,
                                                               jstring name, jstring defaultName,
                                                               jint objectId) {
    return OXAControl::getJackClientName(env, thiz, name, defaultName, objectId);
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeLoadJackLib)(JNIEnv* env, jobject, jstring filePathName) {
    ScopedUtfChars path(env, filePathName);
    if (path.c_str() == nullptr) {
        ALOGE("fail to load libjack symbols, filePathName is null.");
        return 0;
    }
    if (load_jack_lib_symbols(path.c_str()) != 0) {
        ALOGD("libjack symbols loaded path=%s", path.c_str());
        return 1;
    }
    ALOGE("fail to load libjack symbols path=%s", path.c_str());
    return 0;
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeUnloadJackLib)(JNIEnv*, jobject) {
    if (OXAClientLoader::getClientCount() == 0) unload_jack_lib_symbols();
    return 1;
}

}  // extern "C"
