// The answer-paths module's processing object (version 2). Java drives it with text
// commands whose first word picks the behaviour and whose other words are
// its arguments; every answer goes through response() so the suites can see
// the text, data, thread and notification paths of the host:
//
//   say ID TEXT             answers TEXT with ID at once
//   say_plain TEXT          answers TEXT through the one-argument response
//   handle_say ID TEXT      answers TEXT with ID through the process-wide handle
//   say_null ID             answers a null text
//   say_data EXT1 COUNT     answers COUNT pattern bytes with EXT1
//   say_invalid             answers five texts that are not modified UTF-8
//   thread_say ID N TEXT    a thread of its own answers TEXT N times (0: until stopped)
//   thread_stop             stops and joins those threads
//   farewell TEXT           answers TEXT from tearDown() and "destroyed TEXT" when destroyed
//   force_death TEXT        raises the forced-death notification (100, 2)
//   died_unknown EXT2 TEXT  raises a death notification with no particular reason
//   usb EXT1 TEXT           raises the USB control notification (1123)
//   jack_name TEXT          the JACK client's name; jack_name_null takes it away
//   result N                returns N
//
// Requests: "fill N" writes N pattern bytes (as many as fit) and reports N,
// "keep" fills the block and leaves the count alone, "fail" returns 1; each
// answers what it saw with id 3. Streams are answered as hex with id 4.
//
// Several threads may drive it at once and re-enter it from its answers'
// callbacks: its own state is guarded by a lock it never holds while it
// answers or joins a thread. Every answer is counted (ModuleCounters).
#ifndef OVIK_JVM_ANSWER_PATHS_WAVE_H
#define OVIK_JVM_ANSWER_PATHS_WAVE_H

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "AnswerPathsJackClient.h"
#include "AnswerThread.h"
#include "IOXAInterfaceV2.h"

class AnswerPathsWave : public android::IOXAInterfaceV2 {
public:
    AnswerPathsWave();
    ~AnswerPathsWave() override;

    int init() override;
    int sendCommand(const char* command) override;
    android::IJackClientInterface* getJackClientInterface() override;
    int request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                const void* buffer) override;
    int sendStream(const void* stream, const long streamLen, const int id) override;

    // The byte at `index` of a block filled for `ext1`.
    static unsigned char patternByte(size_t index, long ext1);

private:
    typedef int (AnswerPathsWave::*Handler)(const std::string& arguments);

    int say(const std::string& arguments);
    int sayPlain(const std::string& arguments);
    int handleSay(const std::string& arguments);
    int sayNull(const std::string& arguments);
    int sayData(const std::string& arguments);
    int sayInvalid(const std::string& arguments);
    int threadSay(const std::string& arguments);
    int threadStop(const std::string& arguments);
    int farewell(const std::string& arguments);
    int forceDeath(const std::string& arguments);
    int diedUnknown(const std::string& arguments);
    int usb(const std::string& arguments);
    int jackName(const std::string& arguments);
    int jackNameNull(const std::string& arguments);
    int result(const std::string& arguments);

    static const std::map<std::string, Handler>& handlers();
    static void fill(unsigned char* block, size_t count, long ext1);

    AnswerPathsJackClient mJackClient;
    std::mutex mLock;  // guards mThreads and mFarewell
    std::vector<std::unique_ptr<AnswerThread>> mThreads;
    std::string mFarewell;
};

#endif  // OVIK_JVM_ANSWER_PATHS_WAVE_H
