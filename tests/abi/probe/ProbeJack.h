// The probe module's JACK client: every slot reports its own name and its
// arguments as a text answer through the owning processing object, and gives
// a result of its own, so a caller sees which member a slot reached.
#ifndef OVIK_ABI_PROBE_JACK_H
#define OVIK_ABI_PROBE_JACK_H

#include <string>

#include "IJackClientInterfaceV2.h"
#include "IOXAInterface.h"

class ProbeJack : public android::IJackClientInterfaceV2 {
public:
    // `owner` carries the answers; null drops them.
    explicit ProbeJack(android::IOXAInterface* owner);
    ~ProbeJack() override;

    int setUp(int argc, char** argv) override;
    int tearDown() override;
    int activate() override;
    int deactivate() override;
    int transport(android::TransportType type) override;
    int sendMidi(char* midi) override;
    char* getJackClientName(const char* name) override;
    void setByPassEnabled(bool enabled) override;

    // Where this compiler puts the protected version field.
    long long magicNumberOffset() const;

private:
    void report(const std::string& text);

    android::IOXAInterface* mOwner;
    std::string mJackName;
};

#endif  // OVIK_ABI_PROBE_JACK_H
