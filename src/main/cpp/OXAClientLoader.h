#ifndef OXA_CLIENT_LOADER_H
#define OXA_CLIENT_LOADER_H

#include <pthread.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "OXAClient.h"
#include "OXACommon.h"

// The registry of live clients: one per object id, and a name index.
class OXA_EXPORT OXAClientLoader {
public:
    typedef std::shared_ptr<android::OXAClient> ClientRef;

    // Every member may be called from any thread; each takes the registry
    // lock for its own length only and calls out to nothing under it.
    static int getClientCount();
    // A new reference to client `objectId`, or empty; the caller holds it for
    // as long as it uses the client.
    static ClientRef getClient(const int objectId);
    // Logs the registry. Expects the caller to hold the registry lock, as
    // the deleting members do when they call it.
    static void printMapForDebug();
    static void getAllObjectIds(std::vector<int>* objectIds);
    // Removes every client, appending their ids in ascending order. The
    // removed references go to the deferred queue (ClientRelease), which is
    // drained before the return when the caller may destroy clients.
    static void deleteAllClients(std::vector<int>* objectIds);
    // Removes client `name` the same way. Always 0.
    static int deleteClient(const std::string name);
    // Nothing to do: the registry lock is initialised statically.
    static void initialize();
    // 0 when the client exists afterwards; 1 when the client refused its
    // name, in which case nothing is registered.
    static int newClient(const std::string name, const int uiPid, const int objectId);
    // At process exit only: every registered client joins the deferred
    // queue under the registry lock, and the whole queue is destroyed. From
    // its start no notification waits for the listener's turn. Harmless when
    // run again.
    static void destroyAllAtExit();
    // Registers the exit sweep with atexit() once more: called after a
    // module's library or the JACK library has been loaded, so that the
    // sweep runs before that library's static objects are destroyed.
    static void sweepBeforeLatestLibraryAtExit();

private:
    static std::map<int, ClientRef> mClients;
    static std::map<std::string, int> mClientIds;
    // The registry lock (docs/thread-model.md).
    static pthread_mutex_t mClientsLock;
};

#endif  // OXA_CLIENT_LOADER_H
