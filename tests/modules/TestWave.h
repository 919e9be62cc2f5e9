// The processing object of a test module. It records every call with its
// arguments, returns the results a test set, and answers the host on
// request: from its constructor (through the process-wide handle), from
// init(), from inside a command, or from a thread of its own.
#ifndef OVIK_TEST_WAVE_H
#define OVIK_TEST_WAVE_H

#include <stddef.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TestJackClient.h"
#include "WaveVersion.h"

namespace testwave {

class TestWave : public WaveBase {
public:
    TestWave();
    // Joins the answering threads: the library may be closed right after.
    ~TestWave() override;

    int init() override;
    int sendCommand(const char* command) override;
    android::IJackClientInterface* getJackClientInterface() override;
    int request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                const void* buffer) override;
#if WAVE_VERSION >= 2
    int sendStream(const void* stream, const long streamLen, const int id) override;
#endif

private:
    // Commands that make the module do something; false for any other text.
    bool act(const std::string& command, int* result);
    void answerFromThread(const std::string& text, bool throughHandle);

    TestJackClient mJackClient;
    TestJackClient mSecondJackClient;
    std::mutex mThreadsLock;
    std::vector<std::thread> mThreads;
};

}  // namespace testwave

#endif  // OVIK_TEST_WAVE_H
