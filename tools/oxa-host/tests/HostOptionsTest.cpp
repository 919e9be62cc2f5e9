#include <gtest/gtest.h>

#include "HostOptions.h"

namespace {

using oxahost::HostOptions;
using oxahost::HostStep;

bool parse(const std::vector<std::string>& args, HostOptions* options, std::string* error) {
    return oxahost::parseHostOptions(args, options, error);
}

TEST(HostOptions, TakesTheModuleDirAndFileThenCommandsInOrder) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"/lib", "libw.so", "start_client -v", "activate"}, &options, &error));
    EXPECT_EQ("/lib", options.moduleDir);
    EXPECT_EQ("libw.so", options.moduleFile);
    ASSERT_EQ(2u, options.steps.size());
    EXPECT_EQ(HostStep::kCommand, options.steps[0].kind);
    EXPECT_EQ("start_client -v", options.steps[0].text);
    EXPECT_EQ("activate", options.steps[1].text);
}

TEST(HostOptions, KeepsStepOptionsInTheirPlaceAmongCommands) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"d", "f", "activate", "--sleep-ms", "30", "--request", "letters:20",
                       "--stream", "5:00ab7f", "--jack-name", "deactivate"},
                      &options, &error))
        << error;
    ASSERT_EQ(6u, options.steps.size());
    EXPECT_EQ(HostStep::kSleep, options.steps[1].kind);
    EXPECT_EQ(30, options.steps[1].number);
    EXPECT_EQ(HostStep::kRequest, options.steps[2].kind);
    EXPECT_EQ("letters", options.steps[2].text);
    EXPECT_EQ(20, options.steps[2].number);
    EXPECT_EQ(HostStep::kStream, options.steps[3].kind);
    EXPECT_EQ(5, options.steps[3].number);
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0xab, 0x7f}), options.steps[3].bytes);
    EXPECT_EQ(HostStep::kJackName, options.steps[4].kind);
    EXPECT_EQ("deactivate", options.steps[5].text);
}

TEST(HostOptions, GivesAStreamWithoutIdTheIdZeroAndARequestWithoutExt1Zero) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"d", "f", "--stream", "ff", "--request", "counter"}, &options, &error));
    EXPECT_EQ(0, options.steps[0].number);
    EXPECT_EQ((std::vector<uint8_t>{0xff}), options.steps[0].bytes);
    EXPECT_EQ("counter", options.steps[1].text);
    EXPECT_EQ(0, options.steps[1].number);
}

TEST(HostOptions, TreatsEverythingAfterADoubleDashAsCommands) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"d", "f", "--", "--jack-name"}, &options, &error));
    ASSERT_EQ(1u, options.steps.size());
    EXPECT_EQ(HostStep::kCommand, options.steps[0].kind);
    EXPECT_EQ("--jack-name", options.steps[0].text);
}

TEST(HostOptions, DerivesThePackageFromTheClientNameUnlessGiven) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--name", "my_wave_7", "d", "f"}, &options, &error));
    EXPECT_EQ("my_wave_7", options.clientName);
    EXPECT_EQ("my_wave", options.effectivePackage());
    ASSERT_TRUE(parse({"--package", "pkg", "d", "f"}, &options, &error));
    EXPECT_EQ("pkg", options.effectivePackage());
}

TEST(HostOptions, ReadsTheWaitAndTheExpectedAnswers) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--wait-ms", "2500", "--expect-answers", "11", "--no-log", "d", "f"},
                      &options, &error));
    EXPECT_EQ(2500, options.waitMs);
    EXPECT_EQ(11, options.expectedAnswers);
    EXPECT_FALSE(options.printLog);
}

TEST(HostOptions, RefusesWhatItCannotUseAndSaysWhy) {
    const struct {
        std::vector<std::string> args;
        const char* error;
    } kBad[] = {
        {{"only-a-dir"}, "missing <module-dir> and <module-file>"},
        {{"--name", "noUnderscore", "d", "f"}, "a client name needs a \"_\""},
        {{"d", "f", "--stream", "abc"}, "--stream"},
        {{"d", "f", "--stream", "zz"}, "--stream"},
        {{"d", "f", "--stream", "x:00"}, "--stream"},
        {{"d", "f", "--request", "letters:many"}, "--request"},
        {{"d", "f", "--wait-ms", "-1"}, "--wait-ms wants a number of 0 or more"},
        {{"d", "f", "--sleep-ms"}, "--sleep-ms needs a value"},
        // Unknown, wherever it stands: not taken for an option that wants a value.
        {{"d", "f", "--frobnicate"}, "unknown option --frobnicate"},
        {{"--frobnicate", "d", "f"}, "unknown option --frobnicate"},
    };
    for (const auto& line : kBad) {
        HostOptions options;
        std::string error;
        EXPECT_FALSE(parse(line.args, &options, &error)) << line.error;
        EXPECT_NE(std::string::npos, error.find(line.error)) << error;
    }
}

TEST(HostOptions, StopsAtHelp) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--help"}, &options, &error));
    EXPECT_TRUE(options.help);
}

}  // namespace
