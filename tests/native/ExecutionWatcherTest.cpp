// The execution watcher warns after a watched call that used more than five
// seconds of the whole process's processor time, and never for a call that
// only waits.
#include <time.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "ClientTest.h"
#include "ExecutionWatcher.h"
#include "WaveModule.h"

namespace {

const clock_t kPatienceSeconds = 5;

// Keeps four threads busy until the process used `milliseconds` of processor
// time: on two cores that takes about half as long in wall time.
void burnProcessorTime(long milliseconds) {
    const clock_t start = clock();
    const clock_t budget = static_cast<clock_t>(milliseconds) * (CLOCKS_PER_SEC / 1000);
    std::vector<std::thread> spinners;
    for (int i = 0; i < 4; ++i) {
        spinners.emplace_back([start, budget] {
            // clock() is a system call; asking it now and then keeps the
            // threads computing instead of waiting in the kernel.
            volatile unsigned long work = 0;
            while (clock() - start <= budget) {
                for (int i = 0; i < (1 << 16); ++i) work = work + 1;
            }
        });
    }
    for (std::thread& spinner : spinners) spinner.join();
}

}  // namespace

class ExecutionWatcherTest : public ClientTest {};

TEST_F(ExecutionWatcherTest, CallUsingMoreThanFiveSecondsOfProcessorTimeIsReported) {
    {
        android::ExecutionWatcher watcher("busy call", kPatienceSeconds);
        burnProcessorTime(5300);
    }

    EXPECT_EQ(
        hostLines(),
        (std::vector<LogLine>{LogLine{ANDROID_LOG_ERROR, kHostTag,
                                      "busy call tooks long time. You have to optimize!!!"}}));
}

TEST_F(ExecutionWatcherTest, CallThatOnlyWaitsIsNotReported) {
    {
        android::ExecutionWatcher watcher("waiting call", kPatienceSeconds);
        usleep(200 * 1000);
    }

    EXPECT_TRUE(hostLines().empty());
}

TEST_F(ExecutionWatcherTest, BusyModuleCommandIsReportedWithItsTitle) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("busy_1");
    ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
    LogCapture::clear();

    EXPECT_EQ(command(client, "burn:5300"), 0);

    EXPECT_EQ(hostLines(),
              (std::vector<LogLine>{LogLine{
                  ANDROID_LOG_ERROR, kHostTag,
                  "your wave's sendCommand(burn:5300 tooks long time. You have to optimize!!!"}}));
}

TEST_F(ExecutionWatcherTest, WaitingModuleCommandIsNotReported) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("idle_1");
    ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
    LogCapture::clear();

    EXPECT_EQ(command(client, "sleep:200"), 0);

    EXPECT_TRUE(hostLines().empty());
}
