// The Java service bridge. Its locks, their order, which thread may make
// which call and where a client is destroyed: docs/thread-model.md.
#include "OvikServiceJni.h"

#include <cxxabi.h>
#include <unistd.h>

#include <exception>

#include "ClientRelease.h"
#include "JavaExceptionKeeper.h"
#include "OvikAutoLock.h"
#include "OxaMemoryHeap.h"
#include "ScopedLocalRef.h"
#include "ScopedUtfChars.h"

#define LOG_TAG OVIK_BRIDGE_LOG_TAG
#include "OvikLog.h"

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

// Runs the body of a native method. A C++ exception it throws (an allocation
// that fails, for one) must not unwind into the Java VM: it stops here, is
// logged once, and the method gives its failure result. When the method
// ends, clients queued meanwhile are destroyed if this thread may.
template <typename Result, typename Body>
Result guardNative(const char* method, Result failure, Body&& body) {
    ClientRelease::NativeMethodScope released;
    try {
        return body();
    } catch (abi::__forced_unwind&) {
        // Thread cancellation unwinds through here; it must go on.
        throw;
    } catch (const std::exception& exception) {
        ALOGE("%s threw: %s", method, exception.what());
    } catch (...) {
        ALOGE("%s threw: an exception that is not a std::exception", method);
    }
    return failure;
}

// The static method `name` of the service class, or null after clearing the
// VM's exception and logging `missingText`.
jmethodID findCallback(JNIEnv* env, jclass clazz, const char* name, const char* signature,
                       const char* missingText) {
    jmethodID method = env->GetStaticMethodID(clazz, name, signature);
    if (method == nullptr) {
        env->ExceptionClear();
        ALOGE("%s", missingText);
    }
    return method;
}

}  // namespace

// ---- Library load ----------------------------------------------------------

extern "C" JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* vm, void* /*reserved*/) {
    ALOGD("Load The OvikService JNI(4)");
    // The set-up lock is initialised statically, once; initialising it again
    // here could disturb a thread that holds it.
    JavaService::setVm(vm);

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
    JavaService::fields().service_jclass = static_cast<jclass>(env->NewGlobalRef(clazz));
    JavaService::fields().post_event = findCallback(env, clazz, "postEventFromNative",
                                                    "(Ljava/lang/Object;IIILjava/lang/Object;)V",
                                                    "Can't find post event callback function");
    if (JavaService::fields().post_event == nullptr) return 0;
    JavaService::fields().post_data_event = findCallback(
        env, clazz, "postDataEventFromNative", "(Ljava/lang/Object;IIILjava/nio/ByteBuffer;)V",
        "Can't find post data event callback function");
    if (JavaService::fields().post_data_event == nullptr) return 0;
    return JNI_VERSION_1_4;
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
    return JavaService::newDirectBuffer(env, requestedMemory->getBase(), usedBytes);
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
    jstring result = JavaService::newString(env, jackName);
    return result != nullptr ? result : defaultName;
}

// ---- Entry points ----------------------------------------------------------

#define OVIK_NATIVE(name) Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_##name

extern "C" {

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeGetNativeVersionCode)(JNIEnv*, jobject) {
    ClientRelease::NativeMethodScope released;
    return 1;
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeSetup)(JNIEnv* env, jobject thiz, jobject weak_this,
                                                jstring name, jint objectId) {
    return guardNative("nativeSetup", 1,
                       [&] { return OXAControl::setup(env, thiz, weak_this, name, objectId); });
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeSendCommand)(JNIEnv* env, jobject thiz, jint objectId,
                                                      jstring command) {
    return guardNative("nativeSendCommand", 1,
                       [&] { return OXAControl::sendCommand(env, thiz, objectId, command); });
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeDeleteClient)(JNIEnv* env, jobject thiz, jstring name) {
    return guardNative("nativeDeleteClient", 1,
                       [&] { return OXAControl::deleteClient(env, thiz, name); });
}

JNIEXPORT jobject JNICALL OVIK_NATIVE(nativeRequest)(JNIEnv* env, jobject thiz, jint objectId,
                                                     jstring what, jlong ext1, jlong capacity) {
    return guardNative("nativeRequest", static_cast<jobject>(nullptr), [&] {
        return OXAControl::request(env, thiz, objectId, what, ext1, capacity);
    });
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeIsAPILevelAllowed)(JNIEnv* env, jobject thiz,
                                                            jint SDKAPILevel) {
    ClientRelease::NativeMethodScope released;
    return OXAControl::isAPILevelAllowed(env, thiz, SDKAPILevel);
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeSendStream)(JNIEnv* env, jobject thiz, jint objectId,
                                                     jstring name, jobject byteBuffer, jint id) {
    return guardNative("nativeSendStream", 1, [&] {
        return OXAControl::sendStream(env, thiz, objectId, name, byteBuffer, id);
    });
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeGetTargetAPILevel)(JNIEnv* env, jobject thiz) {
    ClientRelease::NativeMethodScope released;
    return OXAControl::getTargetAPILevel(env, thiz);
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeIsFeatureSupport)(JNIEnv* env, jobject thiz,
                                                           jint feature) {
    ClientRelease::NativeMethodScope released;
    return OXAControl::isFeatureSupport(env, thiz, feature);
}

JNIEXPORT jstring JNICALL OVIK_NATIVE(nativeGetJackClientName)(JNIEnv* env, jobject thiz,
                                                               jstring name, jstring defaultName,
                                                               jint objectId) {
    return guardNative("nativeGetJackClientName", defaultName, [&] {
        return OXAControl::getJackClientName(env, thiz, name, defaultName, objectId);
    });
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeLoadJackLib)(JNIEnv* env, jobject, jstring filePathName) {
    return guardNative("nativeLoadJackLib", 0, [&] {
        ScopedUtfChars path(env, filePathName);
        if (path.c_str() == nullptr) {
            ALOGE("fail to load libjack symbols, filePathName is null.");
            return 0;
        }
        if (load_jack_lib_symbols(path.c_str()) != 0) {
            // Its statics are destroyed at exit before what was registered
            // earlier; the clients that use it go first.
            OXAClientLoader::sweepBeforeLatestLibraryAtExit();
            ALOGD("libjack symbols loaded path=%s", path.c_str());
            return 1;
        }
        ALOGE("fail to load libjack symbols path=%s", path.c_str());
        return 0;
    });
}

JNIEXPORT jint JNICALL OVIK_NATIVE(nativeUnloadJackLib)(JNIEnv*, jobject) {
    ClientRelease::NativeMethodScope released;
    ClientRelease::drainIfSafe();
    // Not while any client lives: registered, queued, or held by a native
    // method still running (its last tearDown() needs the library); nor
    // while one is being set up.
    OXAClient::unloadWhenNoClientLives(&unload_jack_lib_symbols);
    return 1;
}

}  // extern "C"
