#include "AnswersCheck.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "AnswerLog.h"
#include "CallClock.h"
#include "ChildChannel.h"
#include "HostedCheck.h"
#include "HostedModule.h"
#include "LogTap.h"
#include "MagicProbe.h"
#include "ModuleSession.h"

namespace oxahost {

CheckOutcome AnswersCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    HostedCheck hosted(context);
    if (!hosted.probe.runFor(context, &outcome)) return outcome;
    LogTap::clear();
    if (!ModuleSession::run(hosted.module, hosted.probe, &outcome)) return outcome;
    ChildChannel::step("waiting for answers after destroy");
    std::this_thread::sleep_for(std::chrono::milliseconds(kAfterDestroyMs));

    for (const AnswerLog::Invalid& invalid : hosted.answers.invalidTexts()) {
        outcome.warn("the answer (id " + std::to_string(invalid.id) + ") \"" + invalid.text +
                     "\" is not modified UTF-8 from byte " + std::to_string(invalid.offset));
    }
    const long inDestroy = hosted.answers.count(AnswerLog::kDestroying);
    if (inDestroy > 0) {
        outcome.warn(std::to_string(inDestroy) +
                     " answers from inside destroy, when the service has let go of the client");
    }
    const long dropped = static_cast<long>(LogTap::errorsContaining("answered to is gone").size()) +
                         hosted.answers.count(AnswerLog::kDestroyed);
    if (dropped > 0) {
        outcome.fail(std::to_string(dropped) +
                     " answers after destroy: module code still runs after its client is gone");
    }
    outcome.note(std::to_string(hosted.answers.total()) + " answers in one whole life");
    return outcome;
}

}  // namespace oxahost
