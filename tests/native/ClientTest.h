// Base fixture of the client suites: log capture, and the steps most tests
// share (making a client, loading a test module into it, formatting the
// host's log lines that carry pointers).
#ifndef OVIK_TEST_CLIENT_TEST_H
#define OVIK_TEST_CLIENT_TEST_H

#include <android/log.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "OXAClient.h"
#include "WaveModule.h"

extern const char kWaveTag[];  // the tag of the test modules' own lines

class ClientTest : public LogCaptureTest {
protected:
    typedef std::shared_ptr<android::OXAClient> ClientRef;

    // A client that must exist; the test fails if it is refused.
    ClientRef makeClient(const std::string& name);
    // "init_client:<package>:lib<library>.so:<module folder>".
    static std::string initCommand(const std::string& library, const std::string& package = "pkg");
    // Sends the init command for `library`; the command's result.
    int load(const ClientRef& client, const std::string& library);
    // Sends "<client name>!<text>" to a client made by makeClient().
    int command(const ClientRef& client, const std::string& text);
    // Loads `library` and starts its JACK client, then forgets the calls the
    // module recorded so far. Use with ASSERT_NO_FATAL_FAILURE.
    void loadAndStart(const ClientRef& client, const std::string& library, WaveModule& module);

    // printf into a string, for lines that hold pointers.
    static std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
    static std::vector<LogLine> hostLines();
    // The host's lines and the modules' lines, in the order they were written.
    static std::vector<LogLine> hostAndWaveLines();
    static std::vector<std::string> waveMessages();

private:
    std::map<const android::OXAClient*, std::string> mNames;
};

#endif  // OVIK_TEST_CLIENT_TEST_H
