// Java exceptions thrown by the callbacks: never a JNI call with one
// pending; described and cleared on a thread the listener attached; the
// first one kept and raised again for a Java caller.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

#include "BridgeTest.h"
#include "OvikServiceJni.h"

namespace {

class CallbackExceptions : public BridgeTest {
protected:
    void setUpClients(const std::vector<int>& ids) {
        for (int id : ids) ASSERT_EQ(0, setup("client_" + std::to_string(id), id));
        fake().reset();
    }

    JNIOXAUserContext* listener() { return JNIOXAUserContext::mJNIOXAUserContext; }

    static int indexOf(const std::vector<std::string>& steps, const std::string& step) {
        auto found = std::find(steps.begin(), steps.end(), step);
        return found == steps.end() ? -1 : static_cast<int>(found - steps.begin());
    }
};

TEST_F(CallbackExceptions, OnAnAttachedThreadAreDescribedAndClearedBeforeDetaching) {
    setUpClients({1});
    fake().throwFromCallbacks({0});
    JNIOXAUserContext* target = listener();
    std::thread::id id;
    std::thread native([&id, target] {
        id = std::this_thread::get_id();
        target->notify(0, 1, 2, "T");
    });
    native.join();
    const std::vector<std::string> steps = stepsOn(id);
    ASSERT_EQ(1u, fake().thrown().size());
    const int thrown = indexOf(steps, "throw");
    const int described = indexOf(steps, "describe");
    const int cleared = indexOf(steps, "clear");
    const int detached = indexOf(steps, "detach");
    EXPECT_LT(thrown, described);
    EXPECT_LT(described, cleared);
    EXPECT_LT(cleared, detached);
    EXPECT_FALSE(fake().isAttached(id));
}

TEST_F(CallbackExceptions, OnAnAttachedThreadDoNotStopTheRemainingNoticesOfASweep) {
    setUpClients({1, 2, 3});
    fake().throwFromCallbacks({0, 1});
    JNIOXAUserContext* target = listener();
    std::thread native([target] { target->notify(100, 2, 0, "T"); });
    native.join();
    EXPECT_EQ(3u, fake().calls().size());
}

TEST_F(CallbackExceptions, OnAJavaThreadThePlainNotifysExceptionIsLeftForTheCaller) {
    setUpClients({1});
    fake().throwFromCallbacks({0});
    listener()->notify(0, 1, 2, "T");
    ASSERT_EQ(1u, fake().thrown().size());
    EXPECT_EQ(fake().thrown()[0], fake().pendingException());
    fake().clearPendingException();
}

// A notification that reaches every client, and the callbacks that throw.
struct SeveralCallbacksCase {
    const char* name;
    int msgType;
    int ext1;
    std::set<int> throwing;
};

class SeveralCallbackExceptions : public CallbackExceptions,
                                  public ::testing::WithParamInterface<SeveralCallbacksCase> {};

TEST_P(SeveralCallbackExceptions, OnAJavaThreadTheFirstIsRaisedAgainAfterTheRemainingCalls) {
    setUpClients({1, 2, 3});
    fake().throwFromCallbacks(GetParam().throwing);
    listener()->notify(GetParam().msgType, GetParam().ext1, 0, "T");
    EXPECT_EQ(3u, fake().calls().size());
    ASSERT_EQ(2u, fake().thrown().size());
    EXPECT_EQ(fake().thrown()[0], fake().pendingException());
    fake().clearPendingException();
}

// The forced-death sweep's notices, and the USB broadcast's calls.
INSTANTIATE_TEST_SUITE_P(EveryClient, SeveralCallbackExceptions,
                         ::testing::Values(SeveralCallbacksCase{"Sweep", 100, 2, {0, 1}},
                                           SeveralCallbacksCase{"Broadcast", 1123, 1, {1, 2}}),
                         [](const ::testing::TestParamInfo<SeveralCallbacksCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(CallbackExceptions, APendingExceptionIsKeptAcrossTheNextNotificationOnAJavaThread) {
    setUpClients({1});
    fake().throwFromCallbacks({0, 1});
    listener()->notify(0, 1, 2, "T");
    char byte = 0;
    listener()->notifyDataCallback(1, 2, 1, &byte);
    EXPECT_EQ(2u, fake().calls().size());
    ASSERT_EQ(2u, fake().thrown().size());
    EXPECT_EQ(fake().thrown()[0], fake().pendingException());
    fake().clearPendingException();
}

TEST_F(CallbackExceptions, ThrownWhileAModuleAnswersItsRequestDoesNotBlockTheBuffer) {
    loadScripted("echo_3", 3);
    fake().reset();
    fake().throwFromCallbacks({0});
    jobject buffer =
        NATIVE(nativeRequest)(env(), fake().newObject(), 3, fake().newString("what"), 0, 10);
    EXPECT_NE(nullptr, buffer);
    ASSERT_EQ(1u, fake().thrown().size());
    EXPECT_EQ(fake().thrown()[0], fake().pendingException());
    fake().clearPendingException();
}

}  // namespace
