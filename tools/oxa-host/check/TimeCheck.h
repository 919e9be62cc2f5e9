// time: the wall-clock and processor time of every call of one whole life of
// the module. Over 1 s of wall time is a WARN (the service's Java thread
// waits that long); over the host's 5-second processor-time watch is a FAIL
// (the device logs the overrun).
#ifndef OXA_HOST_TIME_CHECK_H
#define OXA_HOST_TIME_CHECK_H

#include "Check.h"

namespace oxahost {

class TimeCheck : public Check {
public:
    const char* name() const override { return "time"; }
    const char* description() const override {
        return "no call takes over 1 s of wall time or the host's processor-time watch";
    }
    CheckOutcome run(const CheckContext& context) override;

    static constexpr double kWallWarnSeconds = 1.0;
    static constexpr double kCpuFailSeconds = 5.0;
};

}  // namespace oxahost

#endif  // OXA_HOST_TIME_CHECK_H
