// Notifications from several threads at once are delivered one at a time,
// and racing Java threads leave the registry and the clients consistent.
#include <android/log.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "BridgeTest.h"
#include "Deadline.h"
#include "OvikServiceJni.h"

namespace {

const std::chrono::seconds kLimit(60);

class Serialisation : public BridgeTest {
protected:
    JNIOXAUserContext* listener() { return JNIOXAUserContext::mJNIOXAUserContext; }

    // Runs `body(i)` on `count` threads at once and joins them in time.
    void onThreads(int count, bool javaThreads, std::function<void(int)> body) {
        runTogether(count, kLimit, "racing threads", [javaThreads, &body](int i) {
            if (javaThreads) FakeJvm::instance().makeJavaThread();
            body(i);
        });
    }
};

TEST_F(Serialisation, NotificationsFromSeveralNativeThreadsNeverOverlap) {
    ASSERT_EQ(0, setup("serial_1", 1));
    fake().reset();
    fake().setCallbackDwell(std::chrono::microseconds(50));
    JNIOXAUserContext* target = listener();
    onThreads(4, false, [target](int i) {
        char byte = 0;
        for (int n = 0; n < 25; ++n) {
            target->notify(0, i, n, "T");
            target->notifyDataCallback(i, n, 1, &byte);
        }
    });
    EXPECT_EQ(200u, fake().calls().size());
    EXPECT_EQ(0, fake().overlaps());
    for (const ThreadEvent& event : fake().events()) {
        EXPECT_FALSE(fake().isAttached(event.thread));
    }
}

TEST_F(Serialisation, AnswersFromModuleThreadsAndJavaThreadsNeverOverlap) {
    loadScripted("echo_1", 1);
    loadScripted("echo_2", 2);
    fake().reset();
    fake().setCallbackDwell(std::chrono::microseconds(50));
    ASSERT_EQ(0, command(1, "echo_1!thread_say:30:one"));
    ASSERT_EQ(0, command(2, "echo_2!thread_say:30:two"));
    onThreads(2, true, [this](int i) {
        for (int n = 0; n < 15; ++n) command(i + 1, "echo_" + std::to_string(i + 1) + "!say:java");
    });
    ASSERT_EQ(0, command(1, "echo_1!join"));
    ASSERT_EQ(0, command(2, "echo_2!join"));
    EXPECT_EQ(90u, fake().calls().size());
    EXPECT_EQ(0, fake().overlaps());
}

TEST_F(Serialisation, RacingSetupsRegisterEveryClientAndOneListener) {
    removeListener();
    onThreads(4, true, [this](int i) {
        for (int n = 0; n < 10; ++n) {
            const int id = i * 100 + n;
            EXPECT_EQ(0, setup("race_" + std::to_string(id), id));
        }
    });
    EXPECT_EQ(40, OXAClientLoader::getClientCount());
    EXPECT_EQ(1, LogCapture::count(ANDROID_LOG_INFO, kBridgeTag,
                                   "JNIOXAUserContext creating this=" +
                                       pointerText(JNIOXAUserContext::mJNIOXAUserContext)));
}

TEST_F(Serialisation, TwoRacingInitClientsLoadTheModuleOnce) {
    ASSERT_EQ(0, setup("race_3", 3));
    const std::string init =
        std::string("race_3!init_client:fake:") + kScriptedModule + ":" + OVIK_FAKEJNI_MODULE_DIR;
    onThreads(2, true, [this, &init](int) { EXPECT_EQ(0, command(3, init)); });
    EXPECT_EQ(1,
              LogCapture::count(ANDROID_LOG_DEBUG, kHostTag, "success to load your wave module"));
    EXPECT_EQ(1, LogCapture::count(ANDROID_LOG_INFO, kHostTag, "already init_client done\n"));
}

TEST_F(Serialisation, RacingRequestsEachGetABufferOverAFilledBlock) {
    loadScripted("echo_4", 4);
    ASSERT_EQ(0, command(4, "echo_4!report:64"));
    fake().reset();
    onThreads(3, true, [this](int) {
        for (int n = 0; n < 20; ++n) {
            jobject buffer =
                NATIVE(nativeRequest)(env(), fake().newObject(), 4, fake().newString("w"), 0, 0);
            ASSERT_NE(nullptr, buffer);
            EXPECT_EQ(64, reinterpret_cast<FakeObject*>(buffer)->capacity);
        }
    });
    EXPECT_EQ(60u, fake().calls().size());
}

TEST_F(Serialisation, DeletingAndCommandingAClientAtOnceNeverUsesAGoneClient) {
    for (int round = 0; round < 10; ++round) {
        loadScripted("echo_5", 5);
        onThreads(2, true, [this](int i) {
            if (i == 0) {
                NATIVE(nativeDeleteClient)(env(), fake().newObject(), fake().newString("echo_5"));
            } else {
                for (int n = 0; n < 10; ++n) command(5, "echo_5!say:x");
            }
        });
        EXPECT_EQ(0, OXAClientLoader::getClientCount());
    }
}

}  // namespace
