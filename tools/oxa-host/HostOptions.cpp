#include "HostOptions.h"

#include <stdlib.h>

namespace oxahost {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A whole decimal number; false on anything else.
bool parseNumber(const std::string& text, long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    *value = strtol(text.c_str(), &end, 10);
    return *end == '\0';
}

// "WHAT[:EXT1]" of --request.
bool parseRequest(const std::string& value, HostStep* step, std::string* error) {
    const size_t colon = value.rfind(':');
    step->kind = HostStep::kRequest;
    step->text = value.substr(0, colon);
    step->number = 0;
    if (colon != std::string::npos && !parseNumber(value.substr(colon + 1), &step->number)) {
        *error = "--request wants WHAT or WHAT:EXT1, got " + value;
        return false;
    }
    return true;
}

// "[ID:]HEX" of --stream.
bool parseStream(const std::string& value, HostStep* step, std::string* error) {
    const size_t colon = value.find(':');
    step->kind = HostStep::kStream;
    step->number = 0;
    const std::string hex = colon == std::string::npos ? value : value.substr(colon + 1);
    if (colon != std::string::npos && !parseNumber(value.substr(0, colon), &step->number)) {
        *error = "--stream wants HEX or ID:HEX, got " + value;
        return false;
    }
    if (!parseHex(hex, &step->bytes)) {
        *error = "--stream wants an even number of hex digits, got " + hex;
        return false;
    }
    return true;
}

bool parseCount(const std::string& option, const std::string& value, long* count,
                std::string* error) {
    if (!parseNumber(value, count) || *count < 0) {
        *error = option + " wants a number of 0 or more, got " + value;
        return false;
    }
    return true;
}

bool takesValue(const std::string& option) {
    static const char* const kValued[] = {"--name",    "--package", "--wait-ms", "--expect-answers",
                                          "--request", "--stream",  "--sleep-ms"};
    for (const char* name : kValued) {
        if (option == name) return true;
    }
    return false;
}

class Parser {
public:
    Parser(const std::vector<std::string>& args, HostOptions* options, std::string* error)
        : mArgs(args), mOptions(options), mError(error), mIndex(0) {}

    bool run() {
        bool optionsEnded = false;
        std::vector<std::string> positional;
        for (mIndex = 0; mIndex < mArgs.size(); ++mIndex) {
            const std::string& arg = mArgs[mIndex];
            if (!optionsEnded && arg == "--") {
                optionsEnded = true;
            } else if (!optionsEnded && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
                if (!option(arg)) return false;
                if (mOptions->help || mOptions->version) return true;
            } else if (positional.size() < 2) {
                positional.push_back(arg);
            } else {
                mOptions->steps.push_back(HostStep{HostStep::kCommand, arg, 0, {}});
            }
        }
        if (positional.size() < 2) {
            *mError = "missing <module-dir> and <module-file>";
            return false;
        }
        mOptions->moduleDir = positional[0];
        mOptions->moduleFile = positional[1];
        return true;
    }

private:
    // The value after an option that takes one.
    bool value(const std::string& option, std::string* out) {
        if (mIndex + 1 >= mArgs.size()) {
            *mError = option + " needs a value";
            return false;
        }
        *out = mArgs[++mIndex];
        return true;
    }

    bool option(const std::string& option) {
        if (option == "--help") {
            mOptions->help = true;
            return true;
        }
        if (option == "--version") {
            mOptions->version = true;
            return true;
        }
        if (option == "--no-log") {
            mOptions->printLog = false;
            return true;
        }
        if (option == "--jack-name") {
            mOptions->steps.push_back(HostStep{HostStep::kJackName, "", 0, {}});
            return true;
        }
        if (!takesValue(option)) {
            *mError = "unknown option " + option;
            return false;
        }
        std::string text;
        if (!value(option, &text)) return false;
        if (option == "--name") {
            if (text.find('_') == std::string::npos) {
                *mError = "a client name needs a \"_\" before its object id, got " + text;
                return false;
            }
            mOptions->clientName = text;
            return true;
        }
        if (option == "--package") {
            mOptions->packageName = text;
            return true;
        }
        if (option == "--wait-ms") return parseCount(option, text, &mOptions->waitMs, mError);
        if (option == "--expect-answers") {
            return parseCount(option, text, &mOptions->expectedAnswers, mError);
        }
        HostStep step{HostStep::kSleep, "", 0, {}};
        bool parsed = false;
        if (option == "--request") {
            parsed = parseRequest(text, &step, mError);
        } else if (option == "--stream") {
            parsed = parseStream(text, &step, mError);
        } else if (option == "--sleep-ms") {
            parsed = parseCount(option, text, &step.number, mError);
        } else {
            *mError = "unknown option " + option;
            return false;
        }
        if (parsed) mOptions->steps.push_back(step);
        return parsed;
    }

    const std::vector<std::string>& mArgs;
    HostOptions* mOptions;
    std::string* mError;
    size_t mIndex;
};

}  // namespace

std::string HostOptions::effectivePackage() const {
    if (!packageName.empty()) return packageName;
    return clientName.substr(0, clientName.rfind('_'));
}

bool parseHex(const std::string& hex, std::vector<uint8_t>* bytes) {
    if (hex.size() % 2 != 0) return false;
    bytes->clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]);
        const int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes->push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return true;
}

bool parseHostOptions(const std::vector<std::string>& args, HostOptions* options,
                      std::string* error) {
    return Parser(args, options, error).run();
}

const char* hostUsage() {
    return "usage: oxa-host [options] <module-dir> <module-file> [step ...]\n"
           "       oxa-host check [options] <module-dir> <module-file>\n"
           "         (the module validator: oxa-host check --help)\n"
           "\n"
           "Loads a module with \"<name>!init_client:<package>:<module-file>:<module-dir>\",\n"
           "then runs each step in order and destroys the client. A step is a command\n"
           "(sent as \"<name>!<command>\", e.g. \"start_client -v\", activate, \"gain 3\")\n"
           "or one of the step options below. Every answer of the module and every log\n"
           "line of the library is printed: a text answer as \"msgType ext1 ext2\" and\n"
           "its text, a data answer as \"ext1 ext2 length\" and its bytes, as the\n"
           "service's callbacks receive them (ext2 is the client's object id).\n"
           "\n"
           "After a failed load it names the likely cause (the loader's error, an entry\n"
           "point without extern \"C\"); after a load through the fallback name\n"
           "libwave_<package>.so it says so. After destroy it reports the module's\n"
           "threads still running, and a crash with each frame's function and line.\n"
           "\n"
           "options:\n"
           "  --name NAME            client name, with \"_<object id>\" (default demo_1)\n"
           "  --package PKG          package of init_client (default: NAME up to its \"_\")\n"
           "  --wait-ms N            wait up to N ms for answers at the end (default 100)\n"
           "  --expect-answers N     fail unless N answers arrived; the wait ends with the Nth\n"
           "  --no-log               print only the library's ERROR log lines\n"
           "  --version              print the version of the library and its contract\n"
           "  --                     every later argument is a command\n"
           "steps:\n"
           "  --request WHAT[:EXT1]  ask the module to fill a 200000-byte block\n"
           "  --stream [ID:]HEX      send the bytes as a stream with id ID (default 0)\n"
           "  --jack-name            ask for the module's JACK client name\n"
           "  --sleep-ms N           pause N ms (let a module thread answer)\n"
           "\n"
           "exit status: 0 all went well, 1 a load or step failed, answers were missing,\n"
           "a thread of the module outlived it or the module crashed; 2 bad command line\n";
}

}  // namespace oxahost
