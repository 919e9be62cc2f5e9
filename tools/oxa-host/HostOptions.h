// The command line of oxa-host: the module to load and the steps to run on
// it, in order.
#ifndef OXA_HOST_HOST_OPTIONS_H
#define OXA_HOST_HOST_OPTIONS_H

#include <stdint.h>

#include <string>
#include <vector>

namespace oxahost {

struct HostStep {
    enum Kind { kCommand, kRequest, kStream, kJackName, kSleep };
    Kind kind;
    // kCommand: the command without the client name; kRequest: what.
    std::string text;
    // kRequest: ext1; kStream: the stream id; kSleep: milliseconds.
    long number;
    // kStream: the bytes.
    std::vector<uint8_t> bytes;
};

struct HostOptions {
    std::string clientName = "demo_1";
    // The package of "init_client:"; empty means the client name up to its
    // last "_".
    std::string packageName;
    std::string moduleDir;
    std::string moduleFile;
    std::vector<HostStep> steps;
    // How long to wait for answers from module threads before destroying
    // the client; the wait ends early once `expectedAnswers` have arrived.
    long waitMs = 100;
    long expectedAnswers = 0;
    bool printLog = true;
    bool help = false;
    bool version = false;

    // The package "init_client:" names: packageName or the name's stem.
    std::string effectivePackage() const;
};

// Fills `options` from the arguments after the program name. False with a
// reason in `error` when they cannot be used.
bool parseHostOptions(const std::vector<std::string>& args, HostOptions* options,
                      std::string* error);

// "00ab7f" to its bytes; false on an odd length or a non-hex digit.
bool parseHex(const std::string& hex, std::vector<uint8_t>* bytes);

const char* hostUsage();

}  // namespace oxahost

#endif  // OXA_HOST_HOST_OPTIONS_H
