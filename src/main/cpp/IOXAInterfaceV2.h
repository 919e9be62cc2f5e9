// Second version of the processing object: adds byte streams and the host's
// API level. The host calls sendStream() only when getMagicNumber() returns 2
// or more; a version-1 object receives streams as "stream:<id>:<hex>" commands.
#ifndef IOXA_INTERFACE_V2_H
#define IOXA_INTERFACE_V2_H

#include "IOXAInterface.h"

namespace android {

class OXA_EXPORT IOXAInterfaceV2 : public IOXAInterface {
public:
    IOXAInterfaceV2();
    virtual ~IOXAInterfaceV2();

    // Called by the host for every stream from Java, on the sending thread
    // (never a real-time one; the module may block here).
    // `stream` is the caller's memory, readable for the call only; the result
    // goes back to Java unchanged.
    virtual int sendStream(const void* stream, const long streamLen, const int id) = 0;

    // Called by the module from any thread: the host's API level through the
    // process-wide response handle, or 0 while that handle has no response
    // interface. Not real-time safe: it takes the handle's in-flight lock for
    // a moment and may allocate; read it once outside the process callback.
    int getTargetAPILevel();
};

}  // namespace android

#endif  // IOXA_INTERFACE_V2_H
