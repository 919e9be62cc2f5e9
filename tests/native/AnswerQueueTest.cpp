// The kit's answer queue, one table: what is pushed (texts or blocks of a
// length, how many, from a thread of their own while delivering or before
// the delivery thread starts) and what reaches the response interface, in
// order, and what is dropped and counted.
#include <gtest/gtest.h>
#include <pthread.h>
#include <string.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BareWave.h"
#include "Deadline.h"
#include "OXAAnswerQueue.h"
#include "RecordingResponse.h"

namespace {

// Small enough that a row fills it: 4 slots of 16 bytes.
typedef android::OXAAnswerQueue<4, 16> SmallQueue;

struct QueueRow {
    const char* name;
    bool data;        // blocks instead of texts
    size_t length;    // of each text or block
    int count;        // pushed
    bool concurrent;  // pushed by another thread while the queue delivers
    int delivered;    // -1: count less what was dropped
    unsigned dropped;
};

const QueueRow kRows[] = {
    {"DeliversTextsInOrderWithTheirIds", false, 5, 3, false, 3, 0},
    {"DropsAndCountsWhatFindsEverySlotTaken", false, 5, 6, false, 4, 2},
    {"DeliversATextThatJustFits", false, 15, 1, false, 1, 0},
    {"DropsATextLongerThanASlot", false, 16, 1, false, 0, 1},
    {"DeliversBlocksThatFillASlot", true, 16, 2, false, 2, 0},
    {"DropsABlockLargerThanASlot", true, 17, 1, false, 0, 1},
    // The host refuses an empty answer; the push says so at once.
    {"RefusesAnEmptyBlock", true, 0, 1, false, 0, 1},
    {"KeepsOrderAcrossManyWrapsWhileDelivering", false, 8, 5000, true, -1, 0},
};

void PrintTo(const QueueRow& row, std::ostream* os) {
    *os << row.name;
}

std::string payload(const QueueRow& row, int i) {
    return std::string(row.length, static_cast<char>('a' + i % 26));
}

std::string expected(const QueueRow& row, int i) {
    if (row.data) return "data:" + std::to_string(i) + ":" + std::to_string(row.length) + ":";
    return "id:" + std::to_string(i) + ":" + payload(row, i);
}

class AnswerQueueTest : public ::testing::TestWithParam<QueueRow> {};

TEST_P(AnswerQueueTest, DeliversWhatFitsInOrderAndCountsWhatItDrops) {
    const QueueRow& row = GetParam();
    RecordingResponse<IOXAResponseInterfaceV2> response;
    BareWave<android::IOXAInterfaceV2> wave;
    wave.setResponseInterface(&response);
    // Pushed ids, so that a concurrent row can tell which were dropped.
    std::vector<int> queued;
    {
        SmallQueue queue(wave, std::chrono::microseconds(100));
        auto pushAll = [&] {
            for (int i = 0; i < row.count; ++i) {
                const std::string bytes = payload(row, i);
                const bool pushed = row.data ? queue.pushData(i, bytes.data(), bytes.size())
                                             : queue.pushText(i, bytes.c_str());
                if (pushed) queued.push_back(i);
            }
        };
        if (row.concurrent) {
            queue.start();
            std::thread producer(pushAll);
            producer.join();
        } else {
            pushAll();
            queue.start();
        }
        queue.stop();
        if (!row.concurrent) {
            EXPECT_EQ(row.dropped, queue.dropped());
        }
        EXPECT_EQ(row.count - queued.size(), queue.dropped());
    }
    const int delivered = row.delivered >= 0 ? row.delivered : static_cast<int>(queued.size());
    ASSERT_EQ(static_cast<size_t>(delivered), response.answers().size());
    ASSERT_EQ(queued.size(), response.answers().size());
    for (size_t i = 0; i < queued.size(); ++i) {
        const std::string want = expected(row, queued[i]);
        EXPECT_EQ(want, response.answers()[i].substr(0, want.size())) << "answer " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, AnswerQueueTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<QueueRow>& info) {
                             return std::string(info.param.name);
                         });

// ---- Starting and stopping as the host allows ------------------------------

// Answers "stop" and "start" by stopping and starting the queue it answers
// for, on the delivery thread, as a Java callback sending "deactivate" and
// "activate" does; counts every other answer.
class ControllingResponse : public IOXAResponseInterfaceV2 {
public:
    void responseToService(const char*) override {}
    void responseToService(const int32_t, const size_t, const void*) override {}
    void responseToService(const int, const char* message) override {
        if (strcmp(message, "stop") == 0) {
            if (mQueue != nullptr) mQueue->stop();
        } else if (strcmp(message, "start") == 0) {
            if (mQueue != nullptr) mQueue->start();
        } else {
            ++mDelivered;
        }
    }
    int getTargetAPILevel() override { return 0; }

    SmallQueue* mQueue = nullptr;
    std::atomic<unsigned> mDelivered{0};
};

struct ControlRow {
    const char* name;
    // Pushes `pushes` texts while starting and stopping `queue`.
    void (*run)(SmallQueue& queue, int pushes);
};

void pushNumbered(SmallQueue& queue, int pushes) {
    for (int i = 0; i < pushes; ++i) queue.pushText(i, "n");
}

const ControlRow kControlRows[] = {
    {"StartAndStopFromManyThreadsAtOnce",
     [](SmallQueue& queue, int pushes) {
         std::vector<std::thread> controllers;
         for (int t = 0; t < 4; ++t) {
             controllers.emplace_back([&queue, t] {
                 for (int i = 0; i < 200; ++i) (i + t) % 2 == 0 ? queue.start() : queue.stop();
             });
         }
         pushNumbered(queue, pushes);
         for (std::thread& controller : controllers) controller.join();
     }},
    {"StopFromInsideItsOwnAnswerThenStartAgain",
     [](SmallQueue& queue, int pushes) {
         queue.start();
         queue.pushText(0, "stop");
         while (queue.isRunning()) std::this_thread::yield();
         queue.start();
         pushNumbered(queue, pushes);
     }},
    {"StopAndStartAgainFromInsideItsAnswers",
     [](SmallQueue& queue, int pushes) {
         queue.start();
         queue.pushText(0, "stop");
         queue.pushText(0, "start");
         pushNumbered(queue, pushes);
     }},
    {"APushRacingStop",
     [](SmallQueue& queue, int pushes) {
         queue.start();
         std::thread producer([&queue, pushes] { pushNumbered(queue, pushes); });
         queue.stop();
         producer.join();
     }},
    {"APushAfterStopWhenNoStartFollows",
     [](SmallQueue& queue, int pushes) {
         queue.start();
         queue.stop();
         pushNumbered(queue, pushes);
     }},
};

void PrintTo(const ControlRow& row, std::ostream* os) {
    *os << row.name;
}

class AnswerQueueControl : public ::testing::TestWithParam<ControlRow> {};

// Neither a thread that joins itself nor two that start at once, and every
// push is delivered or counted, at the latest when the queue goes.
TEST_P(AnswerQueueControl, EveryPushIsDeliveredOrCountedAndNothingHangs) {
    const int kPushes = 300;
    ControllingResponse response;
    BareWave<android::IOXAInterfaceV2> wave;
    wave.setResponseInterface(&response);
    unsigned dropped = 0;
    joinWithin(std::chrono::seconds(20), GetParam().name, [&] {
        SmallQueue queue(wave, std::chrono::microseconds(100));
        response.mQueue = &queue;
        GetParam().run(queue, kPushes);
        queue.stop();
        response.mQueue = nullptr;
        dropped = queue.dropped();
    });
    EXPECT_EQ(static_cast<unsigned>(kPushes), response.mDelivered.load() + dropped);
}

INSTANTIATE_TEST_SUITE_P(Rows, AnswerQueueControl, ::testing::ValuesIn(kControlRows),
                         [](const ::testing::TestParamInfo<ControlRow>& info) {
                             return std::string(info.param.name);
                         });

// ---- The delivery thread's name ---------------------------------------------

// Records the name of the thread the answers arrive on.
class ThreadNameResponse : public IOXAResponseInterfaceV2 {
public:
    void responseToService(const char*) override {}
    void responseToService(const int32_t, const size_t, const void*) override {}
    void responseToService(const int, const char*) override {
        char name[16] = {};
        pthread_getname_np(pthread_self(), name, sizeof(name));
        std::lock_guard<std::mutex> lock(mLock);
        mName = name;
        mArrived.notify_all();
    }
    int getTargetAPILevel() override { return 0; }

    std::string waitForName() {
        std::unique_lock<std::mutex> lock(mLock);
        mArrived.wait_for(lock, std::chrono::seconds(10), [this] { return !mName.empty(); });
        return mName;
    }

private:
    std::mutex mLock;
    std::condition_variable mArrived;
    std::string mName;
};

TEST(AnswerQueueThread, IsNamedSoThatReportsTellItFromTheHostsThreads) {
    const struct {
        const char* given;
        const char* shown;
    } kRows[] = {{nullptr, "oxa-answers"},
                 {"mine-meter", "mine-meter"},
                 {"a-name-longer-than-fifteen", "a-name-longer-t"}};
    for (const auto& row : kRows) {
        ThreadNameResponse response;
        BareWave<android::IOXAInterfaceV2> wave;
        wave.setResponseInterface(&response);
        std::unique_ptr<SmallQueue> queue(
            row.given == nullptr ? new SmallQueue(wave, std::chrono::microseconds(100))
                                 : new SmallQueue(wave, std::chrono::microseconds(100), row.given));
        queue->start();
        queue->pushText(1, "which thread");
        EXPECT_EQ(row.shown, response.waitForName()) << (row.given ? row.given : "(default)");
        queue->stop();
    }
}

}  // namespace
