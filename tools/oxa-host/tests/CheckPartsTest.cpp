// The validator's parts that need no module: its command line, the modified
// UTF-8 scan, the child's line protocol, the report, and the runner's
// verdicts for a child that crashes or hangs.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "CheckOptions.h"
#include "CheckReport.h"
#include "CheckRunner.h"
#include "ChildChannel.h"
#include "ModifiedUtf8Scan.h"

namespace oxahost {
namespace {

const std::vector<std::string> kNames = {"exports", "binding", "time"};

TEST(CheckOptions, TakesEveryOptionAndTheTwoPositionals) {
    const std::string commandsFile = testing::TempDir() + "commands.txt";
    std::ofstream(commandsFile) << "# the meter\nmeter on\n\nmeter off\n";
    CheckOptions options;
    std::string error;
    ASSERT_TRUE(parseCheckOptions(
        {"--timeout", "2.5",       "--json",    "r.json",    "--only", "exports,time", "--skip",
         "time",      "--seed",    "42",        "--command", "gain 3", "--commands",   commandsFile,
         "--command", "gain loud", "--package", "mine",      "/d",     "f.so"},
        kNames, &options, &error))
        << error;
    EXPECT_EQ((std::vector<std::string>{"gain 3", "meter on", "meter off", "gain loud"}),
              options.moduleCommands);
    EXPECT_EQ("mine", options.packageName);
    EXPECT_EQ("/d", options.moduleDir);
    EXPECT_EQ("f.so", options.moduleFile);
    EXPECT_DOUBLE_EQ(2.5, options.timeoutSeconds);
    EXPECT_EQ("r.json", options.jsonPath);
    EXPECT_EQ(42u, options.seed);
    EXPECT_TRUE(options.seedGiven);
    EXPECT_TRUE(options.selects("exports"));
    EXPECT_FALSE(options.selects("time"));
    EXPECT_FALSE(options.selects("binding"));
}

struct BadLine {
    std::vector<std::string> args;
    const char* error;
};

TEST(CheckOptions, RefusesBadCommandLinesWithTheReason) {
    const BadLine kBad[] = {
        {{"d"}, "missing MODULE_DIR and MODULE_FILE"},
        {{"d", "f", "g"}, "too many arguments: g"},
        {{"--only", "exports,nonsense", "d", "f"}, "--only: no check is named \"nonsense\""},
        {{"--timeout", "0", "d", "f"}, "--timeout wants a number of seconds above 0, got 0"},
        {{"--seed", "-1", "d", "f"}, "--seed wants a number from 0 to 4294967295, got -1"},
        {{"--seed", "4294967296", "d", "f"}, "--seed wants a number from 0 to 4294967295"},
        {{"d", "f", "--json"}, "--json wants a value"},
        {{"--verbose", "x", "d", "f"}, "unknown option --verbose"},
        {{"--commands", "/nonexistent/commands", "d", "f"},
         "--commands: cannot read /nonexistent/commands"},
    };
    for (const BadLine& bad : kBad) {
        CheckOptions options;
        std::string error;
        EXPECT_FALSE(parseCheckOptions(bad.args, kNames, &options, &error)) << bad.error;
        EXPECT_EQ(0u, error.find(bad.error)) << error;
    }
}

TEST(ModifiedUtf8Scan, GivesTheOffsetOfTheFirstInvalidByte) {
    const struct {
        const char* text;
        long offset;
    } kTexts[] = {
        {"", -1},
        {"level 3", -1},
        {"caf\xc3\xa9", -1},
        {"\xc0\x80", -1},                  // NUL, the modified way
        {"\xed\xa0\xbd\xed\xb8\x80", -1},  // U+1F600 as two surrogates
        {"caf\xe9 ok", 3},                 // Latin-1
        {"ab\xf0\x9f\x98\x80", 2},         // a standard 4-byte sequence
        {"\xc1\xbf", 0},                   // overlong
        {"x\xe0\x80\x80", 1},              // overlong 3-byte
        {"\x80", 0},                       // a continuation byte alone
        {"ok\xc3", 2},                     // cut short
    };
    for (const auto& entry : kTexts) {
        EXPECT_EQ(entry.offset, ModifiedUtf8Scan::firstInvalid(entry.text)) << entry.text;
    }
}

TEST(ChildChannel, ParsesStepsAndTheOutcomeAndIgnoresALineCutShort) {
    CheckOutcome outcome;
    std::string step;
    ASSERT_TRUE(
        ChildChannel::parse("S:one\nS:two \\\\ 2\nV:2\nR:1\nD:a\\nb\nS:cut", &outcome, &step));
    EXPECT_EQ("two \\ 2", step);
    EXPECT_EQ(Verdict::kFail, outcome.verdict());
    EXPECT_TRUE(outcome.refused());
    EXPECT_EQ("a\nb", outcome.details());
    EXPECT_FALSE(ChildChannel::parse("S:only a step\nV:0\n", &outcome, &step));
}

TEST(CheckReport, WritesOneLinePerCheckAndEscapedJson) {
    CheckResult crashed;
    crashed.name = "streams";
    crashed.verdict = Verdict::kCrash;
    crashed.details = "died\nframe 1";
    crashed.seconds = 0.25;
    CheckResult passed;
    passed.name = "exports";
    passed.details = "q\"\xe9";
    EXPECT_EQ("CRASH   streams       0.25 s  died\n        frame 1", CheckReport::line(crashed));
    EXPECT_EQ(
        "[\n  {\"name\": \"streams\", \"verdict\": \"CRASH\", \"details\": \"died\\nframe 1\", "
        "\"duration\": 0.250},\n  {\"name\": \"exports\", \"verdict\": \"PASS\", \"details\": "
        "\"q\\\"\\u00e9\", \"duration\": 0.000}\n]\n",
        CheckReport::json({crashed, passed}));
    EXPECT_EQ(1, CheckReport::exitStatus({passed, crashed}));
    EXPECT_EQ(0, CheckReport::exitStatus({passed}));
}

// Checks that misbehave themselves, for the runner's verdicts.
class ScriptedCheck : public Check {
public:
    enum Kind { kCrashes, kHangs, kExits, kWarns };
    explicit ScriptedCheck(Kind kind) : mKind(kind) {}
    const char* name() const override { return "scripted"; }
    CheckOutcome run(const CheckContext&) override {
        ChildChannel::step("misbehaving");
        if (mKind == kCrashes) raise(SIGSEGV);
        if (mKind == kHangs) pause();
        if (mKind == kExits) _exit(3);
        CheckOutcome outcome;
        outcome.warn("a warning");
        return outcome;
    }

private:
    Kind mKind;
};

TEST(CheckRunner, TurnsHowTheChildEndedIntoTheVerdict) {
    const struct {
        ScriptedCheck::Kind kind;
        Verdict verdict;
        const char* details;
        // A crash names the function it came from, with its file and line.
        const char* frame;
    } kEndings[] = {
        {ScriptedCheck::kCrashes, Verdict::kCrash,
         "the module's process died of SIGSEGV (in: misbehaving)",
         "ScriptedCheck::run(oxahost::CheckContext const&) at "},
        {ScriptedCheck::kHangs, Verdict::kTimeout, "no result within 2 s (in: misbehaving)", ""},
        {ScriptedCheck::kExits, Verdict::kCrash,
         "the module's process exited with status 3 before the check ended (in: misbehaving)", ""},
        {ScriptedCheck::kWarns, Verdict::kWarn, "a warning", ""},
    };
    CheckRunner runner(CheckContext(), 2);
    for (const auto& ending : kEndings) {
        ScriptedCheck check(ending.kind);
        const CheckResult result = runner.run(check);
        EXPECT_EQ(ending.verdict, result.verdict) << ending.details;
        EXPECT_EQ(0u, result.details.find(ending.details)) << result.details;
        EXPECT_NE(std::string::npos, result.details.find(ending.frame)) << result.details;
    }
}

}  // namespace
}  // namespace oxahost
