// streams: requests and streams of awkward sizes (empty, prime-sized and, for
// streams, 8 MiB), each block ending right before an inaccessible page and
// made inaccessible after the call: a write past the end or a pointer kept
// past the call crashes the module. A request that reports more bytes than
// its block holds is a FAIL.
#ifndef OXA_HOST_STREAMS_CHECK_H
#define OXA_HOST_STREAMS_CHECK_H

#include "Check.h"

namespace oxahost {

class StreamsCheck : public Check {
public:
    const char* name() const override { return "streams"; }
    const char* description() const override {
        return "requests and streams of awkward sizes stay inside their blocks";
    }
    CheckOutcome run(const CheckContext& context) override;
};

}  // namespace oxahost

#endif  // OXA_HOST_STREAMS_CHECK_H
