#include "Deadline.h"

#include <stdio.h>
#include <stdlib.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

namespace {

[[noreturn]] void failDeadlocked(const std::string& what, std::chrono::seconds limit) {
    fprintf(stderr, "FAILED: %s did not finish within %lld s (deadlock)\n", what.c_str(),
            static_cast<long long>(limit.count()));
    fflush(nullptr);
    _Exit(1);
}

}  // namespace

void joinWithin(std::chrono::seconds limit, const std::string& what, std::function<void()> body) {
    std::packaged_task<void()> task(std::move(body));
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(limit) == std::future_status::timeout) failDeadlocked(what, limit);
    runner.join();
    done.get();
}

void runTogether(int threads, std::chrono::seconds limit, const std::string& what,
                 const std::function<void(int)>& work) {
    joinWithin(limit, what, [threads, &work] {
        std::atomic<bool> go(false);
        std::vector<std::thread> runners;
        for (int i = 0; i < threads; ++i) {
            runners.emplace_back([i, &go, &work] {
                while (!go.load()) std::this_thread::yield();
                work(i);
            });
        }
        go.store(true);
        for (std::thread& runner : runners) runner.join();
    });
}
