// The kit's answer queue, one table: what is pushed (texts or blocks of a
// length, how many, from a thread of their own while delivering or before
// the delivery thread starts) and what reaches the response interface, in
// order, and what is dropped and counted.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "BareWave.h"
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

}  // namespace
