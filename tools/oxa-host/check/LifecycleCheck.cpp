#include "LifecycleCheck.h"

#include <set>
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
#include "SanitizerBuild.h"
#include "StderrCapture.h"

#if OXA_HOST_ADDRESS_SANITIZER
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

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Libraries that came with the module and went with it: loaded while it
// was, neither before nor after.
std::vector<std::string> cycledLibraries(const std::set<std::string>& before,
                                         const std::set<std::string>& withModule,
                                         const std::set<std::string>& after,
                                         const std::string& moduleFile) {
    std::vector<std::string> cycled;
    for (const std::string& path : withModule) {
        if (before.count(path) != 0 || after.count(path) != 0) continue;
        if (baseName(path) == moduleFile) continue;
        cycled.push_back(path);
    }
    return cycled;
}

// Why the process grows although the module frees what it allocates: a
// library it pulled in is loaded and unloaded with it every cycle, and
// leaves something behind each time (libjack: a thread-specific key, until
// the process has none left).
std::string cycledLibrariesCause(const std::vector<std::string>& cycled) {
    if (cycled.empty()) return "";
    std::string names;
    bool jack = false;
    for (const std::string& path : cycled) {
        names += (names.empty() ? "" : ", ") + baseName(path);
        jack |= baseName(path).compare(0, 7, "libjack") == 0;
    }
    std::string text = names + (cycled.size() > 1 ? " are" : " is") +
                       " loaded with the module and unloaded with it in every cycle, and may not "
                       "unload cleanly: keep " +
                       (cycled.size() > 1 ? "them" : "it") + " loaded for the life of the process";
    if (jack) text += "; for libjack, the kit's ovik_wave_link_jack(<target>) in CMake does that";
    text += "; for any library, open it once with dlopen(path, RTLD_NOW | RTLD_NODELETE)";
    return text;
}

void cycles(HostedModule& module, CallClock& clock, const std::string& moduleFile,
            CheckOutcome* outcome) {
    // A library that fails on every load may print thousands of lines.
    StderrCapture printed;
    const std::map<int, std::string> filesBefore = ProcessProbe::openFiles();
    const std::set<std::string> librariesBefore = ProcessProbe::loadedLibraries();
    std::string cycledCause;
    long heapAfterWarmUp = 0;
    long residentAfterWarmUp = 0;
    for (int cycle = 0; cycle < LifecycleCheck::kCycles; ++cycle) {
        if (cycle % 100 == 0) ChildChannel::step("create/destroy cycle " + std::to_string(cycle));
        if (!module.load()) {
            outcome->fail("cycle " + std::to_string(cycle) + ": the host does not load the module");
            return;
        }
        if (cycle == 0) {
            const std::set<std::string> withModule = ProcessProbe::loadedLibraries();
            module.destroy();
            cycledCause = cycledLibrariesCause(cycledLibraries(
                librariesBefore, withModule, ProcessProbe::loadedLibraries(), moduleFile));
            // A library unloaded under code still using it may crash a
            // later cycle rather than leak.
            if (!cycledCause.empty()) ChildChannel::causeIfItEnds(cycledCause);
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
    const std::string printedLines = printed.release();
    if (!printedLines.empty()) outcome->note(printedLines);
    const std::string cause = cycledCause.empty() ? "" : "\n" + cycledCause;
    if (keptCount > 0) {
        outcome->fail(std::to_string(keptCount) + " file descriptors left open after " +
                      std::to_string(LifecycleCheck::kCycles) + " cycles: " + kept + cause);
    }
#if OXA_HOST_ADDRESS_SANITIZER
    (void)heapAfterWarmUp;
    (void)residentAfterWarmUp;
    ChildChannel::step("LeakSanitizer");
    if (__lsan_do_recoverable_leak_check() != 0) {
        outcome->fail("LeakSanitizer found leaks after " + std::to_string(LifecycleCheck::kCycles) +
                      " cycles (its report is on the standard error)" + cause);
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
                      std::to_string(growth / measured) + " bytes a cycle; " + residentText + ")" +
                      cause);
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
    cycles(hosted.module, hosted.clock, context.moduleFile, &outcome);
    return outcome;
}

}  // namespace oxahost
