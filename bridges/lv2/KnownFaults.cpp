#include "KnownFaults.h"

namespace wavelv2 {

namespace {

struct Fault {
    const char* uri;
    const char* why;
};

// Found by running every plugin of the packages the bridge is tested with
// under AddressSanitizer.
const Fault kFaults[] = {
    {"http://plugin.org.uk/swh-plugins/hermesFilter",
     "its cleanup frees memory it never allocated, which corrupts the process's heap"},
};

}  // namespace

const char* knownFault(const std::string& uri) {
    for (const Fault& fault : kFaults) {
        if (uri == fault.uri) return fault.why;
    }
    return nullptr;
}

}  // namespace wavelv2
