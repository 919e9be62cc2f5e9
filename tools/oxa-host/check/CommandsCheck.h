// commands: every command word of the host's interpreter, then seeded random
// texts for the module's own commands and for MIDI: empty, huge (1 MiB),
// binary, and longer than a page. The module must survive them without a
// crash, a hang or an exception, and be destroyed cleanly afterwards.
#ifndef OXA_HOST_COMMANDS_CHECK_H
#define OXA_HOST_COMMANDS_CHECK_H

#include "Check.h"

namespace oxahost {

class CommandsCheck : public Check {
public:
    const char* name() const override { return "commands"; }
    const char* description() const override {
        return "the host's command words, the module's own and random texts do not crash it";
    }
    CheckOutcome run(const CheckContext& context) override;

    static constexpr int kRandomTexts = 64;
};

}  // namespace oxahost

#endif  // OXA_HOST_COMMANDS_CHECK_H
