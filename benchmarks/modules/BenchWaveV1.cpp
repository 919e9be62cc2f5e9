// A version-1 module for the benchmarks: it receives streams as
// "stream:<id>:<hex>" commands and reads each text to its end, as a real
// module decoding the hex would.
#include <string.h>

#include "IOXAInterface.h"

namespace {

class BenchWaveV1 : public android::IOXAInterface {
public:
    int init() override { return 0; }
    int sendCommand(const char* command) override {
        mLastLength = strlen(command);
        return 0;
    }
    android::IJackClientInterface* getJackClientInterface() override { return nullptr; }
    int request(const char*, const long, const long, size_t& usedBytes, const void*) override {
        usedBytes = 0;
        return 0;
    }

private:
    size_t mLastLength = 0;
};

}  // namespace

#define BENCH_EXPORT extern "C" __attribute__((visibility("default")))

BENCH_EXPORT int oxa_get_api_level() {
    return 4;
}

BENCH_EXPORT android::IOXAInterface* oxa_create() {
    return new BenchWaveV1();
}

BENCH_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete object;
}
