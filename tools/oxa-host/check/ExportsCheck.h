// exports: the entry points the host looks up are exported as functions, and
// nothing else is. Another export is a WARN: two modules loaded into one
// process can bind to each other's symbols of the same name.
#ifndef OXA_HOST_EXPORTS_CHECK_H
#define OXA_HOST_EXPORTS_CHECK_H

#include "Check.h"

namespace oxahost {

class ExportsCheck : public Check {
public:
    const char* name() const override { return "exports"; }
    const char* description() const override {
        return "the entry points the host looks up are exported, and nothing else";
    }
    Needs needs() const override { return kFile; }
    int failureRulesOut() const override { return kLoadedModule; }
    CheckOutcome run(const CheckContext& context) override;
};

}  // namespace oxahost

#endif  // OXA_HOST_EXPORTS_CHECK_H
