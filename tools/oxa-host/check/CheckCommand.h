// "oxa-host check": the module validator's command.
#ifndef OXA_HOST_CHECK_COMMAND_H
#define OXA_HOST_CHECK_COMMAND_H

#include <memory>
#include <string>
#include <vector>

#include "Check.h"
#include "CheckContext.h"

namespace oxahost {

class CheckCommand {
public:
    // Every check, in the order they run.
    static std::vector<std::unique_ptr<Check>> allChecks();
    // The arguments after "check"; returns the process exit status.
    static int run(const std::vector<std::string>& args);
    // Finds the module file the way the host does: when moduleDir/moduleFile
    // does not exist but moduleDir/libwave_<package>.so does, the context is
    // pointed at the fallback name. Returns a note saying so, else "".
    static std::string findModuleFile(CheckContext* context);
};

}  // namespace oxahost

#endif  // OXA_HOST_CHECK_COMMAND_H
