// The joining module's processing object: a version-1 object whose only job
// is to hand out its JoiningJackClient.
#ifndef FAKEJNI_JOINING_WAVE_H
#define FAKEJNI_JOINING_WAVE_H

#include "IOXAInterface.h"
#include "JoiningJackClient.h"

class JoiningWave : public android::IOXAInterface {
public:
    JoiningWave() : mJackClient(this) {}

    int init() override { return 0; }
    int sendCommand(const char*) override { return 0; }
    android::IJackClientInterface* getJackClientInterface() override { return &mJackClient; }
    int request(const char*, const long, const long, size_t&, const void*) override { return 1; }

private:
    JoiningJackClient mJackClient;
};

#endif  // FAKEJNI_JOINING_WAVE_H
