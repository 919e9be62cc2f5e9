#include "CommandsCheck.h"

#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "AnswerLog.h"
#include "CallClock.h"
#include "ChildChannel.h"
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

// Every command that left the module by an exception so far.
size_t thrownCount() {
    return LogTap::errorsContaining(" threw: ").size();
}

}  // namespace

long CommandsCheck::sendOwnAndRandom(HostedModule& module, const std::vector<std::string>& texts,
                                     const char* state, std::vector<std::string>* throwingStates) {
    ChildChannel::step(std::string("the module's own commands and random texts ") + state);
    module.setStateLabel(std::string(" ") + state);
    const size_t thrownBefore = thrownCount();
    long refused = 0;
    for (const std::string& command : module.ownCommands()) {
        if (module.command(command) != 0) ++refused;
    }
    for (const std::string& text : texts) module.command("midi:" + text);
    for (const std::string& text : texts) module.command(text);
    if (thrownCount() > thrownBefore) throwingStates->push_back(state);
    module.setStateLabel("");
    return refused;
}

CheckOutcome CommandsCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    HostedCheck hosted(context);
    if (!hosted.probe.runFor(context, &outcome)) return outcome;
    if (!hosted.module.load()) {
        outcome.fail("the host does not load the module");
        return outcome;
    }
    std::vector<std::string> words = {"enable_sync", "disable_sync", "midi:", "midi:90 40 7f"};
    if (!hosted.probe.jackClient.claimUnsafe()) {
        words.push_back("setbypassenabledtrue");
        words.push_back("setbypassenabledfalse");
    }
    const std::vector<std::string> texts = randomTexts(context.seed);
    std::vector<std::string> throwingStates;
    // The same texts in each state a module is commanded in: loaded but not
    // yet active, active, and deactivated again.
    long refused = sendOwnAndRandom(hosted.module, texts, kInactive, &throwingStates);
    for (const char* word : {"start_client", "start_client -v a b", "activate"}) {
        hosted.module.command(word);
    }
    for (const std::string& word : words) hosted.module.command(word);
    refused += sendOwnAndRandom(hosted.module, texts, kActive, &throwingStates);
    hosted.module.command("deactivate");
    refused += sendOwnAndRandom(hosted.module, texts, kDeactivated, &throwingStates);
    for (const char* word : {"tear_down", "init_client:check:again.so:/"}) {
        hosted.module.command(word);
    }
    hosted.module.destroy();
    const std::vector<std::string> thrown = LogTap::errorsContaining(" threw: ");
    if (!thrown.empty()) {
        std::string states;
        for (const std::string& state : throwingStates)
            states += (states.empty() ? "" : ", ") + state;
        outcome.fail(std::to_string(thrown.size()) + " commands threw" +
                     (states.empty() ? "" : " (" + states + ")") + ", the first: " + thrown[0] +
                     " (replay with --seed " + std::to_string(context.seed) + ")");
    }
    if (!hosted.module.ownCommands().empty()) {
        outcome.note(std::to_string(hosted.module.ownCommands().size()) +
                     " of the module's own commands in each of 3 states, " +
                     std::to_string(refused) + " refusals in all");
    }
    outcome.note(std::to_string(words.size() + 5) + " command words and " +
                 std::to_string(2 * texts.size()) +
                 " random texts in each of 3 states: " + kInactive + ", " + kActive + ", " +
                 kDeactivated + " (seed " + std::to_string(context.seed) + ")");
    return outcome;
}

}  // namespace oxahost
