// A module written carelessly or with ill will: whatever it throws, however
// it answers, the client fails the call with its usual result, logs it, and
// the process goes on.
#include <dlfcn.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "ClientTest.h"
#include "ListenerScope.h"
#include "RecordingListener.h"

namespace {

const char kModule[] = "oxa_wave_hostile";
const char kName[] = "hostile_5";
const long kCapacity = 200000;

// The test's own handle on the hostile module: keeps it mapped and sets its
// switches.
class HostileModule {
public:
    HostileModule() : mHandle(dlopen(WaveModule::path(kModule).c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (mHandle == nullptr) throw std::runtime_error("cannot open the hostile module");
        mSet = reinterpret_cast<void (*)(const char*, const char*)>(
            dlsym(mHandle, "hostile_wave_set"));
        mRelease =
            reinterpret_cast<int (*)(int)>(dlsym(mHandle, "hostile_wave_release_late_answer"));
        for (const char* key : {"throw", "throwKind", "answer", "request", "block"}) set(key, "");
    }
    ~HostileModule() { dlclose(mHandle); }
    void set(const char* key, const std::string& value) { mSet(key, value.c_str()); }
    bool releaseLateAnswer() { return mRelease(10000) == 1; }

private:
    void* mHandle;
    void (*mSet)(const char*, const char*);
    int (*mRelease)(int);
};

// Public, so the rows of the tables below can drive it.
class HostileTest : public ClientTest {
public:
    using ClientTest::command;
    using ClientTest::format;
    using ClientTest::load;
    using ClientTest::makeClient;

    void SetUp() override {
        ClientTest::SetUp();
        client = makeClient(kName);
    }
    int loadIt() { return load(client, kModule); }
    int startIt() {
        if (loadIt() != 0) return -1;
        return command(client, "start_client");
    }
    static std::vector<std::string> hostErrors() {
        std::vector<std::string> errors;
        for (const LogLine& line : hostLines()) {
            if (line.priority == ANDROID_LOG_ERROR) errors.push_back(line.message);
        }
        return errors;
    }

    RecordingListener listener;
    ListenerScope listenerScope{&listener};
    HostileModule module;
    ClientRef client;
};

// ---- Throwing modules --------------------------------------------------------------

typedef std::function<int(HostileTest&)> Action;

struct ThrowCase {
    const char* thrower;  // the module call that throws
    const char* logged;   // the call as the client's line names it
    Action act;
    int result;  // what the action gives; a request gives 1 for no block
    std::vector<std::string> otherErrors;
};

int prepared(HostileTest& test, const char* text) {
    return test.startIt() != 0 ? -1 : test.command(test.client, text);
}

const ThrowCase kThrowCases[] = {
    {"oxa_create",
     "oxa_create",
     [](HostileTest& t) { return t.loadIt(); },
     1,
     {"fail to create your wave instance", "(in)OXAClient: fail to load user module"}},
    {"constructor",
     "oxa_create",
     [](HostileTest& t) { return t.loadIt(); },
     1,
     {"fail to create your wave instance", "(in)OXAClient: fail to load user module"}},
    {"init",
     "init",
     [](HostileTest& t) { return t.loadIt(); },
     1,
     {"fail to init your wave", "(in)OXAClient: fail to load user module"}},
    {"sendCommand",
     "sendCommand",
     [](HostileTest& t) { return t.loadIt() != 0 ? -1 : t.command(t.client, "x"); },
     1,
     {}},
    {"sendStream",
     "sendStream",
     [](HostileTest& t) { return t.loadIt() != 0 ? -1 : t.client->sendStream("ab", 2, 1); },
     1,
     {}},
    {"request",
     "request",
     [](HostileTest& t) {
         size_t used = 0;
         if (t.loadIt() != 0) return -1;
         return t.client->request("w", 0, kCapacity, used) == nullptr ? 1 : 0;
     },
     1,
     {}},
    {"setUp", "setUp", [](HostileTest& t) { return t.startIt(); }, 1, {"fail to setUp"}},
    {"activate",
     "your wave's activate()",
     [](HostileTest& t) { return prepared(t, "activate"); },
     1,
     {}},
    {"deactivate",
     "your wave's deactivate()",
     [](HostileTest& t) { return prepared(t, "deactivate"); },
     1,
     {}},
    {"transport", "transport", [](HostileTest& t) { return prepared(t, "enable_sync"); }, 1, {}},
    {"sendMidi", "sendMidi", [](HostileTest& t) { return prepared(t, "midi:90 40 7f"); }, 1, {}},
    {"setByPassEnabled",
     "setByPassEnabled",
     [](HostileTest& t) { return prepared(t, "setbypassenabledtrue"); },
     0,
     {}},
    {"tearDown",
     "tearDown",
     [](HostileTest& t) {
         // The command's tearDown() and the destructor's each log once.
         const int result = prepared(t, "tear_down");
         t.client.reset();
         return result;
     },
     0,
     {"tearDown of client hostile_5 threw: "}},
    {"getJackClientName",
     "getJackClientName",
     [](HostileTest& t) {
         if (t.startIt() != 0) return -1;
         return t.client->getJackClientName("n") == nullptr ? 1 : 0;
     },
     1,
     {}},
    {"oxa_destroy",
     "oxa_destroy",
     [](HostileTest& t) {
         if (t.loadIt() != 0) return -1;
         const std::string closed = t.format("WaveLib was closed this = %p", t.client.get());
         t.client.reset();
         // The library is closed all the same.
         return LogCapture::count(ANDROID_LOG_INFO, kHostTag, closed);
     },
     1,
     {}},
};

void PrintTo(const ThrowCase& row, std::ostream* os) {
    *os << row.thrower;
}

class ThrowingModule : public HostileTest,
                       public ::testing::WithParamInterface<std::tuple<ThrowCase, bool>> {};

TEST_P(ThrowingModule, FailsTheCallWithItsUsualResultAndOneLine) {
    const ThrowCase& row = std::get<0>(GetParam());
    const bool standard = std::get<1>(GetParam());
    module.set("throw", row.thrower);
    module.set("throwKind", standard ? "std" : "other");
    const std::string what = standard ? std::string("hostile ") + row.thrower
                                      : "an exception that is not a std::exception";

    EXPECT_EQ(row.act(*this), row.result);

    std::vector<std::string> expected{std::string(row.logged) + " of client " + kName +
                                      " threw: " + what};
    for (const std::string& other : row.otherErrors) {
        expected.push_back(other.back() == ' ' ? other + what : other);
    }
    std::vector<std::string> errors = hostErrors();
    std::sort(errors.begin(), errors.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(errors, expected);
}

std::string throwCaseName(const ::testing::TestParamInfo<std::tuple<ThrowCase, bool>>& info) {
    return std::string(std::get<0>(info.param).thrower) +
           (std::get<1>(info.param) ? "_std" : "_other");
}

INSTANTIATE_TEST_SUITE_P(EveryCall, ThrowingModule,
                         ::testing::Combine(::testing::ValuesIn(kThrowCases), ::testing::Bool()),
                         throwCaseName);

// ---- Answers from where a module should not answer ---------------------------------

struct MisbehaviourCase {
    const char* name;
    const char* key;  // a switch of the module, set to `value`
    const char* value;
    Action act;
    std::vector<std::string> texts;   // the text answers that reach the listener
    std::vector<std::string> errors;  // the client host's ERROR lines
    std::function<void(HostileTest&)> check;
};

int loadThen(HostileTest& t, const char* text) {
    return t.loadIt() != 0 ? -1 : t.command(t.client, text);
}

int loadAndDelete(HostileTest& t) {
    if (t.startIt() != 0) return -1;
    t.client.reset();
    return 0;
}

size_t sRequestUsed;
std::shared_ptr<android::OxaMemoryHeap> sRequestHeap;

int requestOnce(HostileTest& t) {
    sRequestUsed = 0;
    if (t.loadIt() != 0) return -1;
    sRequestHeap = t.client->request("w", 0, kCapacity, sRequestUsed);
    return sRequestHeap ? 0 : 1;
}

// Two clients, each with one of the modules that share their C++ symbol
// names, answer in turn: each must keep its own code and its own counter.
int clashingModules(HostileTest& t) {
    auto a = t.makeClient("clash_1");
    auto b = t.makeClient("clash_2");
    if (t.load(a, "oxa_wave_clash_a") != 0 || t.load(b, "oxa_wave_clash_b") != 0) return -1;
    return t.command(a, "voice") + t.command(b, "voice") + t.command(a, "voice");
}

void expectWholeBlockOf(char byte) {
    ASSERT_NE(sRequestHeap, nullptr);
    EXPECT_EQ(sRequestUsed, static_cast<size_t>(kCapacity));
    const char* bytes = static_cast<const char*>(sRequestHeap->getBase());
    EXPECT_EQ(std::string(bytes, sRequestUsed), std::string(sRequestUsed, byte));
    sRequestHeap.reset();
}

const MisbehaviourCase kMisbehaviours[] = {
    {"AnswerFromOxaDestroy",
     "answer",
     "oxa_destroy",
     loadAndDelete,
     {"from oxa_destroy"},
     {},
     nullptr},
    {"AnswerFromTearDownAtDeletion",
     "answer",
     "tearDown",
     loadAndDelete,
     {"from tearDown"},
     {},
     nullptr},
    {"AnswerFromTheObjectsDestructor",
     "answer",
     "destructor",
     loadAndDelete,
     {"from destructor"},
     {},
     nullptr},
    {"AnswerFromAThreadLocalDestructor",
     "",
     "",
     [](HostileTest& t) { return loadThen(t, "tls:bye"); },
     {"bye"},
     {},
     nullptr},
    {"AnswerAfterTheClientWasDeleted",
     "",
     "",
     [](HostileTest& t) {
         if (loadThen(t, "late") != 0) return -1;
         t.client.reset();
         return t.module.releaseLateAnswer() ? 0 : 1;
     },
     {},
     {"an answer through the response handle was dropped: the client it answered to is gone"},
     nullptr},
    {"EmptyAnswers",
     "",
     "",
     [](HostileTest& t) { return loadThen(t, "empty"); },
     {""},
     {"invalid parameters: please check the size is 0 or data is null"},
     nullptr},
    {"AnswerOf64MiB",
     "block",
     "64MiB",
     [](HostileTest& t) { return loadThen(t, "big"); },
     {},
     {},
     [](HostileTest& t) {
         const std::vector<DataNotification> data = t.listener.dataNotifications();
         ASSERT_EQ(data.size(), 1u);
         ASSERT_EQ(data[0].bytes.size(), 64u << 20);
         EXPECT_EQ(data[0].bytes[(64u << 20) - 1], 63);
     }},
    {"TextAnswerAcrossPages",
     "",
     "",
     [](HostileTest& t) { return loadThen(t, "long"); },
     {std::string(3 * 4096, 'p')},
     {},
     nullptr},
    {"RequestReportingMoreThanTheBlock",
     "request",
     "overreport",
     requestOnce,
     {},
     {"request of client hostile_5 reported 400000 bytes of a 200000-byte block; the block is "
      "given"},
     [](HostileTest&) { expectWholeBlockOf('r'); }},
    {"TwoModulesWithTheSameCxxSymbols",
     "",
     "",
     clashingModules,
     {"a 1", "b 1", "a 2"},
     {},
     nullptr},
    {"RequestWritingNothing",
     "request",
     "nothing",
     requestOnce,
     {},
     {},
     [](HostileTest&) { expectWholeBlockOf('\0'); }},
};

void PrintTo(const MisbehaviourCase& row, std::ostream* os) {
    *os << row.name;
}

class MisbehavingModule : public HostileTest,
                          public ::testing::WithParamInterface<MisbehaviourCase> {};

TEST_P(MisbehavingModule, HasASoundOutcome) {
    const MisbehaviourCase& row = GetParam();
    if (*row.key != '\0') module.set(row.key, row.value);

    ASSERT_EQ(row.act(*this), 0);

    std::vector<std::string> texts;
    for (const Notification& n : listener.notifications()) texts.push_back(n.text);
    EXPECT_EQ(texts, row.texts);
    EXPECT_EQ(hostErrors(), row.errors);
    if (row.check) row.check(*this);
}

INSTANTIATE_TEST_SUITE_P(Cases, MisbehavingModule, ::testing::ValuesIn(kMisbehaviours),
                         [](const ::testing::TestParamInfo<MisbehaviourCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
