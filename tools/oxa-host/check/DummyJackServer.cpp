#include "DummyJackServer.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <signal.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace oxahost {

namespace {

typedef std::chrono::steady_clock Clock;

// The two calls of libjack the server's probe makes, as <jack/jack.h>
// declares them (the options and the status are enums of int width).
typedef void* (*JackClientOpen)(const char* name, int options, int* status, ...);
typedef int (*JackClientClose)(void* client);
typedef void (*JackMessage)(const char* text);
typedef void (*JackSetMessage)(JackMessage function);
const int kJackNoStartServer = 0x01;

std::string findOnPath(const char* program) {
    const char* path = getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = folder + "/" + program;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

// The ELF machine this program is built for.
uint16_t ownMachine() {
#if defined(__x86_64__)
    return EM_X86_64;
#elif defined(__i386__)
    return EM_386;
#elif defined(__aarch64__)
    return EM_AARCH64;
#elif defined(__arm__)
    return EM_ARM;
#else
    return EM_NONE;
#endif
}

// Whether `program` is built for this program's word size and machine: a
// client cannot use a server of another word size (a 32-bit build under an
// emulator finds the build machine's 64-bit jackd).
bool sameMachine(const std::string& program) {
    unsigned char header[EI_NIDENT + 4] = {};
    std::ifstream file(program, std::ios::binary);
    if (!file.read(reinterpret_cast<char*>(header), sizeof(header))) return false;
    const unsigned char ownClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
    uint16_t machine = 0;
    memcpy(&machine, header + EI_NIDENT + 2, sizeof(machine));
    return header[EI_CLASS] == ownClass && machine == ownMachine();
}

}  // namespace

DummyJackServer::DummyJackServer(std::string name, int periodFrames, int sampleRate)
    : mName(std::move(name)),
      mLogPath("/tmp/" + mName + ".log"),
      mPeriodFrames(periodFrames),
      mSampleRate(sampleRate) {}

DummyJackServer::~DummyJackServer() {
    if (mPid > 0) {
        kill(mPid, SIGTERM);
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(3);
        while (waitpid(mPid, nullptr, WNOHANG) == 0) {
            if (Clock::now() >= deadline) {
                kill(mPid, SIGKILL);
                waitpid(mPid, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    unlink(mLogPath.c_str());
}

std::string DummyJackServer::findJackd(std::string* why) {
    const std::string jackd = findOnPath("jackd");
    if (jackd.empty()) {
        *why = "no jackd on the PATH (Debian's jackd2)";
        return "";
    }
    if (!sameMachine(jackd)) {
        *why = jackd +
               " is built for another machine or word size than this oxa-host, "
               "and its clients cannot use such a server";
        return "";
    }
    return jackd;
}

bool DummyJackServer::start(const std::string& jackd, int patienceMs, std::string* why) {
    setenv("JACK_DEFAULT_SERVER", mName.c_str(), 1);
    if (!spawn(jackd)) {
        *why = "jackd cannot be started";
        return false;
    }
    return waitForClients(patienceMs, why);
}

bool DummyJackServer::spawn(const std::string& jackd) {
    const std::string rate = std::to_string(mSampleRate);
    const std::string period = std::to_string(mPeriodFrames);
    const int log = open(mLogPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0) return false;
    const pid_t parent = getpid();
    mPid = fork();
    if (mPid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        execl(jackd.c_str(), jackd.c_str(), "-n", mName.c_str(), "--no-realtime", "-d", "dummy",
              "-r", rate.c_str(), "-p", period.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(log);
    return mPid > 0;
}

bool DummyJackServer::running() {
    return mPid > 0 && waitpid(mPid, nullptr, WNOHANG) == 0;
}

std::string DummyJackServer::logTail() const {
    std::ifstream log(mLogPath);
    std::string line, last;
    while (std::getline(log, line)) {
        if (!line.empty()) last = line;
    }
    return last.empty() ? "no output" : last;
}

// Waits until the server accepts a client of the check's own; false with
// the reason in `why`.
bool DummyJackServer::waitForClients(int patienceMs, std::string* why) {
    void* jack = dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (jack == nullptr) {
        *why = "no JACK library (libjack.so.0)";
        return false;
    }
    // While the server starts, libjack prints every refused attempt.
    auto setError = reinterpret_cast<JackSetMessage>(dlsym(jack, "jack_set_error_function"));
    auto errorSlot = reinterpret_cast<JackMessage*>(dlsym(jack, "jack_error_callback"));
    const JackMessage printError = errorSlot != nullptr ? *errorSlot : nullptr;
    if (setError != nullptr && printError != nullptr) setError([](const char*) {});
    const bool accepted = acceptsClients(patienceMs);
    if (setError != nullptr && printError != nullptr) setError(printError);
    if (!accepted) *why = "the JACK server accepted no client (jackd: " + logTail() + ")";
    return accepted;
}

bool DummyJackServer::acceptsClients(int patienceMs) {
    void* jack = dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    auto open = reinterpret_cast<JackClientOpen>(dlsym(jack, "jack_client_open"));
    auto close = reinterpret_cast<JackClientClose>(dlsym(jack, "jack_client_close"));
    if (open == nullptr || close == nullptr) return false;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(patienceMs);
    while (running() && Clock::now() < deadline) {
        int status = 0;
        void* client = open("oxa_check_probe", kJackNoStartServer, &status);
        if (client != nullptr) {
            close(client);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace oxahost
