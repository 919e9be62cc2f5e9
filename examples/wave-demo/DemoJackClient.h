// The example module's JACK client (version 2). It shows which call arrives
// for which command and starts the module's reporting thread on "activate".
// Set up with the word "jack" ("start_client jack"), it also becomes a real
// JACK client on the running server (JackMeter), whose process callback then
// answers the meter through the answer queue; this client starts the queue's
// delivery thread on "activate" and joins it on "deactivate" and
// "tear_down". Without a server it says so and counts its levels instead.
#ifndef WAVE_DEMO_DEMO_JACK_CLIENT_H
#define WAVE_DEMO_DEMO_JACK_CLIENT_H

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "IJackClientInterfaceV2.h"
#include "IOXAInterface.h"
#include "JackMeter.h"
#include "LevelReporter.h"

namespace wavedemo {

class DemoJackClient : public android::IJackClientInterfaceV2 {
public:
    // `module` is the processing object that owns this client; answers go
    // through it.
    explicit DemoJackClient(android::IOXAInterface& module);
    ~DemoJackClient() override;

    // "start_client <words>": argv[0] is the host's client name.
    int setUp(int argc, char** argv) override;
    int tearDown() override;
    int activate() override;
    int deactivate() override;
    int transport(android::TransportType type) override;
    int sendMidi(char* midi) override;
    char* getJackClientName(const char* name) override;
    void setByPassEnabled(bool enabled) override;

    // What the last setUp() received, for the module's "status" answer.
    const std::vector<std::string>& setUpArguments() const { return mSetUpArguments; }
    bool isActive() const { return mReporter.isRunning() || mAnswers.isRunning(); }

private:
    void answer(const std::string& text);
    // Opens the meter; gives the answer that says how that went.
    std::string openMeter(const std::string& hostName);
    bool startReporting();
    void stopReporting();

    android::IOXAInterface& mModule;
    std::vector<std::string> mSetUpArguments;
    // getJackClientName() hands out this text; it stays valid until the next
    // setUp() or the client's destruction.
    std::string mJackName;
    // Any command thread may switch it; atomic, as the host does not
    // serialise commands.
    std::atomic<bool> mBypassed;
    // Held while a command changes the client's state. The host does not
    // serialise commands, and a callback of this client's own answers may
    // send one while another thread waits here for those answers' thread:
    // a command that finds it held gives 1 instead of waiting. Never held
    // while answering.
    std::mutex mStateChange;
    // Declared before the meter, which pushes to it: it goes last.
    DemoAnswers mAnswers;
    JackMeter mMeter;
    LevelReporter mReporter;
};

}  // namespace wavedemo

#endif  // WAVE_DEMO_DEMO_JACK_CLIENT_H
