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
// Ownership: the host disposes of the object through the module's
// oxa_destroy(), never through the virtual destructor. The client that owns
// the object is destroyed on whichever thread drops its last reference, but
// never inside one of that client's own answers: a client deleted by a
// callback on the module's own thread is destroyed by a later call from Java.
// Stop the module's threads in oxa_destroy() (the library is closed right
// after), but never join the thread that is calling it.
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

    // Called once after creation; 0 means ready, anything else fails the load.
    virtual int init() = 0;
    // Every text command the host does not handle itself.
    virtual int sendCommand(const char* command) = 0;
    // The module's JACK client, or null. The module keeps ownership.
    virtual IJackClientInterface* getJackClientInterface() = 0;

    void setResponseInterface(IOXAResponseInterface* itf);
    void response(const char* message);
    void response(const int32_t ext1, const size_t len, const void* data);

    // Fill `buffer` (`capacity` bytes, owned by the host) and set `usedBytes`
    // (which holds `capacity` on entry) to the bytes written. 0 is success.
    virtual int request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                        const void* buffer) = 0;

    // Reaches responseToService(id, message): note the swapped order.
    void response(const char* message, const int id);
    int getMagicNumber();

protected:
    int mMagicNumber;

private:
    IOXAResponseInterface* mResponse;
};

}  // namespace android

#endif  // IOXA_INTERFACE_H
