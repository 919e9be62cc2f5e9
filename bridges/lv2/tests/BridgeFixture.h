// The LV2 bridge hosted by a real client of the library, as the service
// hosts it: loaded from its shared library by the real loader, its answers
// recorded. Answers to commands come on the calling thread, so each call
// returns with them already recorded.
#ifndef WAVE_LV2_TESTS_BRIDGE_FIXTURE_H
#define WAVE_LV2_TESTS_BRIDGE_FIXTURE_H

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "OXAClient.h"
#include "RecordingListener.h"

class BridgeFixture : public LogCaptureTest {
protected:
    void SetUp() override;
    void TearDown() override;

    int command(const std::string& text);
    int stream(int id, const void* bytes, size_t length);
    // The texts with answer id `id` since the last command or stream.
    std::vector<std::string> texts(int id);
    // The last text with id `id`, or "" when there is none.
    std::string lastText(int id);
    // The last data answer with `ext1` since the last call, as floats.
    std::vector<float> lastFrames();
    std::string lastBlock(int32_t ext1);
    // Loads `uri` and sets each "SYMBOL VALUE" of `controls`; asserts each.
    void loadWithControls(const std::string& uri, const std::vector<std::string>& controls);

    RecordingListener mListener;
    std::shared_ptr<android::OXAClient> mClient;
};

// Where the tests' own plugin descriptions are, followed by the installed
// plugins (LV2_PATH of the environment, or lilv's default folders).
std::string testLv2Path();

#endif  // WAVE_LV2_TESTS_BRIDGE_FIXTURE_H
