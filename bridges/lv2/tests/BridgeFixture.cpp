#include "BridgeFixture.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

const char kName[] = "lv2_9";
const int kFramesExt1 = 3;

}  // namespace

std::string testLv2Path() {
    const char* installed = getenv("LV2_PATH");
    return std::string(WAVE_LV2_TEST_BUNDLES) + ":" +
           (installed != nullptr && *installed != '\0' ? installed
                                                       : "/usr/local/lib/lv2:/usr/lib/lv2");
}

void BridgeFixture::SetUp() {
    LogCaptureTest::SetUp();
    // Read by the bridge when it first looks at the plugins.
    static const std::string path = testLv2Path();
    setenv("LV2_PATH", path.c_str(), 1);
    android::OXAClient::setListener(&mListener);
    mClient = android::OXAClient::createInstance(kName, "test", getpid());
    ASSERT_TRUE(mClient);
    ASSERT_EQ(0, command(std::string("init_client:lv2:") + WAVE_LV2_FILE + ":" + WAVE_LV2_DIR));
}

void BridgeFixture::TearDown() {
    mClient.reset();
    android::OXAClient::setListener(nullptr);
}

int BridgeFixture::command(const std::string& text) {
    mListener.clear();
    return mClient->sendCommand((std::string(kName) + "!" + text).c_str());
}

int BridgeFixture::stream(int id, const void* bytes, size_t length) {
    mListener.clear();
    return mClient->sendStream(bytes, static_cast<long>(length), id);
}

std::vector<std::string> BridgeFixture::texts(int id) {
    std::vector<std::string> found;
    for (const Notification& answer : mListener.notifications()) {
        if (answer.ext1 == id) found.push_back(answer.text);
    }
    return found;
}

std::string BridgeFixture::lastText(int id) {
    const std::vector<std::string> found = texts(id);
    return found.empty() ? "" : found.back();
}

std::string BridgeFixture::lastBlock(int32_t ext1) {
    std::string bytes;
    for (const DataNotification& answer : mListener.dataNotifications()) {
        if (answer.ext1 == ext1) bytes = answer.bytes;
    }
    return bytes;
}

std::vector<float> BridgeFixture::lastFrames() {
    const std::string bytes = lastBlock(kFramesExt1);
    std::vector<float> frames(bytes.size() / sizeof(float));
    if (!frames.empty()) memcpy(frames.data(), bytes.data(), frames.size() * sizeof(float));
    return frames;
}

void BridgeFixture::loadWithControls(const std::string& uri,
                                     const std::vector<std::string>& controls) {
    ASSERT_EQ(0, command("load " + uri)) << lastText(1);
    for (const std::string& control : controls) {
        ASSERT_EQ(0, command("set " + control)) << lastText(1);
    }
}
