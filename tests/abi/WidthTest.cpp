// Widths that differ between the device's 32-bit ARM and x86-64: a request's
// `long` arguments, and the sign of `char` under the hex text of a stream for
// a first-version module.
#include <gtest/gtest.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <type_traits>
#include <vector>

#include "AbiExpectations.h"
#include "LoadedProbeClient.h"
#include "ProbeLibrary.h"
#include "ProbeModuleApi.h"

namespace {

const long kCapacity = 200000;

// The module writes "request(<what>,<ext1>,<capacity>,<count on entry>)".
std::string requestSeenByModule(android::OXAClient& client, long ext1) {
    size_t used = 0;
    std::shared_ptr<android::OxaMemoryHeap> heap = client.request("w", ext1, kCapacity, used);
    if (heap == nullptr) return "(no block)";
    return std::string(static_cast<const char*>(heap->getBase()), used);
}

std::string expectedRequest(long long ext1) {
    return "request(w," + std::to_string(ext1) + ",200000,200000)";
}

TEST(RequestWidths, AModuleReceivesExt1UnchangedOverTheWholeRangeOfTheTargetsLong) {
    LoadedProbeClient loaded(4);
    ASSERT_TRUE(loaded.isLoaded());
    const long values[] = {5, -1, 0, LONG_MAX, LONG_MIN};
    for (long value : values) {
        EXPECT_EQ(expectedRequest(value), requestSeenByModule(loaded.client(), value));
    }
}

// Java's long is 64 bits. On the target the client's `long` keeps only the
// low 32 bits, so 2^32 + 5 reaches the module as 5.
TEST(RequestWidths, AValueAboveThirtyTwoBitsReachesTheModuleAsTheTargetsLongHoldsIt) {
    LoadedProbeClient loaded(4);
    ASSERT_TRUE(loaded.isLoaded());
    const int64_t javaLong = (static_cast<int64_t>(1) << 32) + 5;
    const long long expected = contract::kLongBytes == 4 ? 5 : javaLong;
    EXPECT_EQ(expectedRequest(expected),
              requestSeenByModule(loaded.client(), static_cast<long>(javaLong)));
}

class FirstVersionStream : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mLoaded.isLoaded());
        ASSERT_EQ(0, mLoaded.command("version:1"));
    }

    // What the module's sendCommand received, from its answer.
    std::string commandSeenByModule() {
        std::vector<Notification> notices = mLoaded.listener().notifications();
        if (notices.empty()) return "(nothing)";
        const std::string& text = notices.back().text;
        const std::string prefix = "sendCommand(";
        if (text.compare(0, prefix.size(), prefix) != 0 || text.back() != ')') return text;
        return text.substr(prefix.size(), text.size() - prefix.size() - 1);
    }

    LoadedProbeClient mLoaded{8};
};

// Both signs of char are covered: x86-64 builds have it signed, ARM unsigned.
TEST_F(FirstVersionStream, CharHasTheSignOfTheTargetInTheTestAndInTheModule) {
    ProbeLibrary probe;
    ASSERT_TRUE(probe.isOpen()) << probe.error();
    ProbeFactFunction fact = probe.function<ProbeFactFunction>("probe_fact");
    ASSERT_NE(fact, nullptr);
    EXPECT_EQ(contract::kCharIsSigned, std::is_signed<char>::value);
    EXPECT_EQ(contract::kCharIsSigned ? 1 : 0, fact("char is signed"));
}

TEST_F(FirstVersionStream, ReceivesZeroAbAndSevenFAsLowerCaseHexAfterTheHeader) {
    const char bytes[3] = {'\x00', '\xab', '\x7f'};
    EXPECT_EQ(11, mLoaded.client().sendStream(bytes, 3, 5));
    EXPECT_EQ("stream:5:00ab7f", commandSeenByModule());
}

TEST_F(FirstVersionStream, EncodesEveryByteFrom0x80To0xFFAsTwoLowerCaseDigits) {
    std::vector<char> bytes;
    std::string hex;
    for (int value = 0x80; value <= 0xff; ++value) {
        bytes.push_back(static_cast<char>(value));
        char digits[3];
        snprintf(digits, sizeof(digits), "%02x", static_cast<unsigned int>(value));
        hex += digits;
    }
    EXPECT_EQ(11, mLoaded.client().sendStream(bytes.data(), static_cast<long>(bytes.size()), 12));

    const std::string seen = commandSeenByModule();
    EXPECT_EQ("stream:12:" + hex, seen);
    EXPECT_EQ(0u, seen.find("stream:12:808182"));
    EXPECT_EQ(seen.size() - 6, seen.rfind("fdfeff"));
}

}  // namespace
