// commands: every command word of the host's interpreter, the module's own
// commands (--command, --commands) and seeded random texts for its commands
// and for MIDI: empty, huge (1 MiB), binary, and longer than a page. The own
// commands and the texts are sent in each state the host may command a
// module in: loaded but not yet activated, active, and after "deactivate".
// The module must survive them without a crash, a hang or an exception, and
// be destroyed cleanly afterwards.
#ifndef OXA_HOST_COMMANDS_CHECK_H
#define OXA_HOST_COMMANDS_CHECK_H

#include <string>
#include <vector>

#include "Check.h"
#include "HostedModule.h"

namespace oxahost {

class CommandsCheck : public Check {
public:
    const char* name() const override { return "commands"; }
    const char* description() const override {
        return "the host's command words, the module's own and random texts do not crash it";
    }
    CheckOutcome run(const CheckContext& context) override;

    static constexpr int kRandomTexts = 64;

private:
    // The states named in the report.
    static constexpr const char* kInactive = "before \"activate\"";
    static constexpr const char* kActive = "while active";
    static constexpr const char* kDeactivated = "after \"deactivate\"";

    // The module's own commands, then `texts` as MIDI and as commands; adds
    // `state` to `throwingStates` when one of them threw. The refusals.
    static long sendOwnAndRandom(HostedModule& module, const std::vector<std::string>& texts,
                                 const char* state, std::vector<std::string>* throwingStates);
};

}  // namespace oxahost

#endif  // OXA_HOST_COMMANDS_CHECK_H
