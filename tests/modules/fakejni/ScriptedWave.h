// The scripted module's processing object. It answers through its response
// operations on the calling thread, or from a thread of its own, as its text
// commands ask:
//   say:<text>              one text answer (id 0)
//   say_id:<id>:<text>      one text answer with id
//   data:<ext1>:<n>         one data answer of n bytes 0, 1, 2, ...
//   thread_say:<n>:<text>   n text answers from a thread of its own
//   join                    waits for that thread
//   raise:<type>:<ext1>:<ext2>:<text>  a notification straight to the
//                           clients' listener, as a holder of it raises one
//   report:<n>              the next requests report n bytes used
//   fail_request, pass_request   the next requests fail, or succeed again
//   jack_name:<text>, jack_name_null   what getJackClientName() answers
//   farewell                answer from tearDown() and from destruction
//   handoff:<text>          a worker thread answers; the command waits for it
//   handoff_ping:<text>     the same, and the command answers "ping" itself
//                           while the worker runs
//   magic:<n>               the object claims version n from now on
//   answer_names            getJackClientName() answers "name <query>"
//   stream:<id>:<hex>       (the version-1 stream text) answers as a stream
// A request answers "request what=<what> ext1=<ext1> capacity=<capacity>"
// and fills the block with 0xA5; a stream answers "stream id=<id>
// len=<len>" and returns its length.
#ifndef FAKEJNI_SCRIPTED_WAVE_H
#define FAKEJNI_SCRIPTED_WAVE_H

#include <string>
#include <thread>

#include "IOXAInterfaceV2.h"
#include "ScriptedJackClient.h"

class ScriptedWave : public android::IOXAInterfaceV2 {
public:
    ScriptedWave();
    ~ScriptedWave() override;

    int init() override { return 0; }
    int sendCommand(const char* command) override;
    android::IJackClientInterface* getJackClientInterface() override { return &mJackClient; }
    int request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                const void* buffer) override;
    int sendStream(const void* stream, const long streamLen, const int id) override;

private:
    void answerFromThread(int times, const std::string& text);
    void handOff(const std::string& text, bool answerMeanwhile);
    void joinThread();
    static int raise(const std::string& fields);

    ScriptedJackClient mJackClient;
    std::thread mThread;
    bool mFarewell = false;
    bool mFailRequest = false;
    long mReported = -1;
    unsigned char mBlock[256];
};

#endif  // FAKEJNI_SCRIPTED_WAVE_H
