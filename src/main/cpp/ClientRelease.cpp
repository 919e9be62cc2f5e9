#include "ClientRelease.h"

#include <pthread.h>

#include <atomic>

#include "AnswerScope.h"
#include "OvikAutoLock.h"

#define LOG_TAG OVIK_BRIDGE_LOG_TAG
#include "OvikLog.h"

struct ClientRelease::NotificationThread {
    int depth;
    std::vector<ClientRef>* parked;
};

// The parking list exists only while something is parked, so a thread that
// ends leaves nothing behind.
thread_local ClientRelease::NotificationThread ClientRelease::tNotifications = {0, nullptr};

namespace {

// Clients whose last reference went inside one of their own answers. The
// lock guards the list only; nothing is destroyed under it.
pthread_mutex_t sRetiredLock = PTHREAD_MUTEX_INITIALIZER;
std::vector<ClientRelease::ClientRef>* sRetired = nullptr;
std::atomic<bool> sAnyRetired(false);

void retire(ClientRelease::ClientRef client) {
    ALOGI("client %p goes at the next call from Java: this thread is inside an answer",
          static_cast<void*>(client.get()));
    android::OvikAutoLock lock(&sRetiredLock);
    // Never freed: it outlives every thread that may still retire a client.
    if (sRetired == nullptr) sRetired = new std::vector<ClientRelease::ClientRef>();
    sRetired->push_back(std::move(client));
    sAnyRetired.store(true, std::memory_order_release);
}

}  // namespace

void ClientRelease::drop(ClientRef client) {
    if (!client) return;
    NotificationThread& thread = tNotifications;
    if (thread.depth > 0) {
        if (thread.parked == nullptr) thread.parked = new std::vector<ClientRef>();
        thread.parked->push_back(std::move(client));
        return;
    }
    releaseOne(std::move(client));
}

void ClientRelease::drop(std::vector<ClientRef>* clients) {
    for (ClientRef& client : *clients) drop(std::move(client));
    clients->clear();
}

void ClientRelease::releaseOne(ClientRef client) {
    // A thread inside an answer never drops a reference itself: it is
    // running module code, which the client's destruction may unload under
    // it or wait for (a module joins its threads), and two module threads
    // each destroying the other's client would wait for ever.
    if (android::AnswerScope::isInsideAny()) {
        retire(std::move(client));
    } else {
        client.reset();
    }
}

void ClientRelease::releaseNow(std::vector<ClientRef>* clients) {
    for (ClientRef& client : *clients) releaseOne(std::move(client));
    clients->clear();
}

void ClientRelease::releaseRetired() {
    if (!sAnyRetired.load(std::memory_order_acquire) || tNotifications.depth > 0) return;
    std::vector<ClientRef> retired;
    {
        android::OvikAutoLock lock(&sRetiredLock);
        if (sRetired != nullptr) retired.swap(*sRetired);
        sAnyRetired.store(false, std::memory_order_release);
    }
    releaseNow(&retired);
}

ClientRelease::NotificationScope::NotificationScope() : mThread(&tNotifications) {
    ++mThread->depth;
}

ClientRelease::NotificationScope::~NotificationScope() {
    if (--mThread->depth > 0) return;
    // Destroying a client may notify again; what that parks is let go by its
    // own scope, so this loop only takes what was parked before.
    while (mThread->parked != nullptr) {
        std::unique_ptr<std::vector<ClientRef>> parked(mThread->parked);
        mThread->parked = nullptr;
        releaseNow(parked.get());
    }
}
