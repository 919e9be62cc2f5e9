#include "EnvRef.h"

#include "JavaService.h"

#define LOG_TAG OVIK_BRIDGE_LOG_TAG
#include "OvikLog.h"

JNIEnv* EnvRef::getEnv() {
    if (JavaService::vm() == nullptr) {
        ALOGI("JNIEnv return null because the vm is null.");
        return nullptr;
    }
    JNIEnv* env = nullptr;
    const jint status = JavaService::vm()->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_4);
    if (status == JNI_OK && env != nullptr) return env;
    if (status == JNI_EDETACHED && env == nullptr) return nullptr;
    ALOGI("invalid JNIEnv return status=%d, env=%p", status, env);
    return env;
}
