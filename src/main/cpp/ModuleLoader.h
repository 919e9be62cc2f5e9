// The steps that make a module's processing object from its open library and
// unmake it again: the API level check, the creator, init(), the optional
// version functions and the destroyer. Each step calls module code through
// ModuleCall, so a module that throws fails that step and nothing more.
// The loader keeps no state beyond the library and the client's name it was
// given; the client decides what to keep of each step.
//
// Runs on the thread that loads or destroys the client, with no lock held.
// The library must stay open for as long as the loader is used.
//
//   ModuleLoader loader(library, clientName);
//   IOXAInterface* object = nullptr;
//   if (!loader.checkAPILevel(hostLevel) || (object = loader.create()) == nullptr ||
//       !loader.init(object, response)) return 1;
//   ...
//   loader.destroy(object);
#ifndef MODULE_LOADER_H
#define MODULE_LOADER_H

#include <stdint.h>

#include <string>

#include "IOXAInterface.h"
#include "IOXAResponseInterface.h"
#include "ModuleLibrary.h"

namespace android {

class ModuleLoader {
public:
    ModuleLoader(const ModuleLibrary& library, const std::string& client)
        : mLibrary(library), mClient(client) {}

    // True when the module's oxa_get_api_level is present and gives a level
    // the host at `hostLevel` accepts, or is present without an address.
    bool checkAPILevel(int hostLevel) const;
    // The object oxa_create makes; null (logged) when the creator is missing,
    // gives none or throws.
    IOXAInterface* create() const;
    // Hands `object` its response interface and runs its init() under the
    // watcher. On failure the object is destroyed, since its library closes
    // next, and false comes back.
    bool init(IOXAInterface* object, IOXAResponseInterface* response) const;
    // What the optional int() function `symbol` gives, `fallback` when it is
    // missing, or `current` when the symbol has no address.
    int32_t version(const char* symbol, int32_t fallback, int32_t current) const;
    // Gives `object` to oxa_destroy. The object counts as gone afterwards,
    // whether or not the function exists or threw.
    void destroy(IOXAInterface* object) const;

private:
    static bool isLevelAllowed(int hostLevel, int moduleLevel);

    const ModuleLibrary& mLibrary;
    const std::string& mClient;
};

}  // namespace android

#endif  // MODULE_LOADER_H
