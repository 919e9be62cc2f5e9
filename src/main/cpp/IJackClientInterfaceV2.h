// Second version of the JACK client. The host calls these members only when
// getMagicNumber() returns 2 or more. Like the first version's members, these
// run on the host's ordinary threads, never on a real-time one.
#ifndef IJACK_CLIENT_INTERFACE_V2_H
#define IJACK_CLIENT_INTERFACE_V2_H

#include "IJackClientInterface.h"

namespace android {

class OXA_EXPORT IJackClientInterfaceV2 : public IJackClientInterface {
public:
    IJackClientInterfaceV2();
    virtual ~IJackClientInterfaceV2();

    // Called by the host for Java's name query, on the querying thread, not
    // timed. `name` is the host's, valid for the call only. The JACK client
    // name, or null when none is set: the module keeps ownership, keeps the
    // text valid until its next call, and the host copies it at once and
    // never frees it.
    virtual char* getJackClientName(const char* name) = 0;
    // "setbypassenabledtrue" and "setbypassenabledfalse", on the commanding
    // thread, timed.
    virtual void setByPassEnabled(bool enabled) = 0;
};

}  // namespace android

#endif  // IJACK_CLIENT_INTERFACE_V2_H
