// A small, well-behaved module with one flaw switched on at compile time,
// for the validator's tests: each library built from this file breaks one
// rule, and the validator must catch it with the check for that rule only.
//   FLAW_NO_CREATE            no oxa_create (exports; the host refuses it)
//   FLAW_EXTRA_EXPORT         exports a function of its own (exports)
//   FLAW_WEAK_REFERENCE       needs a weak symbol nothing provides (binding)
//   FLAW_API_LEVEL=n          declares API level n (api-level)
//   FLAW_VERSION_STRING       a version string unlike its numbers (versions)
//   FLAW_FALSE_V2             a version-1 object that claims 2 (magic)
//   FLAW_LEAKS_MEMORY         every object leaks 64 KiB (lifecycle)
//   FLAW_THROWS_ON_LONG_TEXT  commands over 1000 bytes throw (commands)
//   FLAW_OVERREPORTS          requests report a byte more than fits (streams)
//   FLAW_INVALID_UTF8         init() answers Latin-1 text (answers)
//   FLAW_ANSWERS_AFTER_DESTROY  a thread answers after destroy (answers)
//   FLAW_STRAY_THREAD         activate() starts a thread that never ends (threads)
//   FLAW_SLOW_TRANSPORT       transport() takes 1.2 s (time)
//   FLAW_CREATE_NOT_EXTERN_C  oxa_create without extern "C" (exports; refused)
//   FLAW_CRASHES_ON_OWN_COMMAND  its own command "meter read" reads through a
//                             null pointer (for oxa-host's crash report)
//   FLAW_THROWS_ON_OWN_COMMAND  its own command "gain loud" throws (commands,
//                             when the validator is given that command)
//   FLAW_THREAD_ON_OWN_COMMAND  its own command "meter on" starts a thread
//                             that never ends (threads, likewise)
//   FLAW_WAKES_AFTER_DESTROY  activate() starts an unnamed thread that wakes
//                             every 300 ms, in code closed after destroy (for
//                             oxa-host's report of its crash)
//   FLAW_LINKS_JACK           linked with -ljack, which is loaded and unloaded
//                             with it (lifecycle; CMakeLists.txt links it)
//   FLAW_CRASHES_AFTER_DEACTIVATE  deactivate() releases the meter that its
//                             own command "meter read" reads (commands)
//   FLAW_JOINS_ANSWERING_THREAD  deactivate() waits for its answering thread
//                             to end, also on that thread (concurrency)
//   FLAW_SHARED_HANDLE        activate() answers through the process-wide
//                             handle, which points at the last client loaded
//                             (instances)
// With FLAW_RT and "start_client jack" the module is a real JACK client, whose
// process callback does one thing a real-time thread must not (realtime):
//   FLAW_RT_ANSWERS           answers the host every 16th cycle
//   FLAW_RT_ALLOCATES         allocates and frees 64 bytes
//   FLAW_RT_LOCKS             takes a lock that a thread of its own holds
//   FLAW_RT_SLEEPS            sleeps 100 microseconds
//   FLAW_RT_ALLOCATES_INLINED allocates in a function inlined into the
//                             callback (built with -g: the report names it)
//   FLAW_RT_DC_OFFSET         has ports "in" and "out" and adds 0.25 to what
//                             it passes through, unless bypassed (audio)
//   FLAW_RT_IGNORES_BYPASS    has the same ports and halves its input, also
//                             when bypassed (audio)
// Written without the standard library's templates, so that nothing but the
// entry points is exported (the version script hides the rest).
#include <errno.h>
#include <pthread.h>
#include <semaphore.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <stdexcept>

#ifdef FLAW_RT
#include <dlfcn.h>
#include <jack/jack.h>
#endif

#include "IJackClientInterfaceV2.h"
#include "IOXAInterfaceV2.h"
#include "OXAClientUser.h"
#include "WaveExport.h"

#ifndef FLAW_API_LEVEL
#define FLAW_API_LEVEL 4
#endif

namespace {

[[maybe_unused]] void sleepMs(long milliseconds) {
    struct timespec pause = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}

// sem_wait() returns early with EINTR when a signal reaches the thread (the
// validator samples each new thread's frames once, with a signal).
[[maybe_unused]] void waitUntilPosted(sem_t* semaphore) {
    while (sem_wait(semaphore) != 0 && errno == EINTR) {
    }
}

#if defined(FLAW_STRAY_THREAD) || defined(FLAW_THREAD_ON_OWN_COMMAND)
// Waits in pause() for ever. The library is linked with -z nodelete: an
// emulator's own signals wake pause() now and then, and the loop must still
// be mapped when they do.
void* strayThread(void* started) {
    pthread_setname_np(pthread_self(), "flawed-stray");
    sem_post(static_cast<sem_t*>(started));
    for (;;) pause();
    return nullptr;
}
#endif

#ifdef FLAW_ANSWERS_AFTER_DESTROY
// The library is never unloaded (linked with -z nodelete), so this code
// stays mapped; once per process the thread answers after its client is gone:
// after the first object whose bypass was switched, which no create/destroy
// cycle does, so that the late answers meet no other client being destroyed.
bool sLateAnswersStarted = false;

void* lateAnswers(void*) {
    sleepMs(50);
    for (int i = 0; i < 5; ++i) {
        android::OXAClientUser::getInstance()->response("late answer");
        sleepMs(10);
    }
    return nullptr;
}
#endif

#ifdef FLAW_RT
// Held by a thread of the module's own from activation until a process cycle
// has come to take it while held, and a little longer, so that cycle waits
// for it however late the cycles start on a busy machine (a hold of fixed
// length could end before the first). Given up after 10 s without a cycle.
pthread_mutex_t sHeldLock = PTHREAD_MUTEX_INITIALIZER;
int sHeld = 0;
int sCycleCame = 0;

[[maybe_unused]] void* holdLock(void*) {
    pthread_mutex_lock(&sHeldLock);
    __atomic_store_n(&sCycleCame, 0, __ATOMIC_SEQ_CST);
    __atomic_store_n(&sHeld, 1, __ATOMIC_SEQ_CST);
    for (int waited = 0; waited < 10000 && !__atomic_load_n(&sCycleCame, __ATOMIC_SEQ_CST);
         ++waited) {
        sleepMs(1);
    }
    sleepMs(100);
    __atomic_store_n(&sHeld, 0, __ATOMIC_SEQ_CST);
    pthread_mutex_unlock(&sHeldLock);
    return nullptr;
}

#ifdef FLAW_RT_ALLOCATES_INLINED
inline void fillScratch() __attribute__((always_inline));
#endif

// The ports of a module that processes audio, and its bypass switch.
struct FlawedPorts {
    jack_port_t* in = nullptr;
    jack_port_t* out = nullptr;
    decltype(&jack_port_get_buffer) buffer = nullptr;
    bool bypassed = false;
};

[[maybe_unused]] void processAudio(FlawedPorts* ports, jack_nframes_t frames) {
    if (ports->out == nullptr) return;
    const float* in = static_cast<const float*>(ports->buffer(ports->in, frames));
    float* out = static_cast<float*>(ports->buffer(ports->out, frames));
    const bool bypassed = __atomic_load_n(&ports->bypassed, __ATOMIC_RELAXED);
#ifdef FLAW_RT_IGNORES_BYPASS
    (void)bypassed;
    for (jack_nframes_t i = 0; i < frames; ++i) out[i] = 0.5f * in[i];
#else
    for (jack_nframes_t i = 0; i < frames; ++i) out[i] = bypassed ? in[i] : in[i] + 0.25f;
#endif
}

int flawedProcess(jack_nframes_t frames, void* ports) {
#if defined(FLAW_RT_DC_OFFSET) || defined(FLAW_RT_IGNORES_BYPASS)
    processAudio(static_cast<FlawedPorts*>(ports), frames);
#else
    (void)frames;
    (void)ports;
#endif
#ifdef FLAW_RT_ANSWERS
    static unsigned cycles = 0;
    if (cycles++ % 16 == 0) android::OXAClientUser::getInstance()->response("cycle");
#endif
#ifdef FLAW_RT_ALLOCATES
    void* block = malloc(64);
    __asm__ __volatile__("" : : "r"(block) : "memory");
    free(block);
#endif
#ifdef FLAW_RT_LOCKS
    if (__atomic_load_n(&sHeld, __ATOMIC_SEQ_CST))
        __atomic_store_n(&sCycleCame, 1, __ATOMIC_SEQ_CST);
    pthread_mutex_lock(&sHeldLock);
    pthread_mutex_unlock(&sHeldLock);
#endif
#ifdef FLAW_RT_SLEEPS
    usleep(100);
#endif
#ifdef FLAW_RT_ALLOCATES_INLINED
    fillScratch();
#endif
    return 0;
}

// A JACK client through libjack opened at run time, as the example module
// does: open with "start_client jack", activate, deactivate, close.
class FlawedJackClient {
public:
    ~FlawedJackClient() { close(); }

    void open() {
        if (mClient != nullptr) return;
        mLibrary = dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (mLibrary == nullptr) return;
        auto clientOpen =
            reinterpret_cast<decltype(&jack_client_open)>(dlsym(mLibrary, "jack_client_open"));
        auto setProcess = reinterpret_cast<decltype(&jack_set_process_callback)>(
            dlsym(mLibrary, "jack_set_process_callback"));
        if (clientOpen == nullptr || setProcess == nullptr) return;
        jack_status_t status = static_cast<jack_status_t>(0);
        mClient = clientOpen("flawed_wave", JackNoStartServer, &status);
        if (mClient == nullptr) return;
#if defined(FLAW_RT_DC_OFFSET) || defined(FLAW_RT_IGNORES_BYPASS)
        registerPorts();
#endif
        setProcess(mClient, flawedProcess, &mPorts);
    }
    void setBypassed(bool bypassed) {
        __atomic_store_n(&mPorts.bypassed, bypassed, __ATOMIC_RELAXED);
    }
    void activate() {
        if (mClient == nullptr) return;
#ifdef FLAW_RT_LOCKS
        mHolding = pthread_create(&mHolder, nullptr, holdLock, nullptr) == 0;
#endif
        call<decltype(&jack_activate)>("jack_activate");
    }
    void deactivate() {
        if (mClient == nullptr) return;
        call<decltype(&jack_deactivate)>("jack_deactivate");
        if (mHolding) pthread_join(mHolder, nullptr);
        mHolding = false;
    }
    void close() {
        if (mClient == nullptr) return;
        deactivate();
        call<decltype(&jack_client_close)>("jack_client_close");
        mClient = nullptr;
    }

private:
    void registerPorts() {
        auto portRegister =
            reinterpret_cast<decltype(&jack_port_register)>(dlsym(mLibrary, "jack_port_register"));
        mPorts.buffer = reinterpret_cast<decltype(&jack_port_get_buffer)>(
            dlsym(mLibrary, "jack_port_get_buffer"));
        if (portRegister == nullptr || mPorts.buffer == nullptr) return;
        mPorts.in = portRegister(mClient, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        mPorts.out = portRegister(mClient, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    }

    template <typename Function>
    void call(const char* name) {
        auto function = reinterpret_cast<Function>(dlsym(mLibrary, name));
        if (function != nullptr) function(mClient);
    }

    void* mLibrary = nullptr;
    jack_client_t* mClient = nullptr;
    pthread_t mHolder;
    bool mHolding = false;
    FlawedPorts mPorts;
};
#endif

[[maybe_unused]] bool startDetached(void* (*body)(void*), void* argument) {
    pthread_t thread;
    if (pthread_create(&thread, nullptr, body, argument) != 0) return false;
    pthread_detach(thread);
    return true;
}

[[maybe_unused]] void startStrayThread() {
#if defined(FLAW_STRAY_THREAD) || defined(FLAW_THREAD_ON_OWN_COMMAND)
    sem_t started;
    sem_init(&started, 0, 0);
    if (startDetached(strayThread, &started)) waitUntilPosted(&started);
    sem_destroy(&started);
#endif
}

#ifdef FLAW_WAKES_AFTER_DESTROY
// Never named, never stopped: once the host closes the library, its next
// wake-up returns into unmapped code.
void* wakesEvery300Ms(void*) {
    for (;;) sleepMs(300);
    return nullptr;
}
#endif

#ifdef FLAW_CRASHES_ON_OWN_COMMAND
struct Meter {
    int level;
};
Meter* volatile sMeter = nullptr;

// Never inlined, so that the crash report names it.
// Left unchecked by the undefined-behaviour sanitizer, which would end the
// process before the crash this module exists to show.
__attribute__((noinline, no_sanitize("undefined"))) int readMeter() {
    return sMeter->level;
}
#endif

#ifdef FLAW_CRASHES_AFTER_DEACTIVATE
// Each object's meter, made with the object and remade by activate();
// deactivate() releases it and forgets that "meter read" still reads it.
struct Meter {
    int level;
};

__attribute__((noinline, no_sanitize("undefined"))) int readMeter(const Meter* meter) {
    return meter->level;
}
#endif

#ifdef FLAW_JOINS_ANSWERING_THREAD
// A thread that answers every 20 ms until it is told to stop, and says
// that it stopped with a semaphore that deactivate() waits for before it
// joins: on the answering thread itself (a command sent from inside its
// answer) that wait never ends.
class AnsweringThread {
public:
    explicit AnsweringThread(android::IOXAInterface& wave) : mWave(wave) {}
    ~AnsweringThread() { stop(); }

    // Atomic, as the two calls may come on different threads; waiting for
    // its own thread is this module's only flaw. Running is set before the
    // thread starts: its first answer may already command "deactivate".
    void start() {
        if (running()) return;
        __atomic_store_n(&mStopping, false, __ATOMIC_SEQ_CST);
        sem_init(&mStopped, 0, 0);
        __atomic_store_n(&mRunning, true, __ATOMIC_SEQ_CST);
        if (pthread_create(&mThread, nullptr, run, this) != 0) {
            __atomic_store_n(&mRunning, false, __ATOMIC_SEQ_CST);
        }
    }
    void stop() {
        if (!running()) return;
        __atomic_store_n(&mStopping, true, __ATOMIC_SEQ_CST);
        waitUntilPosted(&mStopped);
        pthread_join(mThread, nullptr);
        sem_destroy(&mStopped);
        __atomic_store_n(&mRunning, false, __ATOMIC_SEQ_CST);
    }

private:
    bool running() const { return __atomic_load_n(&mRunning, __ATOMIC_SEQ_CST); }

    static void* run(void* self) {
        AnsweringThread* thread = static_cast<AnsweringThread*>(self);
        while (!__atomic_load_n(&thread->mStopping, __ATOMIC_SEQ_CST)) {
            thread->mWave.response("tick", 2);
            sleepMs(20);
        }
        sem_post(&thread->mStopped);
        return nullptr;
    }

    android::IOXAInterface& mWave;
    pthread_t mThread;
    sem_t mStopped;
    bool mStopping = false;
    bool mRunning = false;
};
#endif

class FlawedJack : public android::IJackClientInterfaceV2 {
public:
    explicit FlawedJack(android::IOXAInterface& wave)
#ifdef FLAW_JOINS_ANSWERING_THREAD
        : mAnswering(wave)
#endif
    {
        (void)wave;
    }

    int setUp(int argc, char** argv) override {
#ifdef FLAW_RT
        for (int i = 1; i < argc; ++i) {
            if (strcmp(argv[i], "jack") == 0) mJackClient.open();
        }
#else
        (void)argc;
        (void)argv;
#endif
        return 0;
    }
    int tearDown() override {
#ifdef FLAW_RT
        mJackClient.close();
#endif
#ifdef FLAW_JOINS_ANSWERING_THREAD
        mAnswering.stop();
#endif
        return 0;
    }
    int activate() override {
#ifdef FLAW_RT
        mJackClient.activate();
#endif
#ifdef FLAW_CRASHES_AFTER_DEACTIVATE
        if (mMeter == nullptr) mMeter = static_cast<Meter*>(calloc(1, sizeof(Meter)));
#endif
#ifdef FLAW_JOINS_ANSWERING_THREAD
        mAnswering.start();
#endif
#ifdef FLAW_SHARED_HANDLE
        android::OXAClientUser::getInstance()->response("activated");
#endif
#ifdef FLAW_STRAY_THREAD
        startStrayThread();
#endif
#ifdef FLAW_WAKES_AFTER_DESTROY
        startDetached(wakesEvery300Ms, nullptr);
#endif
        return 0;
    }
    int deactivate() override {
#ifdef FLAW_RT
        mJackClient.deactivate();
#endif
#ifdef FLAW_CRASHES_AFTER_DEACTIVATE
        free(mMeter);
        mMeter = nullptr;
#endif
#ifdef FLAW_JOINS_ANSWERING_THREAD
        mAnswering.stop();
#endif
        return 0;
    }
    int transport(android::TransportType) override {
#ifdef FLAW_SLOW_TRANSPORT
        sleepMs(1200);
#endif
        return 0;
    }
    int sendMidi(char*) override {
        return 0;
    }
    char* getJackClientName(const char*) override {
        return mName;
    }
    void setByPassEnabled(bool enabled) override {
        // Commands may come from two threads at once.
        __atomic_store_n(&mBypassSwitched, true, __ATOMIC_RELAXED);
#ifdef FLAW_RT
        mJackClient.setBypassed(enabled);
#else
        (void)enabled;
#endif
    }

    bool bypassSwitched() const {
        return __atomic_load_n(&mBypassSwitched, __ATOMIC_RELAXED);
    }

private:
    char mName[16] = "flawed_wave";
    bool mBypassSwitched = false;
#ifdef FLAW_RT
    FlawedJackClient mJackClient;
#endif
#ifdef FLAW_JOINS_ANSWERING_THREAD
    AnsweringThread mAnswering;
#endif
#ifdef FLAW_CRASHES_AFTER_DEACTIVATE
public:
    ~FlawedJack() {
        free(mMeter);
    }
    const Meter* meter() const {
        return mMeter;
    }

private:
    Meter* mMeter = static_cast<Meter*>(calloc(1, sizeof(Meter)));
#endif
};

#ifdef FLAW_FALSE_V2
typedef android::IOXAInterface WaveBase;
#else
typedef android::IOXAInterfaceV2 WaveBase;
#endif

class FlawedWave : public WaveBase {
public:
    FlawedWave() : mJack(*this) {
#ifdef FLAW_FALSE_V2
        mMagicNumber = 2;
#endif
#ifdef FLAW_LEAKS_MEMORY
        void* leaked = malloc(kLeakBytes);
        if (leaked != nullptr) memset(leaked, 0x6c, kLeakBytes);
        // Kept from the optimiser, but referenced from nowhere.
        __asm__ __volatile__("" : : "r"(leaked) : "memory");
#endif
    }

    int init() override {
#ifdef FLAW_INVALID_UTF8
        response("caf\xe9 ready", 1);
#else
        response("flawed wave ready", 1);
#endif
        return 0;
    }

    int sendCommand(const char* command) override {
#ifdef FLAW_THROWS_ON_LONG_TEXT
        if (strlen(command) > 1000) throw std::length_error("command too long");
#endif
#ifdef FLAW_THROWS_ON_OWN_COMMAND
        if (strcmp(command, "gain loud") == 0) throw std::invalid_argument("gain: not a number");
#endif
#ifdef FLAW_CRASHES_ON_OWN_COMMAND
        if (strcmp(command, "meter read") == 0) return readMeter();
#endif
#ifdef FLAW_CRASHES_AFTER_DEACTIVATE
        if (strcmp(command, "meter read") == 0) return readMeter(mJack.meter());
#endif
#ifdef FLAW_THREAD_ON_OWN_COMMAND
        if (strcmp(command, "meter on") == 0) {
            startStrayThread();
            return 0;
        }
#endif
        return strcmp(command, "status") == 0 ? 0 : 1;
    }

    android::IJackClientInterface* getJackClientInterface() override {
        return &mJack;
    }

    int request(const char*, const long ext1, const long capacity, size_t& usedBytes,
                const void* buffer) override {
        const long wanted = ext1 > 0 && ext1 < capacity ? ext1 : capacity;
        if (wanted > 0) memset(const_cast<void*>(buffer), 'f', static_cast<size_t>(wanted));
        usedBytes = static_cast<size_t>(wanted);
#ifdef FLAW_OVERREPORTS
        usedBytes += 1;
#endif
        return 0;
    }

#ifndef FLAW_FALSE_V2
    int sendStream(const void*, const long streamLen, const int) override {
        return streamLen < 0 ? 1 : 0;
    }
#endif

    const FlawedJack& jack() const {
        return mJack;
    }

private:
    static const size_t kLeakBytes = 64 * 1024;
    FlawedJack mJack;
};

#ifdef FLAW_WEAK_REFERENCE
extern "C" int flawed_wave_missing_hook(void) __attribute__((weak));
#endif

}  // namespace

WAVE_EXPORT int oxa_get_api_level() {
    return FLAW_API_LEVEL;
}

#if defined(FLAW_CREATE_NOT_EXTERN_C)
// The mistake of a C++ author: the host looks up "oxa_create", the compiler
// names this _Z10oxa_createv.
android::IOXAInterface* oxa_create() {
    return new FlawedWave();
}
#elif !defined(FLAW_NO_CREATE)
WAVE_EXPORT android::IOXAInterface* oxa_create() {
#ifdef FLAW_WEAK_REFERENCE
    if (flawed_wave_missing_hook) flawed_wave_missing_hook();
#endif
    return new FlawedWave();
}
#endif

WAVE_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    FlawedWave* wave = static_cast<FlawedWave*>(object);
#ifdef FLAW_ANSWERS_AFTER_DESTROY
    if (wave->jack().bypassSwitched() && !sLateAnswersStarted) {
        sLateAnswersStarted = true;
        startDetached(lateAnswers, nullptr);
    }
#endif
    delete wave;
}

WAVE_EXPORT int oxa_get_ndk_version() {
    return 21;
}

WAVE_EXPORT int oxa_user_get_major_version_number() {
    return 1;
}

WAVE_EXPORT int oxa_user_get_minor_version_number() {
    return 1;
}

WAVE_EXPORT int oxa_user_get_patch_version_number() {
    return 4;
}

#ifdef FLAW_VERSION_STRING
WAVE_EXPORT const char* oxa_user_get_version_string() {
    return "2.0.0";
}
#endif

#ifdef FLAW_EXTRA_EXPORT
WAVE_EXPORT int flawed_wave_helper() {
    return 7;
}
#endif

#ifdef FLAW_RT_ALLOCATES_INLINED
namespace {
inline void fillScratch() {
    void* scratch = malloc(256);
    __asm__ __volatile__("" : : "r"(scratch) : "memory");
    free(scratch);
}
}  // namespace
#endif
