#include "ThreadsCheck.h"

#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "AnswerLog.h"
#include "CallClock.h"
#include "ChildChannel.h"
#include "HostedCheck.h"
#include "HostedModule.h"
#include "MagicProbe.h"
#include "ModuleSession.h"
#include "ProcessProbe.h"

namespace oxahost {

namespace {

std::map<int, std::string> newThreads(const std::map<int, std::string>& before) {
    std::map<int, std::string> added;
    for (const auto& thread : ProcessProbe::threads()) {
        if (before.count(thread.first) == 0) added.insert(thread);
    }
    return added;
}

}  // namespace

CheckOutcome ThreadsCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    ProcessProbe::startRuntimeThreads();
    const std::map<int, std::string> before = ProcessProbe::threads();
    HostedCheck hosted(context);
    if (!hosted.probe.runFor(context, &outcome)) return outcome;
    if (!ModuleSession::run(hosted.module, hosted.probe, &outcome)) return outcome;

    ChildChannel::step("waiting for the module's threads to end");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGraceMs);
    std::map<int, std::string> left = newThreads(before);
    while (!left.empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        left = newThreads(before);
    }
    if (!left.empty()) {
        std::string names;
        for (const auto& thread : left) {
            names += (names.empty() ? "" : ", ") + std::string("\"") + thread.second + "\" (tid " +
                     std::to_string(thread.first) + ")";
        }
        outcome.fail(std::to_string(left.size()) + " threads still run after destroy: " + names);
    } else {
        outcome.note("no thread of the module outlives its destruction");
    }
    return outcome;
}

}  // namespace oxahost
