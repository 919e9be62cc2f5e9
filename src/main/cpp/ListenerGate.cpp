#include "ListenerGate.h"

#include <utility>

ListenerGate& ListenerGate::process() {
    static ListenerGate* gate = new ListenerGate();
    return *gate;
}

bool ListenerGate::enter(const NotificationArgs& args) {
    std::unique_lock<std::mutex> lock(mLock);
    for (;;) {
        if (mDepth == 0 || heldHere()) {
            mHolder = std::this_thread::get_id();
            ++mDepth;
            return true;
        }
        if (mHolderInNative > 0 || mExiting) {
            mDeferred.emplace_back(args);
            return false;
        }
        mChanged.wait(lock);
    }
}

void ListenerGate::leave() {
    std::lock_guard<std::mutex> lock(mLock);
    if (--mDepth > 0) return;
    mHolder = std::thread::id();
    mChanged.notify_all();
}

bool ListenerGate::takeDeferred(DeferredNotification* next) {
    std::lock_guard<std::mutex> lock(mLock);
    if (mDepth != 1 || !heldHere() || mDeferred.empty()) return false;
    *next = std::move(mDeferred.front());
    mDeferred.pop_front();
    return true;
}

bool ListenerGate::nativeMethodBegins() {
    std::lock_guard<std::mutex> lock(mLock);
    if (!heldHere()) return false;
    ++mHolderInNative;
    // Waiting notifiers queue theirs now rather than wait for this thread.
    mChanged.notify_all();
    return true;
}

void ListenerGate::nativeMethodEnds() {
    std::lock_guard<std::mutex> lock(mLock);
    --mHolderInNative;
}

void ListenerGate::beginExit() {
    std::lock_guard<std::mutex> lock(mLock);
    mExiting = true;
    mChanged.notify_all();
}

ListenerGate::Turn::Turn(ListenerGate& gate, const NotificationArgs& args)
    : mGate(gate), mTaken(gate.enter(args)) {}

ListenerGate::Turn::~Turn() {
    if (mTaken) mGate.leave();
}

bool ListenerGate::Turn::takeDeferred(DeferredNotification* next) {
    return mTaken && mGate.takeDeferred(next);
}

ListenerGate::NativeMethodMark::NativeMethodMark()
    : mCounted(ListenerGate::process().nativeMethodBegins()) {}

ListenerGate::NativeMethodMark::~NativeMethodMark() {
    if (mCounted) ListenerGate::process().nativeMethodEnds();
}
