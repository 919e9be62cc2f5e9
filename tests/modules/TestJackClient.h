// The JACK client of a test module: records every call with its arguments
// and answers with the result a test set for the operation (0 by default).
#ifndef OVIK_TEST_JACK_CLIENT_H
#define OVIK_TEST_JACK_CLIENT_H

#include <string>

#include "WaveVersion.h"

namespace testwave {

class TestJackClient : public JackClientBase {
public:
    // `label` follows every record of this client, so a test can tell two
    // clients of one module apart ("" for the first).
    explicit TestJackClient(const std::string& label);

    int setUp(int argc, char** argv) override;
    int tearDown() override;
    int activate() override;
    int deactivate() override;
    int transport(android::TransportType type) override;
    int sendMidi(char* midi) override;
#if WAVE_VERSION >= 2
    char* getJackClientName(const char* name) override;
    void setByPassEnabled(bool enabled) override;
#endif

private:
    int answer(const std::string& operation);

    std::string mLabel;
    std::string mName;
};

}  // namespace testwave

#endif  // OVIK_TEST_JACK_CLIENT_H
