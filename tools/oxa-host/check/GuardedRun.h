// Runs oxa-host's session in a child process, so that a crash of the module
// is caught and reported as "oxa-host check" reports one: the signal, the
// faulting address and each frame with its function, file and line.
#ifndef OXA_HOST_GUARDED_RUN_H
#define OXA_HOST_GUARDED_RUN_H

#include <functional>

namespace oxahost {

class GuardedRun {
public:
    // The exit status of `body` run in a child; 1 after the crash report
    // when the child died of a signal.
    static int run(const std::function<int()>& body);
};

}  // namespace oxahost

#endif  // OXA_HOST_GUARDED_RUN_H
