// The command line of "oxa-host check": the module and which checks to run.
#ifndef OXA_HOST_CHECK_OPTIONS_H
#define OXA_HOST_CHECK_OPTIONS_H

#include <stdint.h>

#include <string>
#include <vector>

namespace oxahost {

struct CheckOptions {
    std::string moduleDir;
    std::string moduleFile;
    // The module name of "init_client:", from which the host forms the
    // fallback file name libwave_<name>.so.
    std::string packageName = "check";
    // The module's own commands, in the order given by --command and
    // --commands, run by the checks that drive the module.
    std::vector<std::string> moduleCommands;
    // Per check, in seconds.
    double timeoutSeconds = 10.0;
    // Where to write the JSON report and the JUnit XML report; empty for
    // none, "-" for stdout (the console report then goes to stderr).
    std::string jsonPath;
    std::string junitPath;
    // Names given with --only (empty: every check) and with --skip.
    std::vector<std::string> only;
    std::vector<std::string> skip;
    uint32_t seed = 0;
    bool seedGiven = false;
    bool help = false;
    // --list: print the checks, one a line, and run none.
    bool list = false;
    bool version = false;

    // Whether the check named `name` runs with these options.
    bool selects(const std::string& name) const;
    // Whether a machine-readable report goes to stdout.
    bool reportsOnStdout() const { return jsonPath == "-" || junitPath == "-"; }
};

// Fills `options` from the arguments after "check". False with a reason in
// `error` on a bad command line; `knownChecks` are the valid check names.
bool parseCheckOptions(const std::vector<std::string>& args,
                       const std::vector<std::string>& knownChecks, CheckOptions* options,
                       std::string* error);

const char* checkUsage();

}  // namespace oxahost

#endif  // OXA_HOST_CHECK_OPTIONS_H
