#include "OXAClient.h"

#include <android/log.h>
#include <ctype.h>
#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <vector>

#include "ExecutionWatcher.h"
#include "IJackClientInterfaceV2.h"
#include "IOXAInterfaceV2.h"
#include "ModuleCall.h"
#include "StreamText.h"

#define LOG_TAG "VAD-OXAClient"
#define ALOGD(...) __android_log_print(ANDROID_LOG_DEBUG, LOG_TAG, __VA_ARGS__)
#define ALOGI(...) __android_log_print(ANDROID_LOG_INFO, LOG_TAG, __VA_ARGS__)
#define ALOGE(...) __android_log_print(ANDROID_LOG_ERROR, LOG_TAG, __VA_ARGS__)

namespace android {

namespace {

// Every watched call into a module may use this much process processor time.
const clock_t kPatienceSeconds = 5;
// Entries of the argument vector handed to setUp(): the name and 999 words.
const size_t kMaxSetUpArgs = 1000;
const char kPrioritySocketPath[] = "/dev/socket/jack/set.priority";

typedef int (*IntFunction)();
typedef IOXAInterface* (*CreateFunction)();
typedef void (*DestroyFunction)(IOXAInterface*);

// Looks `symbol` up on `handle` after clearing the loader's error text. A
// symbol is missing when there is no address and there is an error text; no
// address without an error text is not a failure, but leaves `*address` null.
bool isMissing(void* handle, const char* symbol, void** address) {
    dlerror();
    *address = dlsym(handle, symbol);
    const char* error = dlerror();
    return *address == nullptr && error != nullptr;
}

// Calls an optional int() function of the module, or gives `fallback` when
// it is missing. A present symbol without an address keeps `current`.
int32_t optionalVersion(void* handle, const char* symbol, int32_t fallback, int32_t current,
                        const std::string& client) {
    void* address = nullptr;
    if (isMissing(handle, symbol, &address)) return fallback;
    if (address == nullptr) return current;
    return ModuleCall::result(symbol, client, fallback,
                              [&] { return reinterpret_cast<IntFunction>(address)(); });
}

// Opens a library; an open fails when there is no handle and an error text.
// Gives the error text (or null) through `error`.
void* openWithMode(const std::string& path, int mode, const char** error) {
    ALOGI("try to dlopen %s", path.c_str());
    void* handle = dlopen(path.c_str(), mode);
    *error = dlerror();
    return handle;
}

// The decimal number at the start of `text`, read as atoi reads it, clamped
// to the int range instead of overflowing.
int32_t parseObjectId(const char* text) {
    while (isspace(static_cast<unsigned char>(*text))) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = (*text++ == '-');
    long long value = 0;
    for (; isdigit(static_cast<unsigned char>(*text)); ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int32_t>(value);
}

// The words of `command` after its first word, split at single spaces with
// runs of spaces collapsing; at most `limit` words.
std::vector<std::string> wordsAfterCommandWord(const char* command, size_t limit) {
    std::vector<std::string> words;
    const char* cursor = command;
    bool commandWordSeen = false;
    while (*cursor != '\0' && words.size() < limit) {
        while (*cursor == ' ') ++cursor;
        if (*cursor == '\0') break;
        const char* end = strchr(cursor, ' ');
        if (end == nullptr) end = cursor + strlen(cursor);
        if (commandWordSeen) {
            words.emplace_back(cursor, end);
        } else {
            commandWordSeen = true;
        }
        cursor = end;
    }
    return words;
}

OXAUserListener* currentListener() {
    return __atomic_load_n(&OXAClient::mListener, __ATOMIC_ACQUIRE);
}

// The answers the calling thread is inside, innermost first: one entry per
// responseToService on the thread's stack.
struct AnswerFrame {
    const OXAClient* client;
    const AnswerFrame* outer;
};
thread_local const AnswerFrame* tInnermostAnswer = nullptr;

class AnswerScope {
public:
    explicit AnswerScope(const OXAClient* client) : mFrame{client, tInnermostAnswer} {
        tInnermostAnswer = &mFrame;
    }
    ~AnswerScope() { tInnermostAnswer = mFrame.outer; }
    AnswerScope(const AnswerScope&) = delete;
    AnswerScope& operator=(const AnswerScope&) = delete;

private:
    AnswerFrame mFrame;
};

}  // namespace

OXAUserListener* OXAClient::mListener = nullptr;
const int32_t OXAClient::OXACLIENT_API_LEVEL;

OXAClient::OXAClient()
    : mObjectId(0),
      mName(),
      mUserObject(nullptr),
      mOXAClientUser(nullptr),
      mLibHandle(nullptr),
      mLoadState(kUnloaded),
      mJackClient(nullptr),
      mStatus(OXACLIENT_STATUS_NOT_RUNNING),
      mTargetMajorVersionNumber(0),
      mNDKVersionNumber(0),
      mTargetMinorVersionNumber(0),
      mTargetPatchVersionNumber(0) {}

std::shared_ptr<OXAClient> OXAClient::createInstance(const std::string& name,
                                                     const std::string& binderName,
                                                     const int uiPid) {
    std::shared_ptr<OXAClient> client;
    try {
        client.reset(new OXAClient());
    } catch (const std::exception&) {
        ALOGE("fail to create a client for %s: out of memory", name.c_str());
        return nullptr;
    }
    if (!client->init(name, binderName, uiPid)) return nullptr;
    return client;
}

void OXAClient::deleteInstance(const std::shared_ptr<OXAClient>& /*instance*/) {}

void OXAClient::setListener(OXAUserListener* listener) {
    __atomic_store_n(&mListener, listener, __ATOMIC_RELEASE);
    ALOGI("setListener mListener = %p", listener);
}

bool OXAClient::init(const std::string& name, const std::string& /*binderName*/,
                     const int /*uiPid*/) {
    mName = name;
    const size_t underscore = mName.rfind('_');
    if (underscore == std::string::npos) {
        ALOGE("invalid client name");
        return false;
    }
    mObjectId = parseObjectId(mName.c_str() + underscore + 1);
    return true;
}

OXAClient::~OXAClient() {
    ALOGI("(in)OXAClient destructor is called this=%p", this);
    // The last reference is gone, so no other call into this client runs.
    IJackClientInterface* jackClient = mJackClient.load(std::memory_order_acquire);
    if (jackClient != nullptr) {
        ModuleCall::run("tearDown", mName, [&] { jackClient->tearDown(); });
    } else {
        ALOGI("(in)OXAClient teardown is NOT called. Because your client is null");
    }
    unloadUserObject();
    // From here no module code may answer through the process-wide handle
    // into this client any more.
    OXAClientUser::forgetResponseInterface(this);
    if (mLibHandle != nullptr) {
        mJackClient.store(nullptr);
        mUserObject.store(nullptr);
        dlclose(mLibHandle);
        mLibHandle = nullptr;
        ALOGI("WaveLib was closed this = %p", this);
    }
}

bool OXAClient::isAnsweringOnCallingThread() const {
    for (const AnswerFrame* frame = tInnermostAnswer; frame != nullptr; frame = frame->outer) {
        if (frame->client == this) return true;
    }
    return false;
}

int OXAClient::getTargetAPILevel() {
    return OXACLIENT_API_LEVEL;
}

bool OXAClient::isNDKAPILevelAllowed(int NDKAPILevel) {
    ALOGI("(in)T%d is trying... N%d", OXACLIENT_API_LEVEL, NDKAPILevel);
    return NDKAPILevel < 5;
}

// ---- Loading -------------------------------------------------------------

int OXAClient::loadUserObject(const std::string& name, const std::string& fileName,
                              const std::string& libPath) {
    bool alreadyLoaded = false;
    return loadOnce(name, fileName, libPath, &alreadyLoaded);
}

int OXAClient::loadOnce(const std::string& name, const std::string& fileName,
                        const std::string& libPath, bool* alreadyLoaded) {
    ALOGI("loadUserObject (ins) ");
    // One thread loads; a thread that finds the module loaded, or being
    // loaded by another thread or by a call from inside init(), is done.
    int expected = kUnloaded;
    if (!mLoadState.compare_exchange_strong(expected, kLoading, std::memory_order_acq_rel)) {
        ALOGI("WaveLib was already loaded this = %p mLibHandle = %p, mUserObject = %p", this,
              expected == kLoaded ? mLibHandle : nullptr, mUserObject.load());
        *alreadyLoaded = true;
        return 0;
    }
    void* handle = openLibrary(name, fileName, libPath);
    IOXAInterface* object = nullptr;
    if (handle == nullptr || !checkAPILevel(handle) ||
        (object = createUserObject(handle)) == nullptr || !initUserObject(handle, object)) {
        if (handle != nullptr) dlclose(handle);
        // A later "init_client:" may try again.
        mLoadState.store(kUnloaded, std::memory_order_release);
        return 1;
    }
    readVersions(handle);
    mLibHandle = handle;
    mUserObject.store(object, std::memory_order_release);
    mLoadState.store(kLoaded, std::memory_order_release);
    ALOGI("WaveLib was opened this = %p mLibHandle=%p mUserObject = %p", this, mLibHandle, object);
    return 0;
}

void* OXAClient::openLibrary(const std::string& name, const std::string& fileName,
                             const std::string& libPath) {
    dlerror();
    const char* error = nullptr;
    void* handle = openWithMode(libPath + "/" + fileName, RTLD_NOW | RTLD_GLOBAL, &error);
    if (handle != nullptr || error == nullptr) return handle;
    ALOGE("dlopen failed : %s", error);
    handle = openWithMode(libPath + "/libwave_" + name + ".so", RTLD_NOW | RTLD_LOCAL, &error);
    if (handle == nullptr && error != nullptr) {
        ALOGE("dlopen failed : %s", error);
        return nullptr;
    }
    return handle;
}

bool OXAClient::checkAPILevel(void* handle) {
    void* address = nullptr;
    if (isMissing(handle, "oxa_get_api_level", &address)) {
        ALOGE(
            "fail to load a symbol. Please check your wave compile options. Some functions "
            "were missed.\n");
        return false;
    }
    if (address == nullptr) return true;
    // A module that throws here has no level: it is refused like a level too high.
    const int level = ModuleCall::result("oxa_get_api_level", mName, INT_MAX,
                                         [&] { return reinterpret_cast<IntFunction>(address)(); });
    if (!isNDKAPILevelAllowed(level)) {
        ALOGE("error: OXA NDK api level is NOT allowed with framework API level(%d)",
              OXACLIENT_API_LEVEL);
        return false;
    }
    return true;
}

IOXAInterface* OXAClient::createUserObject(void* handle) {
    dlerror();
    // The creator and the object's init() may already answer through the
    // process-wide handle, so it points at this client first.
    mOXAClientUser = OXAClientUser::getInstance();
    if (mOXAClientUser != nullptr) mOXAClientUser->setResponseInterface(this);
    void* address = nullptr;
    if (isMissing(handle, "oxa_create", &address)) {
        ALOGE("fail to load creator symbol\n");
        return nullptr;
    }
    IOXAInterface* object = nullptr;
    if (address != nullptr) {
        object = ModuleCall::result("oxa_create", mName, static_cast<IOXAInterface*>(nullptr),
                                    [&] { return reinterpret_cast<CreateFunction>(address)(); });
    }
    if (object == nullptr) ALOGE("fail to create your wave instance");
    return object;
}

bool OXAClient::initUserObject(void* handle, IOXAInterface* object) {
    ALOGI("this = %p mUserObject = %p", this, object);
    object->setResponseInterface(this);
    ExecutionWatcher watcher("your wave's init()", kPatienceSeconds);
    if (ModuleCall::result("init", mName, 1, [&] { return object->init(); }) != 0) {
        ALOGE("fail to init your wave");
        // The library closes next: its object must go first, and a later
        // "init_client:" must be able to load again.
        destroyUserObject(handle, object);
        return false;
    }
    ModuleCall::run("getJackClientInterface", mName, [&] { object->getJackClientInterface(); });
    return true;
}

void OXAClient::readVersions(void* handle) {
    mNDKVersionNumber = optionalVersion(handle, "oxa_get_ndk_version", 1, mNDKVersionNumber, mName);
    mTargetMajorVersionNumber = optionalVersion(handle, "oxa_user_get_major_version_number", 0,
                                                mTargetMajorVersionNumber, mName);
    mTargetMinorVersionNumber = optionalVersion(handle, "oxa_user_get_minor_version_number", 0,
                                                mTargetMinorVersionNumber, mName);
    mTargetPatchVersionNumber = optionalVersion(handle, "oxa_user_get_patch_version_number", 0,
                                                mTargetPatchVersionNumber, mName);
    dlerror();
    ALOGI("(in)wave info : %d %d %d %d", mNDKVersionNumber, mTargetMajorVersionNumber,
          mTargetMinorVersionNumber, mTargetPatchVersionNumber);
}

void OXAClient::destroyUserObject(void* handle, IOXAInterface* object) {
    dlerror();
    void* address = dlsym(handle, "oxa_destroy");
    const char* error = dlerror();
    if (address == nullptr || error != nullptr) return;
    // The object counts as gone even when its destroy function threw: the
    // library is closed after this all the same.
    ModuleCall::run("oxa_destroy", mName,
                    [&] { reinterpret_cast<DestroyFunction>(address)(object); });
}

void OXAClient::unloadUserObject() {
    IOXAInterface* object = mUserObject.load(std::memory_order_acquire);
    ALOGI(
        "OXAClient unload user object this = %p mUserObject = %p, mOXAClientUser = %p "
        "mLibHandle = %p\n",
        this, object, mOXAClientUser, mLibHandle);
    if (object == nullptr || mLibHandle == nullptr) return;
    destroyUserObject(mLibHandle, object);
    mUserObject.store(nullptr, std::memory_order_release);
}

// ---- Priority ------------------------------------------------------------

void OXAClient::setPriority(int pid, int tid, int priority) {
    setPriorityAt(kPrioritySocketPath, pid, tid, priority);
}

void OXAClient::setPriorityAt(const char* socketPath, int pid, int tid, int priority) {
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    if (fd < 0) {
        ALOGI("failed to create socket\n");
        return;
    }
    char message[108];
    memset(message, 0, sizeof(message));
    snprintf(message, sizeof(message), "*4%d,%d,%d,", pid, tid, priority);

    struct sockaddr_un address;
    memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, socketPath, strnlen(socketPath, sizeof(address.sun_path)));

    const ssize_t sent =
        sendto(fd, message, strlen(message) + 1, 0,
               reinterpret_cast<const struct sockaddr*>(&address), sizeof(address));
    if (sent < 0) ALOGE("(in)OXAClient: fail to send a priority message to service");
    close(fd);
}

// ---- Commands ------------------------------------------------------------

int OXAClient::sendCommand(const char* command) {
    if (command == nullptr) command = "";
    const std::string text(command);
    const size_t bang = text.find('!');
    const std::string clientNamePart = bang == std::string::npos ? text : text.substr(0, bang);
    const std::string commandPart = bang == std::string::npos ? text : text.substr(bang + 1);
    if (clientNamePart != mName) {
        ALOGE("fail to send a command. You are not allowed.");
        return 1;
    }
    return handleCommand(commandPart.c_str());
}

int OXAClient::handleCommand(const char* command) {
    if (strncmp(command, "midi:", 5) == 0) {
        IJackClientInterface* jackClient = jackClientOrLog("jack client wasn't started\n");
        if (jackClient == nullptr) return 1;
        std::string midi(command + 5);
        ExecutionWatcher watcher("your wave's sendMidi()", kPatienceSeconds);
        return ModuleCall::result("sendMidi", mName, 1,
                                  [&] { return jackClient->sendMidi(&midi[0]); });
    }
    if (strcmp(command, "setbypassenabledfalse") == 0) return setByPass(false);
    if (strcmp(command, "setbypassenabledtrue") == 0) return setByPass(true);
    if (strcmp(command, "tear_down") == 0) return tearDownJackClient();
    if (strcmp(command, "activate") == 0) {
        return passToJackClient("your wave's activate()", &IJackClientInterface::activate);
    }
    if (strcmp(command, "deactivate") == 0) {
        return passToJackClient("your wave's deactivate()", &IJackClientInterface::deactivate);
    }
    if (strcmp(command, "enable_sync") == 0) {
        return switchTransport(TRANSPORT_ON, "your wave's transport(TRANSPORT_ON)");
    }
    if (strcmp(command, "disable_sync") == 0) {
        return switchTransport(TRANSPORT_OFF, "your wave's transport(TRANSPORT_OFF)");
    }
    if (strncmp(command, "init_client:", 12) == 0) return initClient(command);
    if (strncmp(command, "start_client", 12) == 0) return startClient(command);
    return passToModule(command);
}

IJackClientInterface* OXAClient::jackClientOrLog(const char* missingText) {
    IJackClientInterface* jackClient = mJackClient.load(std::memory_order_acquire);
    if (jackClient == nullptr) ALOGE("%s", missingText);
    return jackClient;
}

int OXAClient::passToJackClient(const char* title, int (IJackClientInterface::*call)()) {
    IJackClientInterface* jackClient = jackClientOrLog("jack client wasn't started\n");
    if (jackClient == nullptr) return 1;
    ExecutionWatcher watcher(title, kPatienceSeconds);
    return ModuleCall::result(title, mName, 1, [&] { return (jackClient->*call)(); });
}

int OXAClient::switchTransport(TransportType type, const char* title) {
    IJackClientInterface* jackClient = jackClientOrLog("jack client wasn't started\n");
    if (jackClient == nullptr) return 1;
    ExecutionWatcher watcher(title, kPatienceSeconds);
    return ModuleCall::result("transport", mName, 1, [&] { return jackClient->transport(type); });
}

int OXAClient::setByPass(bool enabled) {
    IJackClientInterface* jackClient = mJackClient.load(std::memory_order_acquire);
    if (jackClient == nullptr) {
        ALOGI("the jack client is null.");
        return 0;
    }
    ExecutionWatcher watcher(
        enabled ? "your wave's setByPassEnabled(true)" : "your wave's setByPassEnabled(false)",
        kPatienceSeconds);
    if (jackClient->getMagicNumber() >= 2) {
        ModuleCall::run("setByPassEnabled", mName, [&] {
            static_cast<IJackClientInterfaceV2*>(jackClient)->setByPassEnabled(enabled);
        });
    } else if (enabled) {
        ALOGI("your wave is not support setByPassEnabled(true)");
    } else {
        ALOGI("your wave is not support setByPassEnabled(false)");
    }
    return 0;
}

int OXAClient::tearDownJackClient() {
    IJackClientInterface* jackClient = mJackClient.load(std::memory_order_acquire);
    // Only one thread tears a running client down; a tear_down that meets a
    // setUp() or tearDown() in progress is refused as if not running.
    int expected = OXACLIENT_STATUS_RUNNING;
    if (jackClient == nullptr ||
        !mStatus.compare_exchange_strong(expected, kStatusStopping, std::memory_order_acq_rel)) {
        return 1;
    }
    ExecutionWatcher watcher("your wave's tearDown()", kPatienceSeconds);
    ModuleCall::run("tearDown", mName, [&] { jackClient->tearDown(); });
    mStatus.store(OXACLIENT_STATUS_NOT_RUNNING, std::memory_order_release);
    return 0;
}

int OXAClient::initClient(const char* command) {
    if (mLoadState.load(std::memory_order_acquire) != kUnloaded) {
        ALOGI("already init_client done\n");
        return 0;
    }
    ALOGD("%s", command);
    const std::string fields(command + 12);
    const size_t first = fields.find(':');
    const std::string packageName = fields.substr(0, first);
    const std::string rest = first == std::string::npos ? fields : fields.substr(first + 1);
    const size_t second = rest.find(':');
    const std::string moduleFileName = rest.substr(0, second);
    const std::string libPath = second == std::string::npos ? rest : rest.substr(second + 1);
    bool alreadyLoaded = false;
    if (loadOnce(packageName, moduleFileName, libPath, &alreadyLoaded) != 0) {
        ALOGE("(in)OXAClient: fail to load user module");
        return 1;
    }
    if (alreadyLoaded) {
        ALOGI("already init_client done\n");
        return 0;
    }
    ALOGD("success to load your wave module");
    return 0;
}

int OXAClient::startClient(const char* command) {
    IOXAInterface* object = mUserObject.load(std::memory_order_acquire);
    IJackClientInterface* jackClient = nullptr;
    if (object != nullptr) {
        jackClient = ModuleCall::result("getJackClientInterface", mName,
                                        static_cast<IJackClientInterface*>(nullptr),
                                        [&] { return object->getJackClientInterface(); });
        if (jackClient == nullptr) ALOGI("You set a jack client module as null");
    } else {
        ALOGI("You don't have a jack client module");
    }
    mJackClient.store(jackClient, std::memory_order_release);
    // Only one thread sets a stopped client up; the others find it started.
    int expected = OXACLIENT_STATUS_NOT_RUNNING;
    if (jackClient == nullptr ||
        !mStatus.compare_exchange_strong(expected, kStatusStarting, std::memory_order_acq_rel)) {
        ALOGI("OXAClient: already started. or JackClient is empty.");
        return 0;
    }
    // The strings live in `words` for the length of the call. A null pointer
    // follows the last entry for modules that walk argv to its end.
    std::vector<std::string> words = wordsAfterCommandWord(command, kMaxSetUpArgs - 1);
    std::string name = mName;
    std::vector<char*> argv;
    argv.reserve(words.size() + 2);
    argv.push_back(&name[0]);
    for (std::string& word : words) argv.push_back(&word[0]);
    const int argc = static_cast<int>(argv.size());
    argv.push_back(nullptr);

    ExecutionWatcher watcher("your wave's setUp()", kPatienceSeconds);
    if (ModuleCall::result("setUp", mName, 1,
                           [&] { return jackClient->setUp(argc, argv.data()); }) != 0) {
        mStatus.store(OXACLIENT_STATUS_NOT_RUNNING, std::memory_order_release);
        ALOGE("fail to setUp");
        return 1;
    }
    mStatus.store(OXACLIENT_STATUS_RUNNING, std::memory_order_release);
    ALOGD("success to your jack client");
    return 0;
}

int OXAClient::passToModule(const char* command) {
    IOXAInterface* object = mUserObject.load(std::memory_order_acquire);
    if (object == nullptr) return 1;
    ExecutionWatcher watcher("your wave's sendCommand(", command, kPatienceSeconds);
    return ModuleCall::result("sendCommand", mName, 1,
                              [&] { return object->sendCommand(command); });
}

// ---- Requests, streams and names ----------------------------------------

std::shared_ptr<OxaMemoryHeap> OXAClient::request(const char* what, const long ext1,
                                                  const long capacity, size_t& usedBytes) {
    IOXAInterface* object = mUserObject.load(std::memory_order_acquire);
    if (object == nullptr) {
        ALOGD(
            "Fail to request: The processing module doesn't exist. Maybe The OXAClient has a "
            "problem...");
        return nullptr;
    }
    if (capacity < 0 || capacity > INT_MAX) {
        ALOGE("Fail to request: the capacity %ld is not a valid block size", capacity);
        return nullptr;
    }
    std::shared_ptr<OxaMemoryHeap> heap;
    try {
        heap = std::make_shared<OxaMemoryHeap>(static_cast<int>(capacity));
    } catch (const std::exception&) {
        heap.reset();
    }
    void* base = heap ? heap->getBase() : nullptr;
    if (base == nullptr) {
        ALOGE("Fail to request: can't allocate a block of %ld bytes", capacity);
        return nullptr;
    }
    // A module that reports bytes it never wrote hands out zeros, not what
    // the heap held before.
    memset(base, 0, heap->getSize());
    size_t len = heap->getSize();
    int result = 1;
    if (!ModuleCall::run("request", mName,
                         [&] { result = object->request(what, ext1, capacity, len, base); })) {
        return nullptr;
    }
    if (result != 0) {
        ALOGE("Fail to reqeust : The processing module return error. please check it again");
        return nullptr;
    }
    if (len > heap->getSize()) {
        ALOGE("request of client %s reported %zu bytes of a %zu-byte block; the block is given",
              mName.c_str(), len, heap->getSize());
        len = heap->getSize();
    }
    usedBytes = len;
    return heap;
}

int OXAClient::sendStream(const void* stream, const long streamLen, const int id) {
    IOXAInterface* object = mUserObject.load(std::memory_order_acquire);
    if (object == nullptr) {
        ALOGE("fail to send stream. The processing module is not loaded");
        return 1;
    }
    if (object->getMagicNumber() >= 2) {
        return ModuleCall::result("sendStream", mName, 1, [&] {
            return static_cast<IOXAInterfaceV2*>(object)->sendStream(stream, streamLen, id);
        });
    }
    StreamText text;
    if (!text.build(stream, streamLen, id)) {
        ALOGE("fail to send stream. A stream of %ld bytes does not fit in memory as text",
              streamLen);
        return 1;
    }
    return handleCommand(text.c_str());
}

char* OXAClient::getJackClientName(const char* name) {
    IJackClientInterface* jackClient =
        jackClientOrLog("fail to get the jack client name. The processing module is not loaded");
    if (jackClient == nullptr) return nullptr;
    if (jackClient->getMagicNumber() < 2) {
        ALOGI("the getJackClientName() is not support. return NULL.");
        return nullptr;
    }
    return ModuleCall::result("getJackClientName", mName, static_cast<char*>(nullptr), [&] {
        return static_cast<IJackClientInterfaceV2*>(jackClient)->getJackClientName(name);
    });
}

// ---- Answers from the module ----------------------------------------------

void OXAClient::responseToService(const char* message) {
    responseToService(0, message);
}

void OXAClient::responseToService(const int id, const char* message) {
    OXAUserListener* listener = currentListener();
    if (listener == nullptr) {
        ALOGE("Listener is null");
        return;
    }
    AnswerScope answering(this);
    // Whatever the delivery throws stops here, not in the answering module.
    ModuleCall::run("notify", mName, [&] { listener->notify(0, id, mObjectId, message); });
}

void OXAClient::responseToService(const int32_t ext1, const size_t len, const void* data) {
    OXAUserListener* listener = currentListener();
    if (listener == nullptr) {
        ALOGE("data Listener is null");
        return;
    }
    if (len == 0 || data == nullptr) {
        ALOGE("invalid parameters: please check the size is 0 or data is null");
        return;
    }
    AnswerScope answering(this);
    ModuleCall::run("notifyDataCallback", mName,
                    [&] { listener->notifyDataCallback(ext1, mObjectId, len, data); });
}

}  // namespace android
