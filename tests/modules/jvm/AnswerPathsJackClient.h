// The JACK client of the answer-paths module. It answers through its processing
// object so Java can see each call: setUp with its argument vector (id 1),
// and, once activated, "level 3" (id 2) from a thread of its own, as a JACK
// process thread reports a meter. tearDown() stops that thread and, when a
// farewell text is set, answers it (id 6) on the tearing-down thread.
//
// Any thread may call it at any time, also while it answers: its state is
// guarded by a lock that is never held while it answers or joins.
#ifndef OVIK_JVM_ANSWER_PATHS_JACK_CLIENT_H
#define OVIK_JVM_ANSWER_PATHS_JACK_CLIENT_H

#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "AnswerThread.h"
#include "IJackClientInterfaceV2.h"
#include "IOXAInterface.h"

class AnswerPathsJackClient : public android::IJackClientInterfaceV2 {
public:
    explicit AnswerPathsJackClient(android::IOXAInterface* wave);
    ~AnswerPathsJackClient() override;

    int setUp(int argc, char** argv) override;
    int tearDown() override;
    int activate() override;
    int deactivate() override;
    int transport(android::TransportType type) override;
    int sendMidi(char* midi) override;
    char* getJackClientName(const char* name) override;
    void setByPassEnabled(bool enabled) override;

    // The name getJackClientName() gives; `hasName` false makes it give null.
    void setName(bool hasName, const std::string& name);
    void setFarewell(const std::string& text);

private:
    // Replaces the level thread; the old one is stopped outside the lock.
    void replaceLevelThread(std::unique_ptr<AnswerThread> thread);

    android::IOXAInterface* mWave;
    std::mutex mLock;
    std::unique_ptr<AnswerThread> mLevelThread;
    // Every name ever given stays here, so a name handed out stays valid
    // while another thread sets the next one.
    std::set<std::string> mNames;
    const std::string* mName;
    std::string mFarewell;
};

#endif  // OVIK_JVM_ANSWER_PATHS_JACK_CLIENT_H
