#include "CheckReport.h"

#include <stdio.h>

#include "ReportText.h"

namespace oxahost {

namespace {

std::string formatSeconds(double seconds) {
    char text[32];
    snprintf(text, sizeof(text), "%.3f", seconds);
    return text;
}

std::string jsonList(const std::vector<std::string>& texts) {
    std::string out = "[";
    for (size_t i = 0; i < texts.size(); ++i) {
        out += (i == 0 ? "" : ", ") + ReportText::json(texts[i]);
    }
    return out + "]";
}

std::string jsonCheck(const CheckResult& result) {
    return "{\"name\": " + ReportText::json(result.name) +
           ", \"verdict\": " + ReportText::json(verdictName(result.verdict)) +
           ", \"details\": " + ReportText::json(result.details) +
           ", \"duration\": " + formatSeconds(result.seconds) + "}";
}

// The first line of the details: the message of a <failure> or <error>.
std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::string junitCase(const std::string& suite, const CheckResult& result) {
    std::string out = "    <testcase classname=\"" + ReportText::xml(suite) + "\" name=\"" +
                      ReportText::xml(result.name) + "\" time=\"" + formatSeconds(result.seconds) +
                      "\"";
    const std::string message = ReportText::xml(firstLine(result.details));
    const std::string details = ReportText::xml(result.details);
    if (CheckReport::notRun(result)) {
        return out + ">\n      <skipped message=\"" + message + "\"/>\n    </testcase>\n";
    }
    switch (result.verdict) {
        case Verdict::kPass:
        case Verdict::kWarn:
            if (result.details.empty()) return out + "/>\n";
            return out + ">\n      <system-out>" + verdictName(result.verdict) + ": " + details +
                   "</system-out>\n    </testcase>\n";
        case Verdict::kFail:
            return out + ">\n      <failure type=\"FAIL\" message=\"" + message + "\">" + details +
                   "</failure>\n    </testcase>\n";
        case Verdict::kTimeout:
        case Verdict::kCrash:
            return out + ">\n      <error type=\"" + verdictName(result.verdict) + "\" message=\"" +
                   message + "\">" + details + "</error>\n    </testcase>\n";
    }
    return out + "/>\n";
}

std::string junitProperty(const std::string& name, const std::string& value) {
    return "      <property name=\"" + name + "\" value=\"" + ReportText::xml(value) + "\"/>\n";
}

}  // namespace

std::string CheckReport::line(const CheckResult& result) {
    char head[64];
    snprintf(head, sizeof(head), "%-7s %-11s %7.2f s", verdictName(result.verdict),
             result.name.c_str(), result.seconds);
    std::string text = head;
    size_t start = 0;
    bool first = true;
    while (start < result.details.size()) {
        size_t end = result.details.find('\n', start);
        if (end == std::string::npos) end = result.details.size();
        text += first ? "  " : "\n        ";
        text += result.details.substr(start, end - start);
        first = false;
        start = end + 1;
    }
    return text;
}

std::string CheckReport::json(const CheckRunInfo& run, const std::vector<CheckResult>& results) {
    std::string out =
        "{\n  \"tool\": \"oxa-host check\",\n  \"version\": " + ReportText::json(run.toolVersion) +
        ",\n  \"module\": " + ReportText::json(run.modulePath) +
        ",\n  \"package\": " + ReportText::json(run.packageName) +
        ",\n  \"seed\": " + std::to_string(run.seed) +
        ",\n  \"timeout\": " + formatSeconds(run.timeoutSeconds) +
        ",\n  \"commands\": " + jsonList(run.moduleCommands) +
        ",\n  \"verdict\": " + ReportText::json(verdictName(overall(results))) +
        ",\n  \"checks\": [";
    for (size_t i = 0; i < results.size(); ++i) {
        out += (i == 0 ? "\n    " : ",\n    ") + jsonCheck(results[i]);
    }
    return out + (results.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

std::string CheckReport::junit(const CheckRunInfo& run, const std::vector<CheckResult>& results) {
    int failures = 0;
    int errors = 0;
    int skipped = 0;
    double seconds = 0;
    for (const CheckResult& result : results) {
        seconds += result.seconds;
        if (notRun(result)) {
            ++skipped;
        } else if (result.verdict == Verdict::kFail) {
            ++failures;
        } else if (result.verdict >= Verdict::kTimeout) {
            ++errors;
        }
    }
    const std::string file = run.modulePath.substr(run.modulePath.rfind('/') + 1);
    const std::string suite = "oxa-host check." + file;
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n";
    out += "  <testsuite name=\"" + ReportText::xml(suite) + "\" tests=\"" +
           std::to_string(results.size()) + "\" failures=\"" + std::to_string(failures) +
           "\" errors=\"" + std::to_string(errors) + "\" skipped=\"" + std::to_string(skipped) +
           "\" time=\"" + formatSeconds(seconds) + "\">\n    <properties>\n";
    out += junitProperty("version", run.toolVersion);
    out += junitProperty("module", run.modulePath);
    out += junitProperty("package", run.packageName);
    out += junitProperty("seed", std::to_string(run.seed));
    out += "    </properties>\n";
    for (const CheckResult& result : results) out += junitCase(suite, result);
    return out + "  </testsuite>\n</testsuites>\n";
}

bool CheckReport::write(const std::string& path, const std::string& text) {
    if (path == "-") {
        const bool written = fwrite(text.data(), 1, text.size(), stdout) == text.size();
        return fflush(stdout) == 0 && written;
    }
    FILE* file = fopen(path.c_str(), "w");
    if (file == nullptr) return false;
    const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    return fclose(file) == 0 && written;
}

Verdict CheckReport::overall(const std::vector<CheckResult>& results) {
    Verdict worst = Verdict::kPass;
    for (const CheckResult& result : results) {
        if (result.verdict > worst) worst = result.verdict;
    }
    return worst;
}

int CheckReport::exitStatus(const std::vector<CheckResult>& results) {
    return overall(results) >= Verdict::kFail ? 1 : 0;
}

bool CheckReport::notRun(const CheckResult& result) {
    return result.verdict == Verdict::kWarn && result.details.compare(0, 8, "not run:") == 0;
}

}  // namespace oxahost
