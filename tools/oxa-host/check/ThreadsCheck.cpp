#include "ThreadsCheck.h"

#include <chrono>
#include <string>
#include <vector>

#include "AnswerLog.h"
#include "CallClock.h"
#include "ChildChannel.h"
#include "HostedCheck.h"
#include "HostedModule.h"
#include "MagicProbe.h"
#include "ModuleSession.h"
#include "ThreadLedger.h"

namespace oxahost {

CheckOutcome ThreadsCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    ThreadLedger ledger;
    HostedCheck hosted(context);
    if (!hosted.probe.runFor(context, &outcome)) return outcome;
    const bool ran = ModuleSession::run(hosted.module, hosted.probe, &outcome,
                                        [&ledger](const std::string& step) {
                                            ChildChannel::step(step);
                                            ledger.observe(step);
                                        });
    if (!ran) return outcome;
    ledger.destroyed();

    ChildChannel::step("waiting for the module's threads to end");
    const std::vector<ThreadLedger::Thread> left =
        ledger.stillRunning(std::chrono::milliseconds(kGraceMs));
    if (!left.empty()) {
        outcome.fail(ThreadLedger::report(left, "threads still run after destroy"));
    } else {
        outcome.note("no thread of the module outlives its destruction");
    }
    return outcome;
}

}  // namespace oxahost
