#include "AttachedNotifier.h"

#include <thread>

#include "OXAClient.h"

const char AttachedNotifier::kThreadName[] = "ovik-attached-notifier";

namespace {

bool isAttached(JavaVM* vm) {
    JNIEnv* env = nullptr;
    return vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_4) == JNI_OK;
}

// A callback that threw leaves its exception pending on this thread; it is
// described and cleared so the thread can go on and detach.
void clearPendingException(JavaVM* vm) {
    JNIEnv* env = nullptr;
    if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_4) != JNI_OK) return;
    if (!env->ExceptionCheck()) return;
    env->ExceptionDescribe();
    env->ExceptionClear();
}

int notifyAttached(JavaVM* vm, int objectId, int count, const std::string& text) {
    JNIEnv* env = nullptr;
    JavaVMAttachArgs args = {JNI_VERSION_1_4, const_cast<char*>(AttachedNotifier::kThreadName),
                             nullptr};
    if (vm->AttachCurrentThread(reinterpret_cast<void**>(&env), &args) != JNI_OK) return -1;
    int stillAttached = 0;
    for (int i = 0; i < count; ++i) {
        android::OXAClient::mListener->notify(0, i, objectId, text.c_str());
        clearPendingException(vm);
        if (isAttached(vm)) ++stillAttached;
    }
    vm->DetachCurrentThread();
    return stillAttached;
}

}  // namespace

int AttachedNotifier::run(JavaVM* vm, int objectId, int count, const std::string& text) {
    if (android::OXAClient::mListener == nullptr) return -1;
    int result = -1;
    std::thread thread([&] { result = notifyAttached(vm, objectId, count, text); });
    thread.join();
    return result;
}
