// One hosted module instance ("wave"): loads the module library, creates its
// processing object, drives it with text commands, requests and streams, and
// forwards its answers to the process-wide listener stamped with the client's
// object id. It is also the response interface the module answers through.
//
// A client exists only through createInstance() and is always owned by shared
// pointers; it is destroyed on whichever thread drops the last one.
//
// No lock is held across a call into the module. Commands, requests, streams
// and name queries may reach the module from several threads at once, and
// again from inside its own answers, so a module that waits for one of its
// threads never waits behind the host. The client's own state (the loaded
// module, the JACK client and its status) changes through atomics: one
// thread loads the module, one starts or tears down the JACK client, and
// the others see the state before or after the change, never half of it.
#ifndef OXA_CLIENT_H
#define OXA_CLIENT_H

#include <stddef.h>
#include <stdint.h>

#include <atomic>
#include <memory>
#include <string>

#include "IJackClientInterface.h"
#include "IOXAInterface.h"
#include "IOXAResponseInterfaceV2.h"
#include "JackClientDriver.h"
#include "ModuleLibrary.h"
#include "OXAClientUser.h"
#include "OXACommon.h"
#include "OXAUserListener.h"
#include "OxaMemoryHeap.h"

namespace android {

class ModuleLoader;

typedef enum _OXAClientStatus {
    OXACLIENT_STATUS_NOT_RUNNING = 0,
    OXACLIENT_STATUS_RUNNING = 1,
} OXAClientStatus;

class OXA_EXPORT OXAClient : public IOXAResponseInterfaceV2 {
public:
    // The host's API level, called the framework API level in messages.
    static const int32_t OXACLIENT_API_LEVEL = 4;
    // The one listener of every client; null until setListener().
    static OXAUserListener* mListener;

    // A client named `name`, its object id read from the text after the last
    // "_". A name without "_" is refused: logged, and an empty pointer.
    static std::shared_ptr<OXAClient> createInstance(const std::string& name,
                                                     const std::string& binderName,
                                                     const int uiPid);
    // Nothing to do: the last shared owner destroys the client.
    static void deleteInstance(const std::shared_ptr<OXAClient>& instance);
    static void setListener(OXAUserListener* listener);

    virtual ~OXAClient();

    // Answers from the module (any thread), forwarded to the listener.
    virtual void responseToService(const char* message) override;
    virtual void responseToService(const int32_t ext1, const size_t len, const void* data) override;
    virtual void responseToService(const int id, const char* message) override;
    virtual int getTargetAPILevel() override;

    // "<client name>!<command>"; the result of the command, 1 when refused.
    virtual int sendCommand(const char* command);
    // A block of bytes for the module: passed as is to a version-2 object,
    // as the command "stream:<id>:<hex>" to a version-1 object.
    virtual int sendStream(const void* stream, const long streamLen, const int id);
    // The module's JACK client name (the module's text), or null.
    virtual char* getJackClientName(const char* name);

    // Loads the module library from `libPath`/`fileName`, or failing that from
    // `libPath`/libwave_`name`.so. 0 when loaded (or loaded already), else 1.
    int loadUserObject(const std::string& name, const std::string& fileName,
                       const std::string& libPath);
    // Has the module fill a block of `capacity` bytes; empty on failure, in
    // which case `usedBytes` is left alone. The client keeps the block and
    // hands it to the module again at its next request of the same size
    // (unless another request of this client has it then), so the bytes of a
    // block change when the next request reaches this client.
    std::shared_ptr<OxaMemoryHeap> request(const char* what, const long ext1, const long capacity,
                                           size_t& usedBytes);

    // Asks the local priority service to set thread `tid` of `pid` to
    // `priority`. Fire and forget.
    void setPriority(int pid, int tid, int priority);

    // The same request sent to the datagram socket at `socketPath`.
    static void setPriorityAt(const char* socketPath, int pid, int tid, int priority);
    // Clients constructed and not yet fully destroyed, process-wide: the
    // JACK library may be unloaded only when there are none.
    OXA_HIDDEN static int liveCount();
    // Calls `unload` when no client lives, and keeps new clients from being
    // constructed until it returns, so none sets up a JACK client against a
    // library that is going. True when it was called.
    OXA_HIDDEN static bool unloadWhenNoClientLives(int (*unload)());

private:
    OXAClient();
    OXAClient(const OXAClient&) = delete;
    OXAClient& operator=(const OXAClient&) = delete;

    OXA_HIDDEN bool init(const std::string& name, const std::string& binderName, const int uiPid);
    OXA_HIDDEN int handleCommand(const char* command);
    OXA_HIDDEN void unloadUserObject();

    // Steps of handleCommand with more than one line.
    OXA_HIDDEN int initClient(const char* command);
    OXA_HIDDEN int passToModule(const char* command);
    // The block of the client's last request when it has `capacity` bytes
    // and no other request holds it, else a new zeroed block; empty when
    // none can be allocated.
    OXA_HIDDEN std::shared_ptr<OxaMemoryHeap> takeBlock(long capacity);
    // Steps of loadUserObject. `alreadyLoaded` tells a caller that lost the
    // race to load from one that loaded.
    OXA_HIDDEN int loadOnce(const std::string& name, const std::string& fileName,
                            const std::string& libPath, bool* alreadyLoaded);
    OXA_HIDDEN int failLoading();
    OXA_HIDDEN void readVersions(const ModuleLoader& loader);

    // Where loading stands: the module object is published only once its
    // init() has succeeded, so no other thread calls an object half made.
    enum LoadState { kUnloaded, kLoading, kLoaded };

    int32_t mObjectId;
    std::string mName;
    std::atomic<IOXAInterface*> mUserObject;
    OXAClientUser* mOXAClientUser;
    // Written by the loading thread before mLoadState becomes kLoaded.
    ModuleLibrary mLibHandle;
    std::atomic<int> mLoadState;
    // The block of the last request, kept for the next; taken and put back
    // with the atomic shared-pointer operations, so two concurrent requests
    // never fill the same block.
    std::shared_ptr<OxaMemoryHeap> mSpareBlock;
    // The module's JACK client and its status.
    JackClientDriver mJack;
    int32_t mTargetMajorVersionNumber;
    int32_t mNDKVersionNumber;
    int32_t mTargetMinorVersionNumber;
    int32_t mTargetPatchVersionNumber;
};

}  // namespace android

#endif  // OXA_CLIENT_H
