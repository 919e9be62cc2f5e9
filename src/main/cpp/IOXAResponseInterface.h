// The interface through which a module answers its host. The host implements
// it (every client is one); modules only call it.
//
// Threads: a module may call any responseToService from any of its threads,
// including the one that is inside a host call. The call returns once Java's
// callback has returned; it waits while another thread's answer is being
// delivered, and a callback may call back into the module on the answering
// thread before it returns. Ownership: the host neither copies nor keeps
// `message` or `data`; both must stay valid until the call returns and may be
// reused at once afterwards.
//
// Real-time threads: no responseToService is real-time safe. Every answer
// takes the host's one process-wide listener's turn (and so waits for any other
// thread's answer in progress), attaches a thread that Java has not seen to
// the VM for the length of the answer, and runs Java's callback, which may
// allocate, wait for a garbage collection or call back into the module. Never
// answer from a JACK process callback or any other real-time thread: push the
// answer to the kit's OXAAnswerQueue (OXAAnswerQueue.h), whose delivery
// thread answers for it.
#ifndef IOXA_RESPONSE_INTERFACE_H
#define IOXA_RESPONSE_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#include "OXACommon.h"

class OXA_EXPORT IOXAResponseInterface {
public:
    IOXAResponseInterface();
    virtual ~IOXAResponseInterface();

    // A text answer; the host forwards it with id 0. Any non-real-time
    // thread; blocking.
    virtual void responseToService(const char* message) = 0;
    // A block of `len` bytes tagged with `ext1`. Java sees it without a copy,
    // only for the length of the call. Any non-real-time thread; blocking.
    virtual void responseToService(const int32_t ext1, const size_t len, const void* data) = 0;
    // A text answer tagged with `id`. Any non-real-time thread; blocking.
    virtual void responseToService(const int id, const char* message) = 0;

    // 1 for this class, 2 for IOXAResponseInterfaceV2. The host never calls it;
    // a module may use it to learn which version it was given. Real-time
    // safe: reads a field.
    int getMagicNumber();

protected:
    int mMagicNumber;
};

#endif  // IOXA_RESPONSE_INTERFACE_H
