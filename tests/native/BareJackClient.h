// The smallest JACK client: every operation does nothing and succeeds.
// `Base` is IJackClientInterface or IJackClientInterfaceV2.
#ifndef OVIK_TEST_BARE_JACK_CLIENT_H
#define OVIK_TEST_BARE_JACK_CLIENT_H

#include "IJackClientInterfaceV2.h"

template <typename Base>
class BareJackClient : public Base {
public:
    int setUp(int, char**) override { return 0; }
    int tearDown() override { return 0; }
    int activate() override { return 0; }
    int deactivate() override { return 0; }
    int transport(android::TransportType) override { return 0; }
    int sendMidi(char*) override { return 0; }
    // IJackClientInterfaceV2's slots; extra members otherwise.
    char* getJackClientName(const char*) { return nullptr; }
    void setByPassEnabled(bool) {}
};

#endif  // OVIK_TEST_BARE_JACK_CLIENT_H
