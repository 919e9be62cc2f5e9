// Runs parts of a test on threads of their own and waits for them with a
// time limit, so a deadlock fails the test instead of hanging the run. A
// thread that deadlocked cannot be joined or cancelled, so on a timeout the
// process ends at once with a failure status after saying what hung.
#ifndef OVIK_TEST_DEADLINE_H
#define OVIK_TEST_DEADLINE_H

#include <chrono>
#include <functional>
#include <string>

// Runs `body` on a thread of its own and joins it within `limit`; what
// `body` throws is thrown again here. `what` names the part in the failure.
void joinWithin(std::chrono::seconds limit, const std::string& what, std::function<void()> body);

// Runs `work(i)` for every i below `threads`, each on a thread of its own,
// all released together, and joins them within `limit`.
void runTogether(int threads, std::chrono::seconds limit, const std::string& what,
                 const std::function<void(int)>& work);

#endif  // OVIK_TEST_DEADLINE_H
