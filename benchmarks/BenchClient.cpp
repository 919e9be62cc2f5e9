#include "BenchClient.h"

#include <android/log.h>
#include <unistd.h>

namespace {

const char kName[] = "bench_1";

// Only failures reach the log: a benchmark's own lines would swamp it.
void quietLog() {
    static const bool quiet = [] {
        __android_log_set_minimum_priority(ANDROID_LOG_ERROR);
        return true;
    }();
    (void)quiet;
}

}  // namespace

BenchClient::BenchClient(const std::string& moduleFile) : mLoaded(false) {
    quietLog();
    android::OXAClient::setListener(&mListener);
    mClient = android::OXAClient::createInstance(kName, "bench", getpid());
    if (!mClient) return;
    const std::string load =
        addressed(std::string("init_client:bench:") + moduleFile + ":" + OVIK_BENCH_MODULE_DIR);
    mLoaded = mClient->sendCommand(load.c_str()) == 0;
}

BenchClient::~BenchClient() {
    mClient.reset();
    android::OXAClient::setListener(nullptr);
}

std::string BenchClient::addressed(const std::string& command) const {
    return std::string(kName) + "!" + command;
}
