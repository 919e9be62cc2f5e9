// libovikbenchfloor.so: the floor of each path of the JVM benchmark, the
// bare JNI calls any implementation of that path must make, and nothing
// else. It also reads the benchmark module's counters.
#include <dlfcn.h>
#include <jni.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

namespace {

const char kAnswerText[] = "benchmark answer";

JavaVM* sVm = nullptr;
jclass sFloorClass = nullptr;
jmethodID sPostEvent = nullptr;
jmethodID sPostDataEvent = nullptr;

void postText(JNIEnv* env, int id, int objectId) {
    jstring text = env->NewStringUTF(kAnswerText);
    env->CallStaticVoidMethod(sFloorClass, sPostEvent, static_cast<jobject>(nullptr), 0, id,
                              objectId, text);
    env->ExceptionCheck();
    env->DeleteLocalRef(text);
}

struct ThreadAnswers {
    int count;
    int objectId;
};

void* answerFromThread(void* argument) {
    const ThreadAnswers* answers = static_cast<const ThreadAnswers*>(argument);
    for (int i = 0; i < answers->count; ++i) {
        JNIEnv* env = nullptr;
        if (sVm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) break;
        postText(env, 2, answers->objectId);
        sVm->DetachCurrentThread();
    }
    return nullptr;
}

}  // namespace

extern "C" JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* vm, void* /*reserved*/) {
    sVm = vm;
    JNIEnv* env = nullptr;
    if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_4) != JNI_OK) return JNI_ERR;
    jclass floorClass = env->FindClass("com/morvane/ovik/bench/Floor");
    if (floorClass == nullptr) return JNI_ERR;
    sFloorClass = static_cast<jclass>(env->NewGlobalRef(floorClass));
    env->DeleteLocalRef(floorClass);
    sPostEvent = env->GetStaticMethodID(sFloorClass, "postEventFromNative",
                                        "(Ljava/lang/Object;IIILjava/lang/Object;)V");
    sPostDataEvent = env->GetStaticMethodID(sFloorClass, "postDataEventFromNative",
                                            "(Ljava/lang/Object;IIILjava/nio/ByteBuffer;)V");
    if (sPostEvent == nullptr || sPostDataEvent == nullptr) return JNI_ERR;
    return JNI_VERSION_1_4;
}

// The command's text is read, and the two processor-clock readings the
// watcher of a module call needs are made.
extern "C" JNIEXPORT jint JNICALL Java_com_morvane_ovik_bench_Floor_command(JNIEnv* env, jobject,
                                                                            jstring command) {
    const char* text = env->GetStringUTFChars(command, nullptr);
    if (text == nullptr) return 1;
    const clock_t start = clock();
    const clock_t end = clock();
    env->ReleaseStringUTFChars(command, text);
    return end - start > 5 * CLOCKS_PER_SEC ? 1 : 0;
}

extern "C" JNIEXPORT jint JNICALL Java_com_morvane_ovik_bench_Floor_answers(JNIEnv* env, jobject,
                                                                            jint count,
                                                                            jint objectId) {
    for (int i = 0; i < count; ++i) postText(env, 1, objectId);
    return 0;
}

extern "C" JNIEXPORT jint JNICALL Java_com_morvane_ovik_bench_Floor_threadAnswers(JNIEnv*, jobject,
                                                                                  jint count,
                                                                                  jint objectId) {
    ThreadAnswers answers{count, objectId};
    pthread_t thread;
    if (pthread_create(&thread, nullptr, answerFromThread, &answers) != 0) return 1;
    pthread_join(thread, nullptr);
    return 0;
}

extern "C" JNIEXPORT jint JNICALL Java_com_morvane_ovik_bench_Floor_dataAnswers(JNIEnv* env,
                                                                                jobject, jint size,
                                                                                jint count,
                                                                                jint objectId) {
    static unsigned char data[200 * 1024];
    static const bool filled = memset(data, 0x3c, sizeof(data)) != nullptr;
    if (!filled || size <= 0 || static_cast<size_t>(size) > sizeof(data)) return 2;
    for (int i = 0; i < count; ++i) {
        jobject buffer = env->NewDirectByteBuffer(data, size);
        env->CallStaticVoidMethod(sFloorClass, sPostDataEvent, static_cast<jobject>(nullptr), 1122,
                                  size, objectId, buffer);
        env->ExceptionCheck();
        env->DeleteLocalRef(buffer);
    }
    return 0;
}

// A block is allocated, filled, and handed out; the previous one is freed.
extern "C" JNIEXPORT jobject JNICALL Java_com_morvane_ovik_bench_Floor_request(JNIEnv* env, jobject,
                                                                               jint size) {
    static void* block = nullptr;
    free(block);
    block = malloc(static_cast<size_t>(size));
    if (block == nullptr) return nullptr;
    memset(block, 0x5a, static_cast<size_t>(size));
    return env->NewDirectByteBuffer(block, size);
}

// The stream's bytes are copied once, into a buffer kept between calls.
extern "C" JNIEXPORT jint JNICALL Java_com_morvane_ovik_bench_Floor_copyStream(JNIEnv* env, jobject,
                                                                               jobject stream) {
    static char* copy = nullptr;
    static size_t capacity = 0;
    const void* address = env->GetDirectBufferAddress(stream);
    const jlong length = env->GetDirectBufferCapacity(stream);
    if (address == nullptr || length < 0) return 1;
    if (static_cast<size_t>(length) > capacity) {
        free(copy);
        capacity = static_cast<size_t>(length);
        copy = static_cast<char*>(malloc(capacity));
        if (copy == nullptr) return 1;
    }
    memcpy(copy, address, static_cast<size_t>(length));
    return 0;
}

// The value of the module's counter function `symbol`, or -1 when the
// module is not loaded or has no such function.
extern "C" JNIEXPORT jlong JNICALL Java_com_morvane_ovik_bench_Floor_moduleCounter(JNIEnv* env,
                                                                                   jclass,
                                                                                   jstring library,
                                                                                   jstring symbol) {
    const char* path = env->GetStringUTFChars(library, nullptr);
    const char* name = env->GetStringUTFChars(symbol, nullptr);
    jlong value = -1;
    if (path != nullptr && name != nullptr) {
        void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
        if (handle != nullptr) {
            void* function = dlsym(handle, name);
            if (function != nullptr) value = reinterpret_cast<long (*)()>(function)();
            dlclose(handle);
        }
    }
    if (name != nullptr) env->ReleaseStringUTFChars(symbol, name);
    if (path != nullptr) env->ReleaseStringUTFChars(library, path);
    return value;
}
