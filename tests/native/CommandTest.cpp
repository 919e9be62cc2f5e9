// The command interpreter: every row of the command table with its
// precondition failing and holding, the "init_client:" fields, the argument
// vector of "start_client", addressing by client name, and commands arriving
// from several threads at once.
#include <atomic>
#include <chrono>

#include "ClientTest.h"
#include "Deadline.h"
#include "ListenerScope.h"
#include "RecordingListener.h"
#include "WaveModule.h"

namespace {

const auto kDeadlockTimeout = std::chrono::seconds(30);

LogLine hostLine(int priority, const std::string& message) {
    return LogLine{priority, kHostTag, message};
}

}  // namespace

// ---- The command table -----------------------------------------------------------

// What the client has before the command.
enum class ClientState {
    NoModule,        // nothing loaded
    Loaded,          // module loaded, no JACK client taken
    JackNotRunning,  // JACK client taken, its setUp() failed
    Running,         // JACK client set up
};

struct CommandCase {
    const char* label;
    ClientState state;
    const char* command;
    int result;
    std::vector<std::string> moduleCalls;
    std::vector<LogLine> hostLines;
};

void PrintTo(const CommandCase& row, std::ostream* os) {
    *os << row.label;
}

class CommandTableTest : public ClientTest, public ::testing::WithParamInterface<CommandCase> {
protected:
    // Every operation of the module answers 7 unless the state needs 0.
    void setDistinctiveResults(WaveModule& module) {
        for (const char* operation :
             {"sendMidi", "tearDown", "activate", "deactivate", "transport", "sendCommand"}) {
            module.setValue(operation, 7);
        }
    }

    void bringTo(ClientState state, const ClientRef& client, WaveModule& module) {
        if (state == ClientState::NoModule) return;
        ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
        if (state == ClientState::Loaded) return;
        module.setValue("setUp", state == ClientState::Running ? 0 : 1);
        ASSERT_EQ(command(client, "start_client"), state == ClientState::Running ? 0 : 1);
    }
};

TEST_P(CommandTableTest, CommandGivesItsResultCallsAndLines) {
    const CommandCase& row = GetParam();
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("table_5");
    bringTo(row.state, client, module);
    module.reset();
    setDistinctiveResults(module);
    LogCapture::clear();

    EXPECT_EQ(command(client, row.command), row.result);

    EXPECT_EQ(module.calls(), row.moduleCalls);
    EXPECT_EQ(hostLines(), row.hostLines);
}

const LogLine kNotStarted = hostLine(ANDROID_LOG_ERROR, "jack client wasn't started\n");
const LogLine kJackNull = hostLine(ANDROID_LOG_INFO, "the jack client is null.");

INSTANTIATE_TEST_SUITE_P(
    PreconditionFails, CommandTableTest,
    ::testing::Values(
        CommandCase{"midi", ClientState::Loaded, "midi:90 40 7f", 1, {}, {kNotStarted}},
        CommandCase{"bypassOff", ClientState::Loaded, "setbypassenabledfalse", 0, {}, {kJackNull}},
        CommandCase{"bypassOn", ClientState::Loaded, "setbypassenabledtrue", 0, {}, {kJackNull}},
        CommandCase{"tearDownWithoutJack", ClientState::Loaded, "tear_down", 1, {}, {}},
        CommandCase{"tearDownNotRunning", ClientState::JackNotRunning, "tear_down", 1, {}, {}},
        CommandCase{"activate", ClientState::Loaded, "activate", 1, {}, {kNotStarted}},
        CommandCase{"deactivate", ClientState::Loaded, "deactivate", 1, {}, {kNotStarted}},
        CommandCase{"enableSync", ClientState::Loaded, "enable_sync", 1, {}, {kNotStarted}},
        CommandCase{"disableSync", ClientState::Loaded, "disable_sync", 1, {}, {kNotStarted}},
        CommandCase{"initAlreadyLoaded",
                    ClientState::Loaded,
                    "init_client:pkg:liboxa_wave_v1.so:/nowhere",
                    0,
                    {},
                    {hostLine(ANDROID_LOG_INFO, "already init_client done\n")}},
        CommandCase{
            "startWithoutModule",
            ClientState::NoModule,
            "start_client -v",
            0,
            {},
            {hostLine(ANDROID_LOG_INFO, "You don't have a jack client module"),
             hostLine(ANDROID_LOG_INFO, "OXAClient: already started. or JackClient is empty.")}},
        CommandCase{
            "startWhileRunning",
            ClientState::Running,
            "start_client -v",
            0,
            {"getJackClientInterface"},
            {hostLine(ANDROID_LOG_INFO, "OXAClient: already started. or JackClient is empty.")}},
        CommandCase{"moduleCommandWithoutModule", ClientState::NoModule, "hello", 1, {}, {}}),
    [](const ::testing::TestParamInfo<CommandCase>& param) {
        return std::string(param.param.label);
    });

INSTANTIATE_TEST_SUITE_P(
    PreconditionHolds, CommandTableTest,
    ::testing::Values(
        CommandCase{"midi", ClientState::Running, "midi:90 40 7f", 7, {"sendMidi:90 40 7f"}, {}},
        CommandCase{"midiEmpty", ClientState::Running, "midi:", 7, {"sendMidi:"}, {}},
        CommandCase{
            "midiWithoutSetUp", ClientState::JackNotRunning, "midi:x", 7, {"sendMidi:x"}, {}},
        CommandCase{"bypassOff",
                    ClientState::Running,
                    "setbypassenabledfalse",
                    0,
                    {"setByPassEnabled:0"},
                    {}},
        CommandCase{"bypassOn",
                    ClientState::Running,
                    "setbypassenabledtrue",
                    0,
                    {"setByPassEnabled:1"},
                    {}},
        // tearDown() answers 7; the command ignores it.
        CommandCase{"tearDown", ClientState::Running, "tear_down", 0, {"tearDown"}, {}},
        CommandCase{"activate", ClientState::Running, "activate", 7, {"activate"}, {}},
        CommandCase{
            "activateWithoutSetUp", ClientState::JackNotRunning, "activate", 7, {"activate"}, {}},
        CommandCase{"deactivate", ClientState::Running, "deactivate", 7, {"deactivate"}, {}},
        CommandCase{"enableSync", ClientState::Running, "enable_sync", 7, {"transport:1"}, {}},
        CommandCase{"disableSync", ClientState::Running, "disable_sync", 7, {"transport:0"}, {}},
        CommandCase{
            "moduleCommand", ClientState::Loaded, "hello wave", 7, {"sendCommand:hello wave"}, {}},
        CommandCase{"midiWithoutColonGoesToModule",
                    ClientState::Running,
                    "midiX",
                    7,
                    {"sendCommand:midiX"},
                    {}},
        CommandCase{"activateWithSpaceGoesToModule",
                    ClientState::Running,
                    "activate ",
                    7,
                    {"sendCommand:activate "},
                    {}},
        CommandCase{"emptyCommandGoesToModule", ClientState::Loaded, "", 7, {"sendCommand:"}, {}},
        CommandCase{"startAfterFailedSetUp",
                    ClientState::JackNotRunning,
                    "start_client",
                    0,
                    {"getJackClientInterface", "setUp:1:table_5"},
                    {hostLine(ANDROID_LOG_DEBUG, "success to your jack client")}}),
    [](const ::testing::TestParamInfo<CommandCase>& param) {
        return std::string(param.param.label);
    });

// ---- init_client: fields ---------------------------------------------------------

struct InitFieldsCase {
    const char* label;
    const char* fields;
    const char* firstPath;
    const char* fallbackPath;
};

void PrintTo(const InitFieldsCase& row, std::ostream* os) {
    *os << row.fields;
}

class InitFieldsTest : public ClientTest, public ::testing::WithParamInterface<InitFieldsCase> {};

TEST_P(InitFieldsTest, FieldsFormTheTwoPathsTried) {
    ClientRef client = makeClient("fields_1");
    const std::string text = std::string("init_client:") + GetParam().fields;

    EXPECT_EQ(command(client, text), 1);

    const std::vector<LogLine> lines = hostLines();
    ASSERT_EQ(lines.size(), 7u) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[0], hostLine(ANDROID_LOG_DEBUG, text));
    EXPECT_EQ(lines[2],
              hostLine(ANDROID_LOG_INFO, std::string("try to dlopen ") + GetParam().firstPath));
    EXPECT_EQ(lines[3].priority, ANDROID_LOG_ERROR);
    EXPECT_EQ(lines[4],
              hostLine(ANDROID_LOG_INFO, std::string("try to dlopen ") + GetParam().fallbackPath));
    EXPECT_EQ(lines[5].priority, ANDROID_LOG_ERROR);
    EXPECT_EQ(lines[6], hostLine(ANDROID_LOG_ERROR, "(in)OXAClient: fail to load user module"));
}

INSTANTIATE_TEST_SUITE_P(
    Splits, InitFieldsTest,
    ::testing::Values(InitFieldsCase{"threeFields", "pkg:libnone.so:/no/such/dir",
                                     "/no/such/dir/libnone.so", "/no/such/dir/libwave_pkg.so"},
                      InitFieldsCase{"twoFields", "pkg:libnone.so", "libnone.so/libnone.so",
                                     "libnone.so/libwave_pkg.so"},
                      InitFieldsCase{"oneField", "pkg", "pkg/pkg", "pkg/libwave_pkg.so"},
                      InitFieldsCase{"extraColonsStayInTheFolder", "pkg:libnone.so:/no/a:b:c",
                                     "/no/a:b:c/libnone.so", "/no/a:b:c/libwave_pkg.so"}),
    [](const ::testing::TestParamInfo<InitFieldsCase>& param) {
        return std::string(param.param.label);
    });

// ---- start_client argument vector ------------------------------------------------

// A command and the setUp() call it makes.
typedef std::pair<std::string, std::string> ArgumentVectorCase;

class ArgumentVectorTest : public ClientTest,
                           public ::testing::WithParamInterface<ArgumentVectorCase> {};

std::string argumentVectorLabel(const ::testing::TestParamInfo<ArgumentVectorCase>& param) {
    static const char* const kLabels[] = {"commandWordAlone", "runOfSpaces", "longerCommandWord",
                                          "trailingSpaces", "tabIsNoSeparator"};
    return kLabels[param.index];
}

TEST_P(ArgumentVectorTest, SetUpReceivesTheNameAndTheWordsAfterTheCommandWord) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("argv_3");
    ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
    module.reset();

    EXPECT_EQ(command(client, GetParam().first), 0);

    EXPECT_EQ(module.calls(),
              (std::vector<std::string>{"getJackClientInterface", GetParam().second}));
}

INSTANTIATE_TEST_SUITE_P(
    Words, ArgumentVectorTest,
    ::testing::Values(std::make_pair("start_client", "setUp:1:argv_3"),
                      std::make_pair("start_client -a  b", "setUp:3:argv_3|-a|b"),
                      std::make_pair("start_clientX y", "setUp:2:argv_3|y"),
                      std::make_pair("start_client  a  ", "setUp:2:argv_3|a"),
                      std::make_pair("start_client a\tb", "setUp:2:argv_3|a\tb")),
    argumentVectorLabel);

class StartClientTest : public ClientTest {};

TEST_F(StartClientTest, OnlyTheFirst999WordsArePassed) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("many_4");
    ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
    module.reset();
    std::string text = "start_client";
    std::string expected = "setUp:1000:many_4";
    for (int word = 1; word <= 1200; ++word) {
        text += " w" + std::to_string(word);
        if (word <= 999) expected += "|w" + std::to_string(word);
    }

    EXPECT_EQ(command(client, text), 0);

    EXPECT_EQ(module.calls(), (std::vector<std::string>{"getJackClientInterface", expected}));
}

TEST_F(StartClientTest, FailedSetUpIsLoggedAndCanBeRetried) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("retry_5");
    ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
    module.setValue("setUp", 9);
    LogCapture::clear();

    EXPECT_EQ(command(client, "start_client"), 1);
    EXPECT_EQ(hostLines(), (std::vector<LogLine>{hostLine(ANDROID_LOG_ERROR, "fail to setUp")}));

    module.setValue("setUp", 0);
    LogCapture::clear();
    EXPECT_EQ(command(client, "start_client"), 0);
    EXPECT_EQ(hostLines(),
              (std::vector<LogLine>{hostLine(ANDROID_LOG_DEBUG, "success to your jack client")}));
    // Now running: tear_down reaches the module.
    EXPECT_EQ(command(client, "tear_down"), 0);
}

TEST_F(StartClientTest, NullJackClientIsReported) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("nojack_6");
    ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
    module.setValue("jackClient", 0);
    LogCapture::clear();

    EXPECT_EQ(command(client, "start_client"), 0);

    EXPECT_EQ(
        hostLines(),
        (std::vector<LogLine>{
            hostLine(ANDROID_LOG_INFO, "You set a jack client module as null"),
            hostLine(ANDROID_LOG_INFO, "OXAClient: already started. or JackClient is empty.")}));
    EXPECT_EQ(command(client, "activate"), 1);
}

TEST_F(StartClientTest, StartWhileRunningTakesTheModulesCurrentJackClient) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("swap_7");
    ASSERT_NO_FATAL_FAILURE(loadAndStart(client, "oxa_wave_v2", module));
    module.setValue("jackClient", 2);

    EXPECT_EQ(command(client, "start_client"), 0);
    EXPECT_EQ(command(client, "activate"), 0);

    EXPECT_EQ(module.calls(), (std::vector<std::string>{"getJackClientInterface", "activate#2"}));
}

TEST_F(StartClientTest, TearDownTwiceSucceedsOnceAndStartAgainSetsUpAgain) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("twice_8");
    ASSERT_NO_FATAL_FAILURE(loadAndStart(client, "oxa_wave_v2", module));

    EXPECT_EQ(command(client, "tear_down"), 0);
    EXPECT_EQ(command(client, "tear_down"), 1);
    EXPECT_EQ(command(client, "start_client again"), 0);

    EXPECT_EQ(module.calls(), (std::vector<std::string>{"tearDown", "getJackClientInterface",
                                                        "setUp:2:twice_8|again"}));
}

// ---- Version-1 JACK client --------------------------------------------------------

class VersionOneJackClientTest : public ClientTest {};

TEST_F(VersionOneJackClientTest, NeverReceivesBypassOrNameCalls) {
    WaveModule module("oxa_wave_v1");
    ClientRef client = makeClient("old_9");
    ASSERT_NO_FATAL_FAILURE(loadAndStart(client, "oxa_wave_v1", module));
    LogCapture::clear();

    EXPECT_EQ(command(client, "setbypassenabledtrue"), 0);
    EXPECT_EQ(command(client, "setbypassenabledfalse"), 0);
    EXPECT_EQ(client->getJackClientName("query"), nullptr);

    EXPECT_TRUE(module.calls().empty()) << ::testing::PrintToString(module.calls());
    EXPECT_EQ(
        hostLines(),
        (std::vector<LogLine>{
            hostLine(ANDROID_LOG_INFO, "your wave is not support setByPassEnabled(true)"),
            hostLine(ANDROID_LOG_INFO, "your wave is not support setByPassEnabled(false)"),
            hostLine(ANDROID_LOG_INFO, "the getJackClientName() is not support. return NULL.")}));
}

// ---- Addressing --------------------------------------------------------------------

class AddressingTest : public ClientTest {};

TEST_F(AddressingTest, CommandForAnotherClientIsRefused) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("abc_1");
    ASSERT_NO_FATAL_FAILURE(loadAndStart(client, "oxa_wave_v2", module));
    LogCapture::clear();

    EXPECT_EQ(client->sendCommand("abd_1!activate"), 1);
    EXPECT_EQ(client->sendCommand("abc_!activate"), 1);
    EXPECT_EQ(client->sendCommand("abc_1x!activate"), 1);

    EXPECT_TRUE(module.calls().empty());
    EXPECT_EQ(LogCapture::count(ANDROID_LOG_ERROR, kHostTag,
                                "fail to send a command. You are not allowed."),
              3);
    EXPECT_EQ(hostLines().size(), 3u);
}

TEST_F(AddressingTest, ClientNameWithBangRefusesEveryCommand) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("a!b_4");
    LogCapture::clear();

    EXPECT_EQ(client->sendCommand(("a!b_4!" + initCommand("oxa_wave_v2")).c_str()), 1);
    EXPECT_EQ(client->sendCommand("a!b_4"), 1);

    EXPECT_EQ(hostLines(),
              (std::vector<LogLine>(
                  2, hostLine(ANDROID_LOG_ERROR, "fail to send a command. You are not allowed."))));
    EXPECT_TRUE(module.calls().empty());
}

TEST_F(AddressingTest, EmptyCommandWithoutModuleFails) {
    ClientRef client = makeClient("abc_2");
    LogCapture::clear();

    EXPECT_EQ(client->sendCommand("abc_2!"), 1);
    EXPECT_TRUE(hostLines().empty());
}

TEST_F(AddressingTest, TextWithoutBangIsTheCommandWhenItIsTheName) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("abc_3");
    ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
    module.reset();
    module.setValue("sendCommand", 7);

    EXPECT_EQ(client->sendCommand("abc_3"), 7);
    EXPECT_EQ(client->sendCommand("activate"), 1);

    EXPECT_EQ(module.calls(), (std::vector<std::string>{"sendCommand:abc_3"}));
}

TEST_F(AddressingTest, NameThatIsACommandWordRunsThatCommand) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("start_client_9");
    ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
    module.reset();

    EXPECT_EQ(client->sendCommand("start_client_9"), 0);

    EXPECT_EQ(module.calls(),
              (std::vector<std::string>{"getJackClientInterface", "setUp:1:start_client_9"}));
}

// ---- Several threads --------------------------------------------------------------

class ConcurrentCommandTest : public ClientTest {};

TEST_F(ConcurrentCommandTest, RacingInitClientLoadsTheModuleOnce) {
    WaveModule module("oxa_wave_v2");
    module.setValue("delayUs", 2000);
    ClientRef client = makeClient("race_1");

    std::atomic<int> failures{0};
    runTogether(4, kDeadlockTimeout, "racing init_client commands", [&](int) {
        if (load(client, "oxa_wave_v2") != 0) ++failures;
    });

    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(module.liveObjects(), 1);
    EXPECT_EQ(LogCapture::count(ANDROID_LOG_DEBUG, kHostTag, "success to load your wave module"),
              1);
    EXPECT_EQ(LogCapture::count(ANDROID_LOG_INFO, kHostTag, "already init_client done\n"), 3);
}

TEST_F(ConcurrentCommandTest, CallsFromSeveralThreadsAtOnceAllReachTheModule) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("busy_2");
    ASSERT_NO_FATAL_FAILURE(loadAndStart(client, "oxa_wave_v2", module));
    module.setText("jackName", "busy");
    module.setValue("delayUs", 200);
    const int kRounds = 40;

    runTogether(4, kDeadlockTimeout, "calls from several threads", [&](int thread) {
        const unsigned char bytes[4] = {1, 2, 3, 4};
        size_t used = 0;
        for (int round = 0; round < kRounds; ++round) {
            switch ((thread + round) % 4) {
                case 0:
                    command(client, "hello");
                    break;
                case 1:
                    command(client, "activate");
                    break;
                case 2:
                    client->sendStream(bytes, 4, round);
                    break;
                default:
                    client->request("what", 0, 64, used);
                    break;
            }
            client->getJackClientName("q");
        }
    });

    // No lock of the host keeps them apart: the module sees every call, in
    // whatever overlap the threads made.
    EXPECT_EQ(module.calls().size(), 4u * kRounds * 2);
}

TEST_F(ConcurrentCommandTest, ListenerMayCommandTheClientFromInsideAnAnswer) {
    RecordingListener listener;
    ListenerScope scope(&listener);
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("echo_3");
    ASSERT_NO_FATAL_FAILURE(loadAndStart(client, "oxa_wave_v2", module));
    std::atomic<int> nestedResult{-1};
    listener.setOnNotify([&](const Notification& heard) {
        if (heard.text == "again") nestedResult = command(client, "activate");
    });

    runTogether(1, kDeadlockTimeout, "a command from inside an answer",
                [&](int) { EXPECT_EQ(command(client, "say:again"), 0); });

    EXPECT_EQ(nestedResult.load(), 0);
    EXPECT_EQ(module.calls(), (std::vector<std::string>{"sendCommand:say:again", "activate"}));
    EXPECT_EQ(module.overlaps(), 0);
}
