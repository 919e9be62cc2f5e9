// instances: two clients of the module side by side, as the service hosts
// two waves of one module: they share the module's statics. Both are loaded
// and commanded in turn, each answer made during a command must reach the
// client commanded (the host stamps it with that client's object id), then
// the first is destroyed while a thread still commands the second, which
// must go on working until it is destroyed in turn. Catches a module that
// keeps its object, or the handle it answers through, in a static: the
// second client takes the first one's answers, or the first one's destroy
// leaves the second with a dangling pointer.
#ifndef OXA_HOST_INSTANCES_CHECK_H
#define OXA_HOST_INSTANCES_CHECK_H

#include <string>
#include <vector>

#include "Check.h"
#include "HostedModule.h"
#include "MagicProbe.h"

namespace oxahost {

class InstancesCheck : public Check {
public:
    const char* name() const override { return "instances"; }
    const char* description() const override {
        return "two clients of the module side by side keep their answers and lives apart";
    }
    CheckOutcome run(const CheckContext& context) override;

private:
    // The calls both clients get, one client after the other for each.
    static void commandBoth(HostedModule& first, HostedModule& second, const MagicProbe& probe);
    // The first client's "deactivate" and destroy, while a thread of the
    // check commands the second; the number of commands it sent meanwhile.
    static long destroyWhileCommanding(HostedModule& destroyed, HostedModule& commanded);
    static void reportMisrouted(AnswerLog& answers, CheckOutcome* outcome);
};

}  // namespace oxahost

#endif  // OXA_HOST_INSTANCES_CHECK_H
