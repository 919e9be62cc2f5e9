// The JACK client a module hands out through
// IOXAInterface::getJackClientInterface(). The module owns it; the host never
// deletes it.
//
// Threads: the host calls every member on the Java thread that sent the
// command, one call at a time per client. It calls tearDown() once more when
// the client is destroyed, whatever state the client is in.
#ifndef IJACK_CLIENT_INTERFACE_H
#define IJACK_CLIENT_INTERFACE_H

#include "OXACommon.h"

namespace android {

class OXA_EXPORT IJackClientInterface {
public:
    IJackClientInterface();
    virtual ~IJackClientInterface();

    // "start_client": argv[0] is the client name, then the command's words.
    // Rely on argc only; the strings live for the call only. 0 is success.
    virtual int setUp(int argc, char** argv) = 0;
    // "tear_down", and once more when the client is destroyed.
    virtual int tearDown() = 0;
    virtual int activate() = 0;
    virtual int deactivate() = 0;
    // "enable_sync" and "disable_sync".
    virtual int transport(TransportType type) = 0;
    // "midi:<text>": `midi` is the text after the colon, valid for the call.
    virtual int sendMidi(char* midi) = 0;

    // 1 for this class, 2 for IJackClientInterfaceV2.
    int getMagicNumber();

protected:
    int mMagicNumber;
};

}  // namespace android

#endif  // IJACK_CLIENT_INTERFACE_H
