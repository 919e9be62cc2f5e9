#include "TimeCheck.h"

#include <stdio.h>

#include <string>

#include "AnswerLog.h"
#include "CallClock.h"
#include "HostedCheck.h"
#include "HostedModule.h"
#include "LogTap.h"
#include "MagicProbe.h"
#include "ModuleSession.h"

namespace oxahost {

namespace {

std::string seconds(double value) {
    char text[32];
    snprintf(text, sizeof(text), "%.3f s", value);
    return text;
}

}  // namespace

CheckOutcome TimeCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    HostedCheck hosted(context);
    if (!hosted.probe.runFor(context, &outcome)) return outcome;
    if (!ModuleSession::run(hosted.module, hosted.probe, &outcome)) return outcome;

    const CallClock::Call* slowest = nullptr;
    const CallClock::Call* busiest = nullptr;
    for (const CallClock::Call& call : hosted.clock.calls()) {
        if (call.cpuSeconds > kCpuFailSeconds) {
            outcome.fail(call.label + " used " + seconds(call.cpuSeconds) +
                         " of processor time, over the host's 5-second watch");
        } else if (call.wallSeconds > kWallWarnSeconds) {
            outcome.warn(call.label + " took " + seconds(call.wallSeconds) + " of wall time");
        }
        if (slowest == nullptr || call.wallSeconds > slowest->wallSeconds) slowest = &call;
        if (busiest == nullptr || call.cpuSeconds > busiest->cpuSeconds) busiest = &call;
    }
    for (const std::string& line : LogTap::errorsContaining("tooks long time")) {
        outcome.fail("the host's watch: " + line);
    }
    if (slowest != nullptr) {
        outcome.note(std::to_string(hosted.clock.calls().size()) + " calls; the slowest " +
                     slowest->label + " " + seconds(slowest->wallSeconds) + " wall, the busiest " +
                     busiest->label + " " + seconds(busiest->cpuSeconds) + " processor time");
    }
    return outcome;
}

}  // namespace oxahost
