// realtime: the module's JACK process thread must not answer the host,
// allocate or release memory, wait for a lock or make a blocking system call.
// The module's own commands (--command, --commands) run first; then the
// module runs as a real JACK client ("start_client jack", "activate") of
// a dummy server of the check's own for about kCycles process cycles, while
// RealtimeProbe watches the threads that libjack starts during "activate".
// Each call found is a FAIL, with its backtrace. Without jackd, a server that
// accepts clients, or a JACK client made by the module, the check is not run
// and says why.
#ifndef OXA_HOST_REALTIME_CHECK_H
#define OXA_HOST_REALTIME_CHECK_H

#include "Check.h"

namespace oxahost {

class RealtimeCheck : public Check {
public:
    const char* name() const override { return "realtime"; }
    const char* description() const override {
        return "the JACK process thread does not answer, allocate, lock or block";
    }
    CheckOutcome run(const CheckContext& context) override;

    // Process cycles run, of kPeriodFrames frames at kSampleRate.
    static constexpr int kCycles = 200;
    static constexpr int kPeriodFrames = 256;
    static constexpr int kSampleRate = 48000;
    // How long the server is given to accept a client.
    static constexpr int kServerPatienceMs = 10000;
};

}  // namespace oxahost

#endif  // OXA_HOST_REALTIME_CHECK_H
