// The stress program's seeded operation mix (tests/jvm/java/stress), run
// through the native methods over the fake JNI table so ThreadSanitizer can
// watch it: 8 Java threads over 16 clients with the answer-paths (version 2)
// and command-echo (version 1) modules, whose answers' callbacks re-enter the
// library on Java and module threads. A seed draws the same operations as it does in
// the JVM. OVIK_STRESS_SEED picks the seed, OVIK_STRESS_OPS the operations
// per thread.
#include <android/log.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <random>
#include <thread>

#include "BridgeTest.h"
#include "Deadline.h"
#include "OvikServiceJni.h"

namespace {

const int kThreads = 8;
const int kClients = 16;
const int kHandleId = 77;
const uint64_t kGolden = 0x9E3779B97F4A7C15ull;

// The mix of OpMix.java, kind by kind and draw by draw.
enum Kind {
    kSetup,
    kCommand,
    kModule,
    kRequest,
    kStream,
    kName,
    kDelete,
    kReenterJava,
    kReenterModule,
    kSweep,
    kUsb
};
const int kWeights[] = {100, 230, 190, 80, 80, 80, 30, 90, 104, 1, 15};
const char* const kWords[] = {"midi:90 40 7f",
                              "setbypassenabledfalse",
                              "setbypassenabledtrue",
                              "tear_down",
                              "activate",
                              "deactivate",
                              "enable_sync",
                              "disable_sync",
                              "init",
                              "start_client -a  b",
                              "activate "};
const char* const kTexts[] = {"say # hello",
                              "say_plain plain",
                              "say_null #",
                              "say_data # 48",
                              "thread_say # 3 tick",
                              "thread_stop",
                              "jack_name jack#",
                              "jack_name_null",
                              "farewell bye",
                              "handle_say 77 through the handle",
                              "result #",
                              "no_such_word #"};
const char* const kReentryCommands[] = {
    "say 1 again",          "midi:80",      "enable_sync", "disable_sync",
    "setbypassenabledtrue", "start_client", "result 2",    "jack_name inner"};
const int kReentryRequest = 8, kReentryStream = 9, kReentryName = 10, kReentryDelete = 11;

template <typename T, size_t N>
int countOf(T (&)[N]) {
    return static_cast<int>(N);
}

struct Op {
    int kind;
    int client;
    std::string text;
    int number;
};

std::string nameOf(int client) {
    return "stress_" + std::to_string(client);
}

std::string initCommand(int client) {
    return std::string("init_client:stress:") +
           (client % 2 == 0 ? "libanswer_paths.so" : "libwave_command_echo.so") + ":" +
           OVIK_JVM_MODULE_DIR;
}

class OpMix {
public:
    OpMix(uint64_t seed, int thread) : mState(seed + (thread + 1) * kGolden) {}

    Op next() {
        int roll = below(1000);
        int kind = 0;
        while (roll >= kWeights[kind]) roll -= kWeights[kind++];
        const int client = below(kClients);
        switch (kind) {
            case kCommand: {
                const std::string word = kWords[below(countOf(kWords))];
                return {kind, client, word == "init" ? initCommand(client) : word, 0};
            }
            case kModule: {
                std::string text = kTexts[below(countOf(kTexts))];
                const std::string number = std::to_string(1 + below(8));
                for (size_t at; (at = text.find('#')) != std::string::npos;) {
                    text.replace(at, 1, number);
                }
                return {kind, client, text, 0};
            }
            case kRequest:
            case kStream:
                return {kind, client, "", 1 + below(64)};
            case kReenterJava:
            case kReenterModule: {
                const int reentry = below(kReentryDelete + 1);
                const std::string marker =
                    "@" + std::to_string(reentry) + ":" + std::to_string(below(kClients));
                return {kind, client,
                        (kind == kReenterJava ? "say 9 " : "thread_say 9 2 ") + marker, 0};
            }
            case kSweep:
            case kUsb:
                return {kind, client & ~1, kind == kSweep ? "force_death swept" : "usb 1 owned", 0};
            default:
                return {kind, client, "", 0};
        }
    }

private:
    uint64_t nextNumber() {
        uint64_t z = (mState += kGolden);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int bound) { return static_cast<int>(nextNumber() % static_cast<uint64_t>(bound)); }

    uint64_t mState;
};

thread_local bool tIsWorker = false;

class StressTest : public BridgeTest {
protected:
    void SetUp() override {
        BridgeTest::SetUp();
        for (const char* file : {"libanswer_paths.so", "libwave_command_echo.so"}) {
            // Kept loaded, so the counters outlive the clients that load the module.
            void* library = dlopen((std::string(OVIK_JVM_MODULE_DIR) + "/" + file).c_str(),
                                   RTLD_NOW | RTLD_GLOBAL);
            ASSERT_NE(nullptr, library) << dlerror();
            mLibraries.push_back(library);
        }
    }

    int counter(void* library, const char* symbol) {
        typedef int (*Counter)();
        Counter count = reinterpret_cast<Counter>(dlsym(library, symbol));
        return count != nullptr ? count() : -1;
    }

    void perform(const Op& op) {
        switch (op.kind) {
            case kSetup:
                setup(nameOf(op.client), op.client);
                command(op.client, nameOf(op.client) + "!" + initCommand(op.client));
                break;
            case kRequest:
                request(op.client, op.number);
                break;
            case kStream:
                stream(op.client, op.number);
                break;
            case kName:
                NATIVE(nativeGetJackClientName)
                (env(), fake().newObject(), fake().newString("jack"), fake().newString("default"),
                 op.client);
                break;
            case kDelete:
                remove(op.client);
                break;
            default:
                command(op.client, nameOf(op.client) + "!" + op.text);
        }
    }

    void request(int client, int ext1) {
        NATIVE(nativeRequest)
        (env(), fake().newObject(), client, fake().newString("fill 64"), ext1, 200000);
    }

    void stream(int client, int length) {
        NATIVE(nativeSendStream)
        (env(), fake().newObject(), client, fake().newString(nameOf(client)),
         fake().newDirectBuffer(mStreamBytes, length), length);
    }

    void remove(int client) {
        NATIVE(nativeDeleteClient)(env(), fake().newObject(), fake().newString(nameOf(client)));
    }

    void onCallback(const CallbackCall& call) {
        if (call.method == fake().dataMethod()) {
            ++mDelivered;
            return;
        }
        if (call.msgType != 0) return;
        ++(call.ext1 == kHandleId ? mHandleDelivered : mDelivered);
        const size_t space = call.text.rfind(' ');
        const std::string last =
            space == std::string::npos ? call.text : call.text.substr(space + 1);
        if (last.empty() || last[0] != '@') return;
        ++mReentries;
        if (!tIsWorker) ++mModuleThreadReentries;
        const int reentry = atoi(last.c_str() + 1);
        const int target = atoi(last.c_str() + last.find(':') + 1);
        if (reentry < kReentryRequest) {
            command(target, nameOf(target) + "!" + kReentryCommands[reentry]);
        } else if (reentry == kReentryRequest) {
            request(target, reentry);
        } else if (reentry == kReentryStream) {
            stream(target, 16);
        } else if (reentry == kReentryName) {
            NATIVE(nativeGetJackClientName)
            (env(), fake().newObject(), fake().newString("jack"), fake().newString("default"),
             target);
        } else {
            remove(target);
        }
    }

    std::vector<void*> mLibraries;
    unsigned char mStreamBytes[64] = {1, 2, 3, 5, 8, 13, 21, 34};
    std::atomic<int> mDelivered{0};
    std::atomic<int> mHandleDelivered{0};
    std::atomic<int> mReentries{0};
    std::atomic<int> mModuleThreadReentries{0};
};

TEST_F(StressTest, SeededOperationMix) {
    const char* seedText = getenv("OVIK_STRESS_SEED");
    const char* opsText = getenv("OVIK_STRESS_OPS");
    const uint64_t seed =
        seedText != nullptr
            ? strtoull(seedText, nullptr, 10)
            : (static_cast<uint64_t>(std::random_device()()) << 32) | std::random_device()();
    const int ops = opsText != nullptr ? atoi(opsText) : 2000;
    printf("stress: seed %llu, %d threads x %d operations over %d clients\n",
           static_cast<unsigned long long>(seed), kThreads, ops, kClients);
    ensureListener();
    fake().setCallbackHook([this](const CallbackCall& call) { onCallback(call); });

    joinWithin(std::chrono::seconds(300), "the seeded operation mix", onJavaThread([&] {
                   std::vector<std::thread> workers;
                   for (int t = 0; t < kThreads; ++t) {
                       workers.emplace_back([this, seed, ops, t] {
                           fake().makeJavaThread();
                           tIsWorker = true;
                           OpMix mix(seed, t);
                           for (int i = 0; i < ops; ++i) perform(mix.next());
                       });
                   }
                   for (std::thread& worker : workers) worker.join();
                   // A client that deleted itself on its module's thread is destroyed at
                   // the next call that reaches the registry once that thread has left
                   // its answer: the rounds go on until no module object is left.
                   do {
                       for (int client = 0; client < kClients; ++client) remove(client);
                       std::this_thread::yield();
                   } while (counter(mLibraries[0], "jvmwave_live_objects") +
                                counter(mLibraries[1], "jvmwave_live_objects") >
                            0);
               }));
    fake().setCallbackHook(nullptr);

    const int sent = counter(mLibraries[0], "jvmwave_answers_sent") +
                     counter(mLibraries[1], "jvmwave_answers_sent");
    const int handleSent = counter(mLibraries[0], "jvmwave_handle_answers_sent");
    const int dropped = LogCapture::count(
        ANDROID_LOG_ERROR, kHostTag,
        "an answer through the response handle was dropped: the client it answered to is gone");
    printf(
        "stress: answers %d sent, %d delivered; through the handle %d sent, %d delivered, %d "
        "dropped; %d re-entries (%d on module threads)\n",
        sent, mDelivered.load(), handleSent, mHandleDelivered.load(), dropped, mReentries.load(),
        mModuleThreadReentries.load());
    EXPECT_EQ(sent, mDelivered.load());
    EXPECT_EQ(handleSent, mHandleDelivered.load() + dropped);
    EXPECT_EQ(0, OXAClientLoader::getClientCount());
    for (void* library : mLibraries) {
        EXPECT_EQ(0, counter(library, "jvmwave_live_objects"));
        EXPECT_EQ(0, counter(library, "jvmwave_live_threads"));
    }
}

}  // namespace
