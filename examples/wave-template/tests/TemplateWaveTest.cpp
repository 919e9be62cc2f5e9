// The template module in a real client of the library, through the kit's
// test harness: loaded by the real loader and commanded as the service
// commands it.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>

#include "OXATestHost.h"

namespace {

const std::chrono::seconds kAnswerTimeout(5);
const int kAnswerId = 1;

class TemplateModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, mHost.load(MODULE_DIR, MODULE_FILE, "template")); }

    android::OXATestHost mHost{"template_4"};
};

TEST_F(TemplateModule, SaysItIsReadyAndAnswersHello) {
    EXPECT_TRUE(mHost.waitForText(kAnswerId, "template ready", kAnswerTimeout));
    EXPECT_EQ(0, mHost.command("hello"));
    android::OXATestAnswer answer;
    ASSERT_TRUE(mHost.waitForText(kAnswerId, "hello from the template", kAnswerTimeout, &answer));
    EXPECT_EQ(4, answer.objectId);
}

TEST_F(TemplateModule, RefusesAnUnknownCommand) {
    EXPECT_EQ(1, mHost.command("whistle"));
    EXPECT_TRUE(mHost.waitForText(kAnswerId, "unknown command: whistle", kAnswerTimeout));
}

TEST_F(TemplateModule, FillsAZerosRequestToTheBlockSize) {
    std::string block;
    ASSERT_TRUE(mHost.request("zeros", 0, 100, block));
    EXPECT_EQ(std::string(100, '\0'), block);
}

TEST_F(TemplateModule, CountsTheBytesOfAStream) {
    const char stream[] = {1, 2, 3};
    EXPECT_EQ(0, mHost.stream(stream, 3, 9));
    EXPECT_TRUE(mHost.waitForText(kAnswerId, "stream of 3 bytes", kAnswerTimeout));
}

TEST_F(TemplateModule, MayBeDeactivatedFromInsideItsOwnAnswer) {
    // A Java callback may command the module from inside an answer.
    int deactivated = -1;
    mHost.onAnswer([&](const android::OXATestAnswer& answer) {
        if (answer.text == "active") deactivated = mHost.command("deactivate");
    });
    ASSERT_EQ(0, mHost.command("start_client"));
    ASSERT_EQ(0, mHost.command("activate"));
    mHost.onAnswer(nullptr);
    EXPECT_EQ(0, deactivated);
}

// ovik_wave_link_jack() keeps the JACK library loaded once the module has
// loaded it, so creating and destroying clients does not leak.
TEST_F(TemplateModule, LeavesTheJackLibraryLoadedWhenDestroyed) {
    mHost.destroy();
    std::ifstream maps("/proc/self/maps");
    const std::string mapped((std::istreambuf_iterator<char>(maps)),
                             std::istreambuf_iterator<char>());
    EXPECT_EQ(std::string::npos, mapped.find(MODULE_FILE));
    EXPECT_NE(std::string::npos, mapped.find("libjack.so"));
}

}  // namespace
