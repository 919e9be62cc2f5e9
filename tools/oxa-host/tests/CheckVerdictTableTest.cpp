// The validator against the flawed test modules: each flaw is caught by the
// check for its rule, with the verdict given, and by no other check (the
// others pass, or are not run because the host refuses the module).
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "CheckCommand.h"
#include "CheckRunner.h"

namespace oxahost {
namespace {

struct FlawRow {
    const char* module;  // liboxa_flawed_<module>.so
    const char* check;   // the check that catches it; "" for none
    Verdict verdict;
    // One of the module's own commands handed to the validator; null for none.
    const char* command = nullptr;
    // A pattern (ECMAScript) the catching check's report must hold; null for
    // none.
    const char* report = nullptr;
    // The flaw may crash the check instead (as a library unloaded while in
    // use does under the sanitizers); the report must name it either way.
    bool orCrash = false;
};

const FlawRow kFlaws[] = {
    {"none", "", Verdict::kPass},
    {"no_create", "exports", Verdict::kFail},
    {"create_not_extern_c", "exports", Verdict::kFail},
    {"extra_export", "exports", Verdict::kWarn},
    {"weak_reference", "binding", Verdict::kFail},
    {"api_5", "api-level", Verdict::kFail},
    {"version_string", "versions", Verdict::kFail},
    {"false_v2", "magic", Verdict::kFail},
    {"leaks_memory", "lifecycle", Verdict::kFail},
    {"throws_on_long_text", "commands", Verdict::kFail},
    {"overreports", "streams", Verdict::kFail},
    {"invalid_utf8", "answers", Verdict::kWarn},
    {"answers_after_destroy", "answers", Verdict::kFail},
    {"stray_thread", "threads", Verdict::kFail},
    {"slow_transport", "time", Verdict::kWarn},
    {"rt_answers", "realtime", Verdict::kFail},
    {"rt_allocates", "realtime", Verdict::kFail},
    {"rt_locks", "realtime", Verdict::kFail},
    {"rt_sleeps", "realtime", Verdict::kFail},
    {"rt_dc_offset", "audio", Verdict::kFail},
    {"rt_ignores_bypass", "audio", Verdict::kFail},
    // Flaws only the module's own commands reach.
    {"throws_on_own_command", "", Verdict::kPass},
    {"throws_on_own_command", "commands", Verdict::kFail, "gain loud"},
    {"thread_on_own_command", "threads", Verdict::kFail, "meter on",
     "\"flawed-stray\" \\(tid [0-9]+, first seen after \"meter on\"\\)[\\s\\S]*"
     "strayThread\\(void\\*\\)"},
    // Reports that name the module's code.
    {"rt_allocates_inlined", "realtime", Verdict::kFail, nullptr,
     "#0 [^\n]*fillScratch[^\n]* at [^ ]*FlawedWave\\.cpp:[0-9]+ \\(inlined\\)\n"
     "  #0 [^\n]*flawedProcess[^\n]* at [^ ]*FlawedWave\\.cpp:[0-9]+ "
     "\\(liboxa_flawed_rt_allocates_inlined\\.so\\+0x"},
    {"links_jack", "lifecycle", Verdict::kFail, nullptr,
     "libjack\\.so\\.0 (is|are) loaded with the module and unloaded with it in every cycle[^\n]*"
     "ovik_wave_link_jack\\(<target>\\)[^\n]*RTLD_NODELETE",
     true},
    {"crashes_after_deactivate", "commands", Verdict::kCrash, "meter read"},
    {"joins_answering_thread", "concurrency", Verdict::kFail},
    {"shared_handle", "instances", Verdict::kFail},
};

void PrintTo(const FlawRow& row, std::ostream* os) {
    *os << row.module << (row.command != nullptr ? " given its command" : "");
}

class CheckVerdictTableTest : public ::testing::TestWithParam<FlawRow> {};

TEST_P(CheckVerdictTableTest, TheFlawIsCaughtByItsCheckOnly) {
    const FlawRow& row = GetParam();
    CheckContext context;
    context.moduleDir = OVIK_TEST_MODULE_DIR;
    context.moduleFile = std::string("liboxa_flawed_") + row.module + ".so";
    context.seed = 11;
    if (row.command != nullptr) context.moduleCommands.push_back(row.command);
    std::vector<std::unique_ptr<Check>> checks = CheckCommand::allChecks();
    std::vector<Check*> order;
    for (const std::unique_ptr<Check>& check : checks) order.push_back(check.get());

    // The emulator of the ARM build is slow; a hang still ends the test.
    CheckRunner runner(context, 300);
    const std::vector<CheckResult> results = runner.runAll(order, CheckOptions(), nullptr);

    ASSERT_EQ(results.size(), checks.size());
    bool caught = row.check[0] == '\0';
    std::string notRun;
    for (const CheckResult& result : results) {
        SCOPED_TRACE(result.name + ": " + verdictName(result.verdict) + " " + result.details);
        if (result.name == row.check && result.details.compare(0, 8, "not run:") == 0) {
            // The realtime check without a JACK server for this machine.
            notRun = result.details;
            caught = true;
        } else if (result.name == row.check) {
            if (!row.orCrash || result.verdict != Verdict::kCrash) {
                EXPECT_EQ(result.verdict, row.verdict);
            }
            if (row.report != nullptr) {
                EXPECT_TRUE(std::regex_search(result.details, std::regex(row.report)))
                    << "no match for " << row.report;
            }
            caught = true;
        } else if (result.verdict != Verdict::kPass) {
            EXPECT_EQ(result.verdict, Verdict::kWarn);
            EXPECT_EQ(result.details.compare(0, 8, "not run:"), 0);
        }
    }
    EXPECT_TRUE(caught) << "no check is named " << row.check;
    if (!notRun.empty()) GTEST_SKIP() << row.check << " " << notRun;
}

INSTANTIATE_TEST_SUITE_P(FlawedModules, CheckVerdictTableTest, ::testing::ValuesIn(kFlaws),
                         [](const ::testing::TestParamInfo<FlawRow>& info) {
                             return std::string(info.param.module) +
                                    (info.param.command != nullptr ? "_given_its_command" : "") +
                                    (info.param.report != nullptr ? "_named_in_its_report" : "");
                         });

}  // namespace
}  // namespace oxahost
