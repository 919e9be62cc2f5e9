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
//   audio MODE N        an audio thread answers once a millisecond, N times,
//                       directly (MODE direct, id 4) or through the kit's
//                       answer queue (MODE queue), or not at all (MODE
//                       none: the floor of the timing), while another thread
//                       answers (id 3) all along, whose Java callback takes
//                       1 ms; the time each answer took the audio thread is
//                       read through bench_audio_*_ns
//
// A request fills the whole block with 0x5a and reports all of it. The
// counters are read by the benchmark through the exported functions.
#include <pthread.h>
#include <sched.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "IOXAInterface.h"
#include "OXAAnswerQueue.h"

#define BENCH_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

const char kAnswerText[] = "benchmark answer";
const size_t kDataCapacity = 200 * 1024;

std::atomic<long> sCommands{0};
std::atomic<long> sStreams{0};
std::atomic<long> sExpectedTextLength{0};
std::atomic<long> sWrongStreams{0};
std::atomic<long> sRequests{0};

// The audio thread's answer times of the last "audio" command, in ns.
const int kAudioAnswerId = 4;
const int kBusyAnswerId = 3;
std::atomic<long> sAudioMedianNs{0};
std::atomic<long> sAudioP99Ns{0};
std::atomic<long> sAudioMaxNs{0};
std::atomic<long> sAudioDropped{0};
std::atomic<long> sAudioRealtime{0};

// As an audio server runs its process thread: SCHED_FIFO, where allowed.
bool makeRealtime() {
    struct sched_param param = {};
    param.sched_priority = 10;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

long nowNs() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000L + now.tv_nsec;
}

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
        if (startsWith(command, "audio direct ")) return runAudio(kDirect, atol(command + 13));
        if (startsWith(command, "audio queue ")) return runAudio(kQueued, atol(command + 12));
        if (startsWith(command, "audio none ")) return runAudio(kNothing, atol(command + 11));
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
    // How the audio thread answers; kNothing times an empty region, the
    // floor of what the machine lets the thread keep.
    enum AudioMode { kDirect, kQueued, kNothing };

    int runAudio(AudioMode mode, long cycles) {
        if (cycles <= 0) return 2;
        std::vector<long> times(static_cast<size_t>(cycles), 0);
        android::OXAAnswerQueue<256, 64> queue(*this);
        queue.start();
        std::atomic<bool> audioDone{false};
        // Another thread of the module answers all along; Java takes 1 ms
        // over each of these answers.
        std::thread busy([this, &audioDone] {
            while (!audioDone.load()) {
                response(kAnswerText, kBusyAnswerId);
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        });
        std::thread audio([this, &queue, &times, mode] {
            sAudioRealtime = makeRealtime() ? 1 : 0;
            for (long& time : times) {
                const long start = nowNs();
                if (mode == kQueued) {
                    queue.pushText(kAudioAnswerId, kAnswerText);
                } else if (mode == kDirect) {
                    response(kAnswerText, kAudioAnswerId);
                }
                time = nowNs() - start;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        audio.join();
        audioDone.store(true);
        busy.join();
        queue.stop();
        std::sort(times.begin(), times.end());
        sAudioMedianNs = times[times.size() / 2];
        sAudioP99Ns = times[std::min(times.size() - 1, times.size() * 99 / 100)];
        sAudioMaxNs = times.back();
        sAudioDropped = static_cast<long>(queue.dropped());
        return 0;
    }

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

BENCH_EXPORT long bench_audio_median_ns() {
    return sAudioMedianNs;
}

BENCH_EXPORT long bench_audio_p99_ns() {
    return sAudioP99Ns;
}

BENCH_EXPORT long bench_audio_max_ns() {
    return sAudioMaxNs;
}

BENCH_EXPORT long bench_audio_dropped() {
    return sAudioDropped;
}

BENCH_EXPORT long bench_audio_realtime() {
    return sAudioRealtime;
}
