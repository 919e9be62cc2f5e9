// The stack of another thread of this process, taken while it runs: the
// thread is sent a signal, and its handler records the return addresses
// (async-signal-safe: backtrace() only, its unwinder loaded beforehand).
// Only for threads whose code is still mapped: unwinding into a closed
// library faults.
#ifndef OXA_HOST_THREAD_SAMPLER_H
#define OXA_HOST_THREAD_SAMPLER_H

#include <string>

namespace oxahost {

class ThreadSampler {
public:
    // Raw frame lines (CrashSymbolizer::rawFrame) of thread `tid`, below the
    // handler; empty when the thread did not answer within a short wait
    // (it ended, or blocks the signal).
    static std::string rawFrames(int tid);
};

}  // namespace oxahost

#endif  // OXA_HOST_THREAD_SAMPLER_H
