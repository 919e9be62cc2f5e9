// The library before JNI_OnLoad has run: there is no VM, so notifications
// end after one line and a forced death deletes nothing. Also the listener's
// own life: its constructor and destructor lines and setListener.
#include <android/log.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include "FakeJvm.h"
#include "LogCapture.h"
#include "OvikServiceJni.h"

namespace {

std::string pointerText(const void* pointer) {
    char text[32];
    snprintf(text, sizeof(text), "%p", pointer);
    return text;
}

std::vector<std::string> linesAt(const char* tag, int priority) {
    std::vector<std::string> result;
    for (const LogLine& line : LogCapture::linesWithTag(tag)) {
        if (line.priority == priority) result.push_back(line.message);
    }
    return result;
}

class BeforeJniOnLoad : public LogCaptureTest {
protected:
    void SetUp() override {
        LogCaptureTest::SetUp();
        FakeJvm::instance().reset();
        mListener = new JNIOXAUserContext(nullptr, nullptr, nullptr);
        ASSERT_EQ(0, OXAClientLoader::newClient("early_3", 1, 3));
        ASSERT_EQ(0, OXAClientLoader::newClient("early_5", 1, 5));
        LogCapture::clear();
    }
    void TearDown() override {
        OXAClientLoader::deleteAllClients(nullptr);
        delete mListener;
        EXPECT_EQ(0u, FakeJvm::instance().calls().size());
        EXPECT_EQ(0u, FakeJvm::instance().events().size());
    }

    JNIOXAUserContext* mListener = nullptr;
};

TEST_F(BeforeJniOnLoad, EnvRefSaysTheVmIsNull) {
    EXPECT_EQ(nullptr, EnvRef::getEnv());
    EXPECT_EQ(std::vector<std::string>{"JNIEnv return null because the vm is null."},
              linesAt(kBridgeTag, ANDROID_LOG_INFO));
}

TEST_F(BeforeJniOnLoad, NotifySaysTheVmIsNullAndNothingElse) {
    mListener->notify(0, 1, 3, "T");
    EXPECT_EQ(std::vector<std::string>{"notify: JavaVM is null"},
              linesAt(kBridgeTag, ANDROID_LOG_ERROR));
}

TEST_F(BeforeJniOnLoad, NotifyDataSaysTheVmIsNullAndNothingElse) {
    char byte = 0;
    mListener->notifyDataCallback(1, 3, 1, &byte);
    EXPECT_EQ(std::vector<std::string>{"notifydata: JavaVM is null."},
              linesAt(kBridgeTag, ANDROID_LOG_ERROR));
}

TEST_F(BeforeJniOnLoad, AForcedDeathDeletesNoClient) {
    mListener->notify(100, 2, 0, "T");
    EXPECT_EQ(std::vector<std::string>{"notify: JavaVM is null"},
              linesAt(kBridgeTag, ANDROID_LOG_ERROR));
    EXPECT_EQ(2, OXAClientLoader::getClientCount());
    EXPECT_FALSE(
        LogCapture::contains(ANDROID_LOG_INFO, kBridgeTag, "Loader: All OXAClient was deleted"));
}

TEST_F(BeforeJniOnLoad, AUsbChangeReachesNoClient) {
    mListener->notify(1123, 1, 0, "T");
    EXPECT_EQ(std::vector<std::string>{"notify: JavaVM is null"},
              linesAt(kBridgeTag, ANDROID_LOG_ERROR));
    EXPECT_EQ(2, OXAClientLoader::getClientCount());
}

TEST_F(BeforeJniOnLoad, AClientsAnswerReachesTheListenerAndStopsThere) {
    OXAClientLoader::getClient(3)->responseToService(7, "T");
    EXPECT_EQ(std::vector<std::string>{"notify: JavaVM is null"},
              linesAt(kBridgeTag, ANDROID_LOG_ERROR));
}

class ListenerLife : public LogCaptureTest {
protected:
    void TearDown() override { android::OXAClient::setListener(nullptr); }
};

TEST_F(ListenerLife, TheConstructorLogsAndMakesItselfEveryClientsListener) {
    JNIOXAUserContext* listener = new JNIOXAUserContext(nullptr, nullptr, nullptr);
    EXPECT_EQ(std::vector<std::string>{"JNIOXAUserContext creating this=" + pointerText(listener)},
              linesAt(kBridgeTag, ANDROID_LOG_INFO));
    EXPECT_EQ(std::vector<std::string>{"setListener mListener = " + pointerText(listener)},
              linesAt(kHostTag, ANDROID_LOG_INFO));
    EXPECT_EQ(static_cast<android::OXAUserListener*>(listener), android::OXAClient::mListener);
    delete listener;
}

TEST_F(ListenerLife, TheDestructorLogsAndRemovesItselfAsListener) {
    JNIOXAUserContext* listener = new JNIOXAUserContext(nullptr, nullptr, nullptr);
    JNIOXAUserContext::mJNIOXAUserContext = listener;
    LogCapture::clear();
    delete listener;
    EXPECT_EQ(std::vector<std::string>{"JNIOXAUserContext deleting this=" + pointerText(listener)},
              linesAt(kBridgeTag, ANDROID_LOG_INFO));
    EXPECT_EQ(std::vector<std::string>{"setListener mListener = " + pointerText(nullptr)},
              linesAt(kHostTag, ANDROID_LOG_INFO));
    EXPECT_EQ(nullptr, android::OXAClient::mListener);
    EXPECT_EQ(nullptr, JNIOXAUserContext::mJNIOXAUserContext);
}

TEST_F(ListenerLife, WithoutAListenerClientsDropTheirAnswers) {
    ASSERT_EQ(0, OXAClientLoader::newClient("quiet_2", 1, 2));
    const OXAClientLoader::ClientRef client = OXAClientLoader::getClient(2);
    LogCapture::clear();
    char byte = 0;
    client->responseToService(1, "T");
    client->responseToService(1, 1, &byte);
    EXPECT_EQ((std::vector<std::string>{"Listener is null", "data Listener is null"}),
              linesAt(kHostTag, ANDROID_LOG_ERROR));
    OXAClientLoader::deleteAllClients(nullptr);
}

}  // namespace
