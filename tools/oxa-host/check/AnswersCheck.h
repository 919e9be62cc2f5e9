// answers: what the module answers in one whole life. A text that is not
// modified UTF-8 is a WARN with its byte offset (Java's NewStringUTF takes
// nothing else); an answer from inside destroy is a WARN (the service has let
// go of the client by then); an answer after destroy is a FAIL (module code
// still running after its client is gone).
#ifndef OXA_HOST_ANSWERS_CHECK_H
#define OXA_HOST_ANSWERS_CHECK_H

#include "Check.h"

namespace oxahost {

class AnswersCheck : public Check {
public:
    const char* name() const override { return "answers"; }
    const char* description() const override {
        return "answers are modified UTF-8 and none comes after destroy";
    }
    CheckOutcome run(const CheckContext& context) override;

    // How long answers after destroy are waited for.
    static constexpr int kAfterDestroyMs = 300;
};

}  // namespace oxahost

#endif  // OXA_HOST_ANSWERS_CHECK_H
