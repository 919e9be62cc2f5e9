#include "CheckOptions.h"

#include <stdlib.h>

#include <algorithm>
#include <fstream>

namespace oxahost {

namespace {

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// "a,b,c" of --only and --skip, each name one of `knownChecks`.
bool parseNames(const std::string& option, const std::string& value,
                const std::vector<std::string>& knownChecks, std::vector<std::string>* names,
                std::string* error) {
    size_t start = 0;
    while (start <= value.size()) {
        size_t comma = value.find(',', start);
        if (comma == std::string::npos) comma = value.size();
        const std::string name = value.substr(start, comma - start);
        if (!contains(knownChecks, name)) {
            *error = option + ": no check is named \"" + name + "\"";
            return false;
        }
        names->push_back(name);
        start = comma + 1;
    }
    return true;
}

bool parseTimeout(const std::string& value, double* seconds, std::string* error) {
    char* end = nullptr;
    *seconds = strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !(*seconds > 0) || *seconds > 86400) {
        *error = "--timeout wants a number of seconds above 0, got " + value;
        return false;
    }
    return true;
}

bool parseSeed(const std::string& value, uint32_t* seed, std::string* error) {
    char* end = nullptr;
    const unsigned long long number = strtoull(value.c_str(), &end, 10);
    if (value.empty() || value[0] == '-' || *end != '\0' || number > 0xffffffffULL) {
        *error = "--seed wants a number from 0 to 4294967295, got " + value;
        return false;
    }
    *seed = static_cast<uint32_t>(number);
    return true;
}

// One command a line; blank lines and lines starting with "#" are left out.
bool readCommands(const std::string& path, std::vector<std::string>* commands, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "--commands: cannot read " + path;
        return false;
    }
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        commands->push_back(line);
    }
    return true;
}

// The options that take no value; null for any other.
bool* flagOption(const std::string& arg, CheckOptions* options) {
    if (arg == "--help") return &options->help;
    if (arg == "--list") return &options->list;
    if (arg == "--version") return &options->version;
    return nullptr;
}

bool takesValue(const std::string& arg) {
    static const char* const kValued[] = {"--timeout",  "--json",    "--junit",
                                          "--only",     "--skip",    "--command",
                                          "--commands", "--package", "--seed"};
    for (const char* name : kValued) {
        if (arg == name) return true;
    }
    return false;
}

}  // namespace

bool CheckOptions::selects(const std::string& name) const {
    if (!only.empty() && !contains(only, name)) return false;
    return !contains(skip, name);
}

bool parseCheckOptions(const std::vector<std::string>& args,
                       const std::vector<std::string>& knownChecks, CheckOptions* options,
                       std::string* error) {
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        bool* flag = flagOption(arg, options);
        if (flag != nullptr) {
            *flag = true;
            // The usage is all that is printed, whatever else follows.
            if (options->help) return true;
            continue;
        }
        if (!takesValue(arg)) {
            *error = "unknown option " + arg;
            return false;
        }
        if (i + 1 >= args.size()) {
            *error = arg + " wants a value";
            return false;
        }
        const std::string& value = args[++i];
        bool ok = true;
        if (arg == "--timeout") {
            ok = parseTimeout(value, &options->timeoutSeconds, error);
        } else if (arg == "--json") {
            options->jsonPath = value;
        } else if (arg == "--junit") {
            options->junitPath = value;
        } else if (arg == "--only") {
            ok = parseNames(arg, value, knownChecks, &options->only, error);
        } else if (arg == "--skip") {
            ok = parseNames(arg, value, knownChecks, &options->skip, error);
        } else if (arg == "--command") {
            options->moduleCommands.push_back(value);
        } else if (arg == "--commands") {
            ok = readCommands(value, &options->moduleCommands, error);
        } else if (arg == "--package") {
            options->packageName = value;
        } else if (arg == "--seed") {
            ok = parseSeed(value, &options->seed, error);
            options->seedGiven = true;
        }
        if (!ok) return false;
    }
    if (options->help || options->list || options->version) return true;
    if (options->jsonPath == "-" && options->junitPath == "-") {
        *error = "--json - and --junit -: only one report can go to stdout";
        return false;
    }
    if (positional.size() != 2) {
        *error = positional.size() < 2 ? "missing MODULE_DIR and MODULE_FILE"
                                       : "too many arguments: " + positional[2];
        return false;
    }
    options->moduleDir = positional[0];
    options->moduleFile = positional[1];
    return true;
}

const char* checkUsage() {
    return "usage: oxa-host check [options] MODULE_DIR MODULE_FILE\n"
           "\n"
           "Runs the module through every rule the host relies on, each check in a\n"
           "child process of its own, and prints one line per check:\n"
           "PASS, WARN, FAIL, CRASH (signal and backtrace) or TIMEOUT.\n"
           "\n"
           "options:\n"
           "  --timeout SECONDS  time limit of each check (default 10)\n"
           "  --json FILE        also write the report as JSON to FILE (- for stdout)\n"
           "  --junit FILE       also write the report as JUnit XML to FILE (- for stdout)\n"
           "                     with - the console report goes to stderr\n"
           "  --only A,B         run only the checks named\n"
           "  --skip A,B         leave out the checks named\n"
           "  --seed N           seed of the random inputs (printed on every run)\n"
           "  --command TEXT     one of the module's own commands (repeatable)\n"
           "  --commands FILE    the module's own commands, one a line (# comments)\n"
           "                     run in the order given: commands sends them before\n"
           "                     activate, while active and after deactivate; the\n"
           "                     other checks that drive the module while it is active\n"
           "  --package NAME     the module name of init_client: (default check): when\n"
           "                     MODULE_FILE is missing, the host loads\n"
           "                     MODULE_DIR/libwave_NAME.so instead, and so does check\n"
           "  --list             list the checks, one a line, with what each checks\n"
           "  --version          the version of oxa-host\n"
           "  --help             this text\n"
           "\n"
           "the checks, in the order they run: oxa-host check --list\n"
           "\n"
           "exit status: 0 when no check failed, crashed or timed out; 1 when one did;\n"
           "2 on a bad command line.\n";
}

}  // namespace oxahost
