#include "CheckCommand.h"

#include <stdio.h>
#include <time.h>
#include <unistd.h>

#include "AnswersCheck.h"
#include "ApiLevelCheck.h"
#include "AudioCheck.h"
#include "BindingCheck.h"
#include "CheckOptions.h"
#include "CheckReport.h"
#include "CheckRunInfo.h"
#include "CheckRunner.h"
#include "CommandsCheck.h"
#include "ConcurrencyCheck.h"
#include "ExportsCheck.h"
#include "InstancesCheck.h"
#include "LifecycleCheck.h"
#include "MagicCheck.h"
#include "OvikVersion.h"
#include "RealtimeCheck.h"
#include "StreamsCheck.h"
#include "ThreadsCheck.h"
#include "TimeCheck.h"
#include "VersionsCheck.h"

namespace oxahost {

std::vector<std::unique_ptr<Check>> CheckCommand::allChecks() {
    std::vector<std::unique_ptr<Check>> checks;
    checks.emplace_back(new ExportsCheck());
    checks.emplace_back(new BindingCheck());
    checks.emplace_back(new ApiLevelCheck());
    checks.emplace_back(new VersionsCheck());
    checks.emplace_back(new MagicCheck());
    checks.emplace_back(new LifecycleCheck());
    checks.emplace_back(new CommandsCheck());
    checks.emplace_back(new StreamsCheck());
    checks.emplace_back(new AnswersCheck());
    checks.emplace_back(new ThreadsCheck());
    checks.emplace_back(new TimeCheck());
    checks.emplace_back(new RealtimeCheck());
    checks.emplace_back(new ConcurrencyCheck());
    checks.emplace_back(new InstancesCheck());
    checks.emplace_back(new AudioCheck());
    return checks;
}

std::string CheckCommand::findModuleFile(CheckContext* context) {
    if (access(context->modulePath().c_str(), F_OK) == 0) return "";
    const std::string fallback = "libwave_" + context->packageName + ".so";
    if (access((context->moduleDir + "/" + fallback).c_str(), F_OK) != 0) return "";
    const std::string note = "no " + context->modulePath() + ": the host loads " + fallback +
                             " (the fallback name of module \"" + context->packageName +
                             "\") instead, and so does check";
    context->moduleFile = fallback;
    return note;
}

namespace {

void printList(const std::vector<Check*>& checks) {
    for (const Check* check : checks) printf("%-11s  %s\n", check->name(), check->description());
}

CheckRunInfo runInfo(const CheckContext& context, const CheckOptions& options) {
    CheckRunInfo run;
    run.toolVersion = OVIK_VERSION_STRING;
    run.modulePath = context.modulePath();
    run.packageName = context.packageName;
    run.seed = context.seed;
    run.timeoutSeconds = options.timeoutSeconds;
    run.moduleCommands = context.moduleCommands;
    return run;
}

// Writes the machine-readable reports the options ask for; false, with a
// diagnostic, when one cannot be written.
bool writeReports(const CheckRunInfo& run, const std::vector<CheckResult>& results,
                  const CheckOptions& options) {
    bool written = true;
    const struct {
        const std::string& path;
        std::string (*format)(const CheckRunInfo&, const std::vector<CheckResult>&);
    } kReports[] = {{options.jsonPath, CheckReport::json}, {options.junitPath, CheckReport::junit}};
    for (const auto& report : kReports) {
        if (report.path.empty()) continue;
        if (!CheckReport::write(report.path, report.format(run, results))) {
            fprintf(stderr, "oxa-host check: error: cannot write %s\n", report.path.c_str());
            written = false;
        }
    }
    return written;
}

}  // namespace

int CheckCommand::run(const std::vector<std::string>& args) {
    std::vector<std::unique_ptr<Check>> checks = allChecks();
    std::vector<std::string> names;
    std::vector<Check*> order;
    for (const std::unique_ptr<Check>& check : checks) {
        names.push_back(check->name());
        order.push_back(check.get());
    }
    CheckOptions options;
    std::string error;
    if (!parseCheckOptions(args, names, &options, &error)) {
        fprintf(stderr, "oxa-host check: error: %s\n\n%s", error.c_str(), checkUsage());
        return 2;
    }
    if (options.help) {
        fputs(checkUsage(), stdout);
        return 0;
    }
    if (options.version) {
        puts("oxa-host " OVIK_VERSION_STRING);
        return 0;
    }
    if (options.list) {
        printList(order);
        return 0;
    }
    CheckContext context;
    context.moduleDir = options.moduleDir;
    context.moduleFile = options.moduleFile;
    context.packageName = options.packageName;
    context.moduleCommands = options.moduleCommands;
    const std::string fallback = findModuleFile(&context);
    if (!fallback.empty()) fprintf(stderr, "warning: %s\n", fallback.c_str());
    context.seed =
        options.seedGiven ? options.seed : static_cast<uint32_t>(time(nullptr) ^ (getpid() << 16));
    // The console report keeps stdout free when a report is written there.
    FILE* console = options.reportsOnStdout() ? stderr : stdout;
    fprintf(console, "checking %s (seed %u, --seed %u replays it)\n", context.modulePath().c_str(),
            context.seed, context.seed);
    fflush(console);
    CheckRunner runner(context, options.timeoutSeconds);
    const std::vector<CheckResult> results =
        runner.runAll(order, options, [console](const CheckResult& result) {
            fprintf(console, "%s\n", CheckReport::line(result).c_str());
            fflush(console);
        });
    const int status = CheckReport::exitStatus(results);
    fprintf(console, "%s\n", status == 0 ? "no check failed" : "some checks failed");
    fflush(console);
    if (!writeReports(runInfo(context, options), results, options)) return 1;
    return status;
}

}  // namespace oxahost
