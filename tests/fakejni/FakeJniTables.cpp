// The JNI function tables of the fake: zero-filled, so a slot the library
// was not expected to use crashes at once, with the used slots leading to
// the FakeJvm instance.
#include <string.h>

#include "FakeJvm.h"

namespace {

FakeJvm& fake() {
    return FakeJvm::instance();
}

jint JNICALL getEnv(JavaVM*, void** penv, jint version) {
    return fake().onGetEnv(penv, version);
}
jint JNICALL attachCurrentThread(JavaVM* vm, void** penv, void*) {
    return fake().onAttach(vm, penv);
}
jint JNICALL detachCurrentThread(JavaVM*) {
    return fake().onDetach();
}
jclass JNICALL findClass(JNIEnv*, const char* name) {
    return fake().onFindClass(name);
}
jobject JNICALL newGlobalRef(JNIEnv*, jobject object) {
    return fake().onNewGlobalRef(object);
}
jmethodID JNICALL getStaticMethodID(JNIEnv*, jclass, const char* name, const char* signature) {
    return fake().onGetStaticMethodID(name, signature);
}
void JNICALL callStaticVoidMethodV(JNIEnv*, jclass clazz, jmethodID method, va_list args) {
    fake().onCallStaticVoidMethod(clazz, method, args);
}
void JNICALL callStaticVoidMethod(JNIEnv*, jclass clazz, jmethodID method, ...) {
    va_list args;
    va_start(args, method);
    fake().onCallStaticVoidMethod(clazz, method, args);
    va_end(args);
}
jstring JNICALL newStringUTF(JNIEnv*, const char* bytes) {
    return fake().onNewStringUTF(bytes);
}
void JNICALL deleteLocalRef(JNIEnv*, jobject object) {
    fake().onDeleteLocalRef(object);
}
jobject JNICALL newDirectByteBuffer(JNIEnv*, void* address, jlong capacity) {
    return fake().onNewDirectByteBuffer(address, capacity);
}
void* JNICALL getDirectBufferAddress(JNIEnv*, jobject buffer) {
    return fake().onGetDirectBufferAddress(buffer);
}
jlong JNICALL getDirectBufferCapacity(JNIEnv*, jobject buffer) {
    return fake().onGetDirectBufferCapacity(buffer);
}
const char* JNICALL getStringUTFChars(JNIEnv*, jstring string, jboolean* isCopy) {
    return fake().onGetStringUTFChars(string, isCopy);
}
void JNICALL releaseStringUTFChars(JNIEnv*, jstring string, const char* chars) {
    fake().onReleaseStringUTFChars(string, chars);
}
jclass JNICALL getObjectClass(JNIEnv*, jobject object) {
    return fake().onGetObjectClass(object);
}
jboolean JNICALL exceptionCheck(JNIEnv*) {
    return fake().onExceptionCheck();
}
jthrowable JNICALL exceptionOccurred(JNIEnv*) {
    return fake().onExceptionOccurred();
}
void JNICALL exceptionClear(JNIEnv*) {
    fake().onExceptionClear();
}
void JNICALL exceptionDescribe(JNIEnv*) {
    fake().onExceptionDescribe();
}
jint JNICALL throwException(JNIEnv*, jthrowable throwable) {
    return fake().onThrow(throwable);
}

}  // namespace

void FakeJvm::fillTables() {
    memset(&mVmTable, 0, sizeof(mVmTable));
    mVmTable.GetEnv = getEnv;
    mVmTable.AttachCurrentThread = attachCurrentThread;
    mVmTable.DetachCurrentThread = detachCurrentThread;

    memset(&mEnvTable, 0, sizeof(mEnvTable));
    mEnvTable.FindClass = findClass;
    mEnvTable.NewGlobalRef = newGlobalRef;
    mEnvTable.GetStaticMethodID = getStaticMethodID;
    mEnvTable.CallStaticVoidMethod = callStaticVoidMethod;
    mEnvTable.CallStaticVoidMethodV = callStaticVoidMethodV;
    mEnvTable.NewStringUTF = newStringUTF;
    mEnvTable.DeleteLocalRef = deleteLocalRef;
    mEnvTable.NewDirectByteBuffer = newDirectByteBuffer;
    mEnvTable.GetDirectBufferAddress = getDirectBufferAddress;
    mEnvTable.GetDirectBufferCapacity = getDirectBufferCapacity;
    mEnvTable.GetStringUTFChars = getStringUTFChars;
    mEnvTable.ReleaseStringUTFChars = releaseStringUTFChars;
    mEnvTable.GetObjectClass = getObjectClass;
    mEnvTable.ExceptionCheck = exceptionCheck;
    mEnvTable.ExceptionOccurred = exceptionOccurred;
    mEnvTable.ExceptionClear = exceptionClear;
    mEnvTable.ExceptionDescribe = exceptionDescribe;
    mEnvTable.Throw = throwException;

    mEnv.functions = &mEnvTable;
    mVm.functions = &mVmTable;
}
