// Burns processor time on purpose, for the checks of the execution watcher:
// the test module's "burn:<ms>" command and the watcher's own tests. Header
// only and standard C++ only, so a module includes it without anything of
// the library's.
#ifndef OVIK_TEST_BURN_PROCESSOR_H
#define OVIK_TEST_BURN_PROCESSOR_H

#include <time.h>

#include <thread>
#include <vector>

// Keeps four threads busy until the whole process used `milliseconds` of
// processor time: more threads than cores, so it takes less wall time.
inline void burnProcessorTime(long milliseconds) {
    const clock_t start = clock();
    const clock_t budget = static_cast<clock_t>(milliseconds) * (CLOCKS_PER_SEC / 1000);
    std::vector<std::thread> spinners;
    for (int i = 0; i < 4; ++i) {
        spinners.emplace_back([start, budget] {
            // clock() is a system call; asking it now and then keeps the
            // threads computing instead of waiting in the kernel.
            volatile unsigned long work = 0;
            while (clock() - start <= budget) {
                for (int i = 0; i < (1 << 16); ++i) work = work + 1;
            }
        });
    }
    for (std::thread& spinner : spinners) spinner.join();
}

#endif  // OVIK_TEST_BURN_PROCESSOR_H
