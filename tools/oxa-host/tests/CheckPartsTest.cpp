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
#include "CheckRunInfo.h"
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
        {"--timeout",  "2.5",        "--json",    "r.json",    "--only",    "exports,time",
         "--skip",     "time",       "--seed",    "42",        "--command", "gain 3",
         "--commands", commandsFile, "--command", "gain loud", "--package", "mine",
         "/d",         "f.so",       "--junit",   "-"},
        kNames, &options, &error))
        << error;
    EXPECT_EQ((std::vector<std::string>{"gain 3", "meter on", "meter off", "gain loud"}),
              options.moduleCommands);
    EXPECT_EQ("mine", options.packageName);
    EXPECT_EQ("/d", options.moduleDir);
    EXPECT_EQ("f.so", options.moduleFile);
    EXPECT_DOUBLE_EQ(2.5, options.timeoutSeconds);
    EXPECT_EQ("r.json", options.jsonPath);
    EXPECT_EQ("-", options.junitPath);
    EXPECT_TRUE(options.reportsOnStdout());
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
        {{"d", "f", "--verbose"}, "unknown option --verbose"},
        {{"--json", "-", "--junit", "-", "d", "f"}, "--json - and --junit -"},
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

TEST(CheckOptions, TakesTheFlagsThatNeedNoModule) {
    const struct {
        std::vector<std::string> args;
        bool CheckOptions::*flag;
    } kFlags[] = {
        {{"--list"}, &CheckOptions::list},
        {{"--version"}, &CheckOptions::version},
        // The usage wins over whatever follows it.
        {{"--help", "--nonsense"}, &CheckOptions::help},
    };
    for (const auto& line : kFlags) {
        CheckOptions options;
        std::string error;
        EXPECT_TRUE(parseCheckOptions(line.args, kNames, &options, &error)) << error;
        EXPECT_TRUE(options.*line.flag) << line.args[0];
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

TEST(ChildChannel, ParsesStepsTheCauseAndTheOutcomeAndIgnoresALineCutShort) {
    CheckOutcome outcome;
    std::string step;
    std::string cause;
    ASSERT_TRUE(ChildChannel::parse("S:one\nC:libx cycled\nS:two \\\\ 2\nV:2\nR:1\nD:a\\nb\nS:cut",
                                    &outcome, &step, &cause));
    EXPECT_EQ("two \\ 2", step);
    EXPECT_EQ("libx cycled", cause);
    EXPECT_EQ(Verdict::kFail, outcome.verdict());
    EXPECT_TRUE(outcome.refused());
    EXPECT_EQ("a\nb", outcome.details());
    EXPECT_FALSE(ChildChannel::parse("S:only a step\nV:0\n", &outcome, &step));
}

CheckResult resultOf(const char* name, Verdict verdict, const std::string& details,
                     double seconds = 0) {
    CheckResult result;
    result.name = name;
    result.verdict = verdict;
    result.details = details;
    result.seconds = seconds;
    return result;
}

CheckRunInfo runOf(const std::string& modulePath) {
    CheckRunInfo run;
    run.toolVersion = "1.2.3";
    run.modulePath = modulePath;
    run.packageName = "mine";
    run.seed = 7;
    run.timeoutSeconds = 10;
    run.moduleCommands = {"gain 3"};
    return run;
}

TEST(CheckReport, WritesALinePerCheckAndTheRunAsAJsonObject) {
    const CheckResult crashed = resultOf("streams", Verdict::kCrash, "died\nframe 1", 0.25);
    // Valid UTF-8 stays as it is; a byte that is not UTF-8 becomes U+FFFD.
    const CheckResult warned = resultOf("exports", Verdict::kWarn, "q\"caf\xc3\xa9\x01 \xe9!");
    EXPECT_EQ("CRASH   streams        0.25 s  died\n        frame 1", CheckReport::line(crashed));
    EXPECT_EQ(
        "{\n  \"tool\": \"oxa-host check\",\n  \"version\": \"1.2.3\",\n"
        "  \"module\": \"/m/libwave_\xc3\xa9.so\",\n  \"package\": \"mine\",\n  \"seed\": 7,\n"
        "  \"timeout\": 10.000,\n  \"commands\": [\"gain 3\"],\n  \"verdict\": \"CRASH\",\n"
        "  \"checks\": [\n"
        "    {\"name\": \"streams\", \"verdict\": \"CRASH\", \"details\": \"died\\nframe 1\", "
        "\"duration\": 0.250},\n"
        "    {\"name\": \"exports\", \"verdict\": \"WARN\", \"details\": "
        "\"q\\\"caf\xc3\xa9\\u0001 \xef\xbf\xbd!\", \"duration\": 0.000}\n  ]\n}\n",
        CheckReport::json(runOf("/m/libwave_\xc3\xa9.so"), {crashed, warned}));
    EXPECT_EQ(Verdict::kWarn, CheckReport::overall({warned}));
    EXPECT_EQ(0, CheckReport::exitStatus({warned}));
    EXPECT_EQ(1, CheckReport::exitStatus({warned, crashed}));
}

TEST(CheckReport, WritesJUnitWithAFailureAnErrorAndASkipByVerdict) {
    const std::string xml = CheckReport::junit(
        runOf("/m/libwave_mine.so"),
        {resultOf("exports", Verdict::kPass, ""), resultOf("time", Verdict::kWarn, "slow <1 s>"),
         resultOf("commands", Verdict::kFail, "3 commands threw\nthe first: \"x\" & \xff"),
         resultOf("streams", Verdict::kCrash, "died of SIGSEGV\n#0 f()"),
         resultOf("realtime", Verdict::kWarn, "not run: no jackd")});
    for (const char* part : {
             "<testsuite name=\"oxa-host check.libwave_mine.so\" tests=\"5\" failures=\"1\" "
             "errors=\"1\" skipped=\"1\"",
             "<property name=\"seed\" value=\"7\"/>",
             "<testcase classname=\"oxa-host check.libwave_mine.so\" name=\"exports\" "
             "time=\"0.000\"/>",
             "<system-out>WARN: slow &lt;1 s&gt;</system-out>",
             "<failure type=\"FAIL\" message=\"3 commands threw\">3 commands threw&#10;the "
             "first: &quot;x&quot; &amp; \xef\xbf\xbd</failure>",
             "<error type=\"CRASH\" message=\"died of SIGSEGV\">",
             "<skipped message=\"not run: no jackd\"/>",
         }) {
        EXPECT_NE(std::string::npos, xml.find(part)) << part << "\nin:\n" << xml;
    }
}

// Checks that misbehave themselves, for the runner's verdicts.
class ScriptedCheck : public Check {
public:
    enum Kind { kCrashes, kHangs, kExits, kWarns };
    explicit ScriptedCheck(Kind kind) : mKind(kind) {}
    const char* name() const override { return "scripted"; }
    const char* description() const override { return "a check of the tests"; }
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
