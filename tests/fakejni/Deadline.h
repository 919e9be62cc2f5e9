// Runs a piece of a test on a thread of its own and joins it with a time
// limit, so a deadlock fails the test instead of hanging the run. A thread
// that deadlocked cannot be joined or cancelled, so on a timeout the process
// ends at once with a failure status after saying what hung.
#ifndef OVIK_FAKEJNI_DEADLINE_H
#define OVIK_FAKEJNI_DEADLINE_H

#include <chrono>
#include <functional>
#include <string>

// `javaThread` marks the thread as a Java thread of the fake VM first.
void joinWithin(std::chrono::seconds limit, const std::string& what, bool javaThread,
                std::function<void()> body);

#endif  // OVIK_FAKEJNI_DEADLINE_H
