// The forced-death sweep and the USB-control broadcast.
#include <android/log.h>
#include <gtest/gtest.h>
#include <string.h>

#include <thread>

#include "BridgeTest.h"
#include "OvikServiceJni.h"

namespace {

const char kDestructorLine[] = "(in)OXAClient destructor is called this=";

class ForcedDeathSweep : public BridgeTest {
protected:
    void setUpClients(const std::vector<int>& ids) {
        ensureListener();
        for (int id : ids) ASSERT_EQ(0, setup("client_" + std::to_string(id), id));
        fake().reset();
        LogCapture::clear();
    }

    static int destructorLines() {
        int count = 0;
        for (const LogLine& line : LogCapture::linesWithTag(kHostTag)) {
            if (line.message.compare(0, strlen(kDestructorLine), kDestructorLine) == 0) ++count;
        }
        return count;
    }

    JNIOXAUserContext* listener() { return JNIOXAUserContext::mJNIOXAUserContext; }
};

TEST_F(ForcedDeathSweep, PostsOneDeathNoticePerClientInAscendingOrder) {
    setUpClients({7, 3, 5});
    listener()->notify(100, 2, 99, "T");
    const std::vector<CallbackCall> calls = fake().calls();
    ASSERT_EQ(3u, calls.size());
    const int expectedIds[] = {3, 5, 7};
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(nullptr, calls[i].first);
        EXPECT_EQ(100, calls[i].msgType);
        EXPECT_EQ(2, calls[i].ext1);
        EXPECT_EQ(expectedIds[i], calls[i].ext2);
        EXPECT_EQ("T", calls[i].text);
    }
    EXPECT_EQ(fake().localRefsMade(), fake().localRefsDeleted());
}

TEST_F(ForcedDeathSweep, DestroysEveryClientBeforeTheFirstNotice) {
    setUpClients({7, 3, 5});
    int registeredAtFirstCall = -1;
    int destroyedAtFirstCall = -1;
    fake().setCallbackHook([&](const CallbackCall&) {
        if (registeredAtFirstCall >= 0) return;
        registeredAtFirstCall = OXAClientLoader::getClientCount();
        destroyedAtFirstCall = destructorLines();
    });
    listener()->notify(100, 2, 0, "T");
    EXPECT_EQ(0, registeredAtFirstCall);
    EXPECT_EQ(3, destroyedAtFirstCall);
}

TEST_F(ForcedDeathSweep, WithNoClientRegisteredMakesNoCall) {
    setUpClients({});
    listener()->notify(100, 2, 0, "T");
    EXPECT_EQ(0u, fake().calls().size());
    EXPECT_TRUE(
        LogCapture::contains(ANDROID_LOG_INFO, kBridgeTag, "Loader: All OXAClient was deleted"));
}

TEST_F(ForcedDeathSweep, FromANativeThreadAttachesOnceForAllNotices) {
    setUpClients({1, 2});
    JNIOXAUserContext* target = listener();
    std::thread::id id;
    std::thread native([&id, target] {
        id = std::this_thread::get_id();
        target->notify(100, 2, 0, "T");
    });
    native.join();
    EXPECT_EQ((std::vector<std::string>{"attach", "call", "call", "detach"}), stepsOn(id));
}

TEST_F(ForcedDeathSweep, WhenAttachingFailsDeletesTheClientsAndLogsEachNotice) {
    setUpClients({7, 3});
    fake().setAttachResult(JNI_ERR);
    JNIOXAUserContext* target = listener();
    std::thread native([target] { target->notify(100, 2, 0, "T"); });
    native.join();
    EXPECT_EQ(0, OXAClientLoader::getClientCount());
    EXPECT_EQ(2, destructorLines());
    EXPECT_EQ((std::vector<std::string>{"notify: failed to attach current thread",
                                        "notify: fail to send onKill objectid[3], env is null",
                                        "notify: fail to send onKill objectid[7], env is null"}),
              bridgeLines(ANDROID_LOG_ERROR));
    EXPECT_EQ(0u, fake().calls().size());
}

TEST_F(ForcedDeathSweep, ClientsDeletedBySweepAreFoundNoMore) {
    setUpClients({4});
    listener()->notify(100, 2, 0, "T");
    EXPECT_EQ(nullptr, OXAClientLoader::getClient(4));
    EXPECT_EQ(
        1, NATIVE(nativeSendCommand)(env(), fake().newObject(), 4, fake().newString("client_4!x")));
}

class UsbBroadcast : public ForcedDeathSweep {};

TEST_F(UsbBroadcast, ReachesEveryClientInAscendingOrderAndLeavesTheRegistry) {
    setUpClients({9, 4});
    listener()->notify(1123, 1, 77, "T");
    const std::vector<CallbackCall> calls = fake().calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(1123, calls[0].msgType);
    EXPECT_EQ(1, calls[0].ext1);
    EXPECT_EQ(4, calls[0].ext2);
    EXPECT_EQ("T", calls[0].text);
    EXPECT_EQ(1123, calls[1].msgType);
    EXPECT_EQ(9, calls[1].ext2);
    EXPECT_EQ(2, OXAClientLoader::getClientCount());
    EXPECT_NE(nullptr, OXAClientLoader::getClient(4));
    EXPECT_NE(nullptr, OXAClientLoader::getClient(9));
    EXPECT_EQ(0, destructorLines());
    EXPECT_EQ(fake().localRefsMade(), fake().localRefsDeleted());
}

TEST_F(UsbBroadcast, WithNoClientRegisteredMakesNoCall) {
    setUpClients({});
    listener()->notify(1123, 0, 0, "T");
    EXPECT_EQ(0u, fake().calls().size());
}

TEST_F(UsbBroadcast, WhenAttachingFailsLogsEachClient) {
    setUpClients({9, 4});
    fake().setAttachResult(JNI_ERR);
    JNIOXAUserContext* target = listener();
    std::thread native([target] { target->notify(1123, 1, 0, "T"); });
    native.join();
    EXPECT_EQ((std::vector<std::string>{"notify: failed to attach current thread",
                                        "notify: changed setting to objectid[4], env is null",
                                        "notify: changed setting to objectid[9], env is null"}),
              bridgeLines(ANDROID_LOG_ERROR));
    EXPECT_EQ(0u, fake().calls().size());
    EXPECT_EQ(2, OXAClientLoader::getClientCount());
}

}  // namespace
