// A version-2 module for the benchmarks: takes streams as they are, fills
// whole request blocks, and answers "ping" at once with "pong".
#include <stdint.h>
#include <string.h>

#include "IOXAInterfaceV2.h"

namespace {

class BenchWaveV2 : public android::IOXAInterfaceV2 {
public:
    int init() override { return 0; }
    int sendCommand(const char* command) override {
        if (strcmp(command, "ping") != 0) return 1;
        response("pong", 1);
        return 0;
    }
    android::IJackClientInterface* getJackClientInterface() override { return nullptr; }
    int request(const char*, const long, const long capacity, size_t& usedBytes,
                const void* buffer) override {
        memset(const_cast<void*>(buffer), 0x5a, static_cast<size_t>(capacity));
        usedBytes = static_cast<size_t>(capacity);
        return 0;
    }
    int sendStream(const void* stream, const long streamLen, const int) override {
        // Touch both ends, as a module that looks at the stream does; the
        // host itself must not copy it.
        if (streamLen <= 0) return 0;
        const uint8_t* bytes = static_cast<const uint8_t*>(stream);
        mLastEnds = bytes[0] + bytes[streamLen - 1];
        return 0;
    }

private:
    int mLastEnds = 0;
};

}  // namespace

#define BENCH_EXPORT extern "C" __attribute__((visibility("default")))

BENCH_EXPORT int oxa_get_api_level() {
    return 4;
}

BENCH_EXPORT android::IOXAInterface* oxa_create() {
    return new BenchWaveV2();
}

BENCH_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete object;
}
