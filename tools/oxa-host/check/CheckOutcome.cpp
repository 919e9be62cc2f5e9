#include "CheckOutcome.h"

namespace oxahost {

namespace {
const char* const kVerdictNames[] = {"PASS", "WARN", "FAIL", "TIMEOUT", "CRASH"};
}  // namespace

const char* verdictName(Verdict verdict) {
    return kVerdictNames[static_cast<int>(verdict)];
}

bool verdictFromName(const std::string& name, Verdict* verdict) {
    for (int i = 0; i < 5; ++i) {
        if (name == kVerdictNames[i]) {
            *verdict = static_cast<Verdict>(i);
            return true;
        }
    }
    return false;
}

void CheckOutcome::add(Verdict verdict, const std::string& text) {
    if (verdict > mVerdict) mVerdict = verdict;
    if (text.empty()) return;
    if (!mDetails.empty()) mDetails += "; ";
    mDetails += text;
}

}  // namespace oxahost
