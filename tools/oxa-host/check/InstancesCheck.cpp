#include "InstancesCheck.h"

#include <atomic>
#include <thread>

#include "AnswerLog.h"
#include "CallClock.h"
#include "ChildChannel.h"

namespace oxahost {

namespace {

// The calls a client gets in one state, the module's own commands last.
std::vector<std::string> commandsOf(const HostedModule& module, const MagicProbe& probe) {
    std::vector<std::string> commands = {"start_client", "activate", "enable_sync", "disable_sync",
                                         "midi:90 40 7f"};
    if (!probe.jackClient.claimUnsafe()) {
        commands.push_back("setbypassenabledtrue");
        commands.push_back("setbypassenabledfalse");
    }
    commands.insert(commands.end(), module.ownCommands().begin(), module.ownCommands().end());
    return commands;
}

}  // namespace

void InstancesCheck::commandBoth(HostedModule& first, HostedModule& second,
                                 const MagicProbe& probe) {
    for (const std::string& command : commandsOf(first, probe)) {
        ChildChannel::step("both clients: " + command);
        first.command(command);
        second.command(command);
    }
    first.request("", 0, 4096);
    second.request("", 0, 4096);
}

long InstancesCheck::destroyWhileCommanding(HostedModule& destroyed, HostedModule& commanded) {
    std::atomic<bool> destroying(true);
    std::atomic<long> sent(0);
    // At least one round, however quickly the destroy returns.
    std::thread commander([&] {
        do {
            commanded.command("midi:90 40 7f");
            for (const std::string& own : commanded.ownCommands()) commanded.command(own);
            commanded.request("", 0, 4096);
            sent += 2 + static_cast<long>(commanded.ownCommands().size());
        } while (destroying);
    });
    ChildChannel::step("destroying the first client while the second is commanded");
    destroyed.command("deactivate");
    destroyed.destroy();
    destroying = false;
    commander.join();
    return sent;
}

void InstancesCheck::reportMisrouted(AnswerLog& answers, CheckOutcome* outcome) {
    const std::vector<AnswerLog::Misrouted> misrouted = answers.misrouted();
    if (misrouted.empty()) return;
    const AnswerLog::Misrouted& first = misrouted[0];
    const long count = answers.misroutedCount();
    outcome->fail(std::to_string(count) + (count == 1 ? " answer" : " answers") +
                  " made while one client was commanded, on the commanding thread, "
                  "went to the other client (the first: " +
                  (first.text.empty() ? std::string("a block") : "\"" + first.text + "\"") +
                  " made for client " + std::to_string(first.expected) + ", delivered to client " +
                  std::to_string(first.got) +
                  "): the module answers through something its objects share, a static or "
                  "OXAClientUser::getInstance(), which points at the client loaded last; answer "
                  "through the object's own response()");
}

CheckOutcome InstancesCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    MagicProbe probe;
    if (!probe.runFor(context, &outcome)) return outcome;
    AnswerLog answers;
    CallClock clock;
    HostedModule first(context, answers, clock, "check_1");
    HostedModule second(context, answers, clock, "check_2");
    ChildChannel::step("loading two clients");
    if (!first.load()) {
        outcome.fail("the host does not load the module");
        return outcome;
    }
    if (!second.load()) {
        outcome.fail("the host does not load the module a second time while the first lives");
        return outcome;
    }
    commandBoth(first, second, probe);
    const long sent = destroyWhileCommanding(first, second);
    ChildChannel::step("the second client alone");
    second.command("midi:90 40 7f");
    for (const std::string& own : second.ownCommands()) second.command(own);
    second.command("deactivate");
    second.command("tear_down");
    second.destroy();
    reportMisrouted(answers, &outcome);
    outcome.note("two clients side by side, " + std::to_string(answers.total()) +
                 " answers; the second got " + std::to_string(sent) +
                 " calls while the first was destroyed");
    return outcome;
}

}  // namespace oxahost
