// concurrency: what the host allows and a module must bear. Two threads
// command one client at once (the host does not serialise a client's
// commands, requests and name queries). Then commands, "deactivate" and
// "activate" included, are sent from inside the module's own answers: an
// answer made during a command, on the thread that sent it, and an answer
// from a thread the module started. A module that waits for (joins) the
// thread that is answering when "deactivate" arrives on that very thread
// hangs: the check names that after kReentryDeadlineMs instead of waiting
// for the run's time limit, and the module is then left as it is.
#ifndef OXA_HOST_CONCURRENCY_CHECK_H
#define OXA_HOST_CONCURRENCY_CHECK_H

#include <functional>
#include <string>

#include "Check.h"
#include "HostedModule.h"
#include "MagicProbe.h"
#include "ReentrantListener.h"

namespace oxahost {

class ConcurrencyCheck : public Check {
public:
    const char* name() const override { return "concurrency"; }
    const char* description() const override {
        return "commands from two threads at once and from inside the module's own answers";
    }
    CheckOutcome run(const CheckContext& context) override;

    // Rounds of commands each of the two threads sends.
    static constexpr int kRounds = 40;
    // How long a command sent from inside an answer may take.
    static constexpr int kReentryDeadlineMs = 3000;
    // How long the module's threads are given to answer after "activate".
    static constexpr int kThreadAnswerMs = 1500;

private:
    struct Hosting;

    static void commandFromTwoThreads(HostedModule& module, const MagicProbe& probe);
    // Each returns false (with a FAIL) when a command sent from inside an
    // answer did not return: the module cannot be destroyed then.
    static bool reenterOnCommandingThread(Hosting& hosting, CheckOutcome* outcome);
    static bool reenterOnModuleThread(Hosting& hosting, CheckOutcome* outcome);
    // The commands sent from inside an answer: MIDI, the module's own,
    // "deactivate", and "activate" when `reactivate`.
    static void reenter(Hosting& hosting, bool reactivate);
};

}  // namespace oxahost

#endif  // OXA_HOST_CONCURRENCY_CHECK_H
