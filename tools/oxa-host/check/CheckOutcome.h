// What one check found: a verdict and the notes that explain it. Notes are
// added as the check goes; the verdict is the worst of them.
#ifndef OXA_HOST_CHECK_OUTCOME_H
#define OXA_HOST_CHECK_OUTCOME_H

#include <string>

namespace oxahost {

// Ordered from best to worst: a later verdict overrides an earlier one.
enum class Verdict { kPass = 0, kWarn = 1, kFail = 2, kTimeout = 3, kCrash = 4 };

const char* verdictName(Verdict verdict);
// The verdict named `name` ("PASS" ...); false for any other text.
bool verdictFromName(const std::string& name, Verdict* verdict);

class CheckOutcome {
public:
    CheckOutcome() : mVerdict(Verdict::kPass) {}
    CheckOutcome(Verdict verdict, const std::string& details)
        : mVerdict(verdict), mDetails(details) {}

    // A note that explains a PASS, or adds to the others.
    void note(const std::string& text) { add(Verdict::kPass, text); }
    void warn(const std::string& text) { add(Verdict::kWarn, text); }
    void fail(const std::string& text) { add(Verdict::kFail, text); }
    // A FAIL for which the host refuses the module: the checks that need
    // what it rules out are not run after it.
    void refuse(const std::string& text) {
        fail(text);
        mRefused = true;
    }
    void add(Verdict verdict, const std::string& text);

    Verdict verdict() const { return mVerdict; }
    const std::string& details() const { return mDetails; }
    bool refused() const { return mRefused; }
    void setRefused(bool refused) { mRefused = refused; }

private:
    Verdict mVerdict;
    std::string mDetails;
    bool mRefused = false;
};

}  // namespace oxahost

#endif  // OXA_HOST_CHECK_OUTCOME_H
