// Loading a module into a client: the object id taken from the client name,
// every path of "init_client:" with its exact log lines, what a failed load
// leaves behind, the process-wide response handle during loading, and what
// the client's destructor does to the module.
#include <dlfcn.h>

#include <chrono>

#include "ClientTest.h"
#include "ListenerScope.h"
#include "OXAClientUser.h"
#include "RecordingListener.h"
#include "WaveModule.h"

using android::OXAClient;
using android::OXAClientUser;

namespace {

const auto kWait = std::chrono::seconds(10);
// Stands for the host's "this = %p mUserObject = %p" line in a table.
const char kObjectLine[] = "this = (object)";

// The loader's error text for a library that cannot be opened.
std::string dlopenError(const std::string& path) {
    dlerror();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) {
        dlclose(handle);
        return "";
    }
    return dlerror();
}

LogLine hostInfo(const std::string& message) {
    return LogLine{ANDROID_LOG_INFO, kHostTag, message};
}

LogLine hostError(const std::string& message) {
    return LogLine{ANDROID_LOG_ERROR, kHostTag, message};
}

LogLine hostDebug(const std::string& message) {
    return LogLine{ANDROID_LOG_DEBUG, kHostTag, message};
}

}  // namespace

// ---- Object id and name ----------------------------------------------------

struct ObjectIdCase {
    const char* name;
    int32_t objectId;
};

void PrintTo(const ObjectIdCase& row, std::ostream* os) {
    *os << row.name;
}

class ObjectIdTest : public ClientTest, public ::testing::WithParamInterface<ObjectIdCase> {};

TEST_P(ObjectIdTest, AnswersCarryTheIdReadAfterTheLastUnderscore) {
    RecordingListener listener;
    ListenerScope scope(&listener);
    ClientRef client = makeClient(GetParam().name);
    ASSERT_NE(client, nullptr);

    client->responseToService(3, "ping");

    ASSERT_EQ(listener.notifications().size(), 1u);
    EXPECT_EQ(listener.notifications()[0].ext2, GetParam().objectId);
}

INSTANTIATE_TEST_SUITE_P(ClientNames, ObjectIdTest,
                         ::testing::Values(ObjectIdCase{"demo_17", 17}, ObjectIdCase{"a_b_c_5", 5},
                                           ObjectIdCase{"demo_", 0}, ObjectIdCase{"demo_12ab", 12},
                                           ObjectIdCase{"demo_-3", -3},
                                           ObjectIdCase{"demo_ 42", 42},
                                           ObjectIdCase{"demo_+8", 8}));

class ClientNameTest : public ClientTest {};

TEST_F(ClientNameTest, NameWithoutUnderscoreIsRefusedAndTheClientDestroyed) {
    EXPECT_EQ(OXAClient::createInstance("demo", "binder", 1000), nullptr);

    // The refused client goes at once, with the lines of a client that never
    // loaded.
    const std::vector<LogLine> lines = hostLines();
    ASSERT_EQ(lines.size(), 4u) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[0], hostError("invalid client name"));
    EXPECT_EQ(lines[1].message.rfind("(in)OXAClient destructor is called this=", 0), 0u);
    EXPECT_EQ(lines[2],
              hostInfo("(in)OXAClient teardown is NOT called. Because your client is null"));
    EXPECT_EQ(lines[3].message.rfind("OXAClient unload user object this = ", 0), 0u);
}

// ---- Successful loads --------------------------------------------------------

class LoadTest : public ClientTest {
protected:
    // The host's lines of a load of `library` that succeeds at the first
    // path, with the module's API level and the versions it reports.
    std::vector<LogLine> successfulLoadLines(const ClientRef& client, const std::string& library,
                                             const WaveModule& module, int apiLevel,
                                             const std::string& versions) {
        const std::string object = constructedObject(module);
        void* handle = WaveModule::loadedHandle(library);
        return {hostDebug(initCommand(library)),
                hostInfo("loadUserObject (ins) "),
                hostInfo("try to dlopen " + WaveModule::path(library)),
                hostInfo(format("(in)T4 is trying... N%d", apiLevel)),
                hostInfo(format("this = %p mUserObject = %s", client.get(), object.c_str())),
                hostInfo("(in)wave info : " + versions),
                hostInfo(format("WaveLib was opened this = %p mLibHandle=%p mUserObject = %s",
                                client.get(), handle, object.c_str())),
                hostDebug("success to load your wave module")};
    }

    // The address the module recorded for the object it constructed last.
    static std::string constructedObject(const WaveModule& module) {
        std::string object = "(none)";
        for (const std::string& call : module.calls()) {
            if (call.compare(0, 10, "construct:") == 0) object = call.substr(10);
        }
        return object;
    }
};

TEST_F(LoadTest, VersionTwoModuleLoadsWithTheseLinesInOrder) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("load_1");

    EXPECT_EQ(load(client, "oxa_wave_v2"), 0);

    // The module defines none of the optional version functions. It is linked
    // against the library, so dlsym on its handle finds the library's own
    // oxa_user_get_*_version_number (1, 1, 4) among its dependencies; only
    // oxa_get_ndk_version is really missing and gives its default 1.
    EXPECT_EQ(hostLines(), successfulLoadLines(client, "oxa_wave_v2", module, 4, "1 1 1 4"));
    EXPECT_EQ(module.calls(), (std::vector<std::string>{"construct:" + constructedObject(module),
                                                        "init", "getJackClientInterface"}));
}

TEST_F(LoadTest, ModuleWithoutVersionFunctionsLendsTheLibrarysOwnThroughItsHandle) {
    WaveModule module("oxa_wave_v2");
    void* handle = WaveModule::loadedHandle("oxa_wave_v2");
    ASSERT_NE(handle, nullptr);

    // What the loader finds where it looks for the module's versions.
    EXPECT_EQ(dlsym(handle, "oxa_get_ndk_version"), nullptr);
    EXPECT_EQ(dlsym(handle, "oxa_user_get_major_version_number"),
              reinterpret_cast<void*>(&android::oxa_user_get_major_version_number));
    EXPECT_EQ(dlsym(handle, "oxa_user_get_patch_version_number"),
              reinterpret_cast<void*>(&android::oxa_user_get_patch_version_number));
}

// A module library that loads, the API level it reports and the version
// numbers the wave info line gives for it.
struct LoadedModuleCase {
    const char* library;
    int apiLevel;
    const char* versions;
};

class LoadedModuleTest : public LoadTest, public ::testing::WithParamInterface<LoadedModuleCase> {};

std::string loadedModuleLabel(const ::testing::TestParamInfo<LoadedModuleCase>& param) {
    return param.param.library;
}

TEST_P(LoadedModuleTest, ModuleLoadsWithTheseLinesInOrder) {
    const std::string library = GetParam().library;
    WaveModule module(library);
    ClientRef client = makeClient("level_4");

    EXPECT_EQ(load(client, library), 0);

    EXPECT_EQ(hostLines(), successfulLoadLines(client, library, module, GetParam().apiLevel,
                                               GetParam().versions));
    // Opened by its file name with global visibility: its exports are in the
    // process-wide lookup. That lookup keeps the library loaded for good, so
    // it is made on a module no other test unloads.
    if (library == "oxa_wave_api_0") {
        EXPECT_EQ(dlsym(RTLD_DEFAULT, "oxa_create"),
                  dlsym(WaveModule::loadedHandle(library), "oxa_create"));
    }
}

INSTANTIATE_TEST_SUITE_P(LevelsBelowFive, LoadedModuleTest,
                         ::testing::Values(LoadedModuleCase{"oxa_wave_v2", 4, "1 1 1 4"},
                                           LoadedModuleCase{"oxa_wave_api_0", 0, "1 1 1 4"},
                                           LoadedModuleCase{"oxa_wave_api_minus_1", -1, "1 1 1 4"}),
                         loadedModuleLabel);

// A version-1 object, and a module that defines its own version functions,
// which the wave info line records.
INSTANTIATE_TEST_SUITE_P(Versions, LoadedModuleTest,
                         ::testing::Values(LoadedModuleCase{"oxa_wave_v1", 4, "1 1 1 4"},
                                           LoadedModuleCase{"oxa_wave_versions", 4, "21 7 8 9"}),
                         loadedModuleLabel);

TEST_F(LoadTest, LibraryFoundOnlyUnderTheFallbackNameLoads) {
    WaveModule module("wave_fallback");
    ClientRef client = makeClient("fallback_6");
    const std::string missing = WaveModule::directory() + "/libmissing.so";
    const std::string command = "init_client:fallback:libmissing.so:" + WaveModule::directory();

    EXPECT_EQ(this->command(client, command), 0);

    const std::string object = constructedObject(module);
    EXPECT_EQ(hostLines(),
              (std::vector<LogLine>{
                  hostDebug(command), hostInfo("loadUserObject (ins) "),
                  hostInfo("try to dlopen " + missing),
                  hostError("dlopen failed : " + dlopenError(missing)),
                  hostInfo("try to dlopen " + WaveModule::path("wave_fallback")),
                  hostInfo("(in)T4 is trying... N4"),
                  hostInfo(format("this = %p mUserObject = %s", client.get(), object.c_str())),
                  hostInfo("(in)wave info : 1 1 1 4"),
                  hostInfo(format("WaveLib was opened this = %p mLibHandle=%p mUserObject = %s",
                                  client.get(), WaveModule::loadedHandle("wave_fallback"),
                                  object.c_str())),
                  hostDebug("success to load your wave module")}));
    // Opened by its fallback name with local visibility: the process-wide
    // lookup finds another module's oxa_create, or none.
    EXPECT_NE(dlsym(RTLD_DEFAULT, "oxa_create"),
              dlsym(WaveModule::loadedHandle("wave_fallback"), "oxa_create"));
}

TEST_F(LoadTest, SecondLoadOfALoadedClientOpensNothing) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("again_7");
    ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
    LogCapture::clear();
    const size_t before = module.calls().size();

    EXPECT_EQ(client->loadUserObject("pkg", "liboxa_wave_v1.so", WaveModule::directory()), 0);

    EXPECT_EQ(hostLines(),
              (std::vector<LogLine>{
                  hostInfo("loadUserObject (ins) "),
                  hostInfo(format("WaveLib was already loaded this = %p mLibHandle = %p, "
                                  "mUserObject = %s",
                                  client.get(), WaveModule::loadedHandle("oxa_wave_v2"),
                                  constructedObject(module).c_str()))}));
    EXPECT_TRUE(module.callsAfter(before).empty());
    EXPECT_FALSE(WaveModule::isLoaded("oxa_wave_v1"));
}

// ---- Failed loads --------------------------------------------------------------

struct FailedLoadCase {
    const char* library;
    // The host's lines between "try to dlopen" and the interpreter's error.
    std::vector<LogLine> failureLines;
    // The module's own lines, in order.
    std::vector<std::string> moduleLines;
};

void PrintTo(const FailedLoadCase& row, std::ostream* os) {
    *os << row.library;
}

class FailedLoadTest : public LoadTest, public ::testing::WithParamInterface<FailedLoadCase> {};

TEST_P(FailedLoadTest, FailureIsLoggedAndClosesTheLibrary) {
    const std::string library = GetParam().library;
    ClientRef client = makeClient("broken_8");
    ASSERT_FALSE(WaveModule::isLoaded(library));

    EXPECT_EQ(load(client, library), 1);

    // The module logged the address of its object, which the host logs too.
    std::vector<std::string> moduleLines = waveMessages();
    std::string object;
    for (std::string& line : moduleLines) {
        if (line.compare(0, 10, "construct:") != 0) continue;
        object = line.substr(10);
        line = "construct";
    }
    std::vector<LogLine> expected{hostDebug(initCommand(library)),
                                  hostInfo("loadUserObject (ins) "),
                                  hostInfo("try to dlopen " + WaveModule::path(library))};
    for (LogLine line : GetParam().failureLines) {
        if (line.message == kObjectLine) {
            line.message = format("this = %p mUserObject = %s", client.get(), object.c_str());
        }
        expected.push_back(line);
    }
    expected.push_back(hostError("(in)OXAClient: fail to load user module"));
    EXPECT_EQ(hostLines(), expected);
    EXPECT_EQ(moduleLines, GetParam().moduleLines);
    EXPECT_FALSE(WaveModule::isLoaded(library));
}

TEST_P(FailedLoadTest, SameClientLoadsAGoodModuleAfterwards) {
    ClientRef client = makeClient("retry_9");
    ASSERT_EQ(load(client, GetParam().library), 1);
    WaveModule module("oxa_wave_v2");

    EXPECT_EQ(load(client, "oxa_wave_v2"), 0);
    EXPECT_EQ(module.liveObjects(), 1);
    EXPECT_EQ(command(client, "api_level"), 4);
}

INSTANTIATE_TEST_SUITE_P(
    LoadPaths, FailedLoadTest,
    ::testing::Values(
        FailedLoadCase{"oxa_wave_no_api_level",
                       {hostError("fail to load a symbol. Please check your wave compile options. "
                                  "Some functions were missed.\n")},
                       {"library loaded", "library unloaded"}},
        FailedLoadCase{"oxa_wave_api_5",
                       {hostInfo("(in)T4 is trying... N5"),
                        hostError("error: OXA NDK api level is NOT allowed with framework API "
                                  "level(4)")},
                       {"library loaded", "library unloaded"}},
        FailedLoadCase{
            "oxa_wave_no_create",
            {hostInfo("(in)T4 is trying... N4"), hostError("fail to load creator symbol\n")},
            {"library loaded", "library unloaded"}},
        FailedLoadCase{
            "oxa_wave_create_null",
            {hostInfo("(in)T4 is trying... N4"), hostError("fail to create your wave instance")},
            {"library loaded", "oxa_create:null", "library unloaded"}},
        // init() fails: the object is destroyed through oxa_destroy before the
        // library closes.
        FailedLoadCase{
            "oxa_wave_init_fails",
            {hostInfo("(in)T4 is trying... N4"), hostInfo(kObjectLine),
             hostError("fail to init your wave")},
            {"library loaded", "construct", "init", "oxa_destroy", "destruct", "library unloaded"}},
        // Without oxa_destroy the object is left alone, but the library closes.
        FailedLoadCase{"oxa_wave_init_fails_no_destroy",
                       {hostInfo("(in)T4 is trying... N4"), hostInfo(kObjectLine),
                        hostError("fail to init your wave")},
                       {"library loaded", "construct", "init", "library unloaded"}}),
    [](const ::testing::TestParamInfo<FailedLoadCase>& param) {
        return std::string(param.param.library);
    });

// ---- The response handle during loading -----------------------------------------

class LoadingHandleTest : public LoadTest {};

TEST_F(LoadingHandleTest, ModuleAnsweringFromItsConstructorIsHeard) {
    RecordingListener listener;
    ListenerScope scope(&listener);
    WaveModule module("oxa_wave_v2");
    module.setText("ctorAnswer", "hello from the constructor");
    module.setText("initAnswer", "hello from init");
    ClientRef client = makeClient("early_21");

    ASSERT_EQ(load(client, "oxa_wave_v2"), 0);

    const std::vector<Notification> heard = listener.notifications();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].text, "hello from the constructor");
    EXPECT_EQ(heard[0].ext1, 0);
    EXPECT_EQ(heard[0].ext2, 21);
    EXPECT_EQ(heard[1].text, "hello from init");
    EXPECT_EQ(heard[1].ext2, 21);
}

TEST_F(LoadingHandleTest, HandleAnswersToTheClientThatLoadedLast) {
    RecordingListener listener;
    ListenerScope scope(&listener);
    WaveModule module("oxa_wave_v2");
    ClientRef first = makeClient("first_1");
    ClientRef second = makeClient("second_2");
    ASSERT_EQ(load(first, "oxa_wave_v2"), 0);
    ASSERT_EQ(load(second, "oxa_wave_v2"), 0);

    // The module of the first client answers through the process-wide handle.
    ASSERT_EQ(command(first, "user:through the handle"), 0);
    ASSERT_EQ(command(first, "say:through the object"), 0);

    const std::vector<Notification> heard = listener.notifications();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].text, "through the handle");
    EXPECT_EQ(heard[0].ext2, 2);
    EXPECT_EQ(heard[1].text, "through the object");
    EXPECT_EQ(heard[1].ext2, 1);
}

TEST_F(LoadingHandleTest, DestroyedClientIsForgottenByTheHandle) {
    RecordingListener listener;
    ListenerScope scope(&listener);
    WaveModule module("oxa_wave_v2");
    ClientRef first = makeClient("first_1");
    ClientRef second = makeClient("second_2");
    ASSERT_EQ(load(first, "oxa_wave_v2"), 0);
    ASSERT_EQ(load(second, "oxa_wave_v2"), 0);
    ASSERT_EQ(command(first, "api_level"), 4);

    second.reset();

    EXPECT_EQ(command(first, "user:to nobody"), 0);
    EXPECT_TRUE(listener.notifications().empty());
    EXPECT_EQ(OXAClientUser::getInstance()->getTargetAPILevel(), 0);
    EXPECT_EQ(command(first, "api_level"), 0);
}

// ---- Destruction ---------------------------------------------------------------

class DestructionTest : public LoadTest {};

TEST_F(DestructionTest, ClientThatNeverLoadedLogsExactlyThreeLines) {
    ClientRef client = makeClient("idle_1");
    const OXAClient* address = client.get();
    LogCapture::clear();

    client.reset();

    EXPECT_EQ(hostLines(),
              (std::vector<LogLine>{
                  hostInfo(format("(in)OXAClient destructor is called this=%p", address)),
                  hostInfo("(in)OXAClient teardown is NOT called. Because your client is null"),
                  hostInfo(format("OXAClient unload user object this = %p mUserObject = (nil), "
                                  "mOXAClientUser = (nil) mLibHandle = (nil)\n",
                                  address))}));
}

TEST_F(DestructionTest, TornDownJackClientIsTornDownAgainThenDestroyedThenClosed) {
    ClientRef client = makeClient("order_2");
    ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
    ASSERT_EQ(command(client, "start_client"), 0);
    ASSERT_EQ(command(client, "tear_down"), 0);
    const OXAClient* address = client.get();
    void* handle = WaveModule::loadedHandle("oxa_wave_v2");
    std::string object;
    for (const std::string& line : waveMessages()) {
        if (line.compare(0, 10, "construct:") == 0) object = line.substr(10);
    }
    LogCapture::clear();

    client.reset();

    EXPECT_EQ(hostAndWaveLines(),
              (std::vector<LogLine>{
                  hostInfo(format("(in)OXAClient destructor is called this=%p", address)),
                  LogLine{ANDROID_LOG_DEBUG, kWaveTag, "tearDown"},
                  hostInfo(format("OXAClient unload user object this = %p mUserObject = %s, "
                                  "mOXAClientUser = %p mLibHandle = %p\n",
                                  address, object.c_str(), OXAClientUser::getInstance(), handle)),
                  LogLine{ANDROID_LOG_DEBUG, kWaveTag, "oxa_destroy"},
                  LogLine{ANDROID_LOG_DEBUG, kWaveTag, "destruct"},
                  LogLine{ANDROID_LOG_DEBUG, kWaveTag, "library unloaded"},
                  hostInfo(format("WaveLib was closed this = %p", address))}));
    EXPECT_FALSE(WaveModule::isLoaded("oxa_wave_v2"));
}

TEST_F(DestructionTest, ModuleWithoutDestroyStillHasItsLibraryClosed) {
    ClientRef client = makeClient("nodestroy_3");
    ASSERT_EQ(load(client, "oxa_wave_no_destroy"), 0);
    const OXAClient* address = client.get();
    LogCapture::clear();

    client.reset();

    EXPECT_EQ(waveMessages(), (std::vector<std::string>{"library unloaded"}));
    EXPECT_TRUE(LogCapture::contains(ANDROID_LOG_INFO, kHostTag,
                                     format("WaveLib was closed this = %p", address)));
    EXPECT_FALSE(WaveModule::isLoaded("oxa_wave_no_destroy"));
}

TEST_F(DestructionTest, LastOwnerOnAnotherThreadDestroysTheClient) {
    WaveModule module("oxa_wave_v2");
    ClientRef client = makeClient("elsewhere_4");
    ASSERT_EQ(load(client, "oxa_wave_v2"), 0);
    ASSERT_EQ(module.liveObjects(), 1);

    std::thread releaser([owned = std::move(client)]() mutable { owned.reset(); });
    releaser.join();

    EXPECT_EQ(module.liveObjects(), 0);
}
