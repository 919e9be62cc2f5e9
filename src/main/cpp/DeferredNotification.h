// A notification as the listener receives it, and a copy of one kept for
// later. The copy is made only when a notification cannot be delivered at
// once without waiting for a thread that may be waiting for it
// (docs/thread-model.md, "The listener's turn").
#ifndef DEFERRED_NOTIFICATION_H
#define DEFERRED_NOTIFICATION_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

// The arguments of one notification; owns nothing.
struct NotificationArgs {
    enum Kind {
        kEvent,        // notify(msgType, ext1, ext2, text)
        kData,         // notifyDataCallback(ext1, ext2, size, data)
        kDeathNotices  // the death notices that follow a forced-death sweep
    };

    Kind kind = kEvent;
    int32_t msgType = 0;
    int32_t ext1 = 0;
    int32_t ext2 = 0;
    const char* text = nullptr;
    size_t size = 0;
    const void* data = nullptr;
    const std::vector<int>* objectIds = nullptr;

    static NotificationArgs event(int32_t msgType, int32_t ext1, int32_t ext2, const char* text);
    static NotificationArgs block(int32_t ext1, int32_t ext2, size_t size, const void* data);
    static NotificationArgs deathNotices(const std::vector<int>* objectIds, const char* text);
};

// A notification copied for the thread that holds the listener's turn, which
// delivers it after its own callback. A data block delivered this way reaches
// Java over the copy, not over the module's memory.
class DeferredNotification {
public:
    DeferredNotification() = default;
    // Copies the text, the block or the object ids of `args`.
    explicit DeferredNotification(const NotificationArgs& args);

    // The arguments to deliver; valid while this object lives unchanged.
    NotificationArgs args() const;

private:
    NotificationArgs mArgs;
    bool mHasText = false;
    std::string mText;
    std::vector<unsigned char> mBytes;
    std::vector<int> mObjectIds;
};

#endif  // DEFERRED_NOTIFICATION_H
