#include "ClientRelease.h"

#include <pthread.h>

#include <atomic>

#include "AnswerScope.h"
#include "OvikAutoLock.h"

#define LOG_TAG OVIK_BRIDGE_LOG_TAG
#include "OvikLog.h"

namespace {

// How deep the calling thread is in notifications.
thread_local int tNotificationDepth = 0;

// The deferred queue (docs/thread-model.md). The lock guards the list only;
// nothing is destroyed and nothing is called under it.
pthread_mutex_t sQueueLock = PTHREAD_MUTEX_INITIALIZER;
// Queued, plus taken from the queue and not yet destroyed.
std::atomic<size_t> sPending(0);

std::vector<ClientRelease::ClientRef>& queue() {
    // Never freed: a module thread may still queue a client while statics
    // are destroyed at exit (OXAClientLoader::destroyAllAtExit()).
    static std::vector<ClientRelease::ClientRef>* clients =
        new std::vector<ClientRelease::ClientRef>();
    return *clients;
}

void enqueue(ClientRelease::ClientRef client) {
    android::OvikAutoLock lock(&sQueueLock);
    queue().push_back(std::move(client));
    sPending.fetch_add(1, std::memory_order_acq_rel);
}

}  // namespace

bool ClientRelease::mayDestroyHere() {
    return tNotificationDepth == 0 && !android::AnswerScope::isInsideAny() &&
           android::OvikAutoLock::heldOnThisThread() == 0;
}

void ClientRelease::drop(ClientRef client) {
    if (!client) return;
    if (mayDestroyHere()) {
        client.reset();
        return;
    }
    enqueue(std::move(client));
}

void ClientRelease::drop(std::vector<ClientRef>* clients) {
    for (ClientRef& client : *clients) drop(std::move(client));
    clients->clear();
}

size_t ClientRelease::pending() {
    return sPending.load(std::memory_order_acquire);
}

void ClientRelease::drainIfSafe() {
    if (pending() == 0 || !mayDestroyHere()) return;
    destroyQueued();
}

void ClientRelease::drainAtExit() {
    destroyQueued();
}

void ClientRelease::destroyQueued() {
    // Destroying a client may queue others (its module's last answers):
    // taken in turn until none is left.
    for (;;) {
        std::vector<ClientRef> taken;
        {
            android::OvikAutoLock lock(&sQueueLock);
            taken.swap(queue());
        }
        if (taken.empty()) return;
        for (ClientRef& client : taken) {
            client.reset();
            sPending.fetch_sub(1, std::memory_order_acq_rel);
        }
    }
}

ClientRelease::NotificationScope::NotificationScope() {
    ++tNotificationDepth;
}

ClientRelease::NotificationScope::~NotificationScope() {
    --tNotificationDepth;
    drainIfSafe();
}
