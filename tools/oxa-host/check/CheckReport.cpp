#include "CheckReport.h"

#include <stdio.h>

namespace oxahost {

namespace {

// A JSON string: the details may hold any byte a module answered, so bytes
// that are not printable ASCII are written as \u00XX of their byte value.
std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7f) {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace

std::string CheckReport::line(const CheckResult& result) {
    char head[64];
    snprintf(head, sizeof(head), "%-7s %-10s %7.2f s", verdictName(result.verdict),
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

std::string CheckReport::json(const std::vector<CheckResult>& results) {
    std::string out = "[\n";
    for (size_t i = 0; i < results.size(); ++i) {
        const CheckResult& result = results[i];
        char duration[32];
        snprintf(duration, sizeof(duration), "%.3f", result.seconds);
        out += "  {\"name\": " + jsonString(result.name) +
               ", \"verdict\": " + jsonString(verdictName(result.verdict)) +
               ", \"details\": " + jsonString(result.details) + ", \"duration\": " + duration + "}";
        out += i + 1 < results.size() ? ",\n" : "\n";
    }
    return out + "]\n";
}

bool CheckReport::writeJson(const std::string& path, const std::vector<CheckResult>& results) {
    FILE* file = fopen(path.c_str(), "w");
    if (file == nullptr) return false;
    const std::string text = json(results);
    const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    return fclose(file) == 0 && written;
}

int CheckReport::exitStatus(const std::vector<CheckResult>& results) {
    for (const CheckResult& result : results) {
        if (result.verdict >= Verdict::kFail) return 1;
    }
    return 0;
}

}  // namespace oxahost
