#include "RegistryProbe.h"

#include <dlfcn.h>
#include <stdint.h>

#include <mutex>
#include <string>

#include "ElfSymbols.h"
#include "OXAClientUser.h"

namespace {

typedef int (*CountFunction)();

const char kCountSymbol[] = "_ZN15OXAClientLoader14getClientCountEv";

// Looked up once: the library stays loaded for the life of the JVM.
CountFunction findCount() {
    Dl_info library = {};
    if (dladdr(reinterpret_cast<void*>(&android::oxa_user_get_api_level), &library) == 0) {
        return nullptr;
    }
    oxahost::ElfSymbols symbols;
    std::string error;
    if (!symbols.read(library.dli_fname, &error)) return nullptr;
    for (const oxahost::ElfSymbol& symbol : symbols.fullSymbols()) {
        if (symbol.name == kCountSymbol && symbol.defined()) {
            const uintptr_t base = reinterpret_cast<uintptr_t>(library.dli_fbase);
            return reinterpret_cast<CountFunction>(base + static_cast<uintptr_t>(symbol.value));
        }
    }
    return nullptr;
}

}  // namespace

int RegistryProbe::clientCount() {
    static std::once_flag found;
    static CountFunction count = nullptr;
    std::call_once(found, [] { count = findCount(); });
    return count != nullptr ? count() : -1;
}
