// The JACK client a module hands out through
// IOXAInterface::getJackClientInterface(). The module owns it; the host never
// deletes it.
//
// Threads: the host calls every member on the thread that sent the command,
// with no lock of its own held, so calls may overlap with other calls into
// the module (see IOXAInterface.h). Of setUp() and tearDown() only one runs at
// a time per client. The host calls tearDown() once more when the client is
// destroyed, whatever state the client is in, on the destroying thread.
// Every member is timed by the host's 5-second watch except that last
// tearDown(); none should block for long.
//
// Real-time threads: none of these members runs on one; they are the
// ordinary-thread side of the module's JACK client. Its process callback is
// the module's own business: it may call nothing of this contract but
// getMagicNumber(), and answers through the kit's OXAAnswerQueue, whose
// delivery thread this client starts in activate() and joins in
// deactivate() or tearDown().
#ifndef IJACK_CLIENT_INTERFACE_H
#define IJACK_CLIENT_INTERFACE_H

#include "OXACommon.h"

namespace android {

class OXA_EXPORT IJackClientInterface {
public:
    IJackClientInterface();
    virtual ~IJackClientInterface();

    // "start_client" on a stopped client: argv[0] is the client name, then
    // the command's words, and a null entry after the last. The host owns the
    // strings; they live for the call only. 0 is success (the client runs).
    virtual int setUp(int argc, char** argv) = 0;
    // "tear_down" on a running client, and once more when the client is
    // destroyed. The result is not passed on.
    virtual int tearDown() = 0;
    // "activate" and "deactivate"; the result goes back to Java.
    virtual int activate() = 0;
    virtual int deactivate() = 0;
    // "enable_sync" and "disable_sync".
    virtual int transport(TransportType type) = 0;
    // "midi:<text>": `midi` is the text after the colon, a copy the module
    // may change, valid for the call only.
    virtual int sendMidi(char* midi) = 0;

    // 1 for this class, 2 for IJackClientInterfaceV2; read from any thread,
    // so set once in the constructor. Real-time safe.
    int getMagicNumber();

protected:
    int mMagicNumber;
};

}  // namespace android

#endif  // IJACK_CLIENT_INTERFACE_H
