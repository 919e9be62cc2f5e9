// JNI_OnLoad and EnvRef::getEnv over the fake VM.
#include <android/log.h>
#include <gtest/gtest.h>

#include <thread>

#include "BridgeTest.h"
#include "OvikServiceJni.h"

namespace {

const char kClassLine[] =
    "unable to find class 'com/morvane/android/sdk/kestrova/OvikServiceInstallable'";

class JniOnLoad : public BridgeTest {
protected:
    void TearDown() override {
        BridgeTest::TearDown();
        // Whatever the case broke, later cases find the library loaded.
        fake().reset();
        EXPECT_EQ(JNI_VERSION_1_4, JNI_OnLoad(fake().vm(), nullptr));
    }

    // One plain notification through the listener.
    void notifyOnce() {
        ASSERT_EQ(0, setup("load_1", 1));
        fake().reset();
        JNIOXAUserContext::mJNIOXAUserContext->notify(0, 1, 2, "T");
    }
};

TEST_F(JniOnLoad, ReturnsJniVersionOneFourAfterItsDebugLine) {
    EXPECT_EQ(JNI_VERSION_1_4, JNI_OnLoad(fake().vm(), nullptr));
    EXPECT_EQ(std::vector<std::string>{"Load The OvikService JNI(4)"},
              bridgeLines(ANDROID_LOG_DEBUG));
    EXPECT_EQ(std::vector<std::string>(), bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(JniOnLoad, CachesAGlobalClassReferenceAndTheEventMethodForNotifications) {
    notifyOnce();
    ASSERT_EQ(1u, fake().calls().size());
    EXPECT_EQ(fake().globalServiceClass(), fake().calls()[0].clazz);
    EXPECT_NE(nullptr, fake().calls()[0].clazz);
    EXPECT_EQ(fake().eventMethod(), fake().calls()[0].method);
}

TEST_F(JniOnLoad, CachesTheDataMethodForDataNotifications) {
    ASSERT_EQ(0, setup("load_1", 1));
    char block[4] = {1, 2, 3, 4};
    JNIOXAUserContext::mJNIOXAUserContext->notifyDataCallback(1, 2, sizeof(block), block);
    ASSERT_EQ(1u, fake().calls().size());
    EXPECT_EQ(fake().dataMethod(), fake().calls()[0].method);
}

TEST_F(JniOnLoad, FailsWithZeroWhenGetEnvFails) {
    fake().forceGetEnv(JNI_EVERSION, false);
    EXPECT_EQ(0, JNI_OnLoad(fake().vm(), nullptr));
    EXPECT_EQ(std::vector<std::string>{"ERROR: JNI version is not 1.4"},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(JniOnLoad, StoresTheVmBeforeGetEnvFails) {
    // A second VM with the same tables tells which VM the library kept.
    static JavaVM otherVm = *FakeJvm::instance().vm();
    fake().forceGetEnv(JNI_EVERSION, false);
    ASSERT_EQ(0, JNI_OnLoad(&otherVm, nullptr));
    fake().reset();
    ASSERT_EQ(0, setup("load_1", 1));
    std::thread native([] { JNIOXAUserContext::mJNIOXAUserContext->notify(0, 1, 2, "T"); });
    native.join();
    EXPECT_EQ(&otherVm, fake().lastAttachVm());
}

TEST_F(JniOnLoad, FailsWithZeroWhenTheServiceClassIsMissing) {
    fake().failFindClass();
    EXPECT_EQ(0, JNI_OnLoad(fake().vm(), nullptr));
    EXPECT_EQ(std::vector<std::string>{kClassLine}, bridgeLines(ANDROID_LOG_ERROR));
    EXPECT_EQ(nullptr, fake().pendingException());
}

// A static callback method of the service class and the line its absence logs.
struct MissingCallbackCase {
    const char* method;
    const char* line;
};

class JniOnLoadWithoutCallback : public JniOnLoad,
                                 public ::testing::WithParamInterface<MissingCallbackCase> {};

TEST_P(JniOnLoadWithoutCallback, FailsWithZeroWhenThisCallbackMethodIsMissing) {
    fake().failStaticMethod(GetParam().method);
    EXPECT_EQ(0, JNI_OnLoad(fake().vm(), nullptr));
    EXPECT_EQ(std::vector<std::string>{GetParam().line}, bridgeLines(ANDROID_LOG_ERROR));
    EXPECT_EQ(nullptr, fake().pendingException());
}

INSTANTIATE_TEST_SUITE_P(
    CallbackMethods, JniOnLoadWithoutCallback,
    ::testing::Values(MissingCallbackCase{"postEventFromNative",
                                          "Can't find post event callback function"},
                      MissingCallbackCase{"postDataEventFromNative",
                                          "Can't find post data event callback function"}),
    [](const ::testing::TestParamInfo<MissingCallbackCase>& param) {
        return std::string(param.param.method);
    });

TEST_F(JniOnLoad, KeepsTheClassAndEventMethodStoredBeforeTheDataMethodWasMissed) {
    fake().failStaticMethod("postDataEventFromNative");
    ASSERT_EQ(0, JNI_OnLoad(fake().vm(), nullptr));
    const jclass keptClass = fake().globalServiceClass();
    notifyOnce();
    ASSERT_EQ(1u, fake().calls().size());
    EXPECT_EQ(keptClass, fake().calls()[0].clazz);
    EXPECT_EQ(fake().eventMethod(), fake().calls()[0].method);
}

class EnvRefGetEnv : public BridgeTest {};

TEST_F(EnvRefGetEnv, GivesAnAttachedThreadItsEnvironmentWithoutALine) {
    EXPECT_EQ(env(), EnvRef::getEnv());
    EXPECT_EQ(std::vector<LogLine>(), LogCapture::lines());
}

TEST_F(EnvRefGetEnv, GivesNullWithoutALineOnAThreadThatIsNotAttached) {
    JNIEnv* seen = env();
    std::thread native([&seen] { seen = EnvRef::getEnv(); });
    native.join();
    EXPECT_EQ(nullptr, seen);
    EXPECT_EQ(std::vector<LogLine>(), LogCapture::lines());
}

TEST_F(EnvRefGetEnv, LogsAnUnexpectedStatusWithoutAnEnvironment) {
    fake().forceGetEnv(JNI_EVERSION, false);
    EXPECT_EQ(nullptr, EnvRef::getEnv());
    EXPECT_EQ(
        std::vector<std::string>{"invalid JNIEnv return status=-3, env=" + pointerText(nullptr)},
        bridgeLines(ANDROID_LOG_INFO));
}

TEST_F(EnvRefGetEnv, LogsSuccessThatGaveNoEnvironment) {
    fake().forceGetEnv(JNI_OK, false);
    EXPECT_EQ(nullptr, EnvRef::getEnv());
    EXPECT_EQ(
        std::vector<std::string>{"invalid JNIEnv return status=0, env=" + pointerText(nullptr)},
        bridgeLines(ANDROID_LOG_INFO));
}

TEST_F(EnvRefGetEnv, LogsNotAttachedWithAnEnvironmentAndGivesThatEnvironment) {
    fake().forceGetEnv(JNI_EDETACHED, true);
    EXPECT_EQ(env(), EnvRef::getEnv());
    EXPECT_EQ(
        std::vector<std::string>{"invalid JNIEnv return status=-2, env=" + pointerText(env())},
        bridgeLines(ANDROID_LOG_INFO));
}

}  // namespace
