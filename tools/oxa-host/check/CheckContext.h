// What every check is given: the module under test and the run's settings.
#ifndef OXA_HOST_CHECK_CONTEXT_H
#define OXA_HOST_CHECK_CONTEXT_H

#include <stdint.h>

#include <string>
#include <vector>

namespace oxahost {

struct CheckContext {
    std::string moduleDir;
    std::string moduleFile;
    // The module name of "init_client:".
    std::string packageName = "check";
    // The module's own commands, run in order (the checks say when).
    std::vector<std::string> moduleCommands;
    // Seeds every random choice of the fuzzing checks; the same seed gives
    // the same inputs.
    uint32_t seed = 1;

    // The path the host opens first: moduleDir/moduleFile.
    std::string modulePath() const { return moduleDir + "/" + moduleFile; }
};

}  // namespace oxahost

#endif  // OXA_HOST_CHECK_CONTEXT_H
