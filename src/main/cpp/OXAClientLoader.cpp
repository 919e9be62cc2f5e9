#include "OXAClientLoader.h"

#include <stdint.h>
#include <stdlib.h>
#include <sys/resource.h>

#include "ClientRelease.h"
#include "ListenerGate.h"
#include "ModuleLibrary.h"
#include "OvikAutoLock.h"

#define LOG_TAG OVIK_BRIDGE_LOG_TAG
#include "OvikLog.h"

using android::OvikAutoLock;
using android::OXAClient;

std::map<int, OXAClientLoader::ClientRef> OXAClientLoader::mClients;
std::map<std::string, int> OXAClientLoader::mClientIds;
// Ready from the moment the library is mapped: registry calls come before the
// listener, whose constructor calls initialize().
pthread_mutex_t OXAClientLoader::mClientsLock = PTHREAD_MUTEX_INITIALIZER;

namespace {

// Defined after the maps, so it runs before they are destroyed: a module
// thread that deletes a client at the same moment has either queued it or
// leaves it to the sweep. It is the sweep's last chance; the one registered
// after the latest library load runs before it, and first.
struct DestroyClientsAtExit {
    DestroyClientsAtExit() {
        android::ModuleLibrary::setNewlyLoadedHook(
            &OXAClientLoader::sweepBeforeLatestLibraryAtExit);
    }
    ~DestroyClientsAtExit() { OXAClientLoader::destroyAllAtExit(); }
} sDestroyClientsAtExit;

}  // namespace

void OXAClientLoader::sweepBeforeLatestLibraryAtExit() {
    // One registration per library brought into the process; a handler that
    // finds nothing left to sweep costs nothing.
    if (atexit(&OXAClientLoader::destroyAllAtExit) != 0)
        ALOGE("Loader: can't register the exit sweep");
}

void OXAClientLoader::destroyAllAtExit() {
    ListenerGate::process().beginExit();
    {
        OvikAutoLock lock(&mClientsLock);
        for (auto& entry : mClients) ClientRelease::drop(std::move(entry.second));
        mClientIds.clear();
        mClients.clear();
    }
    ClientRelease::drainAtExit();
}

void OXAClientLoader::initialize() {
    // The lock is statically initialised; initialising it again could
    // disturb a thread that holds it, so there is nothing to do.
}

int OXAClientLoader::getClientCount() {
    OvikAutoLock lock(&mClientsLock);
    return static_cast<int>(mClients.size());
}

OXAClientLoader::ClientRef OXAClientLoader::getClient(const int objectId) {
    OvikAutoLock lock(&mClientsLock);
    auto found = mClients.find(objectId);
    if (found == mClients.end()) {
        ALOGI("Loader: OXAClient[id:%d] is not found", objectId);
        return nullptr;
    }
    return found->second;
}

void OXAClientLoader::printMapForDebug() {
    ALOGI("******************* OXAClient list*******************\n");
    for (const auto& entry : mClients) {
        ALOGI("OXAClient[id:%d] = %x\n", entry.first,
              static_cast<unsigned int>(reinterpret_cast<uintptr_t>(entry.second.get())));
    }
    ALOGI("*****************************************************\n");
}

void OXAClientLoader::getAllObjectIds(std::vector<int>* objectIds) {
    OvikAutoLock lock(&mClientsLock);
    if (objectIds == nullptr) return;
    for (const auto& entry : mClients) objectIds->push_back(entry.first);
}

void OXAClientLoader::deleteAllClients(std::vector<int>* objectIds) {
    {
        OvikAutoLock lock(&mClientsLock);
        for (auto& entry : mClients) {
            if (objectIds != nullptr) objectIds->push_back(entry.first);
            OXAClient::deleteInstance(entry.second);
            // Queued under the lock (a lock is held), so a client is always
            // either registered or queued until it is destroyed.
            ClientRelease::drop(std::move(entry.second));
        }
        mClientIds.clear();
        mClients.clear();
        ALOGI("Loader: All OXAClient was deleted");
        printMapForDebug();
    }
    ClientRelease::drainIfSafe();
}

int OXAClientLoader::deleteClient(const std::string name) {
    ALOGI("Loader: OXAClient[%s] is deleting", name.c_str());
    ClientRef client;
    {
        OvikAutoLock lock(&mClientsLock);
        auto named = mClientIds.find(name);
        bool found = false;
        if (named != mClientIds.end()) {
            const int objectId = named->second;
            mClientIds.erase(named);
            auto entry = mClients.find(objectId);
            if (entry != mClients.end()) {
                client = entry->second;
                mClients.erase(entry);
                found = true;
            }
        }
        if (!found) ALOGI("Loader: OXAClient is not existed");
        OXAClient::deleteInstance(client);
        // Queued under the lock, as in deleteAllClients().
        ClientRelease::drop(std::move(client));
    }
    ClientRelease::drainIfSafe();
    return 0;
}

int OXAClientLoader::newClient(const std::string name, const int uiPid, const int objectId) {
    setpriority(PRIO_PROCESS, 0, -19);
    ALOGI("Loader: OXAClient[%s][%d] is starting", name.c_str(), objectId);
    OvikAutoLock lock(&mClientsLock);
    if (mClients.count(objectId) != 0) {
        ALOGI("Loader: already exist");
        return 0;
    }
    ClientRef client = OXAClient::createInstance(name, "com.null", uiPid);
    if (!client) {
        ALOGE("Loader: OXAClient[%s][%d] was refused", name.c_str(), objectId);
        return 1;
    }
    mClients.emplace(objectId, std::move(client));
    mClientIds.emplace(name, objectId);
    return 0;
}
