// The process-wide response handle and the small C API that modules call.
//
// A module may answer through this one handle instead of its processing
// object's response(), for example from the object's constructor: the host
// points the handle at the loading client before it calls oxa_create(). With
// several clients the handle answers to the one that loaded last. Any thread
// may call any member; answers run on the caller's thread.
//
// Real-time threads: response() is no more real-time safe through the handle
// than through the processing object (see IOXAResponseInterface.h: the
// listener lock, the VM attach, Java's callback); push answers from a JACK
// process callback to the kit's OXAAnswerQueue instead. getInstance() and
// getTargetAPILevel() are safe there once the handle exists; the rest is for
// ordinary threads.
#ifndef OXA_CLIENT_USER_H
#define OXA_CLIENT_USER_H

#include <stddef.h>
#include <stdint.h>

#include "IOXAResponseInterfaceV2.h"
#include "OXACommon.h"

namespace android {

class OXA_EXPORT OXAClientUser {
private:
    static OXAClientUser* mInstance;
    OXAClientUser();

public:
    // The handle, created on first use. Safe against concurrent first callers.
    // Not real-time safe on first use (it allocates); afterwards it reads a
    // pointer.
    static OXAClientUser* getInstance();
    // The library never destroys the handle (oxa_user_destroy() leaves it);
    // if it is destroyed all the same, the slot is emptied, so getInstance()
    // makes a new one afterwards.
    virtual ~OXAClientUser();

    // Replaces the response interface; null empties it. The host calls it
    // before each oxa_create(); `itf` stays the host's. Not for real-time
    // threads.
    void setResponseInterface(IOXAResponseInterfaceV2* itf);
    // Answers to the current response interface, as IOXAInterface::response()
    // does (same threads, blocking and ownership). Dropped, with one log
    // line, when the client it answered to is gone. Not real-time safe: it
    // waits for the listener's turn, may attach the thread to the VM, and
    // returns only after Java's callback; use OXAAnswerQueue from a process
    // callback.
    void response(const char* message);
    void response(const int32_t ext1, const size_t len, const void* data);
    // Reaches responseToService(id, message): note the swapped order.
    void response(const char* message, const int id);
    // The target API level of the current response interface, 0 without one.
    // Not real-time safe: it takes the handle's in-flight lock for a moment
    // and may allocate. Read it once outside the process callback.
    int getTargetAPILevel();

    // Empties the handle if it answers to `itf`, then waits for answers
    // through the handle still on their way to `itf`. A client calls this
    // when it is destroyed, so the handle never leads to a destroyed client.
    // Does not create the handle. The host's; it waits, so never from a
    // real-time thread.
    static void forgetResponseInterface(IOXAResponseInterfaceV2* itf);

private:
    IOXAResponseInterfaceV2* mResponse;
};

extern "C" {
// The C API below is for ordinary threads: create and destroy allocate and
// free; the version functions are real-time safe (constants).
// getInstance() followed by setResponseInterface(responseItf).
OXA_EXPORT OXAClientUser* oxa_user_create(IOXAResponseInterfaceV2* responseItf);
// Gives the handle back. The handle is process-wide and shared by every
// module, and other threads may be answering through it, so it is not freed:
// it stays valid for the life of the process. Null does nothing.
OXA_EXPORT void oxa_user_destroy(OXAClientUser* p);
// The API level of the module contract, and the version of it that this
// library implements (the library's own version, set where it is built).
OXA_EXPORT int oxa_user_get_api_level();
OXA_EXPORT int oxa_user_get_major_version_number();
OXA_EXPORT int oxa_user_get_minor_version_number();
OXA_EXPORT int oxa_user_get_patch_version_number();
// Static storage; never free or modify it.
OXA_EXPORT const char* oxa_user_get_version_string();
}

}  // namespace android

#endif  // OXA_CLIENT_USER_H
