// The execution watcher warns after a watched call that used more than its
// patience of the whole process's processor time, and never for a call that
// only waits. The watcher's own cases use a patience of one second; the
// module command case runs with the real patience of every module call.
#include <unistd.h>

#include "BurnProcessor.h"
#include "ClientTest.h"
#include "ExecutionWatcher.h"
#include "WaveModule.h"

namespace {

const clock_t kShortPatienceSeconds = 1;

}  // namespace

class ExecutionWatcherTest : public ClientTest {};

TEST_F(ExecutionWatcherTest, CallUsingMoreProcessorTimeThanItsPatienceIsReported) {
    {
        android::ExecutionWatcher watcher("busy call", kShortPatienceSeconds);
        burnProcessorTime(1300);
    }

    EXPECT_EQ(
        hostLines(),
        (std::vector<LogLine>{LogLine{ANDROID_LOG_ERROR, kHostTag,
                                      "busy call tooks long time. You have to optimize!!!"}}));
}

TEST_F(ExecutionWatcherTest, CallThatOnlyWaitsIsNotReported) {
    {
        android::ExecutionWatcher watcher("waiting call", kShortPatienceSeconds);
        usleep(200 * 1000);
    }

    EXPECT_TRUE(hostLines().empty());
}

// The one case that spends the real patience: a module command that uses
// more than five seconds of processor time.
TEST_F(ExecutionWatcherTest, BusyModuleCommandIsReportedWithItsTitle) {
    static_assert(android::ExecutionWatcher::kModulePatienceSeconds == 5,
                  "the burn below is just over the real patience");
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
