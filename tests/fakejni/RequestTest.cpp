// nativeRequest: the block the module fills, the buffer Java gets over it,
// and how long the library keeps that block.
#include <android/log.h>
#include <gtest/gtest.h>
#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizer runtime's own count; GCC ships no header for it.
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#endif

#include "BridgeTest.h"
#include "OvikServiceJni.h"

namespace {

const jlong kBlockSize = 200000;

// Bytes the process holds allocated, so a test can see a block of the
// request size come and go.
long long allocatedBytes() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks) + static_cast<long long>(info.hblkhd);
#endif
}

class NativeRequest : public BridgeTest {
protected:
    void SetUp() override {
        BridgeTest::SetUp();
        loadScripted("echo_3", 3);
        // A failing request that reaches a client releases the retained
        // block an earlier case left; the client keeps its own for its next
        // request.
        ASSERT_EQ(0, command(3, "echo_3!fail_request"));
        ASSERT_EQ(nullptr, request("w"));
        ASSERT_EQ(0, command(3, "echo_3!pass_request"));
        fake().reset();
        LogCapture::clear();
    }

    jobject request(jint objectId, jstring what, jlong ext1 = 0, jlong capacity = 10) {
        return NATIVE(nativeRequest)(env(), fake().newObject(), objectId, what, ext1, capacity);
    }
    jobject request(const std::string& what, jlong ext1 = 0) {
        return request(3, fake().newString(what), ext1);
    }
    static const FakeObject& buffer(jobject object) {
        return *reinterpret_cast<FakeObject*>(object);
    }
};

TEST_F(NativeRequest, WithoutAClientGivesNull) {
    EXPECT_EQ(nullptr, request(8, fake().newString("w")));
    EXPECT_EQ(std::vector<std::string>{"fail to request command. client is null"},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeRequest, WithANullWhatGivesNull) {
    EXPECT_EQ(nullptr, request(3, nullptr));
    EXPECT_EQ(std::vector<std::string>{"fail to request command. param is null"},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeRequest, WithAnUnreadableWhatGivesNull) {
    fake().failGetStringUtfChars();
    EXPECT_EQ(nullptr, request("w"));
    EXPECT_EQ(std::vector<std::string>{"fail to request command. param is null"},
              bridgeLines(ANDROID_LOG_ERROR));
    EXPECT_EQ(nullptr, fake().pendingException());
}

TEST_F(NativeRequest, AsksTheModuleForTheFixedBlockSizeWithTheLowBitsOfExt1) {
    ASSERT_NE(nullptr, request("levels", (jlong{1} << 32) + 5));
    EXPECT_EQ(std::vector<std::string>{"request what=levels ext1=5 capacity=200000 used=200000"},
              texts());
}

TEST_F(NativeRequest, ABlockTheModuleLeftAloneIsHandedOutWhole) {
    jobject result = request("w");
    ASSERT_NE(nullptr, result);
    EXPECT_EQ(kBlockSize, buffer(result).capacity);
}

TEST_F(NativeRequest, TheBufferCoversTheBytesTheModuleReportsAndIgnoresTheJavaCapacity) {
    ASSERT_EQ(0, command(3, "echo_3!report:500"));
    jobject result = request(3, fake().newString("w"), 0, 10);
    ASSERT_NE(nullptr, result);
    EXPECT_EQ(500, buffer(result).capacity);
    const unsigned char* bytes = static_cast<const unsigned char*>(buffer(result).address);
    for (int i = 0; i < 500; ++i) ASSERT_EQ(0xA5, bytes[i]) << "byte " << i;
}

TEST_F(NativeRequest, ReportedBytesBeyondTheBlockAreClampedToTheBlockSize) {
    ASSERT_EQ(0, command(3, "echo_3!report:300000"));
    jobject result = request("w");
    ASSERT_NE(nullptr, result);
    EXPECT_EQ(kBlockSize, buffer(result).capacity);
}

TEST_F(NativeRequest, AModuleThatFailsGivesNull) {
    ASSERT_EQ(0, command(3, "echo_3!fail_request"));
    LogCapture::clear();
    EXPECT_EQ(nullptr, request("w"));
    EXPECT_EQ(std::vector<std::string>{"fail to request data from client"},
              bridgeLines(ANDROID_LOG_ERROR));
}

TEST_F(NativeRequest, AFailedNewDirectByteBufferLeavesNoExceptionPending) {
    fake().failNewDirectByteBuffer();
    EXPECT_EQ(nullptr, request("w"));
    EXPECT_EQ(nullptr, fake().pendingException());
}

// The client of these cases is loaded in the case, so it holds no block yet.
TEST_F(NativeRequest, KeepsTheBlockThroughRequestsThatReachNoClient) {
    loadScripted("echo_4", 4);
    ASSERT_EQ(0, command(4, "echo_4!report:100"));
    const long long before = allocatedBytes();
    jobject first = request(4, fake().newString("w"));
    ASSERT_NE(nullptr, first);
    EXPECT_GT(allocatedBytes() - before, kBlockSize * 9 / 10);

    EXPECT_EQ(nullptr, request(8, fake().newString("w")));
    EXPECT_EQ(nullptr, request(4, nullptr));
    EXPECT_GT(allocatedBytes() - before, kBlockSize * 9 / 10);
    // Still the module's bytes: the block was not released.
    const unsigned char* bytes = static_cast<const unsigned char*>(buffer(first).address);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(0xA5, bytes[i]) << "byte " << i;
}

TEST_F(NativeRequest, AClientKeepsOneBlockThroughItsRequestsAndReleasesItWhenDeleted) {
    loadScripted("echo_4", 4);
    const long long before = allocatedBytes();
    jobject first = request(4, fake().newString("w"));
    ASSERT_NE(nullptr, first);
    ASSERT_EQ(0, command(4, "echo_4!fail_request"));
    EXPECT_EQ(nullptr, request(4, fake().newString("w")));
    ASSERT_EQ(0, command(4, "echo_4!pass_request"));
    jobject third = request(4, fake().newString("w"));
    ASSERT_NE(nullptr, third);

    // The failed request and the one after it were handed the same block.
    EXPECT_EQ(buffer(third).address, buffer(first).address);
    const long long held = allocatedBytes() - before;
    EXPECT_GT(held, kBlockSize * 9 / 10);
    EXPECT_LT(held, kBlockSize * 3 / 2);
    EXPECT_EQ(0, NATIVE(nativeDeleteClient)(env(), fake().newObject(), fake().newString("echo_4")));
    ASSERT_EQ(0, command(3, "echo_3!fail_request"));
    EXPECT_EQ(nullptr, request("w"));
    EXPECT_LT(allocatedBytes() - before, kBlockSize / 10);
}

}  // namespace
