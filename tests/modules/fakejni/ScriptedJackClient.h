// The JACK client of the scripted module: accepts every call, hands out the name
// it was given, and answers from tearDown() when asked to say farewell.
#ifndef FAKEJNI_SCRIPTED_JACK_CLIENT_H
#define FAKEJNI_SCRIPTED_JACK_CLIENT_H

#include <string>

#include "IJackClientInterfaceV2.h"
#include "IOXAInterface.h"

class ScriptedJackClient : public android::IJackClientInterfaceV2 {
public:
    explicit ScriptedJackClient(android::IOXAInterface* owner);

    int setUp(int argc, char** argv) override;
    int tearDown() override;
    int activate() override { return 0; }
    int deactivate() override { return 0; }
    int transport(android::TransportType) override { return 0; }
    int sendMidi(char*) override { return 0; }
    char* getJackClientName(const char* name) override;
    void setByPassEnabled(bool) override {}

    // Null makes getJackClientName() answer null.
    void setName(const char* name);
    void sayFarewell() { mFarewell = true; }
    void answerNames() { mAnswerNames = true; }

private:
    android::IOXAInterface* mOwner;
    std::string mName;
    bool mHasName = false;
    bool mFarewell = false;
    bool mAnswerNames = false;
};

#endif  // FAKEJNI_SCRIPTED_JACK_CLIENT_H
