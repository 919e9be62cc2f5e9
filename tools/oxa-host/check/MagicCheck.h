// magic: the magic numbers of the processing object and of its JACK client
// agree with the virtual tables they have. A version-2 claim on a table that
// lacks the version-2 slots is a FAIL: the host calls those slots on the
// strength of the claim alone.
#ifndef OXA_HOST_MAGIC_CHECK_H
#define OXA_HOST_MAGIC_CHECK_H

#include "Check.h"

namespace oxahost {

class MagicCheck : public Check {
public:
    const char* name() const override { return "magic"; }
    const char* description() const override {
        return "the magic numbers of the object and its JACK client match their tables";
    }
    CheckOutcome run(const CheckContext& context) override;
};

}  // namespace oxahost

#endif  // OXA_HOST_MAGIC_CHECK_H
