// oxa-host: runs a module outside the Android service, for module authors.
// See hostUsage() or "oxa-host --help".
#include <stdio.h>

#include <string>
#include <vector>

#include "CheckCommand.h"
#include "HostOptions.h"
#include "HostSession.h"
#include "LogPrinter.h"
#include "OvikVersion.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "check") {
        return oxahost::CheckCommand::run(std::vector<std::string>(args.begin() + 1, args.end()));
    }
    oxahost::HostOptions options;
    std::string error;
    if (!oxahost::parseHostOptions(args, &options, &error)) {
        fprintf(stderr, "oxa-host: %s\n\n%s", error.c_str(), oxahost::hostUsage());
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
    if (options.printLog) {
        oxahost::LogPrinter::install();
    } else {
        oxahost::LogPrinter::quiet();
    }
    oxahost::HostSession session(options);
    return session.run();
}
