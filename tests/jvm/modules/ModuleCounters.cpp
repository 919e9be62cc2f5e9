#include "ModuleCounters.h"

#include <atomic>

namespace {

std::atomic<int> sLiveObjects(0);
std::atomic<int> sLiveThreads(0);

}  // namespace

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

extern "C" int jvmwave_live_objects() {
    return ModuleCounters::liveObjects();
}
extern "C" int jvmwave_live_threads() {
    return ModuleCounters::liveThreads();
}
