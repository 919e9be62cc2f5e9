// The native methods through their exported entry points: results, lines
// and the failure table.
#include <android/log.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "BridgeTest.h"
#include "OvikServiceJni.h"
#include "ovikjack.h"

#define NATIVE(name) Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_##name

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
    // The listener's constants have no definition outside the class: a unary
    // plus reads each value instead of binding a reference to it.
    EXPECT_EQ(-1, +OXAControl::NOT_EXIST_OBJECT_ID);
    EXPECT_EQ(4, +OXAControl::OXASERVICE_API_LEVEL);
    EXPECT_EQ(0, +JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_MESSAGE);
    EXPECT_EQ(100, +JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_DIED);
    EXPECT_EQ(1122, +JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_DATA);
    EXPECT_EQ(1123, +JNIOXAUserContext::OXACLIENT_NOTI_TYPE_ON_USB_CONTROL_CHANGED);
    EXPECT_EQ(1, +JNIOXAUserContext::USB_DEVICE_CONTROLLED_BY_KESTROVA);
    EXPECT_EQ(0, +JNIOXAUserContext::USB_DEVICE_CONTROLLED_BY_ANDROID);
    EXPECT_EQ(1, +JNIOXAUserContext::DIED_UNKNOWN_REASON);
    EXPECT_EQ(2, +JNIOXAUserContext::DIED_BY_FORCE_FROM_USER_REQUEST);
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
    loadEcho("echo_3", 3);
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
    loadEcho("echo_3", 3);
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
    loadEcho("echo_3", 3);
    LogCapture::clear();
    jstring defaultName = fake().newString("default");
    EXPECT_EQ(defaultName, jackName(nullptr, defaultName, 3));
    EXPECT_EQ(std::vector<std::string>{"fail to get jack client name. param is null"},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeGetJackClientName, WithAnUnreadableNameGivesBackTheDefault) {
    loadEcho("echo_3", 3);
    fake().failGetStringUtfChars();
    LogCapture::clear();
    jstring defaultName = fake().newString("default");
    EXPECT_EQ(defaultName, jackName(fake().newString("n"), defaultName, 3));
    EXPECT_EQ(std::vector<std::string>{"fail to get jack client name. param is null"},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeGetJackClientName, GivesTheModulesNameAsANewString) {
    loadEcho("echo_3", 3);
    ASSERT_EQ(0, command(3, "echo_3!jack_name:echo_jack"));
    jstring defaultName = fake().newString("default");
    jstring result = jackName(fake().newString("n"), defaultName, 3);
    ASSERT_NE(nullptr, result);
    EXPECT_NE(defaultName, result);
    EXPECT_EQ("echo_jack", reinterpret_cast<FakeObject*>(result)->text);
}

TEST_F(NativeGetJackClientName, GivesBackTheDefaultWhenTheModuleHasNoName) {
    loadEcho("echo_3", 3);
    ASSERT_EQ(0, command(3, "echo_3!jack_name_null"));
    LogCapture::clear();
    jstring defaultName = fake().newString("default");
    EXPECT_EQ(defaultName, jackName(fake().newString("n"), defaultName, 3));
    EXPECT_EQ(std::vector<std::string>{"jack client name is not set. So, default name that you "
                                       "set will be used."},
              bridgeLines(ANDROID_LOG_INFO));
}

TEST_F(NativeGetJackClientName, GivesBackTheDefaultWhenNewStringUtfFails) {
    loadEcho("echo_3", 3);
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
    loadEcho("echo_3", 3);
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

TEST_F(NativeJackLibrary, UnloadUnloadsOnceNoClientIsRegistered) {
    ASSERT_EQ(1, load(fake().newString(OVIK_FAKEJNI_JACK_LIBRARY)));
    EXPECT_EQ(1, unload());
    EXPECT_EQ(nullptr, ovikjack_symbol("jack_client_open"));
}

}  // namespace
