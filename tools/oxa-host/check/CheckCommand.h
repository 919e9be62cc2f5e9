// "oxa-host check": the module validator's command.
#ifndef OXA_HOST_CHECK_COMMAND_H
#define OXA_HOST_CHECK_COMMAND_H

#include <memory>
#include <string>
#include <vector>

#include "Check.h"

namespace oxahost {

class CheckCommand {
public:
    // Every check, in the order they run.
    static std::vector<std::unique_ptr<Check>> allChecks();
    // The arguments after "check"; returns the process exit status.
    static int run(const std::vector<std::string>& args);
};

}  // namespace oxahost

#endif  // OXA_HOST_CHECK_COMMAND_H
