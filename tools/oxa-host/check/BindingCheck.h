// binding: the library opens with immediate binding, as the host opens it,
// and leaves no symbol undefined that the host process does not provide. A
// weak reference that nothing provides resolves to null and crashes the
// first call through it.
#ifndef OXA_HOST_BINDING_CHECK_H
#define OXA_HOST_BINDING_CHECK_H

#include "Check.h"

namespace oxahost {

class BindingCheck : public Check {
public:
    const char* name() const override { return "binding"; }
    const char* description() const override {
        return "the library opens with immediate binding and leaves no symbol undefined";
    }
    Needs needs() const override { return kFile; }
    int failureRulesOut() const override { return kOpenLibrary; }
    CheckOutcome run(const CheckContext& context) override;
};

}  // namespace oxahost

#endif  // OXA_HOST_BINDING_CHECK_H
