// api-level: oxa_get_api_level answers a level the host accepts. The host
// refuses levels of 5 and more (it implements level 4); it accepts 0 and
// below, which no module means to declare, so those are a WARN.
#ifndef OXA_HOST_API_LEVEL_CHECK_H
#define OXA_HOST_API_LEVEL_CHECK_H

#include "Check.h"

namespace oxahost {

class ApiLevelCheck : public Check {
public:
    const char* name() const override { return "api-level"; }
    const char* description() const override {
        return "oxa_get_api_level answers a level the host accepts";
    }
    Needs needs() const override { return kOpenLibrary; }
    int failureRulesOut() const override { return kLoadedModule; }
    CheckOutcome run(const CheckContext& context) override;
};

}  // namespace oxahost

#endif  // OXA_HOST_API_LEVEL_CHECK_H
