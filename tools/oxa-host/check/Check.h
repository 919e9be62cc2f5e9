// One rule of the module validator. Each check runs in a child process of
// its own, so it may load the module, crash with it or leave it in any state.
#ifndef OXA_HOST_CHECK_H
#define OXA_HOST_CHECK_H

#include "CheckContext.h"
#include "CheckOutcome.h"

namespace oxahost {

class Check {
public:
    virtual ~Check() {}
    // The name used on the command line (--only, --skip) and in the report.
    virtual const char* name() const = 0;
    // One line on what it checks, for "oxa-host check --list".
    virtual const char* description() const = 0;
    // What a check needs: the file only, the library opened, or the module
    // loaded by the host (its object created and initialised).
    enum Needs { kFile = 0, kOpenLibrary = 1, kLoadedModule = 2 };
    virtual Needs needs() const { return kLoadedModule; }
    // The least that this check rules out when it finds that the host
    // refuses the module (CheckOutcome::refuse), crashes or hangs: the checks
    // that need that much or more are not run after it. kNone for a check
    // that rules out nothing.
    static constexpr int kNone = 3;
    virtual int failureRulesOut() const { return kNone; }
    virtual CheckOutcome run(const CheckContext& context) = 0;
};

}  // namespace oxahost

#endif  // OXA_HOST_CHECK_H
