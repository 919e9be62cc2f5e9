// The validator's probes on objects and memory of the test process itself:
// the ELF reader, the virtual-table examiner, guarded blocks, and what the
// process probe sees.
#include <elf.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "CheckRunner.h"
#include "ElfSymbols.h"
#include "GuardedBlock.h"
#include "IOXAInterfaceV2.h"
#include "ProcessProbe.h"
#include "RealtimeProbe.h"
#include "ThreadLedger.h"
#include "VtableExaminer.h"

namespace oxahost {
namespace {

TEST(ElfSymbols, ReadsTheExportsOfTheExampleModule) {
    ElfSymbols symbols;
    std::string error;
    ASSERT_TRUE(symbols.read(WAVE_DEMO_PATH, &error)) << error;
    const ElfSymbol* create = nullptr;
    for (const ElfSymbol& symbol : symbols.dynamicSymbols()) {
        if (symbol.name == "oxa_create") create = &symbol;
    }
    ASSERT_NE(nullptr, create);
    EXPECT_TRUE(create->exported());
    EXPECT_EQ(STT_FUNC, create->type);
    // A value inside the function finds it, in the full table or the dynamic one.
    const ElfSymbol* found = symbols.containing(create->value + 1, STT_FUNC);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ("oxa_create", found->name);
    EXPECT_FALSE(symbols.read("/proc/self/status", &error));
    EXPECT_NE(std::string::npos, error.find("not an ELF file"));
}

// A version-1 class that claims version 2, and a real version-2 class.
class FalseV2 : public android::IOXAInterface {
public:
    FalseV2() { mMagicNumber = 2; }
    int init() override { return 0; }
    int sendCommand(const char*) override { return 0; }
    android::IJackClientInterface* getJackClientInterface() override { return nullptr; }
    int request(const char*, const long, const long, size_t&, const void*) override { return 0; }
};

class RealV2 : public android::IOXAInterfaceV2 {
public:
    int init() override { return 0; }
    int sendCommand(const char*) override { return 0; }
    android::IJackClientInterface* getJackClientInterface() override { return nullptr; }
    int request(const char*, const long, const long, size_t&, const void*) override { return 0; }
    int sendStream(const void*, const long, const int) override { return 0; }
};

bool derivesFromV2(const void* object) {
    const android::IOXAInterface* base = static_cast<const android::IOXAInterface*>(object);
    return dynamic_cast<const android::IOXAInterfaceV2*>(base) != nullptr;
}

TEST(VtableExaminer, TellsAFalseVersion2ClaimFromARealOne) {
    FalseV2 falseV2;
    RealV2 realV2;
    const VtableExaminer::Result lacking = VtableExaminer::examine(
        static_cast<android::IOXAInterface*>(&falseV2), 6, 1, derivesFromV2);
    const VtableExaminer::Result having =
        VtableExaminer::examine(static_cast<android::IOXAInterface*>(&realV2), 6, 1, derivesFromV2);
    EXPECT_EQ(VtableExaminer::kLacksSlots, lacking.finding) << lacking.evidence;
    EXPECT_FALSE(lacking.derivesFromV2);
    EXPECT_EQ(VtableExaminer::kHasSlots, having.finding) << having.evidence;
    EXPECT_TRUE(having.derivesFromV2);
    EXPECT_TRUE(having.hasTypeInfo);
}

// Touches a guarded block: inside, one byte past the end, after poison().
class BlockToucher : public Check {
public:
    enum Touch { kInside, kPastTheEnd, kAfterPoison };
    explicit BlockToucher(Touch touch) : mTouch(touch) {}
    const char* name() const override { return "block"; }
    const char* description() const override { return "a check of the tests"; }
    CheckOutcome run(const CheckContext&) override {
        GuardedBlock block(7919);
        volatile unsigned char* bytes = block.data();
        bytes[7918] = 1;
        if (mTouch == kPastTheEnd) bytes[7919] = 1;
        if (mTouch == kAfterPoison) {
            block.poison();
            bytes[0] = 1;
        }
        return CheckOutcome();
    }

private:
    Touch mTouch;
};

TEST(GuardedBlock, FaultsPastItsEndAndAfterPoisonOnly) {
    const struct {
        BlockToucher::Touch touch;
        Verdict verdict;
    } kTouches[] = {{BlockToucher::kInside, Verdict::kPass},
                    {BlockToucher::kPastTheEnd, Verdict::kCrash},
                    {BlockToucher::kAfterPoison, Verdict::kCrash}};
    CheckRunner runner(CheckContext(), 60);
    for (const auto& entry : kTouches) {
        BlockToucher check(entry.touch);
        const CheckResult result = runner.run(check);
        EXPECT_EQ(entry.verdict, result.verdict) << result.details;
    }
}

// Names itself, says so on `pipes[3]`, then waits for a byte on `pipes[0]`.
void* waitForRelease(void* pipes) {
    int* fds = static_cast<int*>(pipes);
    pthread_setname_np(pthread_self(), "probe-sleeper");
    char byte = 'n';
    if (write(fds[3], &byte, 1) != 1) return nullptr;
    while (read(fds[0], &byte, 1) < 0) {
    }
    return nullptr;
}

TEST(ProcessProbe, SeesNewDescriptorsThreadsAndHeap) {
    ProcessProbe::startRuntimeThreads();
    const size_t filesBefore = ProcessProbe::openFiles().size();
    const size_t threadsBefore = ProcessProbe::threads().size();
    const long heapBefore = ProcessProbe::heapBytes();

    // [0], [1]: the release; [2], [3]: the thread's "named".
    int pipes[4];
    ASSERT_EQ(0, pipe(pipes));
    ASSERT_EQ(0, pipe(pipes + 2));
    EXPECT_EQ(filesBefore + 4, ProcessProbe::openFiles().size());
    pthread_t thread;
    ASSERT_EQ(0, pthread_create(&thread, nullptr, waitForRelease, pipes));
    char byte = 0;
    ASSERT_EQ(1, read(pipes[2], &byte, 1));
    bool named = false;
    for (const auto& entry : ProcessProbe::threads()) named |= entry.second == "probe-sleeper";
    EXPECT_TRUE(named);
    EXPECT_EQ(threadsBefore + 1, ProcessProbe::threads().size());
    void* held = malloc(1 << 20);
    memset(held, 1, 1 << 20);
    EXPECT_GE(ProcessProbe::heapBytes() - heapBefore, 1 << 20);
    free(held);

    ASSERT_EQ(1, write(pipes[1], "x", 1));
    pthread_join(thread, nullptr);
    for (int fd : pipes) close(fd);
}

// ThreadSanitizer holds a signal back until the thread leaves its blocking
// call, so a thread sampled inside one gives only the sanitizer's frames.
#if defined(__SANITIZE_THREAD__)
const bool kSignalsReachBlockedThreads = false;
#else
const bool kSignalsReachBlockedThreads = true;
#endif

// Two threads started by one step: one that names itself, one that keeps
// the name it inherited from the thread that started it.
TEST(ThreadLedger, TellsTheStepFramesAndNameOrNoNameOfEachThreadLeft) {
    int release[2];
    int named[2];
    ASSERT_EQ(0, pipe(release));
    ASSERT_EQ(0, pipe(named));
    ThreadLedger ledger;
    int pipes[4] = {release[0], release[1], named[0], named[1]};
    pthread_t namedThread;
    ASSERT_EQ(0, pthread_create(&namedThread, nullptr, waitForRelease, pipes));
    char byte = 0;
    ASSERT_EQ(1, read(named[0], &byte, 1));
    std::thread unnamed([&release] {
        char byte = 0;
        while (read(release[0], &byte, 1) < 0) {
        }
    });
    ledger.observe("start two readers");
    ledger.destroyed();
    const std::vector<ThreadLedger::Thread> left =
        ledger.stillRunning(std::chrono::milliseconds(20));
    ASSERT_EQ(2u, left.size());
    for (const ThreadLedger::Thread& thread : left) {
        SCOPED_TRACE(ThreadLedger::describe(thread) + "\n" + thread.frames);
        const bool isNamed = thread.name == "probe-sleeper";
        EXPECT_TRUE(isNamed || thread.name.empty()) << thread.name;
        const std::string expected =
            (isNamed ? std::string("\"probe-sleeper\"") : std::string("an unnamed thread")) +
            " (tid " + std::to_string(thread.tid) + ", first seen after \"start two readers\")";
        EXPECT_EQ(expected, ThreadLedger::describe(thread));
        if (kSignalsReachBlockedThreads) {
            EXPECT_NE(std::string::npos, thread.frames.find("CheckProbesTest.cpp:"));
        }
    }
    ASSERT_EQ(2, write(release[1], "xx", 2));
    unnamed.join();
    pthread_join(namedThread, nullptr);
    for (int fd : pipes) close(fd);
}

// Locks that another thread holds while a watched thread takes them.
struct HeldLocks {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_rwlock_t rwlock = PTHREAD_RWLOCK_INITIALIZER;
    std::timed_mutex timedMutex;
    std::shared_timed_mutex sharedMutex;
};

timespec soon(clockid_t clock) {
    timespec until;
    clock_gettime(clock, &until);
    until.tv_nsec += 2000000;
    if (until.tv_nsec >= 1000000000) {
        until.tv_sec += 1;
        until.tv_nsec -= 1000000000;
    }
    return until;
}

FILE* nullFile() {
    static FILE* file = fopen("/dev/null", "w");
    return file;
}

// Kept from being turned into other calls, or none, by the compiler.
const char* volatile sEmptyFormat = "";
const char* volatile sText = "text";
volatile int sRowsRun = 0;

int printTo(FILE* file, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int written = vfprintf(file, format, arguments);
    va_end(arguments);
    return written;
}

struct WaitRow {
    const char* call;  // the start of the report's call
    std::function<void(HeldLocks&)> make;
};

const WaitRow kWaits[] = {
    {"pthread_cond_clockwait",
     [](HeldLocks&) {
         std::mutex mutex;
         std::condition_variable condition;
         std::unique_lock<std::mutex> lock(mutex);
         condition.wait_for(lock, std::chrono::milliseconds(1));
     }},
    {"pthread_mutex_timedlock (held",
     [](HeldLocks& held) {
         const timespec until = soon(CLOCK_REALTIME);
         if (pthread_mutex_timedlock(&held.mutex, &until) == 0) pthread_mutex_unlock(&held.mutex);
     }},
    {"pthread_mutex_clocklock (held",
     [](HeldLocks& held) {
         if (held.timedMutex.try_lock_for(std::chrono::milliseconds(2))) held.timedMutex.unlock();
     }},
    {"pthread_rwlock_rdlock (held",
     [](HeldLocks& held) {
         held.sharedMutex.lock_shared();
         held.sharedMutex.unlock_shared();
     }},
    {"pthread_rwlock_wrlock (held",
     [](HeldLocks& held) {
         pthread_rwlock_wrlock(&held.rwlock);
         pthread_rwlock_unlock(&held.rwlock);
     }},
    {"pthread_rwlock_timedrdlock (held",
     [](HeldLocks& held) {
         const timespec until = soon(CLOCK_REALTIME);
         if (pthread_rwlock_timedrdlock(&held.rwlock, &until) == 0)
             pthread_rwlock_unlock(&held.rwlock);
     }},
    {"pthread_rwlock_clockwrlock (held",
     [](HeldLocks& held) {
         const timespec until = soon(CLOCK_MONOTONIC);
         if (pthread_rwlock_clockwrlock(&held.rwlock, CLOCK_MONOTONIC, &until) == 0)
             pthread_rwlock_unlock(&held.rwlock);
     }},
    {"clock_nanosleep",
     [](HeldLocks&) {
         const timespec pause = {0, 1000};
         clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, nullptr);
     }},
    {"fwrite", [](HeldLocks&) { fwrite(sText, 1, 4, nullFile()); }},
    {"fputs", [](HeldLocks&) { fputs(sText, nullFile()); }},
    {"fprintf", [](HeldLocks&) { fprintf(nullFile(), "%d", 7); }},
    {"vfprintf", [](HeldLocks&) { printTo(nullFile(), "%d", 7); }},
    {"printf", [](HeldLocks&) { printf(sEmptyFormat); }},
    {"fflush", [](HeldLocks&) { fflush(nullFile()); }},
};

class RealtimeProbeTest : public ::testing::TestWithParam<WaitRow> {};

void PrintTo(const WaitRow& row, std::ostream* os) {
    *os << row.call;
}

// The test program stands for the module: its frames are on the stack.
TEST_P(RealtimeProbeTest, CatchesTheWaitOnAWatchedThreadWithTheCallersFrames) {
    if (!RealtimeProbe::available()) GTEST_SKIP() << "a sanitizer owns the calls";
    const WaitRow& row = GetParam();
    HeldLocks held;
    pthread_mutex_lock(&held.mutex);
    pthread_rwlock_wrlock(&held.rwlock);
    held.timedMutex.lock();
    held.sharedMutex.lock();
    char exe[4096] = "";
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    ASSERT_GT(length, 0);
    exe[length] = '\0';
    RealtimeProbe::arm(exe);
    std::atomic<bool> calling{false};
    std::thread watched([&row, &held, &calling] {
        RealtimeProbe::watchCallingThread();
        calling = true;
        row.make(held);
        // Work after the call keeps it a call, with this frame on the stack,
        // rather than a jump an optimiser may make of the last call.
        sRowsRun = sRowsRun + 1;
    });
    // The locks are held until the watched thread has had time to wait for
    // them, counted from its call (a thread starts slowly under an emulator);
    // the untimed locks wait until then.
    while (!calling) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    held.sharedMutex.unlock();
    held.timedMutex.unlock();
    pthread_rwlock_unlock(&held.rwlock);
    pthread_mutex_unlock(&held.mutex);
    watched.join();
    RealtimeProbe::disarm();

    bool found = false;
    for (const RealtimeProbe::Report& report : RealtimeProbe::reports()) {
        SCOPED_TRACE(report.call + "\n" + report.backtrace);
        if (report.call.compare(0, strlen(row.call), row.call) != 0) continue;
        found = true;
        EXPECT_NE(std::string::npos, report.backtrace.find("CheckProbesTest.cpp:"));
    }
    EXPECT_TRUE(found) << row.call << " not reported";
}

INSTANTIATE_TEST_SUITE_P(GlibcWaitsAndStdioWrites, RealtimeProbeTest, ::testing::ValuesIn(kWaits));

}  // namespace
}  // namespace oxahost
