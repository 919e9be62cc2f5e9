// What oxa-host's run mode says about loading, beyond the library's own log
// lines: after a failed load the likely cause (the loader's error, an entry
// point compiled without extern "C"), and after a load through the fallback
// name that it was not the file asked for. Reads the library's log (kept by
// LogPrinter) and the module files themselves; loads nothing.
#ifndef OXA_HOST_LOAD_DIAGNOSIS_H
#define OXA_HOST_LOAD_DIAGNOSIS_H

#include <map>
#include <string>
#include <vector>

namespace oxahost {

class LoadDiagnosis {
public:
    // The module of "init_client:<package>:<file>:<dir>".
    LoadDiagnosis(const std::string& dir, const std::string& file, const std::string& package);

    // One line a likely cause of a failed load; never empty.
    std::vector<std::string> afterFailedLoad() const;
    // After a successful load: a warning when the host had to fall back to
    // libwave_<package>.so; "" when it loaded the file asked for.
    std::string afterLoad() const;

    // Entry points of `path` present only under a C++ name: entry point to
    // that name ("oxa_create" to "_Z10oxa_createv").
    static std::map<std::string, std::string> mangledEntryPoints(const std::string& path);

private:
    std::string askedPath() const { return mDir + "/" + mFile; }
    std::string fallbackPath() const { return mDir + "/libwave_" + mPackage + ".so"; }

    std::string mDir;
    std::string mFile;
    std::string mPackage;
};

}  // namespace oxahost

#endif  // OXA_HOST_LOAD_DIAGNOSIS_H
