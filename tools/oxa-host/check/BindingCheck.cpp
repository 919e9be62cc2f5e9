#include "BindingCheck.h"

#include <dlfcn.h>
#include <elf.h>

#include <set>
#include <string>

#include "ElfSymbols.h"
#include "ModuleLibrary.h"

namespace oxahost {

namespace {

// Names that begin with "__" or "_" and a capital letter belong to the
// compiler and the C library (__gmon_start__, _ITM_registerTMCloneTable):
// their weak references are meant to stay unresolved.
bool isReservedName(const std::string& name) {
    return name.size() > 1 && name[0] == '_' &&
           (name[1] == '_' || (name[1] >= 'A' && name[1] <= 'Z'));
}

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

CheckOutcome BindingCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    ElfSymbols symbols;
    std::string error;
    if (!symbols.read(context.modulePath(), &error)) {
        outcome.refuse(error);
        return outcome;
    }
    ModuleLibrary library(context.modulePath());
    if (!library.open(RTLD_NOW | RTLD_GLOBAL, &error)) {
        ModuleLibrary lazy(context.modulePath());
        std::string lazyError;
        const bool opensLazily = lazy.open(RTLD_LAZY | RTLD_LOCAL, &lazyError);
        outcome.refuse("does not open with immediate binding" +
                       std::string(opensLazily ? " (it opens with lazy binding only)" : "") + ": " +
                       error);
        return outcome;
    }
    size_t undefined = 0;
    std::set<std::string> providers;
    std::string missing;
    for (const ElfSymbol& symbol : symbols.dynamicSymbols()) {
        if (symbol.defined() || symbol.name.empty()) continue;
        ++undefined;
        void* address = dlsym(RTLD_DEFAULT, symbol.name.c_str());
        if (address != nullptr) {
            const std::string provider = ModuleLibrary::libraryOf(address);
            if (!provider.empty()) providers.insert(baseName(provider));
            continue;
        }
        if (symbol.binding == STB_WEAK && !isReservedName(symbol.name)) {
            missing += (missing.empty() ? "" : ", ") + symbol.name;
        }
    }
    if (!missing.empty()) {
        outcome.fail("weak references that nothing in the host process provides (they are null): " +
                     missing);
    }
    std::string names;
    for (const std::string& provider : providers) names += (names.empty() ? "" : ", ") + provider;
    outcome.note("opens with immediate binding; " + std::to_string(undefined) +
                 " undefined symbols, provided by " + (names.empty() ? "nothing" : names));
    return outcome;
}

}  // namespace oxahost
