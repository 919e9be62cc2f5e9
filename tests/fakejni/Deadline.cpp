#include "Deadline.h"

#include <stdio.h>
#include <stdlib.h>

#include <future>
#include <thread>

#include "FakeJvm.h"

void joinWithin(std::chrono::seconds limit, const std::string& what, bool javaThread,
                std::function<void()> body) {
    std::packaged_task<void()> task([javaThread, &body] {
        if (javaThread) FakeJvm::instance().makeJavaThread();
        body();
    });
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(limit) == std::future_status::timeout) {
        fprintf(stderr, "FAILED: %s did not finish within %lld s (deadlock)\n", what.c_str(),
                static_cast<long long>(limit.count()));
        fflush(stderr);
        _Exit(1);
    }
    runner.join();
    done.get();
}
