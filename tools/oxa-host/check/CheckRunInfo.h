// What the machine-readable reports say about the run itself, so that a
// report read later names what was checked and how to run it again.
#ifndef OXA_HOST_CHECK_RUN_INFO_H
#define OXA_HOST_CHECK_RUN_INFO_H

#include <stdint.h>

#include <string>
#include <vector>

namespace oxahost {

struct CheckRunInfo {
    std::string toolVersion;
    // The file the host opens (the fallback name when that was used).
    std::string modulePath;
    std::string packageName;
    uint32_t seed = 0;
    double timeoutSeconds = 0;
    std::vector<std::string> moduleCommands;
};

}  // namespace oxahost

#endif  // OXA_HOST_CHECK_RUN_INFO_H
