// The validator's probes on objects and memory of the test process itself:
// the ELF reader, the virtual-table examiner, guarded blocks, and what the
// process probe sees.
#include <elf.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "CheckRunner.h"
#include "ElfSymbols.h"
#include "GuardedBlock.h"
#include "IOXAInterfaceV2.h"
#include "ProcessProbe.h"
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
    const VtableExaminer::Result having = VtableExaminer::examine(
        static_cast<android::IOXAInterface*>(&realV2), 6, 1, derivesFromV2);
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

}  // namespace
}  // namespace oxahost
