// The fake VM's own checks, so the bridge suites' "no violation" checks can
// fail: each JNI rule the library must keep is broken here on purpose.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FakeJvm.h"

namespace {

class FakeJvmChecks : public ::testing::Test {
protected:
    void SetUp() override { fake().reset(); }
    void TearDown() override { fake().reset(); }
    FakeJvm& fake() { return FakeJvm::instance(); }
    JNIEnv* env() { return fake().env(); }
};

TEST_F(FakeJvmChecks, FlagsACallMadeWhileAnExceptionIsPending) {
    fake().failNewStringUtf();
    EXPECT_EQ(nullptr, env()->NewStringUTF("x"));
    ASSERT_NE(nullptr, fake().pendingException());
    env()->NewDirectByteBuffer(nullptr, 0);
    EXPECT_EQ(1u, fake().violations().size());
}

TEST_F(FakeJvmChecks, FlagsACallFromAThreadThatIsNotAttached) {
    std::thread native([this] { env()->NewStringUTF("x"); });
    native.join();
    EXPECT_EQ(1u, fake().violations().size());
}

TEST_F(FakeJvmChecks, FlagsDetachingAJavaThreadOrDetachingWithAnExceptionPending) {
    EXPECT_EQ(JNI_ERR, fake().vm()->DetachCurrentThread());
    std::thread native([this] {
        void* attached = nullptr;
        ASSERT_EQ(JNI_OK, fake().vm()->AttachCurrentThread(&attached, nullptr));
        fake().failNewStringUtf();
        env()->NewStringUTF("x");
        fake().vm()->DetachCurrentThread();
    });
    native.join();
    EXPECT_EQ(2u, fake().violations().size());
}

TEST_F(FakeJvmChecks, FlagsReadingANullStringAndReleasingCharsItDidNotGive) {
    EXPECT_EQ(nullptr, env()->GetStringUTFChars(nullptr, nullptr));
    env()->ReleaseStringUTFChars(fake().newString("a"), "a");
    EXPECT_EQ(2u, fake().violations().size());
}

TEST_F(FakeJvmChecks, CountsCharsThatWereNotReleased) {
    jstring text = fake().newString("abc");
    const char* chars = env()->GetStringUTFChars(text, nullptr);
    EXPECT_STREQ("abc", chars);
    EXPECT_EQ(1, fake().unreleasedUtfChars());
    env()->ReleaseStringUTFChars(text, chars);
    EXPECT_EQ(0, fake().unreleasedUtfChars());
}

TEST_F(FakeJvmChecks, SeesCallbacksOfTwoThreadsInFlightAtOnce) {
    // Each callback stays in flight until both have begun, however late the
    // second thread comes on a busy machine (a fixed dwell could end first).
    fake().setCallbackHook([](const CallbackCall&) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (FakeJvm::instance().calls().size() < 2 &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    auto call = [this] {
        fake().makeJavaThread();
        env()->CallStaticVoidMethod(nullptr, fake().eventMethod(), nullptr, 0, 0, 0, nullptr);
    };
    std::thread first(call);
    std::thread second(call);
    first.join();
    second.join();
    EXPECT_EQ(1, fake().overlaps());
}

TEST_F(FakeJvmChecks, ReadsTheCallbackArgumentsInOrder) {
    jobject buffer = fake().newDirectBuffer(this, 12);
    env()->CallStaticVoidMethod(nullptr, fake().dataMethod(), nullptr, 1122, -4, 9, buffer);
    ASSERT_EQ(1u, fake().calls().size());
    const CallbackCall call = fake().calls()[0];
    EXPECT_EQ(1122, call.msgType);
    EXPECT_EQ(-4, call.ext1);
    EXPECT_EQ(9, call.ext2);
    EXPECT_EQ(static_cast<void*>(this), call.address);
    EXPECT_EQ(12, call.capacity);
}

}  // namespace
