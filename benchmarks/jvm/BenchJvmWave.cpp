// The version-1 module of the JVM benchmark. Each command makes one block of
// one path's events, so the per-event cost is the library's, not the
// command's:
//
//   noop                counts the command and does nothing else
//   say N               answers the benchmark text N times (id 1)
//   thread N            a thread of its own answers the text N times (id 2)
//                       and is joined before the command returns
//   data SIZE N         answers SIZE bytes of its block N times (ext1 SIZE)
//   expect_text N       the length of the stream texts to come
//   stream:<id>:<hex>   (a stream) counts it when its text has the expected
//                       length, looking at its last bytes only, so the module
//                       reads nothing the benchmark would time
//
// A request fills the whole block with 0x5a and reports all of it. The
// counters are read by the benchmark through the exported functions.
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <thread>
#include <vector>

#include "IOXAInterface.h"

#define BENCH_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

const char kAnswerText[] = "benchmark answer";
const size_t kDataCapacity = 200 * 1024;

std::atomic<long> sCommands{0};
std::atomic<long> sStreams{0};
std::atomic<long> sExpectedTextLength{0};
std::atomic<long> sWrongStreams{0};
std::atomic<long> sRequests{0};

// Commands, requests and streams reach the module from one benchmark thread
// at a time, and the counters are read on that thread afterwards, so a plain
// increment is enough. A locked add would be the module's own cost in what
// is timed: on a machine whose command floor is half a microsecond it is
// several percent of it.
void count(std::atomic<long>& counter) {
    counter.store(counter.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

bool startsWith(const char* text, const char* prefix) {
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

class BenchJvmWave : public android::IOXAInterface {
public:
    BenchJvmWave() : mData(kDataCapacity, 0x3c) {}

    int init() override { return 0; }

    int sendCommand(const char* command) override {
        if (startsWith(command, "stream:")) {
            const long length = sExpectedTextLength;
            const bool right = length > 8 && command[length] == '\0' && command[length - 1] != '\0';
            count(right ? sStreams : sWrongStreams);
            return 0;
        }
        count(sCommands);
        if (strcmp(command, "noop") == 0) return 0;
        if (startsWith(command, "expect_text ")) {
            sExpectedTextLength = atol(command + 12);
            return 0;
        }
        if (startsWith(command, "say ")) {
            const long count = atol(command + 4);
            for (long i = 0; i < count; ++i) response(kAnswerText, 1);
            return 0;
        }
        if (startsWith(command, "thread ")) {
            const long count = atol(command + 7);
            std::thread answering([this, count] {
                for (long i = 0; i < count; ++i) response(kAnswerText, 2);
            });
            answering.join();
            return 0;
        }
        if (startsWith(command, "data ")) {
            char* end = nullptr;
            const long size = strtol(command + 5, &end, 10);
            const long count = atol(end);
            if (size <= 0 || static_cast<size_t>(size) > mData.size()) return 2;
            for (long i = 0; i < count; ++i) {
                response(static_cast<int32_t>(size), static_cast<size_t>(size), mData.data());
            }
            return 0;
        }
        return 3;
    }

    android::IJackClientInterface* getJackClientInterface() override { return nullptr; }

    int request(const char* /*what*/, const long /*ext1*/, const long capacity, size_t& usedBytes,
                const void* buffer) override {
        memset(const_cast<void*>(buffer), 0x5a, static_cast<size_t>(capacity));
        usedBytes = static_cast<size_t>(capacity);
        count(sRequests);
        return 0;
    }

private:
    std::vector<unsigned char> mData;
};

}  // namespace

BENCH_EXPORT int oxa_get_api_level() {
    return 4;
}

BENCH_EXPORT android::IOXAInterface* oxa_create() {
    return new BenchJvmWave();
}

BENCH_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete object;
}

BENCH_EXPORT long bench_commands() {
    return sCommands;
}

BENCH_EXPORT long bench_streams() {
    return sStreams;
}

BENCH_EXPORT long bench_wrong_streams() {
    return sWrongStreams;
}

BENCH_EXPORT long bench_requests() {
    return sRequests;
}
