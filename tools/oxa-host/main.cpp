// oxa-host: runs a module outside the Android service, for module authors.
// See hostUsage() or "oxa-host --help".
#include <stdio.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "CheckCommand.h"
#include "Console.h"
#include "GuardedRun.h"
#include "HostOptions.h"
#include "HostSession.h"
#include "LoadDiagnosis.h"
#include "LogPrinter.h"
#include "OvikVersion.h"
#include "ProcessProbe.h"

namespace {

// How long the module's threads may take to end after destroy.
const std::chrono::milliseconds kThreadGrace(500);

std::map<int, std::string> threadsSince(const std::map<int, std::string>& before) {
    std::map<int, std::string> added;
    for (const auto& thread : oxahost::ProcessProbe::threads()) {
        if (before.count(thread.first) == 0) added.insert(thread);
    }
    return added;
}

// Threads started while the module was loaded that outlive it: their code
// may be unmapped under them once the library is closed.
bool reportThreadsLeft(const std::map<int, std::string>& before) {
    const auto deadline = std::chrono::steady_clock::now() + kThreadGrace;
    std::map<int, std::string> left = threadsSince(before);
    while (!left.empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        left = threadsSince(before);
    }
    if (left.empty()) return false;
    std::string names;
    for (const auto& thread : left) {
        names += (names.empty() ? "" : ", ") + std::string("\"") + thread.second + "\" (tid " +
                 std::to_string(thread.first) + ")";
    }
    oxahost::Console::diagnostic("error: " + std::to_string(left.size()) +
                                 " threads of the module still run after destroy: " + names);
    return true;
}

int runSession(const oxahost::HostOptions& options) {
    if (options.printLog) {
        oxahost::LogPrinter::install();
    } else {
        oxahost::LogPrinter::quiet();
    }
    oxahost::ProcessProbe::startRuntimeThreads();
    const std::map<int, std::string> before = oxahost::ProcessProbe::threads();
    int status = 0;
    {
        oxahost::HostSession session(options);
        const oxahost::LoadDiagnosis diagnosis(options.moduleDir, options.moduleFile,
                                               options.effectivePackage());
        session.onLoad([&diagnosis](bool loaded) {
            if (!loaded) {
                for (const std::string& cause : diagnosis.afterFailedLoad()) {
                    oxahost::Console::diagnostic("not loaded: " + cause);
                }
                return;
            }
            const std::string fallback = diagnosis.afterLoad();
            if (!fallback.empty()) oxahost::Console::diagnostic("warning: " + fallback);
        });
        status = session.run();
    }
    if (reportThreadsLeft(before)) status = 1;
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "check") {
        return oxahost::CheckCommand::run(std::vector<std::string>(args.begin() + 1, args.end()));
    }
    oxahost::HostOptions options;
    std::string error;
    if (!oxahost::parseHostOptions(args, &options, &error)) {
        fprintf(stderr, "oxa-host: error: %s\n\n%s", error.c_str(), oxahost::hostUsage());
        return 2;
    }
    if (options.help) {
        fputs(oxahost::hostUsage(), stdout);
        return 0;
    }
    if (options.version) {
        puts("oxa-host " OVIK_VERSION_STRING);
        return 0;
    }
    // In a child of its own: a crash of the module gets the same report as
    // in "oxa-host check".
    return oxahost::GuardedRun::run([&options] { return runSession(options); });
}
