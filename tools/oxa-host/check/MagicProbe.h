// The magic numbers of a module's processing object and JACK client against
// the virtual tables they really have. The magic check reports it; the
// checks that drive the module use it to keep the host away from version-2
// slots that are not there.
#ifndef OXA_HOST_MAGIC_PROBE_H
#define OXA_HOST_MAGIC_PROBE_H

#include <string>

#include "CheckContext.h"
#include "CheckOutcome.h"
#include "VtableExaminer.h"

namespace oxahost {

class MagicProbe {
public:
    struct Object {
        bool present = false;
        int magic = 0;
        VtableExaminer::Result table;
        // Whether the host would call version-2 slots that may be missing.
        bool claimUnsafe() const {
            return present && magic >= 2 && table.finding != VtableExaminer::kHasSlots;
        }
    };

    // Makes an object of the module, looks at it and its JACK client, and
    // destroys it again. False with the reason in `error` when the object
    // cannot be made.
    bool run(const CheckContext& context, std::string* error);
    // run(), failing `outcome` with the reason when the object cannot be
    // made: the first step of every check that drives the module.
    bool runFor(const CheckContext& context, CheckOutcome* outcome);

    Object processing;
    Object jackClient;

    // Slot positions of the version-2 operations, counted from the address
    // an object's table pointer holds (the two destructor slots first).
    static constexpr int kSendStreamSlot = 6;
    static constexpr int kGetJackClientNameSlot = 8;
};

}  // namespace oxahost

#endif  // OXA_HOST_MAGIC_PROBE_H
