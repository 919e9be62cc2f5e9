#include "ProcessThreadAnswers.h"

#include "RealtimeProbe.h"

namespace oxahost {

void ProcessThreadAnswers::beforeStep(const std::string& step) {
    // libjack starts the client's process thread when the client activates.
    RealtimeProbe::watchNewJackThreads(step == "activate");
}

void ProcessThreadAnswers::afterStep() {
    RealtimeProbe::watchNewJackThreads(false);
}

void ProcessThreadAnswers::noteAnswer(const std::string& answer) {
    if (!RealtimeProbe::callingThreadWatched()) return;
    if (mCount.fetch_add(1) == 0) {
        std::lock_guard<std::mutex> lock(mLock);
        mFirst = answer;
    }
}

std::string ProcessThreadAnswers::warning() {
    const long count = mCount.load();
    if (count == 0) return "";
    std::lock_guard<std::mutex> lock(mLock);
    return std::to_string(count) +
           " answers came from the module's JACK process thread, the first: " + mFirst +
           "; an answer there may wait for a lock and allocate, and the JACK cycle misses its "
           "deadline (\"oxa-host check\" shows where, in its realtime check)";
}

}  // namespace oxahost
