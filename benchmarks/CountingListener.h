// A listener that only counts, so the benchmarks measure the host's path and
// not the receiver.
#ifndef OVIK_BENCH_COUNTING_LISTENER_H
#define OVIK_BENCH_COUNTING_LISTENER_H

#include <atomic>

#include "OXAUserListener.h"

class CountingListener : public android::OXAUserListener {
public:
    void notify(int32_t, int32_t, int32_t, const char*) override {
        mTexts.fetch_add(1, std::memory_order_relaxed);
    }
    void notifyDataCallback(int32_t, int32_t, size_t, const void*) override {
        mData.fetch_add(1, std::memory_order_relaxed);
    }

    long texts() const { return mTexts.load(std::memory_order_relaxed); }
    long data() const { return mData.load(std::memory_order_relaxed); }

private:
    std::atomic<long> mTexts{0};
    std::atomic<long> mData{0};
};

#endif  // OVIK_BENCH_COUNTING_LISTENER_H
