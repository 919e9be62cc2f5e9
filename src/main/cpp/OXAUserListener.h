// The one process-wide receiver of client answers and service notifications.
// Clients reach it through OXAClient::mListener. Both operations may be called
// from any thread and return after the notification was delivered or given up.
// They deliver one notification at a time process-wide: a call waits while
// another thread's is in progress, and a call on the thread that is already
// delivering one (from inside a Java callback) is delivered at once. The
// listener is created once and lives for the whole process.
#ifndef OXA_USER_LISTENER_H
#define OXA_USER_LISTENER_H

#include <stddef.h>
#include <stdint.h>

#include "OXACommon.h"

namespace android {

class OXA_EXPORT OXAUserListener {
public:
    virtual ~OXAUserListener() {}
    // A notification with a text; `str` is read during the call only.
    virtual void notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) = 0;
    // A notification with a block of `size` bytes, not copied: valid during
    // the call only.
    virtual void notifyDataCallback(int32_t ext1, int32_t ext2, size_t size, const void* data) = 0;
};

}  // namespace android

#endif  // OXA_USER_LISTENER_H
