// A client with one of the benchmark modules loaded and a counting listener
// installed, for the length of one benchmark.
#ifndef OVIK_BENCH_BENCH_CLIENT_H
#define OVIK_BENCH_BENCH_CLIENT_H

#include <memory>
#include <string>

#include "CountingListener.h"
#include "OXAClient.h"

class BenchClient {
public:
    // `moduleFile` in the benchmark modules' directory. loaded() tells
    // whether it worked.
    explicit BenchClient(const std::string& moduleFile);
    ~BenchClient();

    BenchClient(const BenchClient&) = delete;
    BenchClient& operator=(const BenchClient&) = delete;

    bool loaded() const { return mLoaded; }
    android::OXAClient& client() { return *mClient; }
    const CountingListener& listener() const { return mListener; }
    // "<name>!<command>".
    std::string addressed(const std::string& command) const;

private:
    CountingListener mListener;
    std::shared_ptr<android::OXAClient> mClient;
    bool mLoaded;
};

#endif  // OVIK_BENCH_BENCH_CLIENT_H
