#include "JackServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
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
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, mLogPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
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
    const int result =
        posix_spawn(&mPid, mJackdPath.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) mPid = -1;
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
