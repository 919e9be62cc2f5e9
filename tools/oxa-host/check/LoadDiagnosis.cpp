#include "LoadDiagnosis.h"

#include <cxxabi.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <memory>

#include "ElfSymbols.h"
#include "EntryPoints.h"
#include "LogPrinter.h"

namespace oxahost {

namespace {

const char* const kLoaderError = "dlopen failed : ";

std::string demangled(const std::string& name) {
    int status = 0;
    std::unique_ptr<char, decltype(&free)> text(
        abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), &free);
    return status == 0 && text ? std::string(text.get()) : "";
}

bool exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

std::vector<std::string> loaderErrors() {
    std::vector<std::string> errors;
    for (const std::string& line : LogPrinter::linesContaining(kLoaderError)) {
        errors.push_back(line.substr(line.find(kLoaderError) + strlen(kLoaderError)));
    }
    return errors;
}

}  // namespace

LoadDiagnosis::LoadDiagnosis(const std::string& dir, const std::string& file,
                             const std::string& package)
    : mDir(dir), mFile(file), mPackage(package) {}

std::map<std::string, std::string> LoadDiagnosis::mangledEntryPoints(const std::string& path) {
    ElfSymbols symbols;
    std::string error;
    std::map<std::string, std::string> found;
    if (!symbols.read(path, &error)) return found;
    for (const char* entry :
         {EntryPoints::kApiLevel, EntryPoints::kCreate, EntryPoints::kDestroy}) {
        const std::string wanted = std::string(entry) + "(";
        bool plain = false;
        std::string mangled;
        // Hidden by a version script, the C++ name is still in the full table.
        std::vector<ElfSymbol> all = symbols.dynamicSymbols();
        all.insert(all.end(), symbols.fullSymbols().begin(), symbols.fullSymbols().end());
        for (const ElfSymbol& symbol : all) {
            if (!symbol.defined()) continue;
            if (symbol.name == entry && !symbol.exported()) continue;
            if (symbol.name == entry) plain = true;
            if (mangled.empty() && symbol.name.compare(0, 2, "_Z") == 0 &&
                demangled(symbol.name).compare(0, wanted.size(), wanted) == 0) {
                mangled = symbol.name;
            }
        }
        if (!plain && !mangled.empty()) found[entry] = mangled;
    }
    return found;
}

std::vector<std::string> LoadDiagnosis::afterFailedLoad() const {
    std::vector<std::string> causes;
    for (const std::string& error : loaderErrors()) causes.push_back("the loader: " + error);
    if (!exists(askedPath()) && !exists(fallbackPath())) {
        causes.push_back("neither " + askedPath() + " nor the fallback name " + fallbackPath() +
                         " exists");
    }
    std::vector<std::string> paths = {askedPath()};
    if (fallbackPath() != askedPath()) paths.push_back(fallbackPath());
    for (const std::string& path : paths) {
        for (const auto& entry : mangledEntryPoints(path)) {
            causes.push_back(path + " has " + entry.first + " only under the C++ name " +
                             entry.second +
                             ", which the host cannot find: declare it extern \"C\"");
        }
    }
    if (causes.empty()) {
        causes.push_back(
            "the module refused to load: see the log lines above (a result of "
            "oxa_get_api_level, oxa_create or init())");
    }
    return causes;
}

std::string LoadDiagnosis::afterLoad() const {
    const std::vector<std::string> errors = loaderErrors();
    if (errors.empty()) return "";
    return "loaded " + fallbackPath() + ", the fallback name of module \"" + mPackage +
           "\", instead of " + askedPath() + ", which the loader could not open: " + errors[0];
}

}  // namespace oxahost
