// Every native method called back into the library while a module is inside
// one of its calls: from a worker thread the module waits for, from a Java
// thread, and from inside a request, a stream or a name query. Each case is
// one scenario × one native method and must return within its deadline; a
// target deleted meanwhile must be destroyed by the time the busy call
// returns.
#include <android/log.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

#include "BridgeTest.h"
#include "Deadline.h"
#include "OvikServiceJni.h"

namespace {

const std::chrono::seconds kLimit(20);
const jint kTarget = 7;
const char kTargetName[] = "echo_7";
const jint kOther = 8;
const char kOtherName[] = "echo_8";

// One native method as a callback calls it, and whether its result is the
// one it gives when nothing else is going on.
struct NativeCall {
    const char* name;
    std::function<bool(JNIEnv*)> call;
};

// Where the native method is called from while the target's module is busy.
struct Scenario {
    const char* name;
    // Starts the busy call on the target; the module answers "op:<n>" (or a
    // request, stream or name answer naming the op) while inside it.
    std::function<bool(JNIEnv*)> start;
};

FakeJvm& fake() {
    return FakeJvm::instance();
}

jobject thiz() {
    return fake().newObject();
}

jint sendTo(JNIEnv* env, jint objectId, const std::string& text) {
    return NATIVE(nativeSendCommand)(env, thiz(), objectId, fake().newString(text));
}

std::string targetCommand(const std::string& text) {
    return std::string(kTargetName) + "!" + text;
}

jint streamTo(JNIEnv* env, jint id) {
    static unsigned char bytes[4] = {1, 2, 3, 4};
    return NATIVE(nativeSendStream)(env, thiz(), kTarget, fake().newString("s"),
                                    fake().newDirectBuffer(bytes, sizeof(bytes)), id);
}

bool commandSucceeds(JNIEnv* env, const char* text) {
    return sendTo(env, kTarget, targetCommand(text)) == 0;
}

const NativeCall kCalls[] = {
    {"Setup",
     [](JNIEnv* env) {
         return NATIVE(nativeSetup)(env, thiz(), thiz(), fake().newString("extra_9"), 9) == 0;
     }},
    {"InitClient",
     [](JNIEnv* env) {
         return commandSucceeds(env, "init_client:fake:libfakejni_scripted_wave.so:/nowhere");
     }},
    {"StartClient", [](JNIEnv* env) { return commandSucceeds(env, "start_client"); }},
    {"Activate", [](JNIEnv* env) { return commandSucceeds(env, "activate"); }},
    {"Deactivate", [](JNIEnv* env) { return commandSucceeds(env, "deactivate"); }},
    {"EnableSync", [](JNIEnv* env) { return commandSucceeds(env, "enable_sync"); }},
    {"DisableSync", [](JNIEnv* env) { return commandSucceeds(env, "disable_sync"); }},
    {"BypassOn", [](JNIEnv* env) { return commandSucceeds(env, "setbypassenabledtrue"); }},
    {"BypassOff", [](JNIEnv* env) { return commandSucceeds(env, "setbypassenabledfalse"); }},
    {"Midi", [](JNIEnv* env) { return commandSucceeds(env, "midi:90 40 7f"); }},
    {"ModuleText", [](JNIEnv* env) { return commandSucceeds(env, "say:hello"); }},
    {"TearDown", [](JNIEnv* env) { return commandSucceeds(env, "tear_down"); }},
    {"Request",
     [](JNIEnv* env) {
         return NATIVE(nativeRequest)(env, thiz(), kTarget, fake().newString("w"), 0, 0) != nullptr;
     }},
    {"StreamVersion2", [](JNIEnv* env) { return streamTo(env, 99) == 4; }},
    {"StreamVersion1",
     [](JNIEnv* env) {
         // The object claims version 1 from here on, so the stream becomes text.
         return commandSucceeds(env, "magic:1") && streamTo(env, 99) == 0 &&
                commandSucceeds(env, "magic:2");
     }},
    {"NameQuery",
     [](JNIEnv* env) {
         jstring fallback = fake().newString("default");
         return NATIVE(nativeGetJackClientName)(env, thiz(), fake().newString("q"), fallback,
                                                kTarget) == fallback;
     }},
    {"DeleteTarget",
     [](JNIEnv* env) {
         return NATIVE(nativeDeleteClient)(env, thiz(), fake().newString(kTargetName)) == 0;
     }},
    {"LoadJackLib",
     [](JNIEnv* env) {
         return NATIVE(nativeLoadJackLib)(env, thiz(),
                                          fake().newString(OVIK_FAKEJNI_JACK_LIBRARY)) == 1;
     }},
    {"UnloadJackLib", [](JNIEnv* env) { return NATIVE(nativeUnloadJackLib)(env, thiz()) == 1; }},
    // Stops a thread of the target's while that thread answers: the command
    // joins it, and its answer needs the listener this callback holds.
    {"JoinTheTargetsAnsweringThread",
     [](JNIEnv* env) {
         return commandSucceeds(env, "thread_say:1:busy") && commandSucceeds(env, "join");
     }},
};

const Scenario kScenarios[] = {
    // The command hands its work to a worker and waits for it; the callback
    // runs on the worker.
    {"FromTheWorkerACommandWaitsFor",
     [](JNIEnv* env) { return commandSucceeds(env, "handoff:op"); }},
    // The same, while the commanding thread answers too and so waits for the
    // listener the worker's callback holds.
    {"FromAWorkerWhileTheCommandingThreadAnswers",
     [](JNIEnv* env) { return commandSucceeds(env, "handoff_ping:op"); }},
    {"FromACallbackOnTheJavaThread", [](JNIEnv* env) { return commandSucceeds(env, "say:op"); }},
    {"FromInsideARequest",
     [](JNIEnv* env) {
         return NATIVE(nativeRequest)(env, thiz(), kTarget, fake().newString("op"), 0, 0) !=
                nullptr;
     }},
    {"FromInsideAStream", [](JNIEnv* env) { return streamTo(env, 0) == 4; }},
    {"FromInsideANameQuery",
     [](JNIEnv* env) {
         jstring fallback = fake().newString("default");
         return commandSucceeds(env, "answer_names") &&
                NATIVE(nativeGetJackClientName)(env, thiz(), fake().newString("op"), fallback,
                                                kTarget) == fallback;
     }},
    // The target's worker commands the other client, whose answer calls back
    // into the target.
    {"FromAnotherClientsCallback",
     [](JNIEnv* env) { return commandSucceeds(env, "handoff:relay"); }},
};

// Whether an answer asks the hook to act: "op" for the native method under
// test, "relay" for a command to the other client.
bool asksForTheCall(const std::string& text) {
    return text == "op" || text == "name op" || text == "stream id=0 len=4" ||
           text.compare(0, 15, "request what=op") == 0;
}

class Reentry : public BridgeTest,
                public ::testing::WithParamInterface<std::tuple<size_t, size_t>> {};

TEST_P(Reentry, TheNativeMethodReturnsAndSoDoesTheBusyCall) {
    const Scenario& scenario = kScenarios[std::get<0>(GetParam())];
    const NativeCall& call = kCalls[std::get<1>(GetParam())];
    loadScripted(kTargetName, kTarget);
    loadScripted(kOtherName, kOther);

    std::atomic<int> callsMade(0);
    std::atomic<bool> callResult(false);
    fake().setCallbackHook([&](const CallbackCall& heard) {
        if (heard.text == "relay") {
            sendTo(env(), kOther, std::string(kOtherName) + "!say:op");
        } else if (asksForTheCall(heard.text) && callsMade.fetch_add(1) == 0) {
            callResult = call.call(env());
        }
    });
    bool busyCallResult = false;
    joinWithin(kLimit, std::string(scenario.name) + " calling " + call.name,
               onJavaThread([&] { busyCallResult = scenario.start(env()); }));

    EXPECT_EQ(1, callsMade.load());
    EXPECT_TRUE(callResult.load()) << call.name << " gave another result than usual";
    EXPECT_TRUE(busyCallResult) << scenario.name << " gave another result than usual";
    const bool deleted = std::string(call.name) == "DeleteTarget";
    EXPECT_EQ(deleted ? 1 : 0, LogCapture::countContaining(ANDROID_LOG_INFO, kHostTag,
                                                           "(in)OXAClient destructor is called"))
        << "the busy call returned with the target " << (deleted ? "alive" : "destroyed");
}

std::string caseName(const ::testing::TestParamInfo<Reentry::ParamType>& info) {
    return std::string(kScenarios[std::get<0>(info.param)].name) + "_" +
           kCalls[std::get<1>(info.param)].name;
}

INSTANTIATE_TEST_SUITE_P(
    EveryScenarioAndNativeMethod, Reentry,
    ::testing::Combine(::testing::Range<size_t>(0, sizeof(kScenarios) / sizeof(kScenarios[0])),
                       ::testing::Range<size_t>(0, sizeof(kCalls) / sizeof(kCalls[0]))),
    caseName);

}  // namespace
