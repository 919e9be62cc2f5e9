// The native methods through their exported entry points: the constants,
// setup, deletion, the JACK client name, streams and the JACK library, each
// with its results and lines, and the table of bad input from Java at every
// native method that takes any.
#include <android/log.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <limits.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "BridgeTest.h"
#include "Deadline.h"
#include "OvikServiceJni.h"
#include "ovikjack.h"

namespace {

class NativeMethods : public BridgeTest {
protected:
    jobject thiz() { return fake().newObject(); }
    jint deleteClient(jstring name) { return NATIVE(nativeDeleteClient)(env(), thiz(), name); }
    jstring jackName(jstring name, jstring defaultName, jint objectId) {
        return NATIVE(nativeGetJackClientName)(env(), thiz(), name, defaultName, objectId);
    }
    jint stream(jint objectId, jobject buffer, jint id) {
        return NATIVE(nativeSendStream)(env(), thiz(), objectId, fake().newString("s"), buffer, id);
    }
};

TEST_F(NativeMethods, AnswerTheirConstants) {
    EXPECT_EQ(1, NATIVE(nativeGetNativeVersionCode)(env(), thiz()));
    EXPECT_EQ(4, NATIVE(nativeGetTargetAPILevel)(env(), thiz()));
    for (jint feature : {-1, 0, 7, 1000}) {
        EXPECT_EQ(3, NATIVE(nativeIsFeatureSupport)(env(), thiz(), feature));
    }
    EXPECT_EQ(0, NATIVE(nativeIsAPILevelAllowed)(env(), thiz(), 3));
    EXPECT_EQ(0, NATIVE(nativeIsAPILevelAllowed)(env(), thiz(), 4));
    EXPECT_EQ(1, NATIVE(nativeIsAPILevelAllowed)(env(), thiz(), 5));
    EXPECT_EQ(1, NATIVE(nativeIsAPILevelAllowed)(env(), thiz(), 100));
    EXPECT_EQ(std::vector<LogLine>(), LogCapture::lines());
}

TEST_F(NativeMethods, ExposeTheServiceAndListenerConstants) {
    EXPECT_EQ(-1, OXAControl::NOT_EXIST_OBJECT_ID);
    EXPECT_EQ(4, OXAControl::OXASERVICE_API_LEVEL);
    EXPECT_EQ(0, JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_MESSAGE);
    EXPECT_EQ(100, JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_DIED);
    EXPECT_EQ(1122, JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_DATA);
    EXPECT_EQ(1123, JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED);
    EXPECT_EQ(1, JNIOXAUserContext::USB_DEVICE_CONTROLLED_BY_KESTROVA);
    EXPECT_EQ(0, JNIOXAUserContext::USB_DEVICE_CONTROLLED_BY_ANDROID);
    EXPECT_EQ(1, JNIOXAUserContext::DIED_UNKNOWN_REASON);
    EXPECT_EQ(2, JNIOXAUserContext::DIED_BY_FORCE_FROM_USER_REQUEST);
}

class NativeSetup : public NativeMethods {};

TEST_F(NativeSetup, TheFirstSetupCreatesTheListenerAndMakesItEveryClientsListener) {
    removeListener();
    LogCapture::clear();
    EXPECT_EQ(0, setup("first_1", 1));
    JNIOXAUserContext* listener = JNIOXAUserContext::mJNIOXAUserContext;
    ASSERT_NE(nullptr, listener);
    EXPECT_EQ(static_cast<android::OXAUserListener*>(listener), android::OXAClient::mListener);
    EXPECT_TRUE(LogCapture::contains(ANDROID_LOG_INFO, kBridgeTag,
                                     "JNIOXAUserContext creating this=" + pointerText(listener)));
    EXPECT_EQ(fake().localRefsMade(), fake().localRefsDeleted());
}

TEST_F(NativeSetup, TwiceWithTheSameIdReturnsZeroAndMakesNoSecondClientOrListener) {
    ASSERT_EQ(0, setup("twice_2", 2));
    JNIOXAUserContext* listener = JNIOXAUserContext::mJNIOXAUserContext;
    const OXAClientLoader::ClientRef first = OXAClientLoader::getClient(2);
    LogCapture::clear();
    EXPECT_EQ(0, setup("twice_2", 2));
    EXPECT_TRUE(LogCapture::contains(ANDROID_LOG_INFO, kBridgeTag, "Loader: already exist"));
    EXPECT_EQ(first, OXAClientLoader::getClient(2));
    EXPECT_EQ(listener, JNIOXAUserContext::mJNIOXAUserContext);
    EXPECT_EQ(1, OXAClientLoader::getClientCount());
}

TEST_F(NativeSetup, WithoutTheObjectsClassReturnsOneButRegistersTheClient) {
    removeListener();
    fake().failGetObjectClass();
    LogCapture::clear();
    EXPECT_EQ(1, setup("noclass_3", 3));
    EXPECT_TRUE(
        LogCapture::contains(ANDROID_LOG_ERROR, kBridgeTag, "fail to setup, Can't find clazz"));
    EXPECT_NE(nullptr, OXAClientLoader::getClient(3));
    EXPECT_EQ(nullptr, JNIOXAUserContext::mJNIOXAUserContext);
    EXPECT_EQ(nullptr, android::OXAClient::mListener);
}

TEST_F(NativeSetup, AfterAMissingClassTheNextSetupCreatesTheListener) {
    removeListener();
    fake().failGetObjectClass();
    ASSERT_EQ(1, setup("noclass_3", 3));
    fake().reset();
    EXPECT_EQ(0, setup("next_4", 4));
    EXPECT_NE(nullptr, JNIOXAUserContext::mJNIOXAUserContext);
    EXPECT_EQ(2, OXAClientLoader::getClientCount());
}

TEST_F(NativeSetup, WithANullNameReturnsOneAndCreatesNothing) {
    removeListener();
    EXPECT_EQ(1, NATIVE(nativeSetup)(env(), thiz(), thiz(), nullptr, 5));
    EXPECT_EQ(0, OXAClientLoader::getClientCount());
    EXPECT_EQ(nullptr, JNIOXAUserContext::mJNIOXAUserContext);
    EXPECT_EQ(1u, bridgeLines(ANDROID_LOG_ERROR).size());
}

TEST_F(NativeSetup, WithAnUnreadableNameReturnsOneAndCreatesNothing) {
    removeListener();
    fake().failGetStringUtfChars();
    EXPECT_EQ(1, setup("unread_5", 5));
    EXPECT_EQ(0, OXAClientLoader::getClientCount());
    EXPECT_EQ(nullptr, JNIOXAUserContext::mJNIOXAUserContext);
    EXPECT_EQ(1u, bridgeLines(ANDROID_LOG_ERROR).size());
    EXPECT_EQ(nullptr, fake().pendingException());
}

TEST_F(NativeSetup, WithANameWithoutUnderscoreReturnsOneAndRegistersNothing) {
    EXPECT_EQ(1, setup("nounderscore", 6));
    EXPECT_TRUE(LogCapture::contains(ANDROID_LOG_ERROR, kHostTag, "invalid client name"));
    EXPECT_EQ(0, OXAClientLoader::getClientCount());
    EXPECT_FALSE(bridgeLines(ANDROID_LOG_ERROR).empty());
}

class NativeSendCommand : public NativeMethods {};

TEST_F(NativeSendCommand, WithoutAClientReturnsOneAfterTheRegistrysLine) {
    EXPECT_EQ(1, command(77, "x_77!say:hi"));
    EXPECT_EQ(std::vector<std::string>{"Loader: OXAClient[id:77] is not found"},
              bridgeLines(ANDROID_LOG_INFO));
    EXPECT_EQ(std::vector<std::string>{"fail to send command. client is null"},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeSendCommand, WithANullCommandReturnsOne) {
    ASSERT_EQ(0, setup("cmd_8", 8));
    LogCapture::clear();
    EXPECT_EQ(1, NATIVE(nativeSendCommand)(env(), thiz(), 8, nullptr));
    EXPECT_EQ(std::vector<std::string>{"fail to send command. param is null."},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeSendCommand, WithAnUnreadableCommandReturnsOne) {
    ASSERT_EQ(0, setup("cmd_8", 8));
    fake().failGetStringUtfChars();
    LogCapture::clear();
    EXPECT_EQ(1, command(8, "cmd_8!say:hi"));
    EXPECT_EQ(std::vector<std::string>{"fail to send command. param is null."},
              bridgeLines(ANDROID_LOG_ERROR));
    EXPECT_EQ(nullptr, fake().pendingException());
}

TEST_F(NativeSendCommand, WithANullCommandAndNoClientReportsTheMissingClient) {
    EXPECT_EQ(1, NATIVE(nativeSendCommand)(env(), thiz(), 9, nullptr));
    EXPECT_EQ(std::vector<std::string>{"fail to send command. client is null"},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeSendCommand, ReturnsTheModulesResultUnchanged) {
    loadScripted("echo_3", 3);
    EXPECT_EQ(9, command(3, "echo_3!no_such_word"));
    EXPECT_EQ(0, command(3, "echo_3!say:x"));
}

class NativeDeleteClient : public NativeMethods {};

TEST_F(NativeDeleteClient, WithANullNameReturnsOneAndLogsNothing) {
    EXPECT_EQ(1, deleteClient(nullptr));
    EXPECT_EQ(std::vector<LogLine>(), LogCapture::lines());
}

TEST_F(NativeDeleteClient, WithAnUnreadableNameReturnsOne) {
    ASSERT_EQ(0, setup("del_2", 2));
    fake().failGetStringUtfChars();
    EXPECT_EQ(1, deleteClient(fake().newString("del_2")));
    EXPECT_EQ(1, OXAClientLoader::getClientCount());
    EXPECT_EQ(nullptr, fake().pendingException());
}

TEST_F(NativeDeleteClient, WithAnUnknownNameReturnsZero) {
    EXPECT_EQ(0, deleteClient(fake().newString("nobody_1")));
    EXPECT_TRUE(
        LogCapture::contains(ANDROID_LOG_INFO, kBridgeTag, "Loader: OXAClient is not existed"));
}

TEST_F(NativeDeleteClient, RemovesAndDestroysTheClientWithoutTellingJava) {
    loadScripted("echo_3", 3);
    ASSERT_EQ(0, command(3, "echo_3!farewell"));
    fake().reset();
    EXPECT_EQ(0, deleteClient(fake().newString("echo_3")));
    EXPECT_EQ(0, OXAClientLoader::getClientCount());
    // Only the module's own farewell answers reach Java: no death notice.
    EXPECT_EQ((std::vector<std::string>{"teardown", "destroyed"}), texts());
}

class NativeGetJackClientName : public NativeMethods {};

TEST_F(NativeGetJackClientName, WithoutAClientGivesBackTheDefaultWithoutALineOfItsOwn) {
    jstring defaultName = fake().newString("default");
    EXPECT_EQ(defaultName, jackName(fake().newString("n"), defaultName, 5));
    EXPECT_EQ(std::vector<std::string>{"Loader: OXAClient[id:5] is not found"},
              bridgeLines(ANDROID_LOG_INFO));
    EXPECT_EQ(std::vector<std::string>(), bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeGetJackClientName, WithANullNameGivesBackTheDefault) {
    loadScripted("echo_3", 3);
    LogCapture::clear();
    jstring defaultName = fake().newString("default");
    EXPECT_EQ(defaultName, jackName(nullptr, defaultName, 3));
    EXPECT_EQ(std::vector<std::string>{"fail to get jack client name. param is null"},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeGetJackClientName, WithAnUnreadableNameGivesBackTheDefault) {
    loadScripted("echo_3", 3);
    fake().failGetStringUtfChars();
    LogCapture::clear();
    jstring defaultName = fake().newString("default");
    EXPECT_EQ(defaultName, jackName(fake().newString("n"), defaultName, 3));
    EXPECT_EQ(std::vector<std::string>{"fail to get jack client name. param is null"},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeGetJackClientName, GivesTheModulesNameAsANewString) {
    loadScripted("echo_3", 3);
    ASSERT_EQ(0, command(3, "echo_3!jack_name:echo_jack"));
    jstring defaultName = fake().newString("default");
    jstring result = jackName(fake().newString("n"), defaultName, 3);
    ASSERT_NE(nullptr, result);
    EXPECT_NE(defaultName, result);
    EXPECT_EQ("echo_jack", reinterpret_cast<FakeObject*>(result)->text);
}

TEST_F(NativeGetJackClientName, GivesBackTheDefaultWhenTheModuleHasNoName) {
    loadScripted("echo_3", 3);
    ASSERT_EQ(0, command(3, "echo_3!jack_name_null"));
    LogCapture::clear();
    jstring defaultName = fake().newString("default");
    EXPECT_EQ(defaultName, jackName(fake().newString("n"), defaultName, 3));
    EXPECT_EQ(std::vector<std::string>{"jack client name is not set. So, default name that you "
                                       "set will be used."},
              bridgeLines(ANDROID_LOG_INFO));
}

TEST_F(NativeGetJackClientName, GivesBackTheDefaultWhenNewStringUtfFails) {
    loadScripted("echo_3", 3);
    ASSERT_EQ(0, command(3, "echo_3!jack_name:echo_jack"));
    fake().failNewStringUtf();
    jstring defaultName = fake().newString("default");
    EXPECT_EQ(defaultName, jackName(fake().newString("n"), defaultName, 3));
    EXPECT_EQ(nullptr, fake().pendingException());
}

class NativeSendStream : public NativeMethods {};

TEST_F(NativeSendStream, WithoutAClientReturnsOne) {
    unsigned char bytes[4] = {0};
    EXPECT_EQ(1, stream(6, fake().newDirectBuffer(bytes, sizeof(bytes)), 1));
    EXPECT_EQ(std::vector<std::string>{"fail to send stream. client is null"},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeSendStream, WithAHeapBufferReturnsOne) {
    ASSERT_EQ(0, setup("st_6", 6));
    LogCapture::clear();
    EXPECT_EQ(1, stream(6, fake().newHeapBuffer(), 1));
    EXPECT_EQ(std::vector<std::string>{"fail to send stream. param is null."},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeSendStream, WithANullBufferReturnsOne) {
    ASSERT_EQ(0, setup("st_6", 6));
    LogCapture::clear();
    EXPECT_EQ(1, stream(6, nullptr, 1));
    EXPECT_EQ(std::vector<std::string>{"fail to send stream. param is null."},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeSendStream, HandsTheModuleTheBufferAndReturnsItsResult) {
    loadScripted("echo_3", 3);
    fake().reset();
    unsigned char bytes[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(6, stream(3, fake().newDirectBuffer(bytes, sizeof(bytes)), 5));
    EXPECT_EQ(std::vector<std::string>{"stream id=5 len=6"}, texts());
}

class NativeJackLibrary : public NativeMethods {
protected:
    void SetUp() override {
        NativeMethods::SetUp();
        // Keeps the JACK library mapped when the loader closes it, so what
        // it allocates for itself stays reachable and is not seen as leaked.
        static void* pinned = dlopen(OVIK_FAKEJNI_JACK_LIBRARY, RTLD_NOW | RTLD_NODELETE);
        ASSERT_NE(nullptr, pinned);
    }
    void TearDown() override {
        unload_jack_lib_symbols();
        NativeMethods::TearDown();
    }
    jint load(jstring path) { return NATIVE(nativeLoadJackLib)(env(), thiz(), path); }
    jint unload() { return NATIVE(nativeUnloadJackLib)(env(), thiz()); }
};

TEST_F(NativeJackLibrary, LoadsTheJackSymbolsFromAPath) {
    EXPECT_EQ(1, load(fake().newString(OVIK_FAKEJNI_JACK_LIBRARY)));
    EXPECT_EQ(std::vector<std::string>{std::string("libjack symbols loaded path=") +
                                       OVIK_FAKEJNI_JACK_LIBRARY},
              bridgeLines(ANDROID_LOG_DEBUG));
    EXPECT_NE(nullptr, ovikjack_symbol("jack_client_open"));
}

TEST_F(NativeJackLibrary, ReportsAPathThatDoesNotLoad) {
    EXPECT_EQ(0, load(fake().newString("/nonexistent/libjack.so")));
    EXPECT_EQ(std::vector<std::string>{"fail to load libjack symbols path=/nonexistent/libjack.so"},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeJackLibrary, ReportsANullPath) {
    EXPECT_EQ(0, load(nullptr));
    EXPECT_EQ(std::vector<std::string>{"fail to load libjack symbols, filePathName is null."},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeJackLibrary, UnloadLeavesTheJackLibraryWhileAClientIsRegistered) {
    ASSERT_EQ(1, load(fake().newString(OVIK_FAKEJNI_JACK_LIBRARY)));
    ASSERT_EQ(0, setup("jack_1", 1));
    EXPECT_EQ(1, unload());
    EXPECT_NE(nullptr, ovikjack_symbol("jack_client_open"));
}

TEST_F(NativeJackLibrary, UnloadLeavesTheJackLibraryUntilADeletedClientIsDestroyed) {
    ASSERT_EQ(1, load(fake().newString(OVIK_FAKEJNI_JACK_LIBRARY)));
    loadScripted("jack_2", 2);
    std::atomic<bool> unloaded(false);
    fake().setCallbackHook([&](const CallbackCall& call) {
        if (call.text != "bye") return;
        // On the module's thread, inside its answer: the client cannot be
        // destroyed here, so it still counts.
        NATIVE(nativeDeleteClient)(env(), thiz(), fake().newString("jack_2"));
        unload();
        unloaded = true;
    });
    joinWithin(std::chrono::seconds(20), "unloading inside a module thread's answer",
               onJavaThread([&] {
                   ASSERT_EQ(0, command(2, "jack_2!thread_say:1:bye"));
                   while (!unloaded) std::this_thread::yield();
                   EXPECT_NE(nullptr, ovikjack_symbol("jack_client_open"));
                   EXPECT_EQ(1, unload());
               }));
    EXPECT_EQ(1, LogCapture::countContaining(ANDROID_LOG_INFO, kHostTag, "WaveLib was closed"));
    EXPECT_EQ(nullptr, ovikjack_symbol("jack_client_open"));
}

// A set-up that comes between "no client lives" and the unload itself would
// open its JACK client against a library that is going: it waits instead.
TEST_F(NativeJackLibrary, ASetUpDuringTheUnloadWaitsUntilTheLibraryIsGone) {
    ASSERT_EQ(1, load(fake().newString(OVIK_FAKEJNI_WATCHED_JACK_LIBRARY)));
    void* watched = dlopen(OVIK_FAKEJNI_WATCHED_JACK_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(nullptr, watched);
    auto setHook =
        reinterpret_cast<void (*)(void (*)())>(dlsym(watched, "watched_jack_set_unload_hook"));
    dlclose(watched);
    ASSERT_NE(nullptr, setHook);
    static std::atomic<bool> setUpReturned(false);
    static bool setUpDuringUnload = false;
    static std::function<void()> duringUnload;
    setUpReturned = false;
    std::thread other;
    duringUnload = [this, &other] {
        other = std::thread([this] {
            fake().makeJavaThread();
            EXPECT_EQ(0, setup("late_3", 3));
            setUpReturned = true;
        });
        // Long enough for a set-up that does not wait; one that waits is
        // still waiting when the unload goes on.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        setUpDuringUnload = setUpReturned;
    };
    setHook([] { duringUnload(); });
    joinWithin(std::chrono::seconds(20), "an unload with a set-up beside it",
               onJavaThread([this] { EXPECT_EQ(1, unload()); }));
    joinWithin(std::chrono::seconds(20), "the set-up after the unload", [&other] { other.join(); });
    EXPECT_FALSE(setUpDuringUnload) << "a client was set up while the JACK library went";
    EXPECT_EQ(nullptr, ovikjack_symbol("jack_client_open"));
}

TEST_F(NativeJackLibrary, UnloadUnloadsOnceNoClientIsRegistered) {
    ASSERT_EQ(1, load(fake().newString(OVIK_FAKEJNI_JACK_LIBRARY)));
    EXPECT_EQ(1, unload());
    EXPECT_EQ(nullptr, ovikjack_symbol("jack_client_open"));
}

// ---- Bad input from Java, at every native method that takes any -----------

// What a row passes where the method takes a text.
enum class Text {
    kNull,
    kEmpty,
    kNoUnderscore,
    kClientName,
    kCommand,
    kMebibyteName,
    kMebibyteCommand
};
// What a row passes where the method takes a buffer.
enum class Buffer { kNone, kHeap, kZeroCapacity, kNullAddress, kDirect };

// The result of a jobject method as a number: a buffer's capacity, -1 for
// null; for nativeGetJackClientName kDefault when `defaultName` itself came
// back and kModuleName for the module's name.
const long long kNullBuffer = -1;
const long long kDefault = 0;
const long long kModuleName = 1;
const jint kScripted = 3;

struct BadInput {
    const char* label;
    const char* method;
    bool client;  // the scripted module runs as client kScripted first
    Text text;
    jint number;  // the object id, or the method's one int argument
    Buffer buffer;
    bool throws;  // the library's first read of its input throws std::bad_alloc
    long long result;
    const char* error;  // the start of the last bridge ERROR line, or null for none
};

void PrintTo(const BadInput& row, std::ostream* os) {
    *os << row.label;
}

const std::string kMebibyte(1 << 20, 'x');

class BadInputFromJava : public NativeMethods, public testing::WithParamInterface<BadInput> {
protected:
    jstring text(Text kind) {
        switch (kind) {
            case Text::kNull:
                return nullptr;
            case Text::kEmpty:
                return fake().newString("");
            case Text::kNoUnderscore:
                return fake().newString("nounderscore");
            case Text::kClientName:
                return fake().newString("echo_3");
            case Text::kCommand:
                return fake().newString("echo_3!say:hi");
            case Text::kMebibyteName:
                return fake().newString(kMebibyte + "_7");
            case Text::kMebibyteCommand:
                return fake().newString("echo_3!say:" + kMebibyte);
        }
        return nullptr;
    }
    jobject buffer(Buffer kind) {
        switch (kind) {
            case Buffer::kNone:
                return nullptr;
            case Buffer::kHeap:
                return fake().newHeapBuffer();
            case Buffer::kZeroCapacity:
                return fake().newDirectBuffer(mBytes, 0);
            case Buffer::kNullAddress:
                return fake().newDirectBuffer(nullptr, 0);
            case Buffer::kDirect:
                return fake().newDirectBuffer(mBytes, sizeof(mBytes));
        }
        return nullptr;
    }
    long long call(const BadInput& row) {
        const std::string method = row.method;
        jstring string = text(row.text);
        if (method == "nativeSetup") {
            return NATIVE(nativeSetup)(env(), thiz(), thiz(), string, row.number);
        }
        if (method == "nativeSendCommand") {
            return NATIVE(nativeSendCommand)(env(), thiz(), row.number, string);
        }
        if (method == "nativeDeleteClient") return deleteClient(string);
        if (method == "nativeRequest") {
            jobject result =
                NATIVE(nativeRequest)(env(), thiz(), row.number, string, LLONG_MIN, -1);
            if (result == nullptr) return kNullBuffer;
            return reinterpret_cast<FakeObject*>(result)->capacity;
        }
        if (method == "nativeSendStream") {
            return NATIVE(nativeSendStream)(env(), thiz(), row.number, string, buffer(row.buffer),
                                            INT_MIN);
        }
        if (method == "nativeGetJackClientName") {
            jstring defaultName = row.buffer == Buffer::kNone ? nullptr : fake().newString("d");
            jstring result = jackName(string, defaultName, row.number);
            if (result == defaultName) return kDefault;
            return reinterpret_cast<FakeObject*>(result)->text == "echo_jack" ? kModuleName : -1;
        }
        if (method == "nativeLoadJackLib") {
            const jint loaded = NATIVE(nativeLoadJackLib)(env(), thiz(), string);
            unload_jack_lib_symbols();
            return loaded;
        }
        if (method == "nativeIsAPILevelAllowed") {
            return NATIVE(nativeIsAPILevelAllowed)(env(), thiz(), row.number);
        }
        if (method == "nativeIsFeatureSupport") {
            return NATIVE(nativeIsFeatureSupport)(env(), thiz(), row.number);
        }
        ADD_FAILURE() << "no such method " << method;
        return 0;
    }

    unsigned char mBytes[4] = {1, 2, 3, 4};
};

TEST_P(BadInputFromJava, GivesTheDocumentedResultAndLeavesNoExceptionOfItsOwn) {
    const BadInput& row = GetParam();
    if (row.client) {
        loadScripted("echo_3", kScripted);
        ASSERT_EQ(0, command(kScripted, "echo_3!jack_name:echo_jack"));
    }
    LogCapture::clear();
    if (row.throws) fake().throwBadAllocOnRead();
    EXPECT_EQ(row.result, call(row));
    const std::vector<std::string> errors = bridgeLines(ANDROID_LOG_ERROR);
    if (row.error == nullptr) {
        EXPECT_EQ(std::vector<std::string>(), errors);
    } else {
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(0u, errors.back().find(row.error)) << testing::PrintToString(errors);
    }
    EXPECT_EQ(nullptr, fake().pendingException());
    EXPECT_EQ(std::vector<jthrowable>(), fake().thrown());
}

const char kNoClient[] = "fail to send command. client is null";
const char kNoRequestClient[] = "fail to request command. client is null";
const char kNoStreamClient[] = "fail to send stream. client is null";
const char kNotDirect[] = "fail to send stream. param is null.";

// clang-format off
const BadInput kBadInputs[] = {
    {"SetupNullName", "nativeSetup", false, Text::kNull, 5, Buffer::kNone, false, 1, "fail to setup, the client name is null"},
    {"SetupEmptyName", "nativeSetup", false, Text::kEmpty, 5, Buffer::kNone, false, 1, "fail to setup, invalid client name "},
    {"SetupNameWithoutUnderscore", "nativeSetup", false, Text::kNoUnderscore, 5, Buffer::kNone, false, 1, "fail to setup, invalid client name nounderscore"},
    {"SetupMebibyteName", "nativeSetup", false, Text::kMebibyteName, 7, Buffer::kNone, false, 0, nullptr},
    {"SetupIdIntMin", "nativeSetup", false, Text::kClientName, INT_MIN, Buffer::kNone, false, 0, nullptr},
    {"SetupIdIntMax", "nativeSetup", false, Text::kClientName, INT_MAX, Buffer::kNone, false, 0, nullptr},
    {"SetupIdMinusOne", "nativeSetup", false, Text::kClientName, -1, Buffer::kNone, false, 0, nullptr},
    {"SetupThrows", "nativeSetup", false, Text::kClientName, 5, Buffer::kNone, true, 1, "nativeSetup threw: std::bad_alloc"},

    {"CommandNull", "nativeSendCommand", true, Text::kNull, kScripted, Buffer::kNone, false, 1, "fail to send command. param is null."},
    {"CommandEmpty", "nativeSendCommand", true, Text::kEmpty, kScripted, Buffer::kNone, false, 1, nullptr},
    {"CommandWithoutUnderscore", "nativeSendCommand", true, Text::kNoUnderscore, kScripted, Buffer::kNone, false, 1, nullptr},
    {"CommandMebibyte", "nativeSendCommand", true, Text::kMebibyteCommand, kScripted, Buffer::kNone, false, 0, nullptr},
    {"CommandIdIntMin", "nativeSendCommand", true, Text::kCommand, INT_MIN, Buffer::kNone, false, 1, kNoClient},
    {"CommandIdIntMax", "nativeSendCommand", true, Text::kCommand, INT_MAX, Buffer::kNone, false, 1, kNoClient},
    {"CommandIdMinusOne", "nativeSendCommand", true, Text::kCommand, -1, Buffer::kNone, false, 1, kNoClient},
    {"CommandThrows", "nativeSendCommand", true, Text::kCommand, kScripted, Buffer::kNone, true, 1, "nativeSendCommand threw: std::bad_alloc"},

    {"DeleteNull", "nativeDeleteClient", true, Text::kNull, 0, Buffer::kNone, false, 1, nullptr},
    {"DeleteEmpty", "nativeDeleteClient", true, Text::kEmpty, 0, Buffer::kNone, false, 0, nullptr},
    {"DeleteWithoutUnderscore", "nativeDeleteClient", true, Text::kNoUnderscore, 0, Buffer::kNone, false, 0, nullptr},
    {"DeleteMebibyte", "nativeDeleteClient", true, Text::kMebibyteName, 0, Buffer::kNone, false, 0, nullptr},
    {"DeleteThrows", "nativeDeleteClient", true, Text::kClientName, 0, Buffer::kNone, true, 1, "nativeDeleteClient threw: std::bad_alloc"},

    {"RequestNull", "nativeRequest", true, Text::kNull, kScripted, Buffer::kNone, false, kNullBuffer, "fail to request command. param is null"},
    {"RequestEmpty", "nativeRequest", true, Text::kEmpty, kScripted, Buffer::kNone, false, 200000, nullptr},
    {"RequestMebibyte", "nativeRequest", true, Text::kMebibyteName, kScripted, Buffer::kNone, false, 200000, nullptr},
    {"RequestIdIntMin", "nativeRequest", true, Text::kClientName, INT_MIN, Buffer::kNone, false, kNullBuffer, kNoRequestClient},
    {"RequestIdIntMax", "nativeRequest", true, Text::kClientName, INT_MAX, Buffer::kNone, false, kNullBuffer, kNoRequestClient},
    {"RequestIdMinusOne", "nativeRequest", true, Text::kClientName, -1, Buffer::kNone, false, kNullBuffer, kNoRequestClient},
    {"RequestThrows", "nativeRequest", true, Text::kClientName, kScripted, Buffer::kNone, true, kNullBuffer, "nativeRequest threw: std::bad_alloc"},

    {"StreamNullBuffer", "nativeSendStream", true, Text::kClientName, kScripted, Buffer::kNone, false, 1, kNotDirect},
    {"StreamHeapBuffer", "nativeSendStream", true, Text::kClientName, kScripted, Buffer::kHeap, false, 1, kNotDirect},
    {"StreamZeroCapacity", "nativeSendStream", true, Text::kClientName, kScripted, Buffer::kZeroCapacity, false, 0, nullptr},
    {"StreamNullAddress", "nativeSendStream", true, Text::kClientName, kScripted, Buffer::kNullAddress, false, 1, kNotDirect},
    {"StreamNullName", "nativeSendStream", true, Text::kNull, kScripted, Buffer::kDirect, false, 4, nullptr},
    {"StreamMebibyteName", "nativeSendStream", true, Text::kMebibyteName, kScripted, Buffer::kDirect, false, 4, nullptr},
    {"StreamIdIntMin", "nativeSendStream", true, Text::kClientName, INT_MIN, Buffer::kDirect, false, 1, kNoStreamClient},
    {"StreamIdIntMax", "nativeSendStream", true, Text::kClientName, INT_MAX, Buffer::kDirect, false, 1, kNoStreamClient},
    {"StreamIdMinusOne", "nativeSendStream", true, Text::kClientName, -1, Buffer::kDirect, false, 1, kNoStreamClient},
    {"StreamThrows", "nativeSendStream", true, Text::kClientName, kScripted, Buffer::kDirect, true, 1, "nativeSendStream threw: std::bad_alloc"},

    // A buffer column other than kNone gives a default name; kNone a null one.
    {"JackNameNull", "nativeGetJackClientName", true, Text::kNull, kScripted, Buffer::kDirect, false, kDefault, "fail to get jack client name. param is null"},
    {"JackNameEmpty", "nativeGetJackClientName", true, Text::kEmpty, kScripted, Buffer::kDirect, false, kModuleName, nullptr},
    {"JackNameMebibyte", "nativeGetJackClientName", true, Text::kMebibyteName, kScripted, Buffer::kDirect, false, kModuleName, nullptr},
    {"JackNameNullDefault", "nativeGetJackClientName", false, Text::kClientName, kScripted, Buffer::kNone, false, kDefault, nullptr},
    {"JackNameIdIntMin", "nativeGetJackClientName", true, Text::kClientName, INT_MIN, Buffer::kDirect, false, kDefault, nullptr},
    {"JackNameIdIntMax", "nativeGetJackClientName", true, Text::kClientName, INT_MAX, Buffer::kDirect, false, kDefault, nullptr},
    {"JackNameIdMinusOne", "nativeGetJackClientName", true, Text::kClientName, -1, Buffer::kDirect, false, kDefault, nullptr},
    {"JackNameThrows", "nativeGetJackClientName", true, Text::kClientName, kScripted, Buffer::kDirect, true, kDefault, "nativeGetJackClientName threw: std::bad_alloc"},

    {"LoadJackNull", "nativeLoadJackLib", false, Text::kNull, 0, Buffer::kNone, false, 0, "fail to load libjack symbols, filePathName is null."},
    {"LoadJackEmpty", "nativeLoadJackLib", false, Text::kEmpty, 0, Buffer::kNone, false, 0, "fail to load libjack symbols path="},
    {"LoadJackWithoutUnderscore", "nativeLoadJackLib", false, Text::kNoUnderscore, 0, Buffer::kNone, false, 0, "fail to load libjack symbols path=nounderscore"},
    {"LoadJackMebibyte", "nativeLoadJackLib", false, Text::kMebibyteName, 0, Buffer::kNone, false, 0, "fail to load libjack symbols path=xxxx"},
    {"LoadJackThrows", "nativeLoadJackLib", false, Text::kClientName, 0, Buffer::kNone, true, 0, "nativeLoadJackLib threw: std::bad_alloc"},

    {"ApiLevelIntMin", "nativeIsAPILevelAllowed", false, Text::kNull, INT_MIN, Buffer::kNone, false, 0, nullptr},
    {"ApiLevelIntMax", "nativeIsAPILevelAllowed", false, Text::kNull, INT_MAX, Buffer::kNone, false, 1, nullptr},
    {"ApiLevelMinusOne", "nativeIsAPILevelAllowed", false, Text::kNull, -1, Buffer::kNone, false, 0, nullptr},
    {"FeatureIntMin", "nativeIsFeatureSupport", false, Text::kNull, INT_MIN, Buffer::kNone, false, 3, nullptr},
    {"FeatureIntMax", "nativeIsFeatureSupport", false, Text::kNull, INT_MAX, Buffer::kNone, false, 3, nullptr},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(EveryNativeMethod, BadInputFromJava, testing::ValuesIn(kBadInputs),
                         [](const testing::TestParamInfo<BadInput>& info) {
                             return std::string(info.param.label);
                         });

}  // namespace
