// A module-side answer queue for real-time threads: the kit's helper, header
// only, nothing of the host library.
//
// An answer may wait in response() for Java (the listener's turn, the VM
// attach, Java's callback), so a JACK process callback must not answer itself. It
// pushes the answer here instead; a delivery thread that the module owns
// takes it and calls response() of the module's processing object.
//
//   android::OXAAnswerQueue<> mAnswers{*this};       // in the processing object
//   mAnswers.start();                               // activate()
//   mAnswers.pushText(2, "level 3");                // the process callback
//   mAnswers.stop();                                // deactivate(), tearDown()
//
// Who calls what:
// - start() and stop(): any thread, several at once, any number of times,
//   the delivery thread included (a Java callback of one of its answers may
//   send "activate" or "deactivate"): the delivery thread is an
//   OXAModuleThread. stop() delivers what was pushed before it, then joins
//   the delivery thread; on the delivery thread itself it lets the thread
//   end after the current answer instead. Call it before oxa_destroy()
//   returns, for the library is closed right after.
// - The destructor: stops the queue and delivers what is still queued on
//   the destroying thread (a module's destructor may answer). Nobody else
//   may use the queue then; never destroy it on its delivery thread.
// - pushText() and pushData(): one producer thread at a time, normally the
//   process callback. Real-time safe: no allocation, no lock, no system call,
//   a bounded number of steps (a copy into a preallocated slot and one atomic
//   store). A push while the delivery thread is stopped is queued and
//   delivered after the next start(). An empty block is refused at the push,
//   since the host refuses an empty answer.
// - dropped(): any thread.
// - The delivery thread calls the module's response() and nothing else.
//
// Why the delivery thread polls: waking a sleeping thread (a condition
// variable's notify, a semaphore's post, a futex wake) is a system call on the
// producer's side. The producer only stores the new write position; the
// delivery thread looks every `pollInterval` (5 ms by default) and sleeps in
// between (a stop wakes it at once). An answer is thus late by at most one interval, and an idle
// queue costs about 200 short wake-ups a second while the module is active.
//
// Memory: Slots slots of SlotBytes bytes each, inside the object. A text must
// fit with its terminating zero, a block in SlotBytes; what does not fit, and
// what finds every slot full, is dropped and counted.
#ifndef OXA_ANSWER_QUEUE_H
#define OXA_ANSWER_QUEUE_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <atomic>
#include <chrono>

#include "IOXAInterface.h"
#include "OXAModuleThread.h"

namespace android {

template <size_t Slots = 64, size_t SlotBytes = 256>
class OXAAnswerQueue {
    static_assert(Slots > 0 && (Slots & (Slots - 1)) == 0, "Slots must be a power of two");
    static_assert(SlotBytes > 0, "a slot holds at least one byte");

public:
    // Answers go through `module`'s response(); the module outlives the queue.
    // The delivery thread is named `threadName` (15 bytes at most), so that a
    // debugger or the validator's thread report tells it from the host's.
    explicit OXAAnswerQueue(IOXAInterface& module,
                            std::chrono::microseconds pollInterval = std::chrono::milliseconds(5),
                            const char* threadName = "oxa-answers")
        : mModule(module),
          mPollInterval(pollInterval),
          mThread([this] { deliverUntilStopped(); }, threadName) {}
    // Stops and joins the delivery thread, then delivers, on the calling
    // thread, what was pushed after the last stop: nothing pushed is lost
    // without being counted in dropped().
    ~OXAAnswerQueue() {
        stop();
        deliverQueued();
    }

    OXAAnswerQueue(const OXAAnswerQueue&) = delete;
    OXAAnswerQueue& operator=(const OXAAnswerQueue&) = delete;

    // Queues a text answer with `id` (response(text, id)). False when it was
    // dropped: the queue is full or the text is longer than SlotBytes - 1.
    bool pushText(int id, const char* text) {
        const size_t length = strnlen(text, SlotBytes);
        if (length >= SlotBytes) return drop();
        Slot* slot = freeSlot();
        if (slot == nullptr) return drop();
        slot->kind = kText;
        slot->tag = id;
        slot->length = length;
        memcpy(slot->bytes, text, length + 1);
        publish();
        return true;
    }

    // Queues a block of `length` bytes tagged with `ext1` (response(ext1,
    // length, data)); the bytes are copied. False when it was dropped: the
    // queue is full, the block is longer than SlotBytes, or it is empty.
    bool pushData(int32_t ext1, const void* data, size_t length) {
        if (length == 0 || data == nullptr || length > SlotBytes) return drop();
        Slot* slot = freeSlot();
        if (slot == nullptr) return drop();
        slot->kind = kData;
        slot->tag = ext1;
        slot->length = length;
        memcpy(slot->bytes, data, length);
        publish();
        return true;
    }

    // Answers dropped since construction (full queue, too long, or an empty
    // block); wraps after 2^32.
    uint32_t dropped() const { return mDropped.load(std::memory_order_relaxed); }

    // Starts the delivery thread; harmless when it runs.
    void start() { mThread.start(); }

    // Delivers what was pushed before it, then joins the delivery thread;
    // harmless when it is stopped. On the delivery thread (inside
    // response()) the thread ends after the current answer.
    void stop() { mThread.stop(); }

    bool isRunning() const { return mThread.isRunning(); }

private:
    enum Kind { kText, kData };
    struct Slot {
        Kind kind;
        int32_t tag;
        size_t length;
        char bytes[SlotBytes];
    };

    bool drop() {
        mDropped.fetch_add(1, std::memory_order_relaxed);
        return false;
    }

    // The slot at the write position, or null when every slot is taken.
    Slot* freeSlot() {
        const uint32_t write = mWrite.load(std::memory_order_relaxed);
        if (write - mRead.load(std::memory_order_acquire) >= Slots) return nullptr;
        return &mSlots[write & (Slots - 1)];
    }

    void publish() {
        mWrite.store(mWrite.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }

    // Delivers every queued answer; false when there was none.
    bool deliverQueued() {
        uint32_t read = mRead.load(std::memory_order_relaxed);
        const uint32_t write = mWrite.load(std::memory_order_acquire);
        if (read == write) return false;
        for (; read != write; ++read) {
            const Slot& slot = mSlots[read & (Slots - 1)];
            if (slot.kind == kText) {
                mModule.response(slot.bytes, slot.tag);
            } else {
                mModule.response(slot.tag, slot.length, slot.bytes);
            }
            // The slot goes back to the producer only once it has been answered.
            mRead.store(read + 1, std::memory_order_release);
        }
        return true;
    }

    void deliverUntilStopped() {
        for (;;) {
            if (deliverQueued()) {
                if (mThread.stopRequested()) break;
            } else if (!mThread.waitFor(mPollInterval)) {
                break;
            }
        }
        // What was pushed before stop() (its lock orders the pushes before).
        deliverQueued();
    }

    IOXAInterface& mModule;
    const std::chrono::microseconds mPollInterval;
    // Written by the producer only (the write position) and by the delivery
    // thread only (the read position); they count on and wrap together.
    alignas(64) std::atomic<uint32_t> mWrite{0};
    alignas(64) std::atomic<uint32_t> mRead{0};
    std::atomic<uint32_t> mDropped{0};
    // Zeroed with the object, so that no push meets a page not yet touched.
    Slot mSlots[Slots] = {};
    // Last, so the thread is stopped before anything it reads is destroyed.
    OXAModuleThread mThread;
};

}  // namespace android

#endif  // OXA_ANSWER_QUEUE_H
