#include "LifecycleCheck.h"

#include <string>
#include <vector>

#include "AnswerLog.h"
#include "CallClock.h"
#include "ChildChannel.h"
#include "HostedCheck.h"
#include "HostedModule.h"
#include "LogTap.h"
#include "MagicProbe.h"
#include "ProcessProbe.h"

#if defined(__SANITIZE_ADDRESS__)
#define OXA_HOST_HAS_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OXA_HOST_HAS_LSAN 1
#endif
#endif
#ifdef OXA_HOST_HAS_LSAN
#include <sanitizer/lsan_interface.h>
#endif

namespace oxahost {

namespace {

// Cycles before the heap is first measured: allocator and loader caches
// settle in them.
const int kWarmUpCycles = 100;
// Growth of the heap in use over the measured cycles that counts as a leak:
// 64 bytes a cycle (the host itself leaves about 1 KiB in all).
const long kLeakBytesPerCycle = 64;

// Orders the host accepts in any state; their results do not matter, only
// that the module survives them.
const std::vector<std::vector<std::string>> kOutOfOrder = {
    {},
    {"activate", "deactivate"},
    {"start_client", "activate"},
    {"start_client", "tear_down", "tear_down", "activate", "deactivate"},
    {"start_client", "start_client", "deactivate", "activate", "activate", "tear_down"},
    {"tear_down", "start_client", "deactivate", "deactivate"},
};

void inOrder(HostedModule& module, bool hasJackClient, CheckOutcome* outcome) {
    if (!module.load()) {
        outcome->fail("the host does not load the module");
        return;
    }
    const int started = module.command("start_client");
    if (!hasJackClient) {
        outcome->note("no JACK client: the JACK steps in order were left out");
    } else if (started != 0) {
        outcome->fail("start_client in order returned " + std::to_string(started));
    } else {
        for (const char* step : {"activate", "deactivate", "tear_down"}) {
            const int result = module.command(step);
            if (result != 0) {
                outcome->fail(std::string(step) + " in order returned " + std::to_string(result));
            }
        }
    }
    module.destroy();
}

void cycles(HostedModule& module, CallClock& clock, CheckOutcome* outcome) {
    const std::map<int, std::string> filesBefore = ProcessProbe::openFiles();
    long heapAfterWarmUp = 0;
    long residentAfterWarmUp = 0;
    for (int cycle = 0; cycle < LifecycleCheck::kCycles; ++cycle) {
        if (cycle % 100 == 0) ChildChannel::step("create/destroy cycle " + std::to_string(cycle));
        if (!module.load()) {
            outcome->fail("cycle " + std::to_string(cycle) + ": the host does not load the module");
            return;
        }
        module.destroy();
        // Only what the module keeps may grow the heap.
        clock.clear();
        if (cycle + 1 == kWarmUpCycles) {
            heapAfterWarmUp = ProcessProbe::heapBytes();
            residentAfterWarmUp = ProcessProbe::residentBytes();
        }
    }
    std::string kept;
    int keptCount = 0;
    for (const auto& file : ProcessProbe::openFiles()) {
        auto before = filesBefore.find(file.first);
        if (before != filesBefore.end() && before->second == file.second) continue;
        if (keptCount++ < 3) kept += (kept.empty() ? "" : ", ") + file.second;
    }
    if (keptCount > 0) {
        outcome->fail(std::to_string(keptCount) + " file descriptors left open after " +
                      std::to_string(LifecycleCheck::kCycles) + " cycles: " + kept);
    }
#ifdef OXA_HOST_HAS_LSAN
    (void)heapAfterWarmUp;
    (void)residentAfterWarmUp;
    ChildChannel::step("LeakSanitizer");
    if (__lsan_do_recoverable_leak_check() != 0) {
        outcome->fail("LeakSanitizer found leaks after " + std::to_string(LifecycleCheck::kCycles) +
                      " cycles (its report is on the standard error)");
    } else {
        outcome->note("LeakSanitizer found no leak in " + std::to_string(LifecycleCheck::kCycles) +
                      " cycles");
    }
#else
    const long growth = ProcessProbe::heapBytes() - heapAfterWarmUp;
    const long resident = ProcessProbe::residentBytes() - residentAfterWarmUp;
    const int measured = LifecycleCheck::kCycles - kWarmUpCycles;
    const std::string residentText = "resident memory " + std::string(resident >= 0 ? "+" : "") +
                                     std::to_string(resident / 1024) + " KiB";
    if (growth > kLeakBytesPerCycle * measured) {
        outcome->fail("the heap in use grew by " + std::to_string(growth / 1024) + " KiB in " +
                      std::to_string(measured) + " create/destroy cycles (" +
                      std::to_string(growth / measured) + " bytes a cycle; " + residentText + ")");
    } else {
        outcome->note("heap in use " + std::string(growth >= 0 ? "+" : "") +
                      std::to_string(growth / 1024) + " KiB, " + residentText + " over " +
                      std::to_string(measured) + " cycles");
    }
#endif
}

}  // namespace

CheckOutcome LifecycleCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    HostedCheck hosted(context);
    if (!hosted.probe.runFor(context, &outcome)) return outcome;
    inOrder(hosted.module, hosted.probe.jackClient.present, &outcome);
    if (outcome.verdict() >= Verdict::kFail) return outcome;
    for (const std::vector<std::string>& order : kOutOfOrder) {
        if (!hosted.module.load()) {
            outcome.fail("the host does not load the module again");
            return outcome;
        }
        for (const std::string& step : order) hosted.module.command(step);
        hosted.module.destroy();
    }
    const std::vector<std::string> thrown = LogTap::errorsContaining(" threw: ");
    if (!thrown.empty()) {
        outcome.fail(std::to_string(thrown.size()) + " calls threw, the first: " + thrown[0]);
    }
    outcome.note("in order and " + std::to_string(kOutOfOrder.size()) + " orders out of order");
    cycles(hosted.module, hosted.clock, &outcome);
    return outcome;
}

}  // namespace oxahost
