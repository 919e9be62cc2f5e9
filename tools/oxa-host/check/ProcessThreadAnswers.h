// For oxa-host's run mode: answers that the module makes from its JACK
// process thread, which must not answer (the realtime check's rule). The
// thread is known as the realtime check knows it: a thread that libjack
// starts during "activate".
#ifndef OXA_HOST_PROCESS_THREAD_ANSWERS_H
#define OXA_HOST_PROCESS_THREAD_ANSWERS_H

#include <atomic>
#include <mutex>
#include <string>

namespace oxahost {

class ProcessThreadAnswers {
public:
    // Around each step of the session.
    void beforeStep(const std::string& step);
    void afterStep();
    // For every answer, on the answering thread.
    void noteAnswer(const std::string& answer);
    // The warning to give at the end of the run; empty when there is none.
    std::string warning();

private:
    std::atomic<long> mCount{0};
    std::mutex mLock;
    std::string mFirst;
};

}  // namespace oxahost

#endif  // OXA_HOST_PROCESS_THREAD_ANSWERS_H
