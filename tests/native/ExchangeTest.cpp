// Requests, streams, the JACK client name query, and the module's answers on
// their way to the listener.
#include <string.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "ClientTest.h"
#include "ListenerScope.h"
#include "RecordingListener.h"
#include "WaveModule.h"

namespace {

const auto kWait = std::chrono::seconds(10);
const long kCapacity = 200000;

LogLine hostLine(int priority, const std::string& message) {
    return LogLine{priority, kHostTag, message};
}

// The lines of /proc/self/maps: one for each mapping of the process.
long mappingCount() {
    std::ifstream maps("/proc/self/maps");
    return static_cast<long>(
        std::count(std::istreambuf_iterator<char>(maps), std::istreambuf_iterator<char>(), '\n'));
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define OVIK_SANITIZER_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define OVIK_SANITIZER_ALLOCATOR 1
#endif
#endif

// A sanitizer's allocator maps memory of its own as it goes (its quarantine
// and shadow), so the count says nothing about the library there.
#if defined(OVIK_SANITIZER_ALLOCATOR)
#define SKIP_UNDER_SANITIZER_ALLOCATOR() GTEST_SKIP() << "the sanitizer's allocator maps memory"
#else
#define SKIP_UNDER_SANITIZER_ALLOCATOR() (void)0
#endif

// The mappings gained over `times` runs of `step`, counted after ten runs
// that let the allocator settle.
template <typename Step>
long mappingsGained(int times, Step step) {
    for (int i = 0; i < 10; ++i) step();
    const long before = mappingCount();
    for (int i = 0; i < times; ++i) step();
    return mappingCount() - before;
}

}  // namespace

// ---- Requests -------------------------------------------------------------------

class RequestTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        client = makeClient("request_3");
        ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
        module.reset();
        LogCapture::clear();
    }

    WaveModule module{"oxa_wave_v2"};
    ClientRef client;
};

TEST_F(RequestTest, ModuleFillingPartOfTheBlockSetsTheCount) {
    module.setValue("requestFill", 100);
    size_t used = 0;

    std::shared_ptr<android::OxaMemoryHeap> heap = client->request("levels", 9, kCapacity, used);

    ASSERT_NE(heap, nullptr);
    EXPECT_EQ(heap->getSize(), static_cast<size_t>(kCapacity));
    EXPECT_EQ(used, 100u);
    const unsigned char* bytes = static_cast<const unsigned char*>(heap->getBase());
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(bytes[i], static_cast<unsigned char>(i * 7 + 1)) << "byte " << i;
    }
    // The module saw the capacity as the count on entry and the heap's block.
    EXPECT_EQ(
        module.calls(),
        (std::vector<std::string>{format("request:levels:9:200000:200000:%p", heap->getBase())}));
    EXPECT_TRUE(hostLines().empty());
}

TEST_F(RequestTest, AFirstBlockIsZeroedAndTheNextRequestRefillsTheSameBlock) {
    size_t used = 0;
    std::shared_ptr<android::OxaMemoryHeap> first = client->request("all", 0, kCapacity, used);
    ASSERT_NE(first, nullptr);
    const unsigned char* bytes = static_cast<const unsigned char*>(first->getBase());
    EXPECT_EQ(std::count(bytes, bytes + kCapacity, 0), kCapacity);

    module.setValue("requestFill", 100);
    std::shared_ptr<android::OxaMemoryHeap> second = client->request("levels", 0, kCapacity, used);

    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->getBase(), first->getBase());
    EXPECT_EQ(bytes[99], static_cast<unsigned char>(99 * 7 + 1));
}

TEST_F(RequestTest, AThousandRequestsLeaveTheNumberOfMappingsFlat) {
    SKIP_UNDER_SANITIZER_ALLOCATOR();
    bool allFilled = true;
    EXPECT_EQ(mappingsGained(1000,
                             [&] {
                                 size_t used = 0;
                                 allFilled =
                                     client->request("all", 0, kCapacity, used) != nullptr &&
                                     used == static_cast<size_t>(kCapacity) && allFilled;
                                 module.reset();
                             }),
              0);
    EXPECT_TRUE(allFilled);
}

TEST_F(RequestTest, ModuleLeavingTheCountAloneGivesTheCapacity) {
    size_t used = 0;

    std::shared_ptr<android::OxaMemoryHeap> heap = client->request("all", 0, kCapacity, used);

    ASSERT_NE(heap, nullptr);
    EXPECT_EQ(used, static_cast<size_t>(kCapacity));
}

TEST_F(RequestTest, FailingModuleGivesNothingAndLeavesTheCount) {
    module.setValue("request", 1);
    size_t used = 12345;

    EXPECT_EQ(client->request("levels", 0, kCapacity, used), nullptr);

    EXPECT_EQ(used, 12345u);
    EXPECT_EQ(hostLines(), (std::vector<LogLine>{hostLine(
                               ANDROID_LOG_ERROR,
                               "Fail to reqeust : The processing module return error. please "
                               "check it again")}));
}

TEST_F(RequestTest, NegativeCapacityIsRefusedBeforeTheModule) {
    size_t used = 5;

    EXPECT_EQ(client->request("levels", 0, -1, used), nullptr);

    EXPECT_EQ(used, 5u);
    EXPECT_TRUE(module.calls().empty());
    EXPECT_EQ(
        hostLines(),
        (std::vector<LogLine>{hostLine(
            ANDROID_LOG_ERROR, "Fail to request: the capacity -1 is not a valid block size")}));
}

class RequestWithoutModuleTest : public ClientTest {};

TEST_F(RequestWithoutModuleTest, RequestFailsWithADebugLine) {
    ClientRef client = makeClient("empty_1");
    LogCapture::clear();
    size_t used = 5;

    EXPECT_EQ(client->request("levels", 0, kCapacity, used), nullptr);

    EXPECT_EQ(used, 5u);
    EXPECT_EQ(hostLines(), (std::vector<LogLine>{hostLine(
                               ANDROID_LOG_DEBUG,
                               "Fail to request: The processing module doesn't exist. Maybe The "
                               "OXAClient has a problem...")}));
}

// ---- Streams --------------------------------------------------------------------

class StreamTest : public ClientTest {
protected:
    // A client named stream_<n> with `library` loaded, its calls and lines
    // cleared.
    ClientRef loaded(const std::string& library, WaveModule& module) {
        ClientRef client = makeClient("stream_4");
        EXPECT_EQ(load(client, library), 0);
        module.reset();
        module.setValue("sendCommand", 7);
        module.setValue("sendStream", 8);
        LogCapture::clear();
        return client;
    }
};

TEST_F(StreamTest, VersionOneModuleReceivesTheBytesAsHexText) {
    WaveModule module("oxa_wave_v1");
    ClientRef client = loaded("oxa_wave_v1", module);
    const unsigned char bytes[] = {0x00, 0xAB, 0x7F};

    EXPECT_EQ(client->sendStream(bytes, 3, 5), 7);

    EXPECT_EQ(module.calls(), (std::vector<std::string>{"sendCommand:stream:5:00ab7f"}));
    EXPECT_TRUE(hostLines().empty());
}

TEST_F(StreamTest, VersionOneModuleReceivesOnlyTheHeaderForAnEmptyStream) {
    WaveModule module("oxa_wave_v1");
    ClientRef client = loaded("oxa_wave_v1", module);

    EXPECT_EQ(client->sendStream("", 0, 12), 7);
    EXPECT_EQ(client->sendStream("", -4, -2), 7);

    EXPECT_EQ(module.calls(),
              (std::vector<std::string>{"sendCommand:stream:12:", "sendCommand:stream:-2:"}));
}

TEST_F(StreamTest, VersionOneTextSpellsEveryByteValueInLowerCase) {
    WaveModule module("oxa_wave_v1");
    ClientRef client = loaded("oxa_wave_v1", module);
    unsigned char bytes[512];
    std::string expected = "sendCommand:stream:2147483647:";
    for (int i = 0; i < 512; ++i) {
        bytes[i] = static_cast<unsigned char>(255 - i % 256);
        char digits[3];
        snprintf(digits, sizeof(digits), "%02x", bytes[i]);
        expected += digits;
    }

    EXPECT_EQ(client->sendStream(bytes, 512, 2147483647), 7);

    EXPECT_EQ(module.calls(), (std::vector<std::string>{expected}));
}

TEST_F(StreamTest, AThousandVersionOneStreamsLeaveTheNumberOfMappingsFlat) {
    SKIP_UNDER_SANITIZER_ALLOCATOR();
    WaveModule module("oxa_wave_v1");
    ClientRef client = loaded("oxa_wave_v1", module);
    // Its text is larger than what the allocator serves from its heap at first.
    const std::vector<unsigned char> bytes(96 * 1024, 0x5c);
    int failures = 0;
    EXPECT_EQ(mappingsGained(1000,
                             [&] {
                                 if (client->sendStream(bytes.data(),
                                                        static_cast<long>(bytes.size()), 3) != 7) {
                                     ++failures;
                                 }
                                 module.reset();
                                 module.setValue("sendCommand", 7);
                             }),
              0);
    EXPECT_EQ(failures, 0);
}

TEST_F(StreamTest, VersionTwoModuleReceivesTheSamePointerLengthAndId) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = loaded("oxa_wave_v2", module);
    const unsigned char bytes[] = {0x00, 0xAB, 0x7F};

    EXPECT_EQ(client->sendStream(bytes, 3, 5), 8);

    EXPECT_EQ(
        module.calls(),
        (std::vector<std::string>{format("sendStream:%p:3:5", static_cast<const void*>(bytes))}));
}

TEST_F(StreamTest, StreamWithoutModuleFails) {
    ClientRef client = makeClient("stream_5");
    LogCapture::clear();

    EXPECT_EQ(client->sendStream("ab", 2, 1), 1);

    EXPECT_EQ(hostLines(),
              (std::vector<LogLine>{hostLine(
                  ANDROID_LOG_ERROR, "fail to send stream. The processing module is not loaded")}));
}

// ---- JACK client name -------------------------------------------------------------

class JackClientNameTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        client = makeClient("name_6");
        ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
        module.reset();
        LogCapture::clear();
    }

    WaveModule module{"oxa_wave_v2"};
    ClientRef client;
};

TEST_F(JackClientNameTest, QueryBeforeStartClientFails) {
    EXPECT_EQ(client->getJackClientName("query"), nullptr);

    EXPECT_TRUE(module.calls().empty());
    EXPECT_EQ(hostLines(), (std::vector<LogLine>{hostLine(
                               ANDROID_LOG_ERROR,
                               "fail to get the jack client name. The processing module is not "
                               "loaded")}));
}

TEST_F(JackClientNameTest, ModuleWithoutANameGivesNullWithoutALine) {
    ASSERT_EQ(command(client, "start_client"), 0);
    module.reset();
    LogCapture::clear();

    EXPECT_EQ(client->getJackClientName("query"), nullptr);

    EXPECT_EQ(module.calls(), (std::vector<std::string>{"getJackClientName:query"}));
    EXPECT_TRUE(hostLines().empty());
}

TEST_F(JackClientNameTest, ModuleNameIsReturnedAsTheModulesOwnText) {
    ASSERT_EQ(command(client, "start_client"), 0);
    module.setText("jackName", "wave-jack-6");

    const char* first = client->getJackClientName("query");
    const char* second = client->getJackClientName("query");

    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "wave-jack-6");
    // The module keeps its text; the host hands out the module's pointer.
    EXPECT_EQ(first, second);
}

TEST_F(JackClientNameTest, TornDownJackClientIsStillAsked) {
    ASSERT_EQ(command(client, "start_client"), 0);
    ASSERT_EQ(command(client, "tear_down"), 0);
    module.setText("jackName", "still-here");

    const char* name = client->getJackClientName("query");

    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "still-here");
}

// ---- Answers ------------------------------------------------------------------------

class AnswerTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        client = makeClient("answer_3");
        ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
        LogCapture::clear();
    }

    WaveModule module{"oxa_wave_v2"};
    ClientRef client;
};

TEST_F(AnswerTest, AnswersWithoutAListenerAreDroppedWithALine) {
    EXPECT_EQ(command(client, "say:lost"), 0);
    EXPECT_EQ(command(client, "data:4:lost"), 0);
    // The listener is checked first, so bad data logs the same line.
    EXPECT_EQ(command(client, "datanull:4"), 0);

    EXPECT_EQ(hostLines(),
              (std::vector<LogLine>{hostLine(ANDROID_LOG_ERROR, "Listener is null"),
                                    hostLine(ANDROID_LOG_ERROR, "data Listener is null"),
                                    hostLine(ANDROID_LOG_ERROR, "data Listener is null")}));
}

TEST_F(AnswerTest, OneArgumentAnswerArrivesWithIdZero) {
    RecordingListener listener;
    ListenerScope scope(&listener);

    EXPECT_EQ(command(client, "say:level 3"), 0);

    const std::vector<Notification> heard = listener.notifications();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].msgType, 0);
    EXPECT_EQ(heard[0].ext1, 0);
    EXPECT_EQ(heard[0].ext2, 3);
    EXPECT_TRUE(heard[0].hasText);
    EXPECT_EQ(heard[0].text, "level 3");
    EXPECT_EQ(heard[0].thread, std::this_thread::get_id());
}

TEST_F(AnswerTest, OneArgumentFormGoesThroughTheTwoArgumentForm) {
    RecordingListener listener;
    ListenerScope scope(&listener);
    IOXAResponseInterface* response = client.get();

    response->responseToService("direct");
    response->responseToService(9, "tagged");

    const std::vector<Notification> heard = listener.notifications();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].ext1, 0);
    EXPECT_EQ(heard[0].text, "direct");
    EXPECT_EQ(heard[1].ext1, 9);
    EXPECT_EQ(heard[1].ext2, 3);
    EXPECT_EQ(heard[1].text, "tagged");
}

TEST_F(AnswerTest, TaggedAnswerKeepsItsId) {
    RecordingListener listener;
    ListenerScope scope(&listener);

    EXPECT_EQ(command(client, "sayid:9:tagged"), 0);

    const std::vector<Notification> heard = listener.notifications();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].ext1, 9);
    EXPECT_EQ(heard[0].ext2, 3);
    EXPECT_EQ(heard[0].text, "tagged");
}

TEST_F(AnswerTest, NullTextReachesTheListenerAsNull) {
    RecordingListener listener;
    ListenerScope scope(&listener);

    client->responseToService(2, nullptr);

    const std::vector<Notification> heard = listener.notifications();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_FALSE(heard[0].hasText);
}

TEST_F(AnswerTest, DataAnswerReachesTheListenerWithoutACopy) {
    RecordingListener listener;
    ListenerScope scope(&listener);
    const char bytes[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};

    EXPECT_EQ(command(client, "data:4:abcdefgh"), 0);
    client->responseToService(5, sizeof(bytes), bytes);

    const std::vector<DataNotification> heard = listener.dataNotifications();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].ext1, 4);
    EXPECT_EQ(heard[0].ext2, 3);
    EXPECT_EQ(heard[0].size, 8u);
    EXPECT_EQ(heard[0].bytes, "abcdefgh");
    EXPECT_EQ(heard[1].ext1, 5);
    EXPECT_EQ(heard[1].data, static_cast<const void*>(bytes));
}

TEST_F(AnswerTest, EmptyOrNullDataIsDroppedWithALine) {
    RecordingListener listener;
    ListenerScope scope(&listener);
    LogCapture::clear();

    EXPECT_EQ(command(client, "dataempty:4"), 0);
    EXPECT_EQ(command(client, "datanull:4"), 0);

    EXPECT_TRUE(listener.dataNotifications().empty());
    EXPECT_EQ(hostLines(),
              (std::vector<LogLine>(
                  2, hostLine(ANDROID_LOG_ERROR,
                              "invalid parameters: please check the size is 0 or data is null"))));
}

TEST_F(AnswerTest, AnswersFromTheModulesOwnThreadsReachTheListener) {
    RecordingListener listener;
    ListenerScope scope(&listener);

    EXPECT_EQ(command(client, "thread:from the object"), 0);
    ASSERT_TRUE(listener.waitForNotifications(1, kWait));
    EXPECT_EQ(command(client, "threaduser:from the handle"), 0);
    ASSERT_TRUE(listener.waitForNotifications(2, kWait));

    const std::vector<Notification> heard = listener.notifications();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].text, "from the object");
    EXPECT_EQ(heard[1].text, "from the handle");
    for (const Notification& notification : heard) {
        EXPECT_EQ(notification.ext2, 3);
        EXPECT_NE(notification.thread, std::this_thread::get_id());
    }
    // The module joins its threads when it is destroyed; that must happen
    // before the listener they answer to goes away.
    client.reset();
}

TEST_F(AnswerTest, RemovedListenerLeavesLaterAnswersWithoutOne) {
    RecordingListener listener;
    {
        ListenerScope scope(&listener);
        EXPECT_EQ(command(client, "say:heard"), 0);
    }
    LogCapture::clear();

    EXPECT_EQ(command(client, "say:unheard"), 0);

    EXPECT_EQ(listener.notifications().size(), 1u);
    EXPECT_EQ(hostLines(), (std::vector<LogLine>{hostLine(ANDROID_LOG_ERROR, "Listener is null")}));
}
