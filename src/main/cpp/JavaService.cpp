#include "JavaService.h"

#include <string>

#include "JavaExceptionKeeper.h"
#include "ModifiedUtf8.h"
#include "ScopedLocalRef.h"

namespace {

JavaVM* sJavaVM = nullptr;
fields_t sFields = {nullptr, nullptr, nullptr};

}  // namespace

JavaVM* JavaService::vm() {
    return sJavaVM;
}

void JavaService::setVm(JavaVM* vm) {
    sJavaVM = vm;
}

fields_t& JavaService::fields() {
    return sFields;
}

jstring JavaService::newString(JNIEnv* env, const char* text) {
    if (text == nullptr) return nullptr;
    std::string storage;
    jstring string = env->NewStringUTF(ModifiedUtf8::makeValid(text, storage));
    if (string == nullptr && env->ExceptionCheck()) env->ExceptionClear();
    return string;
}

jobject JavaService::newDirectBuffer(JNIEnv* env, const void* data, size_t size) {
    if (data == nullptr) return nullptr;
    jobject buffer = env->NewDirectByteBuffer(const_cast<void*>(data),
                                              static_cast<jlong>(static_cast<uint64_t>(size)));
    if (buffer == nullptr && env->ExceptionCheck()) env->ExceptionClear();
    return buffer;
}

void JavaService::postEvent(JNIEnv* env, JavaExceptionKeeper& exceptions, int32_t msgType,
                            int32_t ext1, int32_t ext2, const char* str) {
    ScopedLocalRef<jstring> string(env, newString(env, str));
    env->CallStaticVoidMethod(sFields.service_jclass, sFields.post_event,
                              static_cast<jobject>(nullptr), static_cast<jint>(msgType),
                              static_cast<jint>(ext1), static_cast<jint>(ext2), string.get());
    exceptions.takePending();
}
