// The validator's report: one line per check on the console, and the same
// results as JSON: an array of objects with "name", "verdict", "details" and
// "duration" (seconds).
#ifndef OXA_HOST_CHECK_REPORT_H
#define OXA_HOST_CHECK_REPORT_H

#include <string>
#include <vector>

#include "CheckResult.h"

namespace oxahost {

class CheckReport {
public:
    // "PASS    exports      0.01 s  <details>"; the lines after the first
    // line of the details (a backtrace) follow, indented.
    static std::string line(const CheckResult& result);
    static std::string json(const std::vector<CheckResult>& results);
    // False when `path` cannot be written.
    static bool writeJson(const std::string& path, const std::vector<CheckResult>& results);
    // 0 when no check failed, crashed or timed out, else 1.
    static int exitStatus(const std::vector<CheckResult>& results);
};

}  // namespace oxahost

#endif  // OXA_HOST_CHECK_REPORT_H
