// The example module's processing object (version 2): what oxa_create()
// hands the host. Copy this module to start your own: replace the command
// handling, the request pattern and the stream handling with your own.
#ifndef WAVE_DEMO_WAVE_DEMO_H
#define WAVE_DEMO_WAVE_DEMO_H

#include <stddef.h>

#include <string>

#include "DemoJackClient.h"
#include "IOXAInterfaceV2.h"

namespace wavedemo {

class WaveDemo : public android::IOXAInterfaceV2 {
public:
    WaveDemo();
    ~WaveDemo() override;

    // The host calls init() once, after it gave us its response interface.
    int init() override;
    // Every command the host does not handle itself: "gain N", "status".
    int sendCommand(const char* command) override;
    android::IJackClientInterface* getJackClientInterface() override;
    // what "letters": A..Z repeated; what "counter": bytes 0, 1, 2, ...
    // ext1 is the byte count wanted (at most the capacity; 0 asks for 64).
    int request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                const void* buffer) override;
    // Answers the stream's length and Adler-32 checksum as a text.
    int sendStream(const void* stream, const long streamLen, const int id) override;

private:
    int setGain(const char* argument);
    void answerStatus();

    DemoJackClient mJackClient;
    int mGain;
};

}  // namespace wavedemo

#endif  // WAVE_DEMO_WAVE_DEMO_H
