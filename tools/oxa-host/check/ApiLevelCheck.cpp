#include "ApiLevelCheck.h"

#include <dlfcn.h>

#include <string>

#include "ChildChannel.h"
#include "EntryPoints.h"
#include "ModuleLibrary.h"
#include "OXAClient.h"

namespace oxahost {

CheckOutcome ApiLevelCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    ModuleLibrary library(context.modulePath());
    std::string error;
    if (!library.open(RTLD_NOW | RTLD_GLOBAL, &error)) {
        outcome.refuse("cannot open the library: " + error);
        return outcome;
    }
    void* address = library.find(EntryPoints::kApiLevel);
    if (address == nullptr) {
        outcome.refuse("oxa_get_api_level is missing: the host refuses the module");
        return outcome;
    }
    if (!library.owns(address)) {
        outcome.warn("oxa_get_api_level is not the module's own: the host finds the one of " +
                     ModuleLibrary::libraryOf(address));
    }
    typedef int (*LevelFunction)();
    ChildChannel::step("oxa_get_api_level()");
    const int level = reinterpret_cast<LevelFunction>(address)();
    const int again = reinterpret_cast<LevelFunction>(address)();
    const int hostLevel = android::OXAClient::OXACLIENT_API_LEVEL;
    const std::string levelText = "level " + std::to_string(level);
    if (again != level) {
        outcome.warn("oxa_get_api_level answered " + std::to_string(level) + ", then " +
                     std::to_string(again));
    }
    if (level > hostLevel) {
        outcome.refuse(levelText + ": the host implements level " + std::to_string(hostLevel) +
                       " and refuses modules above it");
    } else if (level < 1) {
        outcome.warn(levelText + ": the host accepts it, but levels begin at 1");
    } else {
        outcome.note(levelText + " (the host accepts 1 to " + std::to_string(hostLevel) + ")");
    }
    return outcome;
}

}  // namespace oxahost
