// The listener's turn: the one lock that serialises every notification of
// the process, and the queue that keeps a notification from waiting for a
// thread that waits for it. Why it is not a plain mutex, and the rule it
// keeps: docs/thread-model.md, "The listener's turn".
#ifndef LISTENER_GATE_H
#define LISTENER_GATE_H

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "DeferredNotification.h"

class ListenerGate {
public:
    // The process's one gate; never destroyed, as module threads may answer
    // while statics are destroyed at exit.
    static ListenerGate& process();

    // One thread's turn at delivering, for the scope's length. Taken at once
    // by the thread that holds the turn already (a notification nested in a
    // callback). Otherwise it waits for the holder, unless the holder is
    // inside a native method called from its callback (which may wait for
    // this very thread) or the process is exiting: then the notification is
    // copied into the queue for the holder, and the turn is not taken.
    class Turn {
    public:
        Turn(ListenerGate& gate, const NotificationArgs& args);
        ~Turn();
        Turn(const Turn&) = delete;
        Turn& operator=(const Turn&) = delete;

        bool taken() const { return mTaken; }
        // For the holder's outermost turn, before it ends: the oldest
        // notification other threads left for it. False when none is left,
        // or when this is not the outermost turn.
        bool takeDeferred(DeferredNotification* next);

    private:
        ListenerGate& mGate;
        const bool mTaken;
    };

    // Marks the length of a native method. A thread that holds the turn and
    // calls a native method from its callback may wait, through a module,
    // for any other thread; notifications of other threads are queued
    // meanwhile instead of waiting for it.
    class NativeMethodMark {
    public:
        NativeMethodMark();
        ~NativeMethodMark();
        NativeMethodMark(const NativeMethodMark&) = delete;
        NativeMethodMark& operator=(const NativeMethodMark&) = delete;

    private:
        const bool mCounted;
    };

    // From here on no notification waits for the turn: the process exits,
    // and the thread that holds the turn (one that called exit() from a
    // callback, or a Java thread the VM has stopped) will not give it up.
    void beginExit();

private:
    ListenerGate() = default;

    bool enter(const NotificationArgs& args);
    void leave();
    bool takeDeferred(DeferredNotification* next);
    bool nativeMethodBegins();
    void nativeMethodEnds();
    bool heldHere() const { return mDepth > 0 && mHolder == std::this_thread::get_id(); }

    // Guards the members below; held for a few steps at a time, never while
    // anything is called.
    std::mutex mLock;
    std::condition_variable mChanged;
    std::thread::id mHolder;
    int mDepth = 0;
    // Native methods the holder is inside, called from its callbacks.
    int mHolderInNative = 0;
    bool mExiting = false;
    // Left for the holder by other threads, oldest first.
    std::deque<DeferredNotification> mDeferred;
};

#endif  // LISTENER_GATE_H
