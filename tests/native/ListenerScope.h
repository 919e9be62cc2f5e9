// Installs a listener for all clients for the length of a scope and leaves
// the process without one afterwards, as it was before.
#ifndef OVIK_TEST_LISTENER_SCOPE_H
#define OVIK_TEST_LISTENER_SCOPE_H

#include "OXAClient.h"

class ListenerScope {
public:
    explicit ListenerScope(android::OXAUserListener* listener) {
        android::OXAClient::setListener(listener);
    }
    ~ListenerScope() { android::OXAClient::setListener(nullptr); }

    ListenerScope(const ListenerScope&) = delete;
    ListenerScope& operator=(const ListenerScope&) = delete;
};

#endif  // OVIK_TEST_LISTENER_SCOPE_H
