// The command interpreter with any text after the client name. Commands that
// start a JACK client must hand it the words a plain splitter finds.
#include <string>
#include <vector>

#include "FuzzClient.h"
#include "LogCapture.h"

namespace {

// Words at single spaces, runs collapsing, the first one dropped, at most
// 999 kept: the argument vector after the client name.
std::vector<std::string> referenceWords(const std::string& command) {
    std::vector<std::string> words;
    std::string word;
    for (size_t i = 0; i <= command.size(); ++i) {
        if (i == command.size() || command[i] == ' ') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += command[i];
        }
    }
    if (!words.empty()) words.erase(words.begin());
    if (words.size() > 999) words.resize(999);
    return words;
}

// The test module's record of setUp(argc, argv).
std::string expectedSetUp(const std::string& command) {
    const std::vector<std::string> words = referenceWords(command);
    std::string call = "setUp:" + std::to_string(words.size() + 1) + ":fuzz_1";
    for (const std::string& word : words) call += "|" + word;
    return call;
}

// Texts the test module acts on by spending time or starting threads; they
// test the module, not the interpreter.
bool isModuleAction(const std::string& command) {
    for (const char* prefix : {"burn:", "sleep:", "thread"}) {
        if (command.compare(0, std::string(prefix).size(), prefix) == 0) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::LoadedClient loaded("oxa_wave_v2");
    const std::string command = fuzz::textOf(data, size);
    if (isModuleAction(command)) return 0;
    LogCapture::clear();
    loaded.module().reset();
    loaded.client().sendCommand(("fuzz_1!" + command).c_str());
    if (command.compare(0, 12, "start_client") == 0) {
        // The calls are getJackClientInterface, then setUp.
        const std::vector<std::string> calls = loaded.module().calls();
        if (calls.size() != 2 || calls[1] != expectedSetUp(command)) {
            fuzz::fail("setUp of \"" + command + "\" was " +
                       (calls.size() > 1 ? calls[1] : std::string("not called")));
        }
        loaded.client().sendCommand("fuzz_1!tear_down");
    }
    return 0;
}
