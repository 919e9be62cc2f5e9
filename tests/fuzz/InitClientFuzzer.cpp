// The three fields of "init_client:": the first ":" ends the module name, the
// next one the file name, and the rest is the directory; a missing field
// takes the value of the one before. The client shows which paths it tried
// in its "try to dlopen" lines.
#include <string>
#include <vector>

#include "FuzzClient.h"
#include "LogCapture.h"
#include "OXAClient.h"

namespace {

struct Fields {
    std::string name, file, directory;
};

Fields referenceSplit(const std::string& text) {
    Fields fields;
    const size_t first = text.find(':');
    fields.name = text.substr(0, first);
    const std::string rest = first == std::string::npos ? text : text.substr(first + 1);
    const size_t second = rest.find(':');
    fields.file = rest.substr(0, second);
    fields.directory = second == std::string::npos ? rest : rest.substr(second + 1);
    return fields;
}

// Paths into device and kernel files could block or act when opened.
bool reachesSpecialFiles(const std::string& text) {
    for (const char* part : {"dev", "proc", "sys"}) {
        if (text.find(part) != std::string::npos) return true;
    }
    return false;
}

// liblog cuts a line at about 4 KiB, so a long path is checked up to the cut.
bool sameLoggedPath(const std::string& logged, const std::string& expected) {
    if (logged.size() >= 1000 && logged.size() < expected.size()) {
        return expected.compare(0, logged.size(), logged) == 0;
    }
    return logged == expected;
}

std::vector<std::string> triedPaths() {
    std::vector<std::string> paths;
    const std::string prefix = "try to dlopen ";
    for (const LogLine& line : LogCapture::linesWithTag(kHostTag)) {
        if (line.message.compare(0, prefix.size(), prefix) == 0) {
            paths.push_back(line.message.substr(prefix.size()));
        }
    }
    return paths;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzz::textOf(data, size);
    if (reachesSpecialFiles(text)) return 0;
    LogCapture::install();
    LogCapture::clear();
    // A fresh client every time: a load that succeeded would refuse the next.
    std::shared_ptr<android::OXAClient> client =
        android::OXAClient::createInstance("fuzz_1", "fuzz", 0);
    client->sendCommand(("fuzz_1!init_client:" + text).c_str());

    const Fields fields = referenceSplit(text);
    const std::vector<std::string> paths = triedPaths();
    if (paths.empty() || !sameLoggedPath(paths[0], fields.directory + "/" + fields.file)) {
        fuzz::fail("first path for \"" + text + "\": " + (paths.empty() ? "none" : paths[0]));
    }
    if (paths.size() > 1 &&
        !sameLoggedPath(paths[1], fields.directory + "/libwave_" + fields.name + ".so")) {
        fuzz::fail("fallback path for \"" + text + "\": " + paths[1]);
    }
    return 0;
}
