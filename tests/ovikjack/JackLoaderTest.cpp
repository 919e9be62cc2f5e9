// The JACK loader stand-in (libovikjack.so) against Debian's real JACK
// client library, a library that is not JACK, and paths that do not exist.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "JackServer.h"
#include "ovikjack.h"

namespace {

const char* const kJackFunctions[] = {
    "jack_client_open",          "jack_client_close",    "jack_activate",
    "jack_deactivate",           "jack_port_register",   "jack_port_get_buffer",
    "jack_set_process_callback", "jack_get_sample_rate", "jack_get_buffer_size",
};

// Each test starts and ends with nothing loaded.
class JackLoader : public ::testing::Test {
protected:
    void SetUp() override {
        // Keeps libjack mapped when the loader closes it: libjack allocates
        // in its constructors and never frees that when it is closed, so
        // each load would show as a leak of code outside this project. Kept
        // mapped, the constructors run once and what they allocate stays
        // reachable. The loader's own open and close are unchanged.
        static void* pinned = dlopen(OVIK_JACK_LIBRARY, RTLD_NOW | RTLD_NODELETE);
        ASSERT_NE(nullptr, pinned);
        unload_jack_lib_symbols();
    }
    void TearDown() override { unload_jack_lib_symbols(); }

    static bool anyFunctionResolved() {
        for (const char* name : kJackFunctions) {
            if (ovikjack_symbol(name) != nullptr) return true;
        }
        return false;
    }

    static bool isLoaded(const char* path) {
        void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
        if (handle == nullptr) return false;
        dlclose(handle);
        return true;
    }
};

TEST_F(JackLoader, LoadsDebiansJackLibraryAndResolvesEveryFunction) {
    ASSERT_NE(0, load_jack_lib_symbols(OVIK_JACK_LIBRARY));
    void* jack = dlopen(OVIK_JACK_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(nullptr, jack);
    for (const char* name : kJackFunctions) {
        void* resolved = ovikjack_symbol(name);
        EXPECT_NE(nullptr, resolved) << name;
        EXPECT_EQ(dlsym(jack, name), resolved) << name;
    }
    dlclose(jack);
}

TEST_F(JackLoader, AnswersNullForNamesItDoesNotResolve) {
    ASSERT_NE(0, load_jack_lib_symbols(OVIK_JACK_LIBRARY));
    EXPECT_EQ(nullptr, ovikjack_symbol("jack_port_name"));
    EXPECT_EQ(nullptr, ovikjack_symbol(""));
    EXPECT_EQ(nullptr, ovikjack_symbol(nullptr));
}

TEST_F(JackLoader, ResolvesNothingBeforeALoad) {
    EXPECT_FALSE(anyFunctionResolved());
}

TEST_F(JackLoader, RefusesTheMathLibraryAndResolvesNothing) {
    EXPECT_EQ(0, load_jack_lib_symbols("libm.so.6"));
    EXPECT_FALSE(anyFunctionResolved());
}

TEST_F(JackLoader, RefusesALibraryWithOnlySomeJackFunctionsAndClosesIt) {
    EXPECT_EQ(0, load_jack_lib_symbols(OVIK_PARTIAL_JACK_LIBRARY));
    EXPECT_FALSE(anyFunctionResolved());
    EXPECT_FALSE(isLoaded(OVIK_PARTIAL_JACK_LIBRARY));
}

TEST_F(JackLoader, RefusesAMissingPathAndANullPath) {
    EXPECT_EQ(0, load_jack_lib_symbols("/nonexistent/libjack.so.0"));
    EXPECT_EQ(0, load_jack_lib_symbols(nullptr));
    EXPECT_FALSE(anyFunctionResolved());
}

TEST_F(JackLoader, UnloadsOnceAndThenHasNothingToUnload) {
    ASSERT_NE(0, load_jack_lib_symbols(OVIK_JACK_LIBRARY));
    EXPECT_EQ(1, unload_jack_lib_symbols());
    EXPECT_FALSE(anyFunctionResolved());
    EXPECT_EQ(0, unload_jack_lib_symbols());
}

TEST_F(JackLoader, LoadsAgainAfterAnUnload) {
    ASSERT_NE(0, load_jack_lib_symbols(OVIK_JACK_LIBRARY));
    ASSERT_EQ(1, unload_jack_lib_symbols());
    ASSERT_NE(0, load_jack_lib_symbols(OVIK_JACK_LIBRARY));
    EXPECT_NE(nullptr, ovikjack_symbol("jack_client_open"));
}

TEST_F(JackLoader, ReplacesTheFirstLoadWithASecondOne) {
    ASSERT_NE(0, load_jack_lib_symbols(OVIK_JACK_LIBRARY));
    ASSERT_NE(0, load_jack_lib_symbols(OVIK_JACK_LIBRARY));
    EXPECT_NE(nullptr, ovikjack_symbol("jack_client_open"));
    // One library open, not two: after one unload nothing is left.
    EXPECT_EQ(1, unload_jack_lib_symbols());
    EXPECT_EQ(0, unload_jack_lib_symbols());
}

TEST_F(JackLoader, LeavesNothingLoadedWhenASecondLoadFails) {
    ASSERT_NE(0, load_jack_lib_symbols(OVIK_JACK_LIBRARY));
    EXPECT_EQ(0, load_jack_lib_symbols(OVIK_PARTIAL_JACK_LIBRARY));
    EXPECT_FALSE(anyFunctionResolved());
    EXPECT_EQ(0, unload_jack_lib_symbols());
}

// ---- Against a running server ----------------------------------------------

// The JACK client API as the loader hands it out, without JACK's headers
// (the armhf build has only the library).
typedef void* (*ClientOpen)(const char* name, int options, int* status, ...);
typedef int (*ClientCall)(void* client);
typedef unsigned (*ClientQuery)(void* client);
const int kJackNoStartServer = 0x01;
const int kJackServerName = 0x04;

// Polls until the server accepts a client or the deadline passes.
void* openClient(ClientOpen open, const JackServer& server, std::chrono::seconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        void* client = open("ovik_loader_test", kJackNoStartServer | kJackServerName, &status,
                            server.name().c_str());
        if (client != nullptr) return client;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return nullptr;
}

TEST_F(JackLoader, OpensAClientOfARealDummyServerThroughTheResolvedFunctions) {
    const std::string name = "ovik-jackloader-" + std::to_string(getpid());
    // Clients find the server by this name; no other test process uses it.
    setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    if (OVIK_JACKD[0] == '\0') {
        GTEST_SKIP() << "no jackd that serves this architecture was found at configure time";
    }
    JackServer server(OVIK_JACKD, name);
    if (!server.start()) GTEST_SKIP() << "jackd cannot be started (\"" OVIK_JACKD "\")";
    ASSERT_NE(0, load_jack_lib_symbols(OVIK_JACK_LIBRARY));
    ClientOpen open = reinterpret_cast<ClientOpen>(ovikjack_symbol("jack_client_open"));
    ASSERT_NE(nullptr, open);

    void* client = openClient(open, server, std::chrono::seconds(10));
    if (client == nullptr) {
        const std::string reason = server.isRunning() ? "it does not accept clients" : "it exited";
        server.stop(std::chrono::milliseconds(5000));
        GTEST_SKIP() << "jackd started but " << reason << ":\n" << server.logTail();
    }
    auto sampleRate = reinterpret_cast<ClientQuery>(ovikjack_symbol("jack_get_sample_rate"));
    auto bufferSize = reinterpret_cast<ClientQuery>(ovikjack_symbol("jack_get_buffer_size"));
    auto activate = reinterpret_cast<ClientCall>(ovikjack_symbol("jack_activate"));
    auto deactivate = reinterpret_cast<ClientCall>(ovikjack_symbol("jack_deactivate"));
    auto close = reinterpret_cast<ClientCall>(ovikjack_symbol("jack_client_close"));
    // The dummy driver's defaults.
    EXPECT_EQ(48000u, sampleRate(client));
    EXPECT_EQ(1024u, bufferSize(client));
    EXPECT_EQ(0, activate(client));
    EXPECT_EQ(0, deactivate(client));
    EXPECT_EQ(0, close(client));
    server.stop(std::chrono::milliseconds(5000));
    EXPECT_FALSE(server.isRunning());
}

}  // namespace
