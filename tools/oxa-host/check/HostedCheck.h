// What every check that hosts the module through the library starts from:
// the magic probe (run first, so the host keeps away from version-2 slots
// that may be missing) and the hosted module, whose answers are logged and
// whose calls are timed.
//
//   HostedCheck hosted(context);
//   if (!hosted.probe.runFor(context, &outcome)) return outcome;
//   if (!ModuleSession::run(hosted.module, hosted.probe, &outcome)) return outcome;
#ifndef OXA_HOST_HOSTED_CHECK_H
#define OXA_HOST_HOSTED_CHECK_H

#include "AnswerLog.h"
#include "CallClock.h"
#include "CheckContext.h"
#include "HostedModule.h"
#include "MagicProbe.h"

namespace oxahost {

struct HostedCheck {
    explicit HostedCheck(const CheckContext& context) : module(context, answers, clock) {}

    HostedCheck(const HostedCheck&) = delete;
    HostedCheck& operator=(const HostedCheck&) = delete;

    MagicProbe probe;
    AnswerLog answers;
    CallClock clock;
    // Declared last: it refers to the log and the clock, and goes first.
    HostedModule module;
};

}  // namespace oxahost

#endif  // OXA_HOST_HOSTED_CHECK_H
