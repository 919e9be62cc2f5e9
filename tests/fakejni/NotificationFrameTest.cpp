// The notification frame: what reaches Java for plain and data
// notifications, per-thread attach and detach, and the failure paths.
#include <android/log.h>
#include <gtest/gtest.h>
#include <string.h>

#include <thread>

#include "BridgeTest.h"
#include "OvikServiceJni.h"

namespace {

class NotificationFrame : public BridgeTest {
protected:
    void SetUp() override {
        BridgeTest::SetUp();
        ASSERT_EQ(0, setup("frame_1", 1));
        fake().reset();
        LogCapture::clear();
    }

    JNIOXAUserContext* listener() { return JNIOXAUserContext::mJNIOXAUserContext; }

    // Runs `body` on a native thread, one the VM does not know yet.
    std::thread::id onNativeThread(std::function<void()> body) {
        std::thread::id id;
        std::thread native([&id, &body] {
            id = std::this_thread::get_id();
            body();
        });
        native.join();
        return id;
    }
};

TEST_F(NotificationFrame, APlainNotifyReachesPostEventWithItsArguments) {
    listener()->notify(0, 42, 3, "T");
    ASSERT_EQ(1u, fake().calls().size());
    const CallbackCall call = fake().calls()[0];
    EXPECT_EQ(fake().eventMethod(), call.method);
    EXPECT_EQ(nullptr, call.first);
    EXPECT_EQ(0, call.msgType);
    EXPECT_EQ(42, call.ext1);
    EXPECT_EQ(3, call.ext2);
    EXPECT_EQ("T", call.text);
}

TEST_F(NotificationFrame, DeletesTheStringItMadeRightAfterTheCall) {
    listener()->notify(0, 42, 3, "T");
    listener()->notify(0, 43, 3, "U");
    EXPECT_EQ(2, fake().localRefsMade());
    EXPECT_EQ(2, fake().localRefsDeleted());
}

TEST_F(NotificationFrame, ADeathNoticeWithAnotherReasonIsDeliveredOnceAndDeletesNoClient) {
    listener()->notify(100, 1, 12, "T");
    ASSERT_EQ(1u, fake().calls().size());
    EXPECT_EQ(100, fake().calls()[0].msgType);
    EXPECT_EQ(1, fake().calls()[0].ext1);
    EXPECT_EQ(12, fake().calls()[0].ext2);
    EXPECT_EQ(1, OXAClientLoader::getClientCount());
}

TEST_F(NotificationFrame, ADataNotifyReachesPostDataEventWithADirectBufferOverTheBytes) {
    char block[16] = {};
    listener()->notifyDataCallback(5, 3, sizeof(block), block);
    ASSERT_EQ(1u, fake().calls().size());
    const CallbackCall call = fake().calls()[0];
    EXPECT_EQ(fake().dataMethod(), call.method);
    EXPECT_EQ(nullptr, call.first);
    EXPECT_EQ(1122, call.msgType);
    EXPECT_EQ(5, call.ext1);
    EXPECT_EQ(3, call.ext2);
    EXPECT_EQ(static_cast<void*>(block), call.address);
    EXPECT_EQ(16, call.capacity);
    EXPECT_EQ(fake().localRefsMade(), fake().localRefsDeleted());
}

TEST_F(NotificationFrame, ANullTextReachesJavaAsNull) {
    listener()->notify(0, 1, 2, nullptr);
    ASSERT_EQ(1u, fake().calls().size());
    EXPECT_TRUE(fake().calls()[0].lastIsNull);
}

TEST_F(NotificationFrame, TextIsMadeValidModifiedUtf8BeforeItBecomesAString) {
    listener()->notify(0, 1, 2, "A\x80Z");
    listener()->notify(0, 1, 2, "\xF0\x9F\x98\x80");
    listener()->notify(0, 1, 2, "caf\xC3\xA9");
    EXPECT_EQ(
        (std::vector<std::string>{"A\xEF\xBF\xBDZ", "\xED\xA0\xBD\xED\xB8\x80", "caf\xC3\xA9"}),
        texts());
}

TEST_F(NotificationFrame, AJavaThreadIsNeitherAttachedNorDetachedAndChecksBeforeAndAfterEachCall) {
    listener()->notify(0, 1, 2, "T");
    char byte = 0;
    listener()->notifyDataCallback(1, 2, 1, &byte);
    const std::thread::id self = std::this_thread::get_id();
    EXPECT_EQ(0, fake().count(self, "attach"));
    EXPECT_EQ(0, fake().count(self, "detach"));
    EXPECT_EQ(2, fake().count(self, "call"));
    EXPECT_EQ(4, fake().count(self, "check"));
}

TEST_F(NotificationFrame, ANativeThreadIsAttachedAndDetachedOncePerNotification) {
    JNIOXAUserContext* target = listener();
    const std::thread::id native = onNativeThread([target] {
        char byte = 0;
        target->notify(0, 1, 2, "T");
        target->notifyDataCallback(1, 2, 1, &byte);
        target->notify(0, 1, 2, "U");
    });
    EXPECT_EQ((std::vector<std::string>{"attach", "call", "detach", "attach", "call", "detach",
                                        "attach", "call", "detach"}),
              stepsOn(native));
    EXPECT_FALSE(fake().isAttached(native));
}

TEST_F(NotificationFrame, WhenAttachingFailsNotifyLogsBothLinesAndCallsNothing) {
    fake().setAttachResult(JNI_ERR);
    JNIOXAUserContext* target = listener();
    const std::thread::id native = onNativeThread([target] { target->notify(0, 1, 2, "T"); });
    EXPECT_EQ((std::vector<std::string>{"notify: failed to attach current thread",
                                        "notify: env is null"}),
              bridgeLines(ANDROID_LOG_ERROR));
    EXPECT_EQ(0u, fake().calls().size());
    EXPECT_EQ(std::vector<std::string>{"attach"}, fake().eventsOn(native));
}

TEST_F(NotificationFrame, WhenAttachingFailsNotifyDataLogsBothLinesAndCallsNothing) {
    fake().setAttachResult(JNI_ERR);
    JNIOXAUserContext* target = listener();
    const std::thread::id native = onNativeThread([target] {
        char byte = 0;
        target->notifyDataCallback(1, 2, 1, &byte);
    });
    EXPECT_EQ((std::vector<std::string>{"notifydata: failed to attach current thread.",
                                        "notifydata: env is null"}),
              bridgeLines(ANDROID_LOG_ERROR));
    EXPECT_EQ(0u, fake().calls().size());
    EXPECT_EQ(std::vector<std::string>{"attach"}, fake().eventsOn(native));
}

TEST_F(NotificationFrame, AFailedNewStringUtfLeavesNoExceptionForTheNextCall) {
    fake().failNewStringUtf();
    listener()->notify(0, 1, 2, "T");
    listener()->notify(0, 3, 4, "U");
    ASSERT_EQ(2u, fake().calls().size());
    EXPECT_TRUE(fake().calls()[0].lastIsNull);
    EXPECT_EQ(3, fake().calls()[1].ext1);
    EXPECT_EQ(nullptr, fake().pendingException());
}

TEST_F(NotificationFrame, AFailedNewDirectByteBufferLeavesNoExceptionForTheNextCall) {
    fake().failNewDirectByteBuffer();
    char block[8];
    listener()->notifyDataCallback(1, 2, sizeof(block), block);
    listener()->notifyDataCallback(3, 4, sizeof(block), block);
    ASSERT_EQ(2u, fake().calls().size());
    EXPECT_TRUE(fake().calls()[0].lastIsNull);
    EXPECT_EQ(3, fake().calls()[1].ext1);
    EXPECT_EQ(nullptr, fake().pendingException());
}

class ModuleAnswers : public BridgeTest {};

TEST_F(ModuleAnswers, AOneArgumentTextReachesJavaWithIdZeroAndTheObjectId) {
    loadScripted("echo_3", 3);
    fake().reset();
    ASSERT_EQ(0, command(3, "echo_3!say:hello"));
    ASSERT_EQ(1u, fake().calls().size());
    const CallbackCall call = fake().calls()[0];
    EXPECT_EQ(0, call.msgType);
    EXPECT_EQ(0, call.ext1);
    EXPECT_EQ(3, call.ext2);
    EXPECT_EQ("hello", call.text);
}

TEST_F(ModuleAnswers, ATextWithAnIdReachesJavaWithThatId) {
    loadScripted("echo_3", 3);
    fake().reset();
    ASSERT_EQ(0, command(3, "echo_3!say_id:9:T"));
    ASSERT_EQ(1u, fake().calls().size());
    EXPECT_EQ(9, fake().calls()[0].ext1);
    EXPECT_EQ(3, fake().calls()[0].ext2);
    EXPECT_EQ("T", fake().calls()[0].text);
}

TEST_F(ModuleAnswers, ADataAnswerReachesJavaAsABufferOverTheModulesBytes) {
    loadScripted("echo_3", 3);
    fake().reset();
    std::vector<unsigned char> seen;
    fake().setCallbackHook([&seen](const CallbackCall& call) {
        const unsigned char* bytes = static_cast<const unsigned char*>(call.address);
        seen.assign(bytes, bytes + call.capacity);
    });
    ASSERT_EQ(0, command(3, "echo_3!data:4:8"));
    ASSERT_EQ(1u, fake().calls().size());
    EXPECT_EQ(1122, fake().calls()[0].msgType);
    EXPECT_EQ(4, fake().calls()[0].ext1);
    EXPECT_EQ(3, fake().calls()[0].ext2);
    EXPECT_EQ((std::vector<unsigned char>{0, 1, 2, 3, 4, 5, 6, 7}), seen);
}

TEST_F(ModuleAnswers, AnEmptyDataAnswerNeverReachesJava) {
    loadScripted("echo_3", 3);
    fake().reset();
    ASSERT_EQ(0, command(3, "echo_3!data:4:0"));
    EXPECT_EQ(0u, fake().calls().size());
}

TEST_F(ModuleAnswers, AnAnswerFromTheModulesOwnThreadAttachesOnceAndDetachesOnce) {
    loadScripted("echo_3", 3);
    fake().reset();
    ASSERT_EQ(0, command(3, "echo_3!thread_say:2:tick"));
    ASSERT_EQ(0, command(3, "echo_3!join"));
    ASSERT_EQ(2u, fake().calls().size());
    const std::thread::id moduleThread = fake().calls()[0].thread;
    EXPECT_NE(std::this_thread::get_id(), moduleThread);
    EXPECT_EQ(2, fake().count(moduleThread, "attach"));
    EXPECT_EQ(2, fake().count(moduleThread, "detach"));
    // Each answer attaches once, calls once and detaches once, in that order.
    EXPECT_EQ((std::vector<std::string>{"attach", "call", "detach", "attach", "call", "detach"}),
              stepsOn(moduleThread));
    EXPECT_FALSE(fake().isAttached(moduleThread));
    EXPECT_EQ((std::vector<std::string>{"tick", "tick"}), texts());
}

}  // namespace
