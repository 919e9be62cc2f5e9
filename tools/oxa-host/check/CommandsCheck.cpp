#include "CommandsCheck.h"

#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "AnswerLog.h"
#include "CallClock.h"
#include "HostedCheck.h"
#include "HostedModule.h"
#include "LogTap.h"
#include "MagicProbe.h"

namespace oxahost {

namespace {

const size_t kHugeBytes = 1024 * 1024;

// A text of `length` bytes, none of them zero; printable when `binary` is false.
std::string randomText(std::mt19937& random, size_t length, bool binary) {
    std::uniform_int_distribution<int> byte(binary ? 1 : 0x20, binary ? 255 : 0x7e);
    std::string text(length, ' ');
    for (char& c : text) c = static_cast<char>(byte(random));
    return text;
}

// The seeded texts: the fixed kinds first, then random lengths and kinds.
std::vector<std::string> randomTexts(uint32_t seed) {
    std::mt19937 random(seed);
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    std::vector<std::string> texts = {"", randomText(random, kHugeBytes, false),
                                      randomText(random, 256, true),
                                      randomText(random, page + 1, false)};
    std::uniform_int_distribution<int> length(0, 600);
    std::bernoulli_distribution binary(0.5);
    while (texts.size() < static_cast<size_t>(CommandsCheck::kRandomTexts)) {
        texts.push_back(randomText(random, static_cast<size_t>(length(random)), binary(random)));
    }
    return texts;
}

}  // namespace

CheckOutcome CommandsCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    HostedCheck hosted(context);
    if (!hosted.probe.runFor(context, &outcome)) return outcome;
    if (!hosted.module.load()) {
        outcome.fail("the host does not load the module");
        return outcome;
    }
    std::vector<std::string> words = {
        "start_client", "start_client -v a b", "activate", "enable_sync", "disable_sync",
        "midi:",        "midi:90 40 7f"};
    if (!hosted.probe.jackClient.claimUnsafe()) {
        words.push_back("setbypassenabledtrue");
        words.push_back("setbypassenabledfalse");
    }
    for (const std::string& word : words) hosted.module.command(word);
    long refused = 0;
    for (const std::string& command : hosted.module.ownCommands()) {
        if (hosted.module.command(command) != 0) ++refused;
    }
    const std::vector<std::string> texts = randomTexts(context.seed);
    for (const std::string& text : texts) hosted.module.command("midi:" + text);
    for (const std::string& text : texts) hosted.module.command(text);
    for (const char* word : {"deactivate", "tear_down", "init_client:check:again.so:/"}) {
        hosted.module.command(word);
    }
    hosted.module.destroy();
    const std::vector<std::string> thrown = LogTap::errorsContaining(" threw: ");
    if (!thrown.empty()) {
        outcome.fail(std::to_string(thrown.size()) + " commands threw, the first: " + thrown[0] +
                     " (replay with --seed " + std::to_string(context.seed) + ")");
    }
    if (!hosted.module.ownCommands().empty()) {
        outcome.note(std::to_string(hosted.module.ownCommands().size()) +
                     " of the module's own commands, " + std::to_string(refused) +
                     " of them refused");
    }
    outcome.note(std::to_string(words.size()) + " command words and " +
                 std::to_string(2 * texts.size()) + " random texts (seed " +
                 std::to_string(context.seed) + ")");
    return outcome;
}

}  // namespace oxahost
