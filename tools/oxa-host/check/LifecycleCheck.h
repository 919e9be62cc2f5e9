// lifecycle: create, initialise, start the JACK client, activate,
// deactivate, tear down and destroy, in order and out of order; then 1,000
// create/destroy cycles that must leave no memory (LeakSanitizer when the
// host is built with it, else resident memory) and no descriptor behind.
#ifndef OXA_HOST_LIFECYCLE_CHECK_H
#define OXA_HOST_LIFECYCLE_CHECK_H

#include "Check.h"

namespace oxahost {

class LifecycleCheck : public Check {
public:
    const char* name() const override { return "lifecycle"; }
    const char* description() const override {
        return "every order of the life steps, then 1,000 create/destroy cycles leave nothing "
               "behind";
    }
    CheckOutcome run(const CheckContext& context) override;

    static constexpr int kCycles = 1000;
};

}  // namespace oxahost

#endif  // OXA_HOST_LIFECYCLE_CHECK_H
