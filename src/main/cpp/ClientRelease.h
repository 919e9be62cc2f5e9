// Where the bridge lets go of its client references: the one release path.
// Why a reference is dropped at once or later, and where the queue is
// drained, is written in docs/thread-model.md ("Where a client is
// destroyed").
#ifndef CLIENT_RELEASE_H
#define CLIENT_RELEASE_H

#include <stddef.h>

#include <memory>
#include <utility>
#include <vector>

#include "ListenerGate.h"
#include "OXAClient.h"

class ClientRelease {
public:
    typedef std::shared_ptr<android::OXAClient> ClientRef;

    // Drops `client` now when the calling thread may destroy a client;
    // otherwise moves it to the process-wide queue.
    static void drop(ClientRef client);
    static void drop(std::vector<ClientRef>* clients);
    // Destroys the queued clients when the calling thread may; else nothing.
    static void drainIfSafe();
    // Destroys every queued client, whatever the calling thread: at process
    // exit only, after the registry has queued its own clients.
    static void drainAtExit();

    // Marks the calling thread as delivering a notification for the scope's
    // length. The outermost scope drains the queue; it must end after the
    // listener lock is released.
    class NotificationScope {
    public:
        NotificationScope();
        ~NotificationScope();
        NotificationScope(const NotificationScope&) = delete;
        NotificationScope& operator=(const NotificationScope&) = delete;
    };

    // The length of one native method: drains the queue when it ends, and
    // tells the listener's turn that its holder may now wait for others.
    class NativeMethodScope {
    public:
        NativeMethodScope() = default;
        ~NativeMethodScope() { drainIfSafe(); }
        NativeMethodScope(const NativeMethodScope&) = delete;
        NativeMethodScope& operator=(const NativeMethodScope&) = delete;

    private:
        ListenerGate::NativeMethodMark mMark;
    };

    // A reference held for the length of one native method, dropped through
    // drop() when the method returns.
    class Held {
    public:
        explicit Held(ClientRef client) : mClient(std::move(client)) {}
        ~Held() { drop(std::move(mClient)); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

        android::OXAClient* operator->() const { return mClient.get(); }
        explicit operator bool() const { return mClient != nullptr; }

    private:
        ClientRef mClient;
    };

private:
    // Queued, or taken from the queue and not yet destroyed.
    static size_t pending();
    static bool mayDestroyHere();
    static void destroyQueued();
};

#endif  // CLIENT_RELEASE_H
