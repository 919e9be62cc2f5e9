// A Java VM and JNI environment made of zero-filled JNI function tables whose
// used slots lead here. It records every call the library makes (callbacks
// with their arguments, attach and detach per thread, local references,
// exception handling), can be told to fail in the ways a real VM cannot be
// made to fail, and tracks per thread whether it is attached.
//
// One instance per process (the library keeps the VM pointer for good):
// instance(). reset() starts a test afresh; the calling thread then counts as
// a Java thread, one that is inside a native method and cannot be detached.
#ifndef OVIK_FAKE_JVM_H
#define OVIK_FAKE_JVM_H

#include <jni.h>
#include <stdarg.h>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "FakeJniTypes.h"

class FakeJvm {
public:
    static const char kServiceClass[];
    static const char kEventSignature[];
    static const char kDataSignature[];

    static FakeJvm& instance();

    JavaVM* vm() { return &mVm; }
    JNIEnv* env() { return &mEnv; }

    // ---- Test side -------------------------------------------------------
    void reset();
    // The calling thread is a Java thread: attached, with Java frames.
    void makeJavaThread();
    jstring newString(const std::string& text);
    jobject newObject();
    jobject newDirectBuffer(void* address, jlong capacity);
    jobject newHeapBuffer();
    // The exception pending on the calling thread, or null.
    jthrowable pendingException();
    void clearPendingException();

    // ---- Failures --------------------------------------------------------
    // GetEnv answers `status` and gives the environment or null, whatever
    // the thread's state.
    void forceGetEnv(jint status, bool giveEnv);
    void setAttachResult(jint result);
    void failFindClass();
    void failStaticMethod(const std::string& name);
    void failGetObjectClass();
    void failNewStringUtf();
    void failNewDirectByteBuffer();
    void failGetStringUtfChars();
    // The next GetStringUTFChars or GetDirectBufferAddress throws
    // std::bad_alloc, standing in for an allocation of the library failing
    // inside a native method.
    void throwBadAllocOnRead();
    // The callback calls with these indices (0 = first call after reset)
    // leave an exception pending.
    void throwFromCallbacks(const std::set<int>& indices);
    // Runs inside every callback, outside the fake's lock, before it returns.
    void setCallbackHook(std::function<void(const CallbackCall&)> hook);
    // How long a callback stays in flight, to let overlaps show.
    void setCallbackDwell(std::chrono::microseconds dwell);

    // ---- Records ---------------------------------------------------------
    std::vector<CallbackCall> calls();
    std::vector<ThreadEvent> events();
    std::vector<std::string> eventsOn(std::thread::id thread);
    int count(std::thread::id thread, const std::string& what);
    std::vector<std::string> violations();
    std::vector<jthrowable> thrown();
    int localRefsMade();
    int localRefsDeleted();
    int unreleasedUtfChars();
    int overlaps();
    bool isAttached(std::thread::id thread);
    jclass globalServiceClass();
    jmethodID eventMethod() { return reinterpret_cast<jmethodID>(&mEventMethod); }
    jmethodID dataMethod() { return reinterpret_cast<jmethodID>(&mDataMethod); }

    // ---- What the function tables lead to --------------------------------
    jint onGetEnv(void** penv, jint version);
    jint onAttach(JavaVM* vm, void** penv);
    // The VM that the last AttachCurrentThread was called on.
    JavaVM* lastAttachVm();
    jint onDetach();
    jclass onFindClass(const char* name);
    jobject onNewGlobalRef(jobject object);
    jmethodID onGetStaticMethodID(const char* name, const char* signature);
    void onCallStaticVoidMethod(jclass clazz, jmethodID method, va_list args);
    jstring onNewStringUTF(const char* bytes);
    void onDeleteLocalRef(jobject object);
    jobject onNewDirectByteBuffer(void* address, jlong capacity);
    void* onGetDirectBufferAddress(jobject buffer);
    jlong onGetDirectBufferCapacity(jobject buffer);
    const char* onGetStringUTFChars(jstring string, jboolean* isCopy);
    void onReleaseStringUTFChars(jstring string, const char* chars);
    jclass onGetObjectClass(jobject object);
    jboolean onExceptionCheck();
    jthrowable onExceptionOccurred();
    void onExceptionClear();
    void onExceptionDescribe();
    jint onThrow(jthrowable throwable);

private:
    struct ThreadState {
        bool attached = false;
        bool javaFrames = false;
        FakeObject* pending = nullptr;
        int inFlight = 0;
    };

    FakeJvm();
    void fillTables();

    // The helpers below expect mLock to be held.
    ThreadState& self();
    FakeObject* make(FakeObject::Kind kind, const std::string& text);
    jobject makeLocal(FakeObject* object);
    void record(const std::string& what);
    void requireNoPending(const char* function);
    void raiseHere(const std::string& throwableClass);
    bool anotherThreadInFlight();
    void throwIfAsked();

    JNINativeInterface_ mEnvTable;
    JNIInvokeInterface_ mVmTable;
    JNIEnv mEnv;
    JavaVM mVm;
    char mEventMethod = 0;
    char mDataMethod = 0;

    std::mutex mLock;
    std::deque<std::unique_ptr<FakeObject>> mObjects;
    std::map<std::thread::id, ThreadState> mThreads;
    std::map<const char*, jstring> mUtfChars;
    std::vector<CallbackCall> mCalls;
    std::vector<ThreadEvent> mEvents;
    std::vector<std::string> mViolations;
    std::vector<jthrowable> mThrown;
    FakeObject* mGlobalServiceClass = nullptr;
    int mLocalRefsMade = 0;
    int mLocalRefsDeleted = 0;
    int mOverlaps = 0;
    int mCallIndex = 0;
    JavaVM* mLastAttachVm = nullptr;

    bool mForceGetEnv = false;
    jint mForcedStatus = JNI_OK;
    bool mForcedGivesEnv = true;
    jint mAttachResult = JNI_OK;
    bool mFailFindClass = false;
    std::set<std::string> mMissingMethods;
    bool mFailGetObjectClass = false;
    bool mFailNewStringUtf = false;
    bool mFailNewDirectByteBuffer = false;
    bool mFailGetStringUtfChars = false;
    bool mThrowBadAllocOnRead = false;
    std::set<int> mThrowingCalls;
    std::function<void(const CallbackCall&)> mHook;
    std::chrono::microseconds mDwell{0};
};

#endif  // OVIK_FAKE_JVM_H
