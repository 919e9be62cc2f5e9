// The JACK client of the joining module. setUp() starts a thread of its own
// that waits; tearDown() wakes it, the thread answers "last word" through
// the module, and tearDown() waits for the thread before it returns, as a
// module must before its library is closed.
#ifndef FAKEJNI_JOINING_JACK_CLIENT_H
#define FAKEJNI_JOINING_JACK_CLIENT_H

#include <condition_variable>
#include <mutex>
#include <thread>

#include "IJackClientInterface.h"
#include "IOXAInterface.h"

class JoiningJackClient : public android::IJackClientInterface {
public:
    explicit JoiningJackClient(android::IOXAInterface* owner);
    ~JoiningJackClient() override;

    int setUp(int argc, char** argv) override;
    int tearDown() override;
    int activate() override { return 0; }
    int deactivate() override { return 0; }
    int transport(android::TransportType) override { return 0; }
    int sendMidi(char*) override { return 0; }

private:
    void waitThenAnswer();

    android::IOXAInterface* mOwner;
    std::mutex mLock;
    std::condition_variable mWake;
    bool mStopping = false;
    std::thread mThread;
};

#endif  // FAKEJNI_JOINING_JACK_CLIENT_H
