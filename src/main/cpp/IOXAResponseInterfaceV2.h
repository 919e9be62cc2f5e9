// Second version of the response interface: adds the host's API level.
#ifndef IOXA_RESPONSE_INTERFACE_V2_H
#define IOXA_RESPONSE_INTERFACE_V2_H

#include "IOXAResponseInterface.h"

class OXA_EXPORT IOXAResponseInterfaceV2 : public IOXAResponseInterface {
public:
    IOXAResponseInterfaceV2();
    virtual ~IOXAResponseInterfaceV2();

    // The API level of the host. Any thread may call it; real-time safe (it
    // reads a field of the client and takes no lock).
    virtual int getTargetAPILevel() = 0;
};

#endif  // IOXA_RESPONSE_INTERFACE_V2_H
