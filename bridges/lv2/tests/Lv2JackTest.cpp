// The LV2 bridge as a client of a real JACK server (the dummy driver): the
// plugin runs in the process callback, and its control outputs are answered
// from the module's own thread about ten times a second.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "BridgeFixture.h"
#include "JackServer.h"

namespace {

using std::chrono::milliseconds;

const int kCommandId = 1;
const int kControlId = 2;
const int kJackId = 4;
const char kLatency[] = "http://plugin.org.uk/swh-plugins/artificialLatency";

class Lv2BridgeOnJack : public BridgeFixture {};

TEST_F(Lv2BridgeOnJack, IsActiveWithoutJackWhenThereIsNoServer) {
    setenv("JACK_DEFAULT_SERVER", ("wave-lv2-none-" + std::to_string(getpid())).c_str(), 1);
    ASSERT_EQ(0, command(std::string("load ") + kLatency));
    ASSERT_EQ(0, command("start_client"));
    ASSERT_EQ(0, command("activate"));
    EXPECT_EQ("active without JACK: no JACK server", lastText(kJackId));
    // Offline processing goes on.
    ASSERT_EQ(0, command("render 64"));
    EXPECT_EQ(64u, lastFrames().size());
    EXPECT_EQ(1, command("activate"));
    EXPECT_EQ("error: activate: already active", lastText(kCommandId));
    ASSERT_EQ(0, command("deactivate"));
    EXPECT_EQ(1, command("deactivate"));
}

TEST_F(Lv2BridgeOnJack, RunsThePluginInTheProcessCallbackAndAnswersItsControlOutputs) {
    const std::string name = "wave-lv2-" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    if (WAVE_LV2_JACKD[0] == '\0') GTEST_SKIP() << "no jackd for this architecture";
    JackServer server(WAVE_LV2_JACKD, name);
    if (!server.start()) GTEST_SKIP() << "jackd cannot be started (\"" WAVE_LV2_JACKD "\")";
    ASSERT_EQ(0, command(std::string("load ") + kLatency));
    // 10 ms at the server's 48 kHz: the plugin answers its latency in frames.
    ASSERT_EQ(0, command("set delay 10"));
    ASSERT_EQ(0, command("start_client"));
    // The server takes a moment before it accepts clients.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool onServer = false;
    while (!onServer && server.isRunning() && std::chrono::steady_clock::now() < deadline) {
        ASSERT_EQ(0, command("activate"));
        onServer = lastText(kJackId) == "active wave_lv2_lv2_9 at 48000 Hz";
        if (!onServer) {
            ASSERT_EQ(0, command("deactivate"));
            std::this_thread::sleep_for(milliseconds(100));
        }
    }
    if (!onServer) GTEST_SKIP() << "jackd accepts no clients:\n" << server.logTail();
    Notification latency;
    ASSERT_TRUE(
        mListener.waitForText(kControlId, "out latency 480.000", milliseconds(5000), &latency));
    EXPECT_NE(std::this_thread::get_id(), latency.thread);
    // About ten a second.
    std::this_thread::sleep_for(milliseconds(1000));
    const size_t reports = texts(kControlId).size();
    EXPECT_GE(reports, 6u);
    EXPECT_LE(reports, 16u);
    EXPECT_EQ(1, command(std::string("load ") + kLatency));
    EXPECT_EQ("error: load: JACK runs the plugin; deactivate first", lastText(kCommandId));
    ASSERT_EQ(0, command("deactivate"));
    EXPECT_EQ("deactivated", lastText(kJackId));
    server.stop(milliseconds(5000));
}

}  // namespace
