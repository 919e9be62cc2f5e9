#include "ConcurrencyCheck.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "ChildChannel.h"
#include "HostedCheck.h"
#include "LogTap.h"
#include "OXAClient.h"

namespace oxahost {

// The module hosted for the check, and what the commands sent from inside
// its answers leave behind. Left alive when one of them hangs.
struct ConcurrencyCheck::Hosting {
    explicit Hosting(const CheckContext& context) : hosted(context), listener(hosted.answers) {}

    // The command sent from inside an answer that is under way.
    void setReentrantStep(const std::string& step) {
        std::lock_guard<std::mutex> lock(stepLock);
        reentrantStep = step;
    }
    std::string reentrantStepNow() {
        std::lock_guard<std::mutex> lock(stepLock);
        return reentrantStep;
    }
    // The command whose answer is awaited to send commands from inside it.
    void setTrigger(const std::string& command) {
        std::lock_guard<std::mutex> lock(stepLock);
        trigger = command;
    }
    std::string triggerNow() {
        std::lock_guard<std::mutex> lock(stepLock);
        return trigger;
    }

    HostedCheck hosted;
    ReentrantListener listener;
    std::mutex stepLock;
    std::string reentrantStep;
    std::string trigger;
    // The first exception of "deactivate" sent from inside an answer.
    std::string deactivateThrew;
};

namespace {

std::string seconds(int ms) {
    return std::to_string(ms / 1000) +
           (ms % 1000 != 0 ? "." + std::to_string(ms % 1000 / 100) : "") + " s";
}

// Runs `body` on a thread of its own; false when it has not returned within
// `ms` milliseconds, in which case that thread is left where it hangs.
bool finishesWithin(int ms, std::function<void()> body) {
    struct Done {
        std::mutex lock;
        std::condition_variable changed;
        bool done = false;
    };
    std::shared_ptr<Done> done = std::make_shared<Done>();
    std::thread([done, body] {
        body();
        std::lock_guard<std::mutex> lock(done->lock);
        done->done = true;
        done->changed.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(done->lock);
    return done->changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return done->done; });
}

}  // namespace

void ConcurrencyCheck::commandFromTwoThreads(HostedModule& module, const MagicProbe& probe) {
    ChildChannel::step("two threads commanding the client at once");
    const bool bypass = !probe.jackClient.claimUnsafe();
    auto commander = [&module, bypass](bool sync) {
        module.command(sync ? "enable_sync" : "disable_sync");
        for (int round = 0; round < kRounds; ++round) {
            module.command("midi:90 40 7f");
            for (const std::string& own : module.ownCommands()) module.command(own);
            if (bypass) {
                module.command(round % 2 == 0 ? "setbypassenabledtrue" : "setbypassenabledfalse");
                module.jackName();
            }
            module.request("", 0, 4096);
        }
    };
    std::thread first(commander, true);
    std::thread second(commander, false);
    first.join();
    second.join();
}

void ConcurrencyCheck::reenter(Hosting& hosting, bool reactivate) {
    HostedModule& module = hosting.hosted.module;
    std::vector<std::string> commands = {"midi:90 40 7f"};
    commands.insert(commands.end(), module.ownCommands().begin(), module.ownCommands().end());
    commands.push_back("deactivate");
    if (reactivate) commands.push_back("activate");
    for (const std::string& command : commands) {
        hosting.setReentrantStep(command);
        const size_t thrownBefore = LogTap::errorsContaining(" threw: ").size();
        module.command(command);
        const std::vector<std::string> thrown = LogTap::errorsContaining(" threw: ");
        if (command == "deactivate" && thrown.size() > thrownBefore &&
            hosting.deactivateThrew.empty()) {
            hosting.deactivateThrew = thrown.back();
        }
    }
    hosting.setReentrantStep("");
}

bool ConcurrencyCheck::reenterOnCommandingThread(Hosting& hosting, CheckOutcome* outcome) {
    ChildChannel::step("commands from inside an answer on the commanding thread");
    HostedModule& module = hosting.hosted.module;
    hosting.listener.arm(ReentrantListener::kCommandingThread,
                         [&hosting] { reenter(hosting, true); });
    std::vector<std::string> triggers = {"enable_sync", "disable_sync", "midi:90 40 7f"};
    if (!hosting.hosted.probe.jackClient.claimUnsafe()) {
        triggers.push_back("setbypassenabledtrue");
        triggers.push_back("setbypassenabledfalse");
    }
    triggers.insert(triggers.end(), module.ownCommands().begin(), module.ownCommands().end());
    triggers.push_back("deactivate");
    triggers.push_back("activate");
    // Each on a thread that may outlive this call, with its own copy of
    // the command; the deadline leaves room for the commands sent from
    // inside its answer.
    bool returned = true;
    for (const std::string& command : triggers) {
        hosting.setTrigger(command);
        returned =
            finishesWithin(kReentryDeadlineMs * 2, [&module, command] { module.command(command); });
        if (!returned || hosting.listener.waitStarted(0)) break;
    }
    const std::string trigger = hosting.triggerNow();
    if (!returned) {
        const std::string step = hosting.listener.waitStarted(0) ? hosting.reentrantStepNow() : "";
        outcome->fail("\"" + trigger + "\" did not return within " +
                      seconds(kReentryDeadlineMs * 2) +
                      (step.empty() ? std::string()
                                    : ": \"" + step +
                                          "\" was sent from inside the answer made "
                                          "during it, on the same thread; the module "
                                          "waits there for something that thread "
                                          "holds (a lock taken around response())"));
        return false;
    }
    if (!hosting.listener.disarm() && !hosting.deactivateThrew.empty()) {
        outcome->fail("\"deactivate\" sent from inside an answer made during \"" + trigger +
                      "\", on the commanding thread, threw: " + hosting.deactivateThrew);
        hosting.deactivateThrew.clear();
    } else if (hosting.listener.waitStarted(0)) {
        outcome->note("from inside an answer made during \"" + trigger +
                      "\", on the commanding thread: MIDI, own commands, \"deactivate\" and "
                      "\"activate\" returned");
    } else {
        outcome->note(
            "no answer was made during a command: commands from inside one on the "
            "commanding thread not tried");
    }
    return true;
}

bool ConcurrencyCheck::reenterOnModuleThread(Hosting& hosting, CheckOutcome* outcome) {
    ChildChannel::step("commands from inside an answer on a thread of the module's own");
    HostedModule& module = hosting.hosted.module;
    module.command("deactivate");
    hosting.listener.arm(ReentrantListener::kModuleThread, [&hosting] { reenter(hosting, false); });
    module.command("activate");
    if (!hosting.listener.waitStarted(kThreadAnswerMs) && hosting.listener.disarm()) {
        outcome->note("no answer came from a thread of the module's own within " +
                      seconds(kThreadAnswerMs) +
                      " of \"activate\": commands from inside one not tried");
        return true;
    }
    if (!hosting.listener.waitReturned(kReentryDeadlineMs)) {
        const std::string step = hosting.reentrantStepNow();
        outcome->fail("\"" + step + "\" sent from inside the module's answer on its own thread " +
                      "did not return within " + seconds(kReentryDeadlineMs) +
                      (step == "deactivate"
                           ? ": the module waits for (joins) the thread that is answering; when "
                             "deactivate() runs on that thread, let it ask the thread to end "
                             "and not wait for it"
                           : ": the module waits there for its own answering thread"));
        return false;
    }
    if (!hosting.deactivateThrew.empty()) {
        outcome->fail(
            "\"deactivate\" sent from inside the module's answer on its own thread "
            "threw (the module joins the thread that is answering: "
            "std::thread::join() on itself throws resource_deadlock_would_occur): " +
            hosting.deactivateThrew);
    } else {
        outcome->note(
            "from inside an answer on the module's own thread: MIDI, own commands "
            "and \"deactivate\" returned");
    }
    return true;
}

CheckOutcome ConcurrencyCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    // Released, never destroyed, when a command hangs in the module: the
    // check's process ends without running any destructor then.
    std::unique_ptr<Hosting> hosting(new Hosting(context));
    HostedModule& module = hosting->hosted.module;
    if (!hosting->hosted.probe.runFor(context, &outcome)) return outcome;
    if (!module.load()) {
        outcome.fail("the host does not load the module");
        return outcome;
    }
    android::OXAClient::setListener(&hosting->listener);
    module.command("start_client");
    module.command("activate");
    commandFromTwoThreads(module, hosting->hosted.probe);
    outcome.note("two threads sent " + std::to_string(kRounds) + " rounds of commands at once");
    if (!reenterOnCommandingThread(*hosting, &outcome) ||
        !reenterOnModuleThread(*hosting, &outcome)) {
        hosting.release();
        return outcome;
    }
    ChildChannel::step("deactivate");
    module.command("deactivate");
    module.command("tear_down");
    module.destroy();
    android::OXAClient::setListener(&hosting->hosted.answers);
    return outcome;
}

}  // namespace oxahost
