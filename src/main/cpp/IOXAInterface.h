// The processing object a module implements and hands out from oxa_create().
//
// Who calls what: the host calls setResponseInterface() and init() once after
// creation, then the pure virtual members as Java commands, requests and
// streams arrive, on the calling Java thread or on whatever thread a Java
// callback runs on. The module calls response() from any thread; the answers
// reach the client given to setResponseInterface() and are dropped while none
// is set.
//
// Threads and locks: the host takes no lock around its calls into the
// module. Calls may arrive from several Java threads at once, and again while
// one of the module's own calls is in progress, from the callbacks of its
// answers on any thread (a Java callback that commands the client it heard
// from). A module that needs one call at a time takes its own lock, and never
// holds it while it answers. Answers are delivered to Java one at a time, so
// an answer waits while another thread's answer is being delivered: inside a
// call that a Java callback made, a module must not wait for an answer from
// another of its threads.
//
// Real-time threads: the host never calls a member from a real-time thread;
// the module's members run on Java's threads and may block. Of the members a
// module calls, getMagicNumber() is real-time safe and the response()
// family is not (the listener's turn, the VM attach and Java's callback: see
// IOXAResponseInterface.h). A JACK process callback pushes its answers to
// the kit's OXAAnswerQueue, whose delivery thread calls response().
//
// Ownership: the host disposes of the object through the module's
// oxa_destroy(), never through the virtual destructor. oxa_destroy() and the
// JACK client's last tearDown() never run on a module's thread nor inside a
// module's answer, so they may join every thread of the module
// (docs/thread-model.md). Stop the module's threads in oxa_destroy() (the
// library is closed right after).
//
// What a module must do itself, because the library cannot do it for it:
// - Throw nothing out of a call into it. The library catches what a module
//   throws, logs it and fails the call, but that is a last resort, not a
//   contract to rely on.
// - Stop and join its own threads before oxa_destroy() returns, and send no
//   answer after it has returned. The library closes the module right after,
//   and nothing can make a thread still running in a closed library safe.
// - Build with hidden visibility (-fvisibility=hidden
//   -fvisibility-inlines-hidden) and export only its C entry points (oxa_*;
//   the kit's version script does both, oxa-host check warns of any other
//   export). The library opens a module by its file name with global
//   visibility (RTLD_NOW | RTLD_GLOBAL): everything it exports is then in
//   the lookup of every library opened after it, the host's other modules
//   and the libraries the module opens itself included, and the first
//   module to export a name wins it for all of them. A module found only
//   under its fallback name (libwave_<name>.so) is opened with local
//   visibility (RTLD_NOW | RTLD_LOCAL) instead.
#ifndef IOXA_INTERFACE_H
#define IOXA_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#include "IJackClientInterface.h"
#include "IOXAResponseInterface.h"
#include "OXACommon.h"

namespace android {

class OXA_EXPORT IOXAInterface {
public:
    IOXAInterface();
    virtual ~IOXAInterface();

    // Called by the host once, on the thread that sent "init_client:", after
    // setResponseInterface(); timed by the host's 5-second watch. 0 means
    // ready, anything else fails the load. No other call arrives before it
    // returns, but the module may already answer from it.
    virtual int init() = 0;
    // Called by the host for every text command it does not handle itself,
    // on the commanding thread. `command` belongs to the host and is valid
    // for the call only. The result goes back to Java unchanged.
    virtual int sendCommand(const char* command) = 0;
    // Called by the host after init() and at each "start_client", on the
    // commanding thread. The module keeps ownership of the client, which must
    // stay valid until the object is destroyed; null means none.
    virtual IJackClientInterface* getJackClientInterface() = 0;

    // Called by the host once before init(); keeps `itf` (the client, owned
    // by the host) for response(). Not for modules to call.
    void setResponseInterface(IOXAResponseInterface* itf);
    // Called by the module from any thread: a text answer with id 0. The
    // text is the module's and is read during the call only. Blocks while
    // another thread's answer is being delivered to Java. Not real-time
    // safe: from a process callback, push to OXAAnswerQueue instead.
    void response(const char* message);
    // The same for a block of `len` bytes tagged with `ext1`; Java reads the
    // bytes in place, during the call only. Not real-time safe.
    void response(const int32_t ext1, const size_t len, const void* data);

    // Called by the host for every request from Java, on the requesting
    // thread. Fill `buffer` (`capacity` bytes, owned by the host, and valid
    // for the call only; never keep it) and set `usedBytes` (which holds
    // `capacity` on entry) to the bytes written. 0 is success. The block is
    // zeroed at this client's first request; later requests may get the
    // same block back with what the module wrote into it before.
    virtual int request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                        const void* buffer) = 0;

    // A text answer with an id, as response(message) otherwise. Reaches
    // responseToService(id, message): note the swapped order. Not real-time
    // safe.
    void response(const char* message, const int id);
    // 1 for this class, 2 for IOXAInterfaceV2. The host reads it from any
    // thread, so the module sets it in its constructor and never changes it.
    // Real-time safe.
    int getMagicNumber();

protected:
    int mMagicNumber;

private:
    IOXAResponseInterface* mResponse;
};

}  // namespace android

#endif  // IOXA_INTERFACE_H
