#include "FuzzClient.h"

#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "LogCapture.h"

namespace fuzz {

std::string textOf(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    return text.substr(0, text.find('\0'));
}

LoadedClient::LoadedClient(const std::string& library)
    : mModule(library), mClient(android::OXAClient::createInstance("fuzz_1", "fuzz", 0)) {
    LogCapture::install();
    const std::string init =
        "fuzz_1!init_client:fuzz:" + WaveModule::fileName(library) + ":" + WaveModule::directory();
    if (!mClient || mClient->sendCommand(init.c_str()) != 0) fail("cannot load " + library);
}

std::string LoadedClient::onlyCall() {
    const std::vector<std::string> calls = mModule.calls();
    return calls.size() == 1 ? calls[0] : std::string();
}

void fail(const std::string& what) {
    fprintf(stderr, "oracle: %s\n", what.c_str());
    abort();
}

}  // namespace fuzz
