#include "ModuleSession.h"

#include <chrono>
#include <thread>
#include <vector>

namespace oxahost {

bool ModuleSession::run(HostedModule& module, const MagicProbe& probe, CheckOutcome* outcome) {
    if (!module.load()) {
        outcome->fail("the host does not load the module");
        return false;
    }
    module.command("start_client -v");
    module.command("activate");
    std::this_thread::sleep_for(std::chrono::milliseconds(kActiveMs));
    module.command("enable_sync");
    module.command("disable_sync");
    module.command("midi:90 40 7f");
    if (probe.jackClient.claimUnsafe()) {
        outcome->note("bypass and JACK client name left out (see magic)");
    } else {
        module.command("setbypassenabledtrue");
        module.command("setbypassenabledfalse");
        module.jackName();
    }
    // The module's own commands, while it is active: they may start the
    // threads, answers and slow paths the standard ones never reach.
    for (const std::string& command : module.ownCommands()) module.command(command);
    module.request("", 0, 200000);
    if (probe.processing.claimUnsafe()) {
        outcome->note("stream left out (see magic)");
    } else {
        const std::vector<unsigned char> bytes(1024, 0x5a);
        module.stream(bytes.data(), static_cast<long>(bytes.size()), 1);
    }
    module.command("oxa-host check");
    module.command("deactivate");
    module.command("tear_down");
    module.destroy();
    return true;
}

}  // namespace oxahost
