// Where the bridge lets go of its client references.
//
// Destroying a client tears its JACK client down and destroys its module,
// and a module commonly joins its own threads there. A thread inside a
// notification holds the listener lock, and those module threads may be
// waiting for it to deliver an answer; destroying a client on such a thread
// would wait for them for ever. So a reference dropped inside a notification
// (a Java callback that deletes a client, a forced-death sweep raised by a
// module) is parked on the thread and let go when its outermost notification
// has ended and the listener lock is free.
//
// A reference let go of on a thread that is still inside a module's answer
// (a module thread whose callback deleted a client) is not dropped there
// either: the module could be unloaded under the code that answered, and a
// module thread destroying another module's client would wait for that
// module's threads, which may be destroying its own client in turn. It is
// retired instead, and dropped by the next call from Java that reaches the
// registry.
#ifndef CLIENT_RELEASE_H
#define CLIENT_RELEASE_H

#include <memory>
#include <utility>
#include <vector>

#include "OXAClient.h"

class ClientRelease {
    // How deep a thread is in notifications, and what it parked.
    struct NotificationThread;
    static thread_local NotificationThread tNotifications;

public:
    typedef std::shared_ptr<android::OXAClient> ClientRef;

    // Drops `client` now, or later as described above.
    static void drop(ClientRef client);
    static void drop(std::vector<ClientRef>* clients);
    // Destroys the retired clients; a no-op inside a notification.
    static void releaseRetired();

    // Marks the calling thread as delivering a notification for the scope's
    // length. The outermost scope lets go of what was parked meanwhile; it
    // must end after the listener lock is released.
    class NotificationScope {
    public:
        NotificationScope();
        ~NotificationScope();
        NotificationScope(const NotificationScope&) = delete;
        NotificationScope& operator=(const NotificationScope&) = delete;

    private:
        // The calling thread's, found once per scope.
        NotificationThread* mThread;
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
    static void releaseOne(ClientRef client);
    static void releaseNow(std::vector<ClientRef>* clients);
};

#endif  // CLIENT_RELEASE_H
