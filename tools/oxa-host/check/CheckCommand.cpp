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
#include "CheckRunner.h"
#include "CommandsCheck.h"
#include "ConcurrencyCheck.h"
#include "ExportsCheck.h"
#include "InstancesCheck.h"
#include "LifecycleCheck.h"
#include "MagicCheck.h"
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
        fprintf(stderr, "oxa-host check: %s\n\n%s", error.c_str(), checkUsage());
        return 2;
    }
    if (options.help) {
        fputs(checkUsage(), stdout);
        return 0;
    }
    CheckContext context;
    context.moduleDir = options.moduleDir;
    context.moduleFile = options.moduleFile;
    context.packageName = options.packageName;
    context.moduleCommands = options.moduleCommands;
    const std::string fallback = findModuleFile(&context);
    if (!fallback.empty()) printf("%s\n", fallback.c_str());
    context.seed =
        options.seedGiven ? options.seed : static_cast<uint32_t>(time(nullptr) ^ (getpid() << 16));
    printf("checking %s (seed %u, --seed %u replays it)\n", context.modulePath().c_str(),
           context.seed, context.seed);
    CheckRunner runner(context, options.timeoutSeconds);
    const std::vector<CheckResult> results =
        runner.runAll(order, options, [](const CheckResult& result) {
            printf("%s\n", CheckReport::line(result).c_str());
            fflush(stdout);
        });
    if (!options.jsonPath.empty() && !CheckReport::writeJson(options.jsonPath, results)) {
        fprintf(stderr, "oxa-host check: cannot write %s\n", options.jsonPath.c_str());
        return 1;
    }
    const int status = CheckReport::exitStatus(results);
    printf("%s\n", status == 0 ? "no check failed" : "some checks failed");
    return status;
}

}  // namespace oxahost
