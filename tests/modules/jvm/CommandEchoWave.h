// A version-1 processing object that answers every command it receives with
// the command's own text (id 1) and returns 0, so Java can see exactly what
// reached the module, for example the "stream:<id>:<hex>" text of a stream.
#ifndef OVIK_JVM_COMMAND_ECHO_WAVE_H
#define OVIK_JVM_COMMAND_ECHO_WAVE_H

#include "IOXAInterface.h"

class CommandEchoWave : public android::IOXAInterface {
public:
    CommandEchoWave();
    ~CommandEchoWave() override;

    int init() override;
    int sendCommand(const char* command) override;
    android::IJackClientInterface* getJackClientInterface() override;
    int request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                const void* buffer) override;
};

#endif  // OVIK_JVM_COMMAND_ECHO_WAVE_H
