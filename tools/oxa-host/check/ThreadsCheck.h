// threads: no thread the module started runs on after its object was
// destroyed; the host closes the library right after, and a thread left in
// it crashes the service. A thread still there a second after destroy is a
// FAIL, reported by name.
#ifndef OXA_HOST_THREADS_CHECK_H
#define OXA_HOST_THREADS_CHECK_H

#include "Check.h"

namespace oxahost {

class ThreadsCheck : public Check {
public:
    const char* name() const override { return "threads"; }
    const char* description() const override {
        return "no thread of the module outlives its destruction";
    }
    CheckOutcome run(const CheckContext& context) override;

    // How long threads that are ending are given to be gone.
    static constexpr int kGraceMs = 1000;
};

}  // namespace oxahost

#endif  // OXA_HOST_THREADS_CHECK_H
