#include "OXAClient.h"

#include <android/log.h>
#include <limits.h>
#include <string.h>

#include "AnswerScope.h"
#include "CommandText.h"
#include "ExecutionWatcher.h"
#include "IJackClientInterfaceV2.h"
#include "IOXAInterfaceV2.h"
#include "ModuleCall.h"
#include "ModuleLoader.h"
#include "OvikAutoLock.h"
#include "PriorityRequest.h"
#include "StreamText.h"

#define LOG_TAG OVIK_HOST_LOG_TAG
#include "OvikLog.h"

namespace android {

namespace {

const clock_t kPatienceSeconds = ExecutionWatcher::kModulePatienceSeconds;
const char kPrioritySocketPath[] = "/dev/socket/jack/set.priority";

std::atomic<int> sLiveClients(0);
// Makes "no client lives" and unloading the JACK library one step against
// the construction of a client (docs/thread-model.md).
pthread_mutex_t sLiveClientsLock = PTHREAD_MUTEX_INITIALIZER;

OXAUserListener* currentListener() {
    return __atomic_load_n(&OXAClient::mListener, __ATOMIC_ACQUIRE);
}

}  // namespace

OXAUserListener* OXAClient::mListener = nullptr;
const int32_t OXAClient::OXACLIENT_API_LEVEL;

OXAClient::OXAClient()
    : mObjectId(0),
      mName(),
      mUserObject(nullptr),
      mOXAClientUser(nullptr),
      mLibHandle(),
      mLoadState(kUnloaded),
      mJack(mName),
      mTargetMajorVersionNumber(0),
      mNDKVersionNumber(0),
      mTargetMinorVersionNumber(0),
      mTargetPatchVersionNumber(0) {
    OvikAutoLock lock(&sLiveClientsLock);
    sLiveClients.fetch_add(1, std::memory_order_acq_rel);
}

int OXAClient::liveCount() {
    return sLiveClients.load(std::memory_order_acquire);
}

bool OXAClient::unloadWhenNoClientLives(int (*unload)()) {
    OvikAutoLock lock(&sLiveClientsLock);
    if (liveCount() != 0) return false;
    unload();
    return true;
}

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
    mObjectId = CommandText::parseObjectId(mName.c_str() + underscore + 1);
    return true;
}

OXAClient::~OXAClient() {
    ALOGI("(in)OXAClient destructor is called this=%p", this);
    // The last reference is gone, so no other call into this client runs.
    mJack.tearDownAtDestruction();
    unloadUserObject();
    // From here no module code may answer through the process-wide handle
    // into this client any more.
    OXAClientUser::forgetResponseInterface(this);
    if (mLibHandle.isOpen()) {
        mJack.forget();
        mUserObject.store(nullptr);
        mLibHandle.close();
        ALOGI("WaveLib was closed this = %p", this);
    }
    sLiveClients.fetch_sub(1, std::memory_order_acq_rel);
}

int OXAClient::getTargetAPILevel() {
    return OXACLIENT_API_LEVEL;
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
              expected == kLoaded ? mLibHandle.handle() : nullptr, mUserObject.load());
        *alreadyLoaded = true;
        return 0;
    }
    // Closed on the way out unless it becomes the client's.
    ModuleLibrary library;
    if (!library.open(name, fileName, libPath)) return failLoading();
    const ModuleLoader loader(library, mName);
    if (!loader.checkAPILevel(OXACLIENT_API_LEVEL)) return failLoading();
    // The creator and the object's init() may already answer through the
    // process-wide handle, so it points at this client first.
    mOXAClientUser = OXAClientUser::getInstance();
    if (mOXAClientUser != nullptr) mOXAClientUser->setResponseInterface(this);
    IOXAInterface* object = loader.create();
    if (object == nullptr) return failLoading();
    ALOGI("this = %p mUserObject = %p", this, object);
    if (!loader.init(object, this)) return failLoading();
    readVersions(loader);
    mLibHandle = std::move(library);
    mUserObject.store(object, std::memory_order_release);
    mLoadState.store(kLoaded, std::memory_order_release);
    ALOGI("WaveLib was opened this = %p mLibHandle=%p mUserObject = %p", this, mLibHandle.handle(),
          object);
    return 0;
}

int OXAClient::failLoading() {
    // A later "init_client:" may try again.
    mLoadState.store(kUnloaded, std::memory_order_release);
    return 1;
}

void OXAClient::readVersions(const ModuleLoader& loader) {
    mNDKVersionNumber = loader.version("oxa_get_ndk_version", 1, mNDKVersionNumber);
    mTargetMajorVersionNumber =
        loader.version("oxa_user_get_major_version_number", 0, mTargetMajorVersionNumber);
    mTargetMinorVersionNumber =
        loader.version("oxa_user_get_minor_version_number", 0, mTargetMinorVersionNumber);
    mTargetPatchVersionNumber =
        loader.version("oxa_user_get_patch_version_number", 0, mTargetPatchVersionNumber);
    ALOGI("(in)wave info : %d %d %d %d", mNDKVersionNumber, mTargetMajorVersionNumber,
          mTargetMinorVersionNumber, mTargetPatchVersionNumber);
}

void OXAClient::unloadUserObject() {
    IOXAInterface* object = mUserObject.load(std::memory_order_acquire);
    ALOGI(
        "OXAClient unload user object this = %p mUserObject = %p, mOXAClientUser = %p "
        "mLibHandle = %p\n",
        this, object, mOXAClientUser, mLibHandle.handle());
    if (object == nullptr || !mLibHandle.isOpen()) return;
    ModuleLoader(mLibHandle, mName).destroy(object);
    mUserObject.store(nullptr, std::memory_order_release);
}

// ---- Priority ------------------------------------------------------------

void OXAClient::setPriority(int pid, int tid, int priority) {
    setPriorityAt(kPrioritySocketPath, pid, tid, priority);
}

void OXAClient::setPriorityAt(const char* socketPath, int pid, int tid, int priority) {
    PriorityRequest::send(socketPath, pid, tid, priority);
}

// ---- Commands ------------------------------------------------------------

int OXAClient::sendCommand(const char* command) {
    if (command == nullptr) command = "";
    // The text before the first "!" names the client; without a "!" the
    // whole text is both the name and the command. Nothing is copied.
    const char* bang = strchr(command, '!');
    const size_t nameLength =
        bang != nullptr ? static_cast<size_t>(bang - command) : strlen(command);
    if (mName.compare(0, std::string::npos, command, nameLength) != 0) {
        ALOGE("fail to send a command. You are not allowed.");
        return 1;
    }
    return handleCommand(bang != nullptr ? bang + 1 : command);
}

int OXAClient::handleCommand(const char* command) {
    // Every command word starts with one of a few letters, so a module's own
    // command (the common case) is passed on after one comparison.
    switch (command[0]) {
        case 'm':
            if (strncmp(command, "midi:", 5) == 0) return mJack.sendMidi(command + 5);
            break;
        case 's':
            if (strcmp(command, "setbypassenabledfalse") == 0) return mJack.setByPass(false);
            if (strcmp(command, "setbypassenabledtrue") == 0) return mJack.setByPass(true);
            if (strncmp(command, "start_client", 12) == 0) {
                return mJack.start(mUserObject.load(std::memory_order_acquire), command);
            }
            break;
        case 't':
            if (strcmp(command, "tear_down") == 0) return mJack.tearDown();
            break;
        case 'a':
            if (strcmp(command, "activate") == 0) {
                return mJack.pass("your wave's activate()", &IJackClientInterface::activate);
            }
            break;
        case 'd':
            if (strcmp(command, "deactivate") == 0) {
                return mJack.pass("your wave's deactivate()", &IJackClientInterface::deactivate);
            }
            if (strcmp(command, "disable_sync") == 0) {
                return mJack.transport(TRANSPORT_OFF, "your wave's transport(TRANSPORT_OFF)");
            }
            break;
        case 'e':
            if (strcmp(command, "enable_sync") == 0) {
                return mJack.transport(TRANSPORT_ON, "your wave's transport(TRANSPORT_ON)");
            }
            break;
        case 'i':
            if (strncmp(command, "init_client:", 12) == 0) return initClient(command);
            break;
    }
    return passToModule(command);
}

int OXAClient::initClient(const char* command) {
    if (mLoadState.load(std::memory_order_acquire) != kUnloaded) {
        ALOGI("already init_client done\n");
        return 0;
    }
    ALOGD("%s", command);
    const CommandText::InitClientFields fields = CommandText::initClientFields(command + 12);
    bool alreadyLoaded = false;
    if (loadOnce(fields.packageName, fields.moduleFileName, fields.libPath, &alreadyLoaded) != 0) {
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
    std::shared_ptr<OxaMemoryHeap> heap = takeBlock(capacity);
    if (!heap) {
        ALOGE("Fail to request: can't allocate a block of %ld bytes", capacity);
        return nullptr;
    }
    void* base = heap->getBase();
    size_t len = heap->getSize();
    int result = 1;
    const bool returned = ModuleCall::run(
        "request", mName, [&] { result = object->request(what, ext1, capacity, len, base); });
    // The block stays this client's for its next request, filled or not.
    std::atomic_store(&mSpareBlock, heap);
    if (!returned) return nullptr;
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

std::shared_ptr<OxaMemoryHeap> OXAClient::takeBlock(long capacity) {
    // A module that reports bytes it never wrote hands out zeros or what it
    // wrote itself in an earlier request, never what the heap held before.
    std::shared_ptr<OxaMemoryHeap> spare =
        std::atomic_exchange(&mSpareBlock, std::shared_ptr<OxaMemoryHeap>());
    if (spare && spare->getSize() == static_cast<size_t>(capacity)) return spare;
    return OxaMemoryHeap::makeZeroed(static_cast<int>(capacity));
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
    return mJack.name(name);
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
    AnswerScope answering;
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
    AnswerScope answering;
    ModuleCall::run("notifyDataCallback", mName,
                    [&] { listener->notifyDataCallback(ext1, mObjectId, len, data); });
}

}  // namespace android
