#include "ExportsCheck.h"

#include <cxxabi.h>
#include <elf.h>
#include <stdlib.h>

#include <map>
#include <set>
#include <string>

#include "ElfSymbols.h"
#include "EntryPoints.h"
#include "LoadDiagnosis.h"

namespace oxahost {

namespace {

// How many of the other exports the report names.
const size_t kNamedExtras = 3;
// Template instances have names of many lines once demangled.
const size_t kNameChars = 72;

// Names the linker defines in every library; they clash with nothing.
const std::set<std::string> kLinkerNames = {"_init",       "_fini",       "_edata",
                                            "_end",        "__bss_start", "__bss_start__",
                                            "__bss_end__", "__end__",     "_bss_end__"};

std::string readable(const std::string& name) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status);
    if (status != 0 || demangled == nullptr) return name;
    std::string text = demangled;
    free(demangled);
    if (text.size() > kNameChars) text = text.substr(0, kNameChars - 3) + "...";
    return text;
}

bool isFunction(const ElfSymbol& symbol) {
    return symbol.type == STT_FUNC || symbol.type == STT_GNU_IFUNC;
}

}  // namespace

CheckOutcome ExportsCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    ElfSymbols symbols;
    std::string error;
    if (!symbols.read(context.modulePath(), &error)) {
        outcome.refuse(error);
        return outcome;
    }
    std::map<std::string, const ElfSymbol*> exports;
    for (const ElfSymbol& symbol : symbols.dynamicSymbols()) {
        if (symbol.exported() && kLinkerNames.count(symbol.name) == 0) {
            exports[symbol.name] = &symbol;
        }
    }
    const char* const required[] = {EntryPoints::kApiLevel, EntryPoints::kCreate};
    const char* const optional[] = {EntryPoints::kDestroy, EntryPoints::kNdkVersion,
                                    EntryPoints::kMajor,   EntryPoints::kMinor,
                                    EntryPoints::kPatch,   EntryPoints::kVersionString};
    const std::map<std::string, std::string> mangled =
        LoadDiagnosis::mangledEntryPoints(context.modulePath());
    std::string found;
    for (const char* name : required) {
        auto entry = exports.find(name);
        if (entry == exports.end()) {
            const auto cpp = mangled.find(name);
            const std::string hint = cpp == mangled.end()
                                         ? ""
                                         : " (it is there under the C++ name " + cpp->second +
                                               ": declare it extern \"C\")";
            outcome.refuse(std::string(name) + " is not exported: the host refuses the module" +
                           hint);
        } else if (!isFunction(*entry->second)) {
            outcome.refuse(std::string(name) + " is exported, but not as a function");
        } else {
            found += found.empty() ? name : std::string(" ") + name;
        }
        if (entry != exports.end()) exports.erase(entry);
    }
    for (const char* name : optional) {
        auto entry = exports.find(name);
        if (entry == exports.end()) {
            if (std::string(name) == EntryPoints::kDestroy) {
                outcome.warn(
                    "oxa_destroy is not exported: the host never destroys the module's "
                    "objects");
            }
            continue;
        }
        if (!isFunction(*entry->second)) {
            outcome.fail(std::string(name) + " is exported, but not as a function");
        } else {
            found += std::string(" ") + name;
        }
        exports.erase(entry);
    }
    if (!exports.empty()) {
        std::string names;
        size_t named = 0;
        for (const auto& entry : exports) {
            if (named++ == kNamedExtras) {
                names += ", ...";
                break;
            }
            names += (names.empty() ? "" : ", ") + readable(entry.first);
        }
        outcome.warn(std::to_string(exports.size()) +
                     " other exported symbols can clash with another module's in one process "
                     "(hide them, for example with a version script that exports oxa_* only): " +
                     names);
    }
    if (outcome.verdict() == Verdict::kPass) outcome.note("exports " + found + " and nothing else");
    return outcome;
}

}  // namespace oxahost
