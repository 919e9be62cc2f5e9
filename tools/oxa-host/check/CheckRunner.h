// Runs checks, each in a child process of its own under a time limit, and
// turns how the child ended into a verdict: its own outcome, CRASH when a
// signal ended it, TIMEOUT when the limit passed first.
#ifndef OXA_HOST_CHECK_RUNNER_H
#define OXA_HOST_CHECK_RUNNER_H

#include <functional>
#include <vector>

#include "Check.h"
#include "CheckContext.h"
#include "CheckOptions.h"
#include "CheckResult.h"

namespace oxahost {

class CheckRunner {
public:
    CheckRunner(const CheckContext& context, double timeoutSeconds);

    // The checks `options` selects, in the order given. After a check whose
    // FAIL means the host refuses the module, the checks that need what it
    // ruled out are not run; they are reported as WARN with the reason.
    // `onResult` sees each result as soon as it is known.
    std::vector<CheckResult> runAll(const std::vector<Check*>& checks, const CheckOptions& options,
                                    const std::function<void(const CheckResult&)>& onResult);
    CheckResult run(Check& check);

private:
    const CheckContext mContext;
    const double mTimeoutSeconds;
};

}  // namespace oxahost

#endif  // OXA_HOST_CHECK_RUNNER_H
