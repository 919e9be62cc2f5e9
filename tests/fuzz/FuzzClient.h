// What the client fuzzers share: a client of the library with a test module
// loaded, the module's record of the calls it received, and the library's
// log captured in memory (cleared for every input, so it does not grow).
#ifndef OVIK_FUZZ_CLIENT_H
#define OVIK_FUZZ_CLIENT_H

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>

#include "OXAClient.h"
#include "WaveModule.h"

namespace fuzz {

// A NUL-terminated copy of the input up to its first zero byte: the form in
// which Java's text reaches the library.
std::string textOf(const uint8_t* data, size_t size);

class LoadedClient {
public:
    // A client named "fuzz_1" with the test module `library` loaded.
    explicit LoadedClient(const std::string& library);

    android::OXAClient& client() { return *mClient; }
    WaveModule& module() { return mModule; }
    // The one call the module recorded since the last reset, or "".
    std::string onlyCall();

private:
    WaveModule mModule;
    std::shared_ptr<android::OXAClient> mClient;
};

// Aborts with `what` on stderr: libFuzzer saves the input that did it.
[[noreturn]] void fail(const std::string& what);

}  // namespace fuzz

#endif  // OVIK_FUZZ_CLIENT_H
