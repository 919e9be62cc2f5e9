#include "ModuleSession.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace oxahost {

bool ModuleSession::run(HostedModule& module, const MagicProbe& probe, CheckOutcome* outcome,
                        const StepObserver& afterStep) {
    auto step = [&afterStep](const std::string& name) {
        if (afterStep) afterStep(name);
    };
    if (!module.load()) {
        outcome->fail("the host does not load the module");
        return false;
    }
    step("init_client");
    for (const char* command : {"start_client -v", "activate"}) {
        module.command(command);
        step(command);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kActiveMs));
    for (const char* command : {"enable_sync", "disable_sync", "midi:90 40 7f"}) {
        module.command(command);
        step(command);
    }
    if (probe.jackClient.claimUnsafe()) {
        outcome->note("bypass and JACK client name left out (see magic)");
    } else {
        for (const char* command : {"setbypassenabledtrue", "setbypassenabledfalse"}) {
            module.command(command);
            step(command);
        }
        module.jackName();
        step("the JACK client name");
    }
    // The module's own commands, while it is active: they may start the
    // threads, answers and slow paths the standard ones never reach.
    for (const std::string& command : module.ownCommands()) {
        module.command(command);
        step(command);
    }
    module.request("", 0, 200000);
    step("a request");
    if (probe.processing.claimUnsafe()) {
        outcome->note("stream left out (see magic)");
    } else {
        const std::vector<unsigned char> bytes(1024, 0x5a);
        module.stream(bytes.data(), static_cast<long>(bytes.size()), 1);
        step("a stream");
    }
    for (const char* command : {"oxa-host check", "deactivate", "tear_down"}) {
        module.command(command);
        step(command);
    }
    module.destroy();
    return true;
}

}  // namespace oxahost
