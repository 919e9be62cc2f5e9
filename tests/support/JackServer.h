// A real jackd with the dummy driver, for tests: started under a name of its
// own so parallel test processes do not share a server, and stopped (with a
// timeout) when the object goes, or with the test process if that dies first.
#ifndef OVIK_TESTS_JACK_SERVER_H
#define OVIK_TESTS_JACK_SERVER_H

#include <sys/types.h>

#include <chrono>
#include <string>

class JackServer {
public:
    JackServer(std::string jackdPath, std::string serverName);
    ~JackServer();

    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    // Starts jackd; false when it cannot be started. Its output goes to
    // logPath(), for the reason of a failure.
    bool start();
    // True while the process has not exited.
    bool isRunning();
    // SIGTERM, then SIGKILL when it has not exited within `timeout`.
    void stop(std::chrono::milliseconds timeout);

    const std::string& name() const { return mServerName; }
    const std::string& logPath() const { return mLogPath; }
    // The last lines of the server's output.
    std::string logTail() const;

private:
    bool waitForExit(std::chrono::milliseconds timeout);

    const std::string mJackdPath;
    const std::string mServerName;
    const std::string mLogPath;
    pid_t mPid;
};

#endif  // OVIK_TESTS_JACK_SERVER_H
