#include "RealtimeCheck.h"

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ChildChannel.h"
#include "DummyJackServer.h"
#include "HostedCheck.h"
#include "RealtimeProbe.h"

namespace oxahost {

namespace {

void notRun(CheckOutcome* outcome, const std::string& why) {
    outcome->warn("not run: " + why);
}

}  // namespace

CheckOutcome RealtimeCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    if (!RealtimeProbe::available()) {
        notRun(&outcome,
               "this oxa-host is built with a sanitizer, which owns the calls it watches");
        return outcome;
    }
    std::string why;
    const std::string jackd = DummyJackServer::findJackd(&why);
    if (jackd.empty()) {
        notRun(&outcome, why);
        return outcome;
    }
    ChildChannel::step("starting a JACK server with the dummy driver");
    DummyJackServer server("oxa-check-" + std::to_string(getpid()), kPeriodFrames, kSampleRate);
    if (!server.start(jackd, kServerPatienceMs, &why)) {
        notRun(&outcome, why);
        return outcome;
    }

    HostedCheck hosted(context);
    if (!hosted.probe.runFor(context, &outcome)) return outcome;
    ChildChannel::step("loading the module");
    if (!hosted.module.load()) {
        notRun(&outcome, "the host does not load the module");
        return outcome;
    }
    // The module's own commands set it up first (a plugin host loads its
    // plugin): what the process callback then runs is what they chose.
    for (const std::string& own : hosted.module.ownCommands()) {
        ChildChannel::step(own);
        hosted.module.command(own);
    }
    RealtimeProbe::arm(context.moduleFile);
    ChildChannel::step("start_client jack");
    hosted.module.command("start_client jack");
    ChildChannel::step("activate");
    RealtimeProbe::watchNewJackThreads(true);
    const int activated = hosted.module.command("activate");
    RealtimeProbe::watchNewJackThreads(false);
    ChildChannel::step("running process cycles");
    std::this_thread::sleep_for(
        std::chrono::microseconds(1000000LL * kCycles * kPeriodFrames / kSampleRate));
    ChildChannel::step("deactivate");
    hosted.module.command("deactivate");
    hosted.module.command("tear_down");
    RealtimeProbe::disarm();
    ChildChannel::step("destroying the module");
    hosted.module.destroy();

    const std::vector<RealtimeProbe::Report> reports = RealtimeProbe::reports();
    for (const RealtimeProbe::Report& report : reports) {
        outcome.fail(report.call + " on the JACK process thread, from the module:\n" +
                     report.backtrace);
    }
    if (RealtimeProbe::watchedThreads() == 0) {
        notRun(&outcome, std::string("the module started no JACK client thread on \"activate\"") +
                             (activated != 0 ? " (it failed)" : "") +
                             " after \"start_client jack\" with a JACK server running");
    } else if (reports.empty()) {
        outcome.note("about " + std::to_string(kCycles) +
                     " process cycles: no answer, allocation, waiting lock or blocking call on "
                     "the module's JACK thread");
    }
    return outcome;
}

}  // namespace oxahost
