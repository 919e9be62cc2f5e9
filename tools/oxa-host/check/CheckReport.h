// The validator's report: one line per check on the console, and the same
// results for a CI as a JSON object (the run and its checks) or as JUnit XML
// (one test case per check).
#ifndef OXA_HOST_CHECK_REPORT_H
#define OXA_HOST_CHECK_REPORT_H

#include <string>
#include <vector>

#include "CheckResult.h"
#include "CheckRunInfo.h"

namespace oxahost {

class CheckReport {
public:
    // "PASS    exports      0.01 s  <details>"; the lines after the first
    // line of the details (a backtrace) follow, indented.
    static std::string line(const CheckResult& result);
    // {"tool", "version", "module", "package", "seed", "timeout",
    //  "commands", "verdict", "checks": [{"name", "verdict", "details",
    //  "duration"}]}; "verdict" of the run is the worst of its checks.
    static std::string json(const CheckRunInfo& run, const std::vector<CheckResult>& results);
    // A <testsuite> of one <testcase> per check: FAIL is a <failure>, CRASH
    // and TIMEOUT an <error>, a check not run is <skipped>, and a WARN
    // passes with its details in <system-out>.
    static std::string junit(const CheckRunInfo& run, const std::vector<CheckResult>& results);
    // Writes `text` to `path`, or to stdout when `path` is "-". False when
    // it cannot be written.
    static bool write(const std::string& path, const std::string& text);
    // The worst verdict of the run; PASS when no check ran.
    static Verdict overall(const std::vector<CheckResult>& results);
    // 0 when no check failed, crashed or timed out, else 1.
    static int exitStatus(const std::vector<CheckResult>& results);
    // Whether the check did not run (it is reported as a WARN saying why).
    static bool notRun(const CheckResult& result);
};

}  // namespace oxahost

#endif  // OXA_HOST_CHECK_REPORT_H
