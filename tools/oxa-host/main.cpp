// oxa-host: runs a module outside the Android service, for module authors.
// See hostUsage() or "oxa-host --help".
#include <stdio.h>

#include <chrono>
#include <string>
#include <vector>

#include "CheckCommand.h"
#include "Console.h"
#include "GuardedRun.h"
#include "HostOptions.h"
#include "HostSession.h"
#include "LoadDiagnosis.h"
#include "LogPrinter.h"
#include "OvikVersion.h"
#include "ProcessThreadAnswers.h"
#include "ThreadLedger.h"

namespace {

// How long the module's threads may take to end after destroy.
const std::chrono::milliseconds kThreadGrace(500);

int runSession(const oxahost::HostOptions& options) {
    if (options.printLog) {
        oxahost::LogPrinter::install();
    } else {
        oxahost::LogPrinter::quiet();
    }
    // Threads started while the module was loaded that outlive it: their
    // code may be unmapped under them once the library is closed.
    oxahost::ThreadLedger ledger;
    oxahost::ProcessThreadAnswers processThreadAnswers;
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
        session.listener().onAnswer([&processThreadAnswers](const std::string& answer) {
            processThreadAnswers.noteAnswer(answer);
        });
        session.onStepStart([&processThreadAnswers](const std::string& step) {
            processThreadAnswers.beforeStep(step);
        });
        session.onStep([&ledger, &processThreadAnswers](const std::string& step) {
            processThreadAnswers.afterStep();
            ledger.observe(step);
        });
        status = session.run();
    }
    const std::string realtimeAnswers = processThreadAnswers.warning();
    if (!realtimeAnswers.empty()) oxahost::Console::diagnostic("warning: " + realtimeAnswers);
    ledger.destroyed();
    const auto left = ledger.stillRunning(kThreadGrace);
    if (!left.empty()) {
        oxahost::Console::diagnostic(
            "error: " +
            oxahost::ThreadLedger::report(left, "threads of the module still run after destroy"));
        status = 1;
    }
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
