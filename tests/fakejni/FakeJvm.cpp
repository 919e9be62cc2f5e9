#include "FakeJvm.h"

#include <string.h>

#include <new>

const char FakeJvm::kServiceClass[] = "com/morvane/android/sdk/kestrova/OvikServiceInstallable";
const char FakeJvm::kEventSignature[] = "(Ljava/lang/Object;IIILjava/lang/Object;)V";
const char FakeJvm::kDataSignature[] = "(Ljava/lang/Object;IIILjava/nio/ByteBuffer;)V";

namespace {

FakeObject* objectOf(jobject object) {
    return reinterpret_cast<FakeObject*>(object);
}

}  // namespace

FakeJvm& FakeJvm::instance() {
    // Never destroyed: clients still registered at exit may answer while
    // the process tears its statics down.
    static FakeJvm* fake = new FakeJvm();
    return *fake;
}

FakeJvm::FakeJvm() {
    fillTables();
}

// ---- Test side -------------------------------------------------------------

void FakeJvm::reset() {
    std::lock_guard<std::mutex> lock(mLock);
    mThreads.clear();
    mUtfChars.clear();
    mCalls.clear();
    mEvents.clear();
    mViolations.clear();
    mThrown.clear();
    mLocalRefsMade = mLocalRefsDeleted = mOverlaps = mCallIndex = 0;
    mLastAttachVm = nullptr;
    mForceGetEnv = false;
    mAttachResult = JNI_OK;
    mFailFindClass = mFailGetObjectClass = false;
    mFailNewStringUtf = mFailNewDirectByteBuffer = mFailGetStringUtfChars = false;
    mThrowBadAllocOnRead = false;
    mMissingMethods.clear();
    mThrowingCalls.clear();
    mHook = nullptr;
    mDwell = std::chrono::microseconds(0);
    ThreadState& state = self();
    state.attached = state.javaFrames = true;
}

void FakeJvm::makeJavaThread() {
    std::lock_guard<std::mutex> lock(mLock);
    ThreadState& state = self();
    state.attached = state.javaFrames = true;
}

jstring FakeJvm::newString(const std::string& text) {
    std::lock_guard<std::mutex> lock(mLock);
    return reinterpret_cast<jstring>(make(FakeObject::kString, text));
}

jobject FakeJvm::newObject() {
    std::lock_guard<std::mutex> lock(mLock);
    return reinterpret_cast<jobject>(make(FakeObject::kPlain, "java/lang/Object"));
}

jobject FakeJvm::newDirectBuffer(void* address, jlong capacity) {
    std::lock_guard<std::mutex> lock(mLock);
    FakeObject* buffer = make(FakeObject::kDirectBuffer, "java/nio/DirectByteBuffer");
    buffer->address = address;
    buffer->capacity = capacity;
    return reinterpret_cast<jobject>(buffer);
}

jobject FakeJvm::newHeapBuffer() {
    std::lock_guard<std::mutex> lock(mLock);
    return reinterpret_cast<jobject>(make(FakeObject::kHeapBuffer, "java/nio/HeapByteBuffer"));
}

jthrowable FakeJvm::pendingException() {
    std::lock_guard<std::mutex> lock(mLock);
    return reinterpret_cast<jthrowable>(self().pending);
}

void FakeJvm::clearPendingException() {
    std::lock_guard<std::mutex> lock(mLock);
    self().pending = nullptr;
}

// ---- Failures --------------------------------------------------------------

void FakeJvm::forceGetEnv(jint status, bool giveEnv) {
    std::lock_guard<std::mutex> lock(mLock);
    mForceGetEnv = true;
    mForcedStatus = status;
    mForcedGivesEnv = giveEnv;
}

void FakeJvm::setAttachResult(jint result) {
    std::lock_guard<std::mutex> lock(mLock);
    mAttachResult = result;
}

void FakeJvm::failFindClass() {
    std::lock_guard<std::mutex> lock(mLock);
    mFailFindClass = true;
}

void FakeJvm::failStaticMethod(const std::string& name) {
    std::lock_guard<std::mutex> lock(mLock);
    mMissingMethods.insert(name);
}

void FakeJvm::failGetObjectClass() {
    std::lock_guard<std::mutex> lock(mLock);
    mFailGetObjectClass = true;
}

void FakeJvm::failNewStringUtf() {
    std::lock_guard<std::mutex> lock(mLock);
    mFailNewStringUtf = true;
}

void FakeJvm::failNewDirectByteBuffer() {
    std::lock_guard<std::mutex> lock(mLock);
    mFailNewDirectByteBuffer = true;
}

void FakeJvm::throwBadAllocOnRead() {
    std::lock_guard<std::mutex> lock(mLock);
    mThrowBadAllocOnRead = true;
}

void FakeJvm::throwIfAsked() {
    if (!mThrowBadAllocOnRead) return;
    mThrowBadAllocOnRead = false;
    throw std::bad_alloc();
}

void FakeJvm::failGetStringUtfChars() {
    std::lock_guard<std::mutex> lock(mLock);
    mFailGetStringUtfChars = true;
}

void FakeJvm::throwFromCallbacks(const std::set<int>& indices) {
    std::lock_guard<std::mutex> lock(mLock);
    mThrowingCalls = indices;
}

void FakeJvm::setCallbackHook(std::function<void(const CallbackCall&)> hook) {
    std::lock_guard<std::mutex> lock(mLock);
    mHook = std::move(hook);
}

void FakeJvm::setCallbackDwell(std::chrono::microseconds dwell) {
    std::lock_guard<std::mutex> lock(mLock);
    mDwell = dwell;
}

// ---- Records ---------------------------------------------------------------

std::vector<CallbackCall> FakeJvm::calls() {
    std::lock_guard<std::mutex> lock(mLock);
    return mCalls;
}

std::vector<ThreadEvent> FakeJvm::events() {
    std::lock_guard<std::mutex> lock(mLock);
    return mEvents;
}

std::vector<std::string> FakeJvm::eventsOn(std::thread::id thread) {
    std::lock_guard<std::mutex> lock(mLock);
    std::vector<std::string> result;
    for (const ThreadEvent& event : mEvents) {
        if (event.thread == thread) result.push_back(event.what);
    }
    return result;
}

int FakeJvm::count(std::thread::id thread, const std::string& what) {
    int n = 0;
    for (const std::string& event : eventsOn(thread)) n += event == what ? 1 : 0;
    return n;
}

std::vector<std::string> FakeJvm::violations() {
    std::lock_guard<std::mutex> lock(mLock);
    return mViolations;
}

std::vector<jthrowable> FakeJvm::thrown() {
    std::lock_guard<std::mutex> lock(mLock);
    return mThrown;
}

int FakeJvm::localRefsMade() {
    std::lock_guard<std::mutex> lock(mLock);
    return mLocalRefsMade;
}

int FakeJvm::localRefsDeleted() {
    std::lock_guard<std::mutex> lock(mLock);
    return mLocalRefsDeleted;
}

int FakeJvm::unreleasedUtfChars() {
    std::lock_guard<std::mutex> lock(mLock);
    return static_cast<int>(mUtfChars.size());
}

int FakeJvm::overlaps() {
    std::lock_guard<std::mutex> lock(mLock);
    return mOverlaps;
}

JavaVM* FakeJvm::lastAttachVm() {
    std::lock_guard<std::mutex> lock(mLock);
    return mLastAttachVm;
}

bool FakeJvm::isAttached(std::thread::id thread) {
    std::lock_guard<std::mutex> lock(mLock);
    auto found = mThreads.find(thread);
    return found != mThreads.end() && found->second.attached;
}

jclass FakeJvm::globalServiceClass() {
    std::lock_guard<std::mutex> lock(mLock);
    return reinterpret_cast<jclass>(mGlobalServiceClass);
}

// ---- Helpers (mLock held) ----------------------------------------------------

FakeJvm::ThreadState& FakeJvm::self() {
    return mThreads[std::this_thread::get_id()];
}

FakeObject* FakeJvm::make(FakeObject::Kind kind, const std::string& text) {
    mObjects.push_back(std::unique_ptr<FakeObject>(new FakeObject{kind, text, nullptr, 0}));
    return mObjects.back().get();
}

jobject FakeJvm::makeLocal(FakeObject* object) {
    ++mLocalRefsMade;
    return reinterpret_cast<jobject>(object);
}

void FakeJvm::record(const std::string& what) {
    mEvents.push_back(ThreadEvent{std::this_thread::get_id(), what});
}

void FakeJvm::requireNoPending(const char* function) {
    if (self().pending != nullptr) {
        mViolations.push_back(std::string(function) + " called with an exception pending");
    }
    if (!self().attached) {
        mViolations.push_back(std::string(function) + " called on a thread that is not attached");
    }
}

void FakeJvm::raiseHere(const std::string& throwableClass) {
    self().pending = make(FakeObject::kThrowable, throwableClass);
}

bool FakeJvm::anotherThreadInFlight() {
    for (const auto& entry : mThreads) {
        if (entry.first != std::this_thread::get_id() && entry.second.inFlight > 0) return true;
    }
    return false;
}

// ---- Invocation functions --------------------------------------------------

jint FakeJvm::onGetEnv(void** penv, jint version) {
    std::lock_guard<std::mutex> lock(mLock);
    if (version < JNI_VERSION_1_1) mViolations.push_back("GetEnv with an unknown version");
    if (mForceGetEnv) {
        *penv = mForcedGivesEnv ? &mEnv : nullptr;
        return mForcedStatus;
    }
    if (!self().attached) {
        *penv = nullptr;
        return JNI_EDETACHED;
    }
    *penv = &mEnv;
    return JNI_OK;
}

jint FakeJvm::onAttach(JavaVM* vm, void** penv) {
    std::lock_guard<std::mutex> lock(mLock);
    mLastAttachVm = vm;
    record("attach");
    if (mAttachResult != JNI_OK) return mAttachResult;
    self().attached = true;
    *penv = &mEnv;
    return JNI_OK;
}

jint FakeJvm::onDetach() {
    std::lock_guard<std::mutex> lock(mLock);
    record("detach");
    ThreadState& state = self();
    if (state.pending != nullptr) mViolations.push_back("detached with an exception pending");
    if (state.javaFrames) {
        mViolations.push_back("detached a thread that has Java frames");
        return JNI_ERR;
    }
    if (!state.attached) mViolations.push_back("detached a thread that is not attached");
    state.attached = false;
    return JNI_OK;
}

// ---- Environment functions ---------------------------------------------------

jclass FakeJvm::onFindClass(const char* name) {
    std::lock_guard<std::mutex> lock(mLock);
    requireNoPending("FindClass");
    if (mFailFindClass || strcmp(name, kServiceClass) != 0) {
        raiseHere("java/lang/NoClassDefFoundError");
        return nullptr;
    }
    return reinterpret_cast<jclass>(makeLocal(make(FakeObject::kClass, name)));
}

jobject FakeJvm::onNewGlobalRef(jobject object) {
    std::lock_guard<std::mutex> lock(mLock);
    requireNoPending("NewGlobalRef");
    if (object == nullptr) return nullptr;
    FakeObject* global = make(objectOf(object)->kind, objectOf(object)->text);
    if (global->kind == FakeObject::kClass) mGlobalServiceClass = global;
    return reinterpret_cast<jobject>(global);
}

jmethodID FakeJvm::onGetStaticMethodID(const char* name, const char* signature) {
    std::lock_guard<std::mutex> lock(mLock);
    requireNoPending("GetStaticMethodID");
    if (mMissingMethods.count(name) == 0) {
        if (strcmp(name, "postEventFromNative") == 0 && strcmp(signature, kEventSignature) == 0) {
            return eventMethod();
        }
        if (strcmp(name, "postDataEventFromNative") == 0 &&
            strcmp(signature, kDataSignature) == 0) {
            return dataMethod();
        }
    }
    raiseHere("java/lang/NoSuchMethodError");
    return nullptr;
}

void FakeJvm::onCallStaticVoidMethod(jclass clazz, jmethodID method, va_list args) {
    CallbackCall call{};
    call.clazz = clazz;
    call.method = method;
    call.first = va_arg(args, jobject);
    call.msgType = va_arg(args, jint);
    call.ext1 = va_arg(args, jint);
    call.ext2 = va_arg(args, jint);
    jobject last = va_arg(args, jobject);
    call.lastIsNull = last == nullptr;
    call.thread = std::this_thread::get_id();
    std::function<void(const CallbackCall&)> hook;
    std::chrono::microseconds dwell;
    {
        std::lock_guard<std::mutex> lock(mLock);
        requireNoPending("CallStaticVoidMethod");
        record("call");
        if (last != nullptr) {
            call.text = objectOf(last)->text;
            call.address = objectOf(last)->address;
            call.capacity = objectOf(last)->capacity;
        }
        mCalls.push_back(call);
        if (anotherThreadInFlight()) ++mOverlaps;
        ++self().inFlight;
        hook = mHook;
        dwell = mDwell;
    }
    if (dwell.count() > 0) std::this_thread::sleep_for(dwell);
    if (hook) hook(call);
    std::lock_guard<std::mutex> lock(mLock);
    --self().inFlight;
    if (mThrowingCalls.count(mCallIndex++) != 0) {
        raiseHere("java/lang/IllegalStateException");
        mThrown.push_back(reinterpret_cast<jthrowable>(self().pending));
        record("throw");
    }
}

jstring FakeJvm::onNewStringUTF(const char* bytes) {
    std::lock_guard<std::mutex> lock(mLock);
    requireNoPending("NewStringUTF");
    if (mFailNewStringUtf) {
        raiseHere("java/lang/OutOfMemoryError");
        return nullptr;
    }
    if (bytes == nullptr) return nullptr;
    return reinterpret_cast<jstring>(makeLocal(make(FakeObject::kString, bytes)));
}

void FakeJvm::onDeleteLocalRef(jobject object) {
    std::lock_guard<std::mutex> lock(mLock);
    if (object != nullptr) ++mLocalRefsDeleted;
}

jobject FakeJvm::onNewDirectByteBuffer(void* address, jlong capacity) {
    std::lock_guard<std::mutex> lock(mLock);
    requireNoPending("NewDirectByteBuffer");
    if (mFailNewDirectByteBuffer) {
        raiseHere("java/lang/OutOfMemoryError");
        return nullptr;
    }
    FakeObject* buffer = make(FakeObject::kDirectBuffer, "java/nio/DirectByteBuffer");
    buffer->address = address;
    buffer->capacity = capacity;
    return makeLocal(buffer);
}

void* FakeJvm::onGetDirectBufferAddress(jobject buffer) {
    std::lock_guard<std::mutex> lock(mLock);
    requireNoPending("GetDirectBufferAddress");
    throwIfAsked();
    if (buffer == nullptr || objectOf(buffer)->kind != FakeObject::kDirectBuffer) return nullptr;
    return objectOf(buffer)->address;
}

jlong FakeJvm::onGetDirectBufferCapacity(jobject buffer) {
    std::lock_guard<std::mutex> lock(mLock);
    requireNoPending("GetDirectBufferCapacity");
    if (buffer == nullptr || objectOf(buffer)->kind != FakeObject::kDirectBuffer) return -1;
    return objectOf(buffer)->capacity;
}

const char* FakeJvm::onGetStringUTFChars(jstring string, jboolean* isCopy) {
    std::lock_guard<std::mutex> lock(mLock);
    requireNoPending("GetStringUTFChars");
    throwIfAsked();
    if (string == nullptr) {
        mViolations.push_back("GetStringUTFChars on a null string");
        return nullptr;
    }
    if (mFailGetStringUtfChars) {
        raiseHere("java/lang/OutOfMemoryError");
        return nullptr;
    }
    if (isCopy != nullptr) *isCopy = JNI_TRUE;
    const std::string& text = objectOf(string)->text;
    char* chars = new char[text.size() + 1];
    memcpy(chars, text.c_str(), text.size() + 1);
    mUtfChars[chars] = string;
    return chars;
}

void FakeJvm::onReleaseStringUTFChars(jstring string, const char* chars) {
    std::lock_guard<std::mutex> lock(mLock);
    auto found = mUtfChars.find(chars);
    if (found == mUtfChars.end() || found->second != string) {
        mViolations.push_back("ReleaseStringUTFChars of chars this string did not give");
        return;
    }
    mUtfChars.erase(found);
    delete[] chars;
}

jclass FakeJvm::onGetObjectClass(jobject object) {
    std::lock_guard<std::mutex> lock(mLock);
    requireNoPending("GetObjectClass");
    if (mFailGetObjectClass || object == nullptr) return nullptr;
    return reinterpret_cast<jclass>(makeLocal(make(FakeObject::kClass, kServiceClass)));
}

jboolean FakeJvm::onExceptionCheck() {
    std::lock_guard<std::mutex> lock(mLock);
    record("check");
    return self().pending != nullptr ? JNI_TRUE : JNI_FALSE;
}

jthrowable FakeJvm::onExceptionOccurred() {
    std::lock_guard<std::mutex> lock(mLock);
    FakeObject* pending = self().pending;
    return pending == nullptr ? nullptr : reinterpret_cast<jthrowable>(makeLocal(pending));
}

void FakeJvm::onExceptionClear() {
    std::lock_guard<std::mutex> lock(mLock);
    if (self().pending != nullptr) record("clear");
    self().pending = nullptr;
}

void FakeJvm::onExceptionDescribe() {
    std::lock_guard<std::mutex> lock(mLock);
    // Left pending: the library must clear what it described itself.
    record("describe");
}

jint FakeJvm::onThrow(jthrowable throwable) {
    std::lock_guard<std::mutex> lock(mLock);
    requireNoPending("Throw");
    record("throw");
    self().pending = objectOf(throwable);
    return 0;
}
