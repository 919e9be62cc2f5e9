#include "VersionsCheck.h"

#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "ChildChannel.h"
#include "EntryPoints.h"
#include "ModuleLibrary.h"

namespace oxahost {

namespace {

typedef int (*NumberFunction)();
typedef const char* (*TextFunction)();

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Reads "major.minor.patch" at the start of `text`; what follows must not be
// a digit ("1.2.3-beta" is fine).
bool parseVersion(const char* text, int numbers[3]) {
    int used = 0;
    if (sscanf(text, "%d.%d.%d%n", &numbers[0], &numbers[1], &numbers[2], &used) != 3) {
        return false;
    }
    return text[used] < '0' || text[used] > '9';
}

}  // namespace

CheckOutcome VersionsCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    ModuleLibrary library(context.modulePath());
    std::string error;
    if (!library.open(RTLD_NOW | RTLD_GLOBAL, &error)) {
        outcome.fail("cannot open the library: " + error);
        return outcome;
    }
    const char* const numberNames[] = {EntryPoints::kNdkVersion, EntryPoints::kMajor,
                                       EntryPoints::kMinor, EntryPoints::kPatch};
    int values[4] = {1, 0, 0, 0};
    bool own[4] = {false, false, false, false};
    std::string reported;
    std::string borrowed;
    std::string lender;
    for (int i = 0; i < 4; ++i) {
        void* address = library.find(numberNames[i]);
        if (address == nullptr) continue;
        ChildChannel::step(std::string(numberNames[i]) + "()");
        values[i] = reinterpret_cast<NumberFunction>(address)();
        own[i] = library.owns(address);
        if (!own[i]) {
            borrowed += (borrowed.empty() ? "" : ", ") + std::string(numberNames[i]);
            lender = baseName(ModuleLibrary::libraryOf(address));
        } else if (values[i] < 0) {
            outcome.warn(std::string(numberNames[i]) + " answers " + std::to_string(values[i]));
        }
    }
    for (int value : values) reported += " " + std::to_string(value);
    if (!borrowed.empty()) {
        outcome.warn("the module does not define " + borrowed + ": the host finds " + lender +
                     "'s functions of that name and records their answers as the module's");
    }
    const bool ownNumbers = own[1] && own[2] && own[3];
    if (own[1] != own[2] || own[2] != own[3]) {
        outcome.warn("the module has some of the major, minor and patch functions, not all");
    }
    void* textAddress = library.find(EntryPoints::kVersionString);
    if (textAddress != nullptr && library.owns(textAddress)) {
        ChildChannel::step(std::string(EntryPoints::kVersionString) + "()");
        const char* text = reinterpret_cast<TextFunction>(textAddress)();
        int numbers[3];
        if (text == nullptr) {
            outcome.fail("oxa_user_get_version_string answers null");
        } else if (!parseVersion(text, numbers)) {
            outcome.fail(std::string("the version string \"") + text +
                         "\" is not major.minor.patch");
        } else if (!ownNumbers) {
            outcome.warn(std::string("the version string \"") + text +
                         "\" has no version numbers of the module's own to agree with");
        } else if (numbers[0] != values[1] || numbers[1] != values[2] || numbers[2] != values[3]) {
            outcome.fail(std::string("the version string \"") + text +
                         "\" disagrees with the numbers " + std::to_string(values[1]) + "." +
                         std::to_string(values[2]) + "." + std::to_string(values[3]));
        } else {
            outcome.note(std::string("version string \"") + text + "\"");
        }
    }
    outcome.note("the host records ndk, major, minor, patch as" + reported);
    return outcome;
}

}  // namespace oxahost
