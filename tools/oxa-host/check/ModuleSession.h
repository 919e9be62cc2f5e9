// One whole life of the hosted module, every kind of call once: load, start
// the JACK client, activate (with time for the module's threads to answer),
// the transport, MIDI and bypass switches, the JACK client name, a request,
// a stream, a command of its own, deactivate, tear down and destroy.
// Version-2 operations are left out where the magic probe found that their
// slots may be missing.
#ifndef OXA_HOST_MODULE_SESSION_H
#define OXA_HOST_MODULE_SESSION_H

#include <functional>
#include <string>

#include "CheckOutcome.h"
#include "HostedModule.h"
#include "MagicProbe.h"

namespace oxahost {

class ModuleSession {
public:
    // Called after each step with its name ("activate").
    typedef std::function<void(const std::string& step)> StepObserver;
    // False (with a FAIL in `outcome`) when the host does not load the module.
    static bool run(HostedModule& module, const MagicProbe& probe, CheckOutcome* outcome,
                    const StepObserver& afterStep = StepObserver());
    // How long the module's threads are given to answer while active.
    static constexpr int kActiveMs = 300;
};

}  // namespace oxahost

#endif  // OXA_HOST_MODULE_SESSION_H
