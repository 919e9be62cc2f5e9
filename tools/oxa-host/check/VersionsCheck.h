// versions: the optional version functions answer, they are the module's own
// (dlsym on a module also finds the host library's functions of the same
// names, so a module without them reports the host's version), and a version
// string agrees with the three numbers.
#ifndef OXA_HOST_VERSIONS_CHECK_H
#define OXA_HOST_VERSIONS_CHECK_H

#include "Check.h"

namespace oxahost {

class VersionsCheck : public Check {
public:
    const char* name() const override { return "versions"; }
    const char* description() const override {
        return "the version functions are the module's own and agree with each other";
    }
    Needs needs() const override { return kOpenLibrary; }
    CheckOutcome run(const CheckContext& context) override;
};

}  // namespace oxahost

#endif  // OXA_HOST_VERSIONS_CHECK_H
