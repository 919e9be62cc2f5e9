// One line of the validator's report.
#ifndef OXA_HOST_CHECK_RESULT_H
#define OXA_HOST_CHECK_RESULT_H

#include <string>

#include "CheckOutcome.h"

namespace oxahost {

struct CheckResult {
    std::string name;
    Verdict verdict = Verdict::kPass;
    std::string details;
    double seconds = 0;
    // The host refuses the module for what this check found.
    bool refused = false;
};

}  // namespace oxahost

#endif  // OXA_HOST_CHECK_RESULT_H
