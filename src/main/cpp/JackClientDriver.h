// The module's JACK client as one client sees it: the interface the module
// handed out at "start_client" and whether it runs. It carries out the JACK
// command rows (start_client, tear_down, activate, deactivate, enable_sync,
// disable_sync, setbypassenabled*, midi:) and the JACK client name query.
//
// Threads: called from any thread, several at once, with no lock held across
// the calls into the module. The interface and the status change through
// atomics, and only one thread at a time sets the client up or tears it
// down; a start_client that meets a running (or starting) client finds it
// started, a tear_down that meets one not running (or stopping) is refused.
// Ownership: the interface belongs to the module; it is used until the
// client destroys the module.
#ifndef JACK_CLIENT_DRIVER_H
#define JACK_CLIENT_DRIVER_H

#include <atomic>
#include <string>

#include "IJackClientInterface.h"
#include "IOXAInterface.h"
#include "OXACommon.h"

namespace android {

class JackClientDriver {
public:
    // `clientName` belongs to the client and outlives the driver.
    explicit JackClientDriver(const std::string& clientName);

    // "start_client <words>": takes the JACK client from `object` (null when
    // no module is loaded) and sets it up with the client name and `words`.
    int start(IOXAInterface* object, const char* command);
    // "tear_down": 0 when a running client was torn down, else 1.
    int tearDown();
    // activate() or deactivate(), under a watcher titled `title`.
    int pass(const char* title, int (IJackClientInterface::*call)());
    int transport(TransportType type, const char* title);
    int setByPass(bool enabled);
    int sendMidi(const char* midi);
    // The module's JACK client name for `query`, or null.
    char* name(const char* query);
    // The client is going: one more tearDown() on the interface it holds.
    void tearDownAtDestruction();
    void forget() { mJackClient.store(nullptr, std::memory_order_release); }

private:
    JackClientDriver(const JackClientDriver&) = delete;
    JackClientDriver& operator=(const JackClientDriver&) = delete;

    // The interface, or null after logging `missingText` as an error.
    IJackClientInterface* interfaceOrLog(const char* missingText);

    // OXAClientStatus, or one of these while a thread is inside setUp() or
    // tearDown().
    enum { kStatusStarting = 2, kStatusStopping = 3 };

    const std::string& mName;
    std::atomic<IJackClientInterface*> mJackClient;
    std::atomic<int> mStatus;
};

}  // namespace android

#endif  // JACK_CLIENT_DRIVER_H
