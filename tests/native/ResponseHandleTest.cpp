// The process-wide response handle and the C API modules call: versions,
// creation and replacement, routing, the target API level, destruction of
// the handle, concurrent first use, and answers while the client goes.
#include <android/log.h>

#include <atomic>
#include <thread>
#include <vector>

#include "BareWave.h"
#include "LogCapture.h"
#include "OXAClientUser.h"
#include "RecordingResponse.h"

using android::OXAClientUser;

typedef RecordingResponse<IOXAResponseInterfaceV2> Response;

class ResponseHandleTest : public LogCaptureTest {
protected:
    // No test leaves the handle pointing at its own, soon destroyed, response.
    void TearDown() override { android::oxa_user_create(nullptr); }
};

TEST_F(ResponseHandleTest, ContractVersionIs114AtApiLevelOne) {
    EXPECT_STREQ(android::oxa_user_get_version_string(), "1.1.4");
    EXPECT_EQ(android::oxa_user_get_major_version_number(), 1);
    EXPECT_EQ(android::oxa_user_get_minor_version_number(), 1);
    EXPECT_EQ(android::oxa_user_get_patch_version_number(), 4);
    EXPECT_EQ(android::oxa_user_get_api_level(), 1);
    // Static storage: the same text every time.
    EXPECT_EQ(android::oxa_user_get_version_string(), android::oxa_user_get_version_string());
}

TEST_F(ResponseHandleTest, HandleWithoutAClientHasApiLevelZero) {
    BareWave<android::IOXAInterfaceV2> wave;

    EXPECT_EQ(OXAClientUser::getInstance()->getTargetAPILevel(), 0);
    EXPECT_EQ(wave.getTargetAPILevel(), 0);
}

TEST_F(ResponseHandleTest, CreatingTwiceGivesOneHandleAnsweringToTheSecondArgument) {
    Response first;
    Response second;

    OXAClientUser* a = android::oxa_user_create(&first);
    OXAClientUser* b = android::oxa_user_create(&second);
    b->response("x");

    EXPECT_EQ(a, b);
    EXPECT_EQ(a, OXAClientUser::getInstance());
    EXPECT_TRUE(first.answers().empty());
    EXPECT_EQ(second.answers(), (std::vector<std::string>{"x"}));
}

TEST_F(ResponseHandleTest, GetInstanceKeepsTheCurrentInterface) {
    Response response;
    android::oxa_user_create(&response);

    OXAClientUser::getInstance()->response("kept");

    EXPECT_EQ(response.answers(), (std::vector<std::string>{"kept"}));
}

TEST_F(ResponseHandleTest, CreatingWithNullEmptiesTheHandle) {
    Response response(4);
    android::oxa_user_create(&response);

    OXAClientUser* handle = android::oxa_user_create(nullptr);
    handle->response("x");
    handle->response("x", 7);
    handle->response(1, 1, "x");

    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(response.answers().empty());
    EXPECT_EQ(handle->getTargetAPILevel(), 0);
}

TEST_F(ResponseHandleTest, EachOverloadReachesItsCounterpart) {
    Response response;
    const char bytes[2] = {9, 8};
    OXAClientUser* handle = android::oxa_user_create(&response);

    handle->response("plain");
    handle->response("tagged", 7);
    handle->response(6, sizeof(bytes), bytes);

    EXPECT_EQ(response.answers(),
              (std::vector<std::string>{"plain", "id:7:tagged", "data:6:2:0908"}));
    EXPECT_EQ(response.lastData(), static_cast<const void*>(bytes));
}

TEST_F(ResponseHandleTest, TargetApiLevelComesFromTheHandleNotTheObjectsInterface) {
    Response throughHandle(42);
    Response ofObject(7);
    BareWave<android::IOXAInterfaceV2> wave;
    wave.setResponseInterface(&ofObject);
    android::oxa_user_create(&throughHandle);

    EXPECT_EQ(wave.getTargetAPILevel(), 42);
    EXPECT_EQ(OXAClientUser::getInstance()->getTargetAPILevel(), 42);
}

TEST_F(ResponseHandleTest, ForgettingAnotherInterfaceKeepsTheCurrentOne) {
    Response current;
    Response other;
    android::oxa_user_create(&current);

    OXAClientUser::forgetResponseInterface(&other);
    OXAClientUser::getInstance()->response("still");
    OXAClientUser::forgetResponseInterface(&current);
    OXAClientUser::getInstance()->response("gone");

    EXPECT_EQ(current.answers(), (std::vector<std::string>{"still"}));
}

// The handle is the process's one: a module that gives it back must not free
// it under the other modules' answers.
TEST_F(ResponseHandleTest, DestroyingTheHandleLeavesItAnsweringForEveryoneElse) {
    Response response(4);
    android::oxa_user_destroy(nullptr);
    OXAClientUser* handle = android::oxa_user_create(&response);
    android::oxa_user_destroy(handle);

    OXAClientUser::getInstance()->response("x");

    EXPECT_EQ(OXAClientUser::getInstance(), handle);
    EXPECT_EQ(handle->getTargetAPILevel(), 4);
    EXPECT_EQ(response.answers(), (std::vector<std::string>{"x"}));
}

TEST_F(ResponseHandleTest, ConcurrentFirstCallersShareOneHandle) {
    const int kThreads = 8;
    for (int round = 0; round < 50; ++round) {
        android::oxa_user_destroy(OXAClientUser::getInstance());
        std::atomic<bool> go{false};
        std::vector<OXAClientUser*> seen(kThreads, nullptr);
        std::vector<std::thread> callers;
        for (int i = 0; i < kThreads; ++i) {
            callers.emplace_back([&, i] {
                while (!go.load()) std::this_thread::yield();
                seen[i] =
                    (i % 2 == 0) ? OXAClientUser::getInstance() : android::oxa_user_create(nullptr);
            });
        }
        go = true;
        for (std::thread& caller : callers) caller.join();

        for (OXAClientUser* handle : seen) {
            ASSERT_EQ(handle, OXAClientUser::getInstance()) << "round " << round;
        }
    }
}

// Counts the text answers it is given, from any thread.
class CountingResponse : public IOXAResponseInterfaceV2 {
public:
    void responseToService(const char*) override { ++mAnswers; }
    void responseToService(const int32_t, const size_t, const void*) override {}
    void responseToService(const int, const char*) override {}
    int getTargetAPILevel() override { return 0; }
    int answers() const { return mAnswers.load(); }

private:
    std::atomic<int> mAnswers{0};
};

TEST_F(ResponseHandleTest, EveryAnswerWhileItsClientComesAndGoesIsDeliveredOrLoggedAsDropped) {
    const int kThreads = 2;
    const int kCycles = 30000;
    CountingResponse response;
    android::oxa_user_create(&response);
    std::atomic<int> sent{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> modules;
    for (int i = 0; i < kThreads; ++i) {
        modules.emplace_back([&] {
            while (!stop.load()) {
                ++sent;
                OXAClientUser::getInstance()->response("x");
            }
        });
    }
    // The handle is emptied and refilled only while answers flow.
    while (sent.load() == 0) std::this_thread::yield();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        OXAClientUser::forgetResponseInterface(&response);
        android::oxa_user_create(&response);
    }
    stop = true;
    for (std::thread& module : modules) module.join();

    const int dropped = LogCapture::count(
        ANDROID_LOG_ERROR, kHostTag,
        "an answer through the response handle was dropped: the client it answered to is gone");
    EXPECT_EQ(response.answers() + dropped, sent.load());
}
