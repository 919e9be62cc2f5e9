// Second version of the JACK client. The host calls these members only when
// getMagicNumber() returns 2 or more.
#ifndef IJACK_CLIENT_INTERFACE_V2_H
#define IJACK_CLIENT_INTERFACE_V2_H

#include "IJackClientInterface.h"

namespace android {

class OXA_EXPORT IJackClientInterfaceV2 : public IJackClientInterface {
public:
    IJackClientInterfaceV2();
    virtual ~IJackClientInterfaceV2();

    // The JACK client name, or null when none is set. The module keeps
    // ownership; the host copies the text at once and never frees it.
    virtual char* getJackClientName(const char* name) = 0;
    // "setbypassenabledtrue" and "setbypassenabledfalse".
    virtual void setByPassEnabled(bool enabled) = 0;
};

}  // namespace android

#endif  // IJACK_CLIENT_INTERFACE_V2_H
