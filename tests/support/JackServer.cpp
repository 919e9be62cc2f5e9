#include "JackServer.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

JackServer::JackServer(std::string jackdPath, std::string serverName)
    : mJackdPath(std::move(jackdPath)),
      mServerName(std::move(serverName)),
      mLogPath("/tmp/" + mServerName + ".log"),
      mPid(-1) {}

JackServer::~JackServer() {
    stop(std::chrono::milliseconds(5000));
    unlink(mLogPath.c_str());
}

bool JackServer::start() {
    if (mJackdPath.empty()) return false;
    // The server reads its name from the environment as clients do; -n says
    // it once more for servers that only read the option.
    std::vector<std::string> env = {"JACK_DEFAULT_SERVER=" + mServerName};
    for (char** entry = environ; *entry != nullptr; ++entry) env.emplace_back(*entry);
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(&entry[0]);
    envp.push_back(nullptr);
    std::vector<std::string> args = {mJackdPath, "-n", mServerName, "--no-realtime", "-d", "dummy"};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    const int log = open(mLogPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0) return false;
    const pid_t parent = getpid();
    mPid = fork();
    if (mPid == 0) {
        // Only async-signal-safe calls from here. The server goes with the
        // test process even when that one crashes before stop().
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        execve(mJackdPath.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(log);
    if (mPid < 0) mPid = -1;
    return mPid > 0;
}

bool JackServer::isRunning() {
    if (mPid <= 0) return false;
    int status = 0;
    if (waitpid(mPid, &status, WNOHANG) == 0) return true;
    mPid = -1;
    return false;
}

bool JackServer::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (isRunning()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void JackServer::stop(std::chrono::milliseconds timeout) {
    if (!isRunning()) return;
    kill(mPid, SIGTERM);
    if (waitForExit(timeout)) return;
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
    mPid = -1;
}

std::string JackServer::logTail() const {
    std::ifstream log(mLogPath);
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    std::ostringstream tail;
    const size_t first = lines.size() > 5 ? lines.size() - 5 : 0;
    for (size_t i = first; i < lines.size(); ++i) tail << lines[i] << '\n';
    return tail.str();
}
