// The smallest processing object: every operation does nothing and succeeds.
// `Base` is IOXAInterface or IOXAInterfaceV2.
#ifndef OVIK_TEST_BARE_WAVE_H
#define OVIK_TEST_BARE_WAVE_H

#include "IOXAInterfaceV2.h"

template <typename Base>
class BareWave : public Base {
public:
    int init() override { return 0; }
    int sendCommand(const char*) override { return 0; }
    android::IJackClientInterface* getJackClientInterface() override { return nullptr; }
    int request(const char*, const long, const long, size_t&, const void*) override { return 0; }
    // IOXAInterfaceV2's slot; an extra member otherwise.
    int sendStream(const void*, const long, const int) { return 0; }
};

#endif  // OVIK_TEST_BARE_WAVE_H
