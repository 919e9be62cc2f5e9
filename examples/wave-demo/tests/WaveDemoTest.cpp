// The example module hosted by a real client of the library through the
// kit's test harness (OvikWave::testing), as a module author tests a module:
// loaded from its shared library by the real loader, commanded as the
// service commands it.
#include <android/log.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "JackServer.h"
#include "OXATestHost.h"

namespace {

using std::chrono::milliseconds;

const milliseconds kAnswerTimeout(5000);
const char kName[] = "wave_5";
const int kObjectId = 5;
// The module's answer ids.
const int kCommandId = 1;
const int kLevelId = 2;
const int kStreamId = 3;
const int kJackId = 4;

using android::OXATestAnswer;

class WaveDemoModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, mHost.load(WAVE_DEMO_DIR, WAVE_DEMO_FILE, "demo")); }

    int command(const std::string& text) { return mHost.command(text); }

    bool answered(int id, const std::string& text) {
        return mHost.waitForText(id, text, kAnswerTimeout);
    }

    android::OXATestHost mHost{kName};
};

TEST_F(WaveDemoModule, SaysItIsReadyFromInitOnTheLoadingThread) {
    OXATestAnswer answer;
    ASSERT_TRUE(mHost.waitForText(kCommandId, "wave demo ready", kAnswerTimeout, &answer));
    EXPECT_EQ(0, answer.msgType);
    EXPECT_EQ(kObjectId, answer.objectId);
    EXPECT_EQ(std::this_thread::get_id(), answer.thread);
}

TEST_F(WaveDemoModule, ReportsItsNdkAndTargetVersionsToTheHost) {
    EXPECT_TRUE(mHost.logged(ANDROID_LOG_INFO, android::OXATestHost::kHostLogTag,
                             "(in)wave info : 21 1 1 4"));
}

TEST_F(WaveDemoModule, RecordsTheClientNameAndTheWordsOfStartClient) {
    ASSERT_EQ(0, command("start_client -v --rate 48000"));
    EXPECT_TRUE(answered(kJackId, "set up: wave_5 -v --rate 48000"));
    ASSERT_EQ(0, command("status"));
    EXPECT_TRUE(
        answered(kCommandId, "status: gain 0, inactive, set up with wave_5 -v --rate 48000"));
}

TEST_F(WaveDemoModule, ReportsFiveLevelsThenABlockFromItsOwnThreadWhenActive) {
    ASSERT_EQ(0, command("start_client"));
    ASSERT_EQ(0, command("activate"));
    OXATestAnswer level;
    for (int n = 1; n <= 5; ++n) {
        ASSERT_TRUE(
            mHost.waitForText(kLevelId, "level " + std::to_string(n), kAnswerTimeout, &level));
        EXPECT_EQ(kObjectId, level.objectId);
        EXPECT_NE(std::this_thread::get_id(), level.thread);
    }
    OXATestAnswer block;
    ASSERT_TRUE(mHost.waitForData(2, kAnswerTimeout, &block));
    EXPECT_EQ(kObjectId, block.objectId);
    EXPECT_EQ(std::string("\x01\x02\x03\x04\x05"), block.data);
    EXPECT_EQ(level.thread, block.thread);
}

TEST_F(WaveDemoModule, RefusesASecondActivateWhileItsThreadRuns) {
    ASSERT_EQ(0, command("start_client"));
    ASSERT_EQ(0, command("activate"));
    EXPECT_EQ(1, command("activate"));
}

TEST_F(WaveDemoModule, JoinsItsThreadBeforeDeactivateReturns) {
    ASSERT_EQ(0, command("start_client"));
    ASSERT_EQ(0, command("activate"));
    ASSERT_EQ(0, command("deactivate"));
    EXPECT_TRUE(answered(kJackId, "deactivated"));
    // Nothing left running: a second deactivate finds no thread to stop.
    EXPECT_EQ(1, command("deactivate"));
    // And it can start again.
    EXPECT_EQ(0, command("activate"));
}

TEST_F(WaveDemoModule, StopsItsThreadWhenTheHostDestroysAnActiveClient) {
    ASSERT_EQ(0, command("start_client"));
    ASSERT_EQ(0, command("activate"));
    // Destroying the client closes the library: the module's thread must be
    // gone by then, or the process crashes running unmapped code.
    std::future<void> destroyed = std::async(std::launch::async, [this] { mHost.destroy(); });
    ASSERT_EQ(std::future_status::ready, destroyed.wait_for(milliseconds(5000)));
    EXPECT_TRUE(answered(kJackId, "torn down"));
    const size_t answers = mHost.answerCount();
    std::this_thread::sleep_for(milliseconds(150));
    EXPECT_EQ(answers, mHost.answerCount());
}

TEST_F(WaveDemoModule, AnswersTearDownOnceEvenWhenTheHostTearsDownAgain) {
    ASSERT_EQ(0, command("start_client"));
    ASSERT_EQ(0, command("tear_down"));
    mHost.destroy();
    int tornDown = 0;
    for (const OXATestAnswer& answer : mHost.answers()) tornDown += answer.text == "torn down";
    EXPECT_EQ(1, tornDown);
}

TEST_F(WaveDemoModule, AnswersAGainCommandAtOnceOnTheCallingThread) {
    ASSERT_EQ(0, command("gain 3"));
    // Already there when sendCommand returned: no waiting.
    OXATestAnswer answer;
    ASSERT_TRUE(mHost.waitForText(kCommandId, "gain 3", milliseconds(0), &answer));
    EXPECT_EQ(std::this_thread::get_id(), answer.thread);
}

TEST_F(WaveDemoModule, AnswersTwoClientsOfItsLibraryEachThroughItsOwn) {
    android::OXATestHost second("wave_6");
    ASSERT_EQ(0, second.load(WAVE_DEMO_DIR, WAVE_DEMO_FILE, "demo"));
    ASSERT_EQ(0, second.command("gain 7"));
    OXATestAnswer answer;
    ASSERT_TRUE(second.waitForText(kCommandId, "gain 7", kAnswerTimeout, &answer));
    EXPECT_EQ(6, answer.objectId);
    ASSERT_EQ(0, command("gain 2"));
    EXPECT_TRUE(answered(kCommandId, "gain 2"));
    for (const OXATestAnswer& mine : mHost.answers()) EXPECT_EQ(kObjectId, mine.objectId);
    EXPECT_FALSE(second.waitForText(kCommandId, "gain 2", milliseconds(0)));
}

TEST_F(WaveDemoModule, RefusesMalformedAndUnknownCommands) {
    EXPECT_EQ(1, command("gain loud"));
    EXPECT_EQ(1, command("gain 3x"));
    EXPECT_EQ(1, command("whistle"));
    EXPECT_TRUE(answered(kCommandId, "unknown command: whistle"));
}

TEST_F(WaveDemoModule, AnswersTransportMidiAndBypassThroughItsJackClient) {
    ASSERT_EQ(0, command("start_client"));
    EXPECT_EQ(0, command("enable_sync"));
    EXPECT_EQ(0, command("disable_sync"));
    EXPECT_EQ(0, command("midi:90 40 7f"));
    EXPECT_EQ(0, command("setbypassenabledtrue"));
    EXPECT_TRUE(answered(kJackId, "transport on"));
    EXPECT_TRUE(answered(kJackId, "transport off"));
    EXPECT_TRUE(answered(kJackId, "midi 90 40 7f"));
    EXPECT_TRUE(answered(kJackId, "bypass on"));
}

TEST_F(WaveDemoModule, FillsALettersRequestWithTheCountAskedFor) {
    std::string block;
    ASSERT_TRUE(mHost.request("letters", 30, 200000, block));
    ASSERT_EQ(30u, block.size());
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRSTUVWXYZABCD", block);
}

TEST_F(WaveDemoModule, FillsSixtyFourCounterBytesWhenNoCountIsGiven) {
    std::string block;
    ASSERT_TRUE(mHost.request("counter", 0, 200000, block));
    ASSERT_EQ(64u, block.size());
    for (size_t i = 0; i < block.size(); ++i) {
        EXPECT_EQ(i, static_cast<uint8_t>(block[i])) << "byte " << i;
    }
}

TEST_F(WaveDemoModule, NeverFillsMoreThanTheBlockHolds) {
    std::string block;
    ASSERT_TRUE(mHost.request("counter", 500, 100, block));
    EXPECT_EQ(100u, block.size());
}

TEST_F(WaveDemoModule, RefusesARequestOfAnUnknownKind) {
    std::string block = "untouched";
    EXPECT_FALSE(mHost.request("noise", 10, 200000, block));
    EXPECT_EQ("untouched", block);
}

TEST_F(WaveDemoModule, AnswersAStreamWithItsIdLengthAndChecksum) {
    const char stream[] = "Wikipedia";
    ASSERT_EQ(0, mHost.stream(stream, 9, 5));
    EXPECT_TRUE(answered(kStreamId, "stream 5 9 adler32 11e60398"));
}

TEST_F(WaveDemoModule, RefusesAStreamOfNegativeLength) {
    const char stream[] = "x";
    EXPECT_EQ(1, mHost.stream(stream, -1, 5));
}

TEST_F(WaveDemoModule, WithoutAJackServerSaysSoAndCountsItsLevels) {
    const std::string server = "ovik-wave-demo-none-" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
    ASSERT_EQ(0, command("start_client jack"));
    EXPECT_TRUE(answered(kJackId, "jack: no JACK server, levels are counted"));
    ASSERT_EQ(0, command("activate"));
    EXPECT_TRUE(answered(kLevelId, "level 1"));
}

TEST_F(WaveDemoModule, MetersItsOwnToneAsAClientOfARealDummyServer) {
    const std::string name = "ovik-wave-demo-" + std::to_string(getpid());
    // The module's client finds the server by this name; no other test uses it.
    setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    if (OVIK_JACKD[0] == '\0') GTEST_SKIP() << "no jackd for this architecture";
    JackServer server(OVIK_JACKD, name);
    if (!server.start()) GTEST_SKIP() << "jackd cannot be started (\"" OVIK_JACKD "\")";
    // The server takes a moment before it accepts clients: set up again until
    // the module's client is on it, within a deadline.
    const std::string connected = "jack: wave_demo_wave_5 at 48000 Hz";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool onServer = false;
    while (!onServer && server.isRunning() && std::chrono::steady_clock::now() < deadline) {
        ASSERT_EQ(0, command("start_client jack"));
        onServer = mHost.waitForText(kJackId, connected, milliseconds(200));
        if (!onServer) {
            ASSERT_EQ(0, command("tear_down"));
        }
    }
    if (!onServer) GTEST_SKIP() << "jackd accepts no clients:\n" << server.logTail();
    ASSERT_EQ(0, command("activate"));
    // A half-scale tone, played on the output and read back on the input.
    EXPECT_TRUE(answered(kLevelId, "meter -6.0 dBFS"));
    ASSERT_EQ(0, command("deactivate"));
    ASSERT_EQ(0, command("tear_down"));
    EXPECT_TRUE(answered(kJackId, "torn down"));
    server.stop(milliseconds(5000));
}

TEST_F(WaveDemoModule, NamesItsJackClientAfterTheHostClient) {
    ASSERT_EQ(0, command("start_client"));
    EXPECT_EQ("wave_demo:wave_5", mHost.jackClientName());
}

}  // namespace
