#include "ModuleCounters.h"

#include <atomic>

namespace {

std::atomic<int> sLiveObjects(0);
std::atomic<int> sLiveThreads(0);
std::atomic<int> sAnswersSent(0);
std::atomic<int> sHandleAnswersSent(0);

}  // namespace

void ModuleCounters::answerThroughHandle(const char* text, int id) {
    android::OXAClientUser* handle = android::OXAClientUser::getInstance();
    if (handle == nullptr) return;
    ++sHandleAnswersSent;
    handle->response(text, id);
}
void ModuleCounters::answerSent() {
    ++sAnswersSent;
}
void ModuleCounters::objectMade() {
    ++sLiveObjects;
}
void ModuleCounters::objectGone() {
    --sLiveObjects;
}
void ModuleCounters::threadStarted() {
    ++sLiveThreads;
}
void ModuleCounters::threadEnded() {
    --sLiveThreads;
}
int ModuleCounters::liveObjects() {
    return sLiveObjects.load();
}
int ModuleCounters::liveThreads() {
    return sLiveThreads.load();
}
int ModuleCounters::answersSent() {
    return sAnswersSent.load();
}
int ModuleCounters::handleAnswersSent() {
    return sHandleAnswersSent.load();
}

extern "C" int jvmwave_live_objects() {
    return ModuleCounters::liveObjects();
}
extern "C" int jvmwave_live_threads() {
    return ModuleCounters::liveThreads();
}
extern "C" int jvmwave_answers_sent() {
    return ModuleCounters::answersSent();
}
extern "C" int jvmwave_handle_answers_sent() {
    return ModuleCounters::handleAnswersSent();
}
