// jackd with the dummy driver under a name of its own, for the checks that
// run the module as a real JACK client: started at a period and sample rate,
// waited for until it accepts clients, stopped with the object (and with
// the check's process, should that die first). The name is handed to the
// clients through JACK_DEFAULT_SERVER.
#ifndef OXA_HOST_DUMMY_JACK_SERVER_H
#define OXA_HOST_DUMMY_JACK_SERVER_H

#include <sys/types.h>

#include <string>

namespace oxahost {

class DummyJackServer {
public:
    DummyJackServer(std::string name, int periodFrames, int sampleRate);
    ~DummyJackServer();

    DummyJackServer(const DummyJackServer&) = delete;
    DummyJackServer& operator=(const DummyJackServer&) = delete;

    // The jackd that a client of this program can use; empty with the
    // reason in `why` (none on the PATH, one of another machine).
    static std::string findJackd(std::string* why);

    // Starts jackd, sets JACK_DEFAULT_SERVER and waits up to `patienceMs`
    // until the server accepts a client; false with the reason in `why`.
    bool start(const std::string& jackd, int patienceMs, std::string* why);
    bool running();
    // The last line jackd printed.
    std::string logTail() const;

private:
    bool spawn(const std::string& jackd);
    bool acceptsClients(int patienceMs);
    bool waitForClients(int patienceMs, std::string* why);

    const std::string mName;
    const std::string mLogPath;
    const int mPeriodFrames;
    const int mSampleRate;
    pid_t mPid = -1;
};

}  // namespace oxahost

#endif  // OXA_HOST_DUMMY_JACK_SERVER_H
