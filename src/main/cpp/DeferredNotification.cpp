#include "DeferredNotification.h"

NotificationArgs NotificationArgs::event(int32_t msgType, int32_t ext1, int32_t ext2,
                                         const char* text) {
    return NotificationArgs{kEvent, msgType, ext1, ext2, text};
}

NotificationArgs NotificationArgs::block(int32_t ext1, int32_t ext2, size_t size,
                                         const void* data) {
    return NotificationArgs{kData, 0, ext1, ext2, nullptr, size, data};
}

NotificationArgs NotificationArgs::deathNotices(const std::vector<int>* objectIds,
                                                const char* text) {
    return NotificationArgs{kDeathNotices, 0, 0, 0, text, 0, nullptr, objectIds};
}

DeferredNotification::DeferredNotification(const NotificationArgs& args)
    : mArgs(args), mHasText(args.text != nullptr) {
    if (mHasText) mText = args.text;
    if (args.data != nullptr && args.size > 0) {
        const unsigned char* bytes = static_cast<const unsigned char*>(args.data);
        mBytes.assign(bytes, bytes + args.size);
    }
    if (args.objectIds != nullptr) mObjectIds = *args.objectIds;
}

NotificationArgs DeferredNotification::args() const {
    NotificationArgs args = mArgs;
    args.text = mHasText ? mText.c_str() : nullptr;
    args.data = mBytes.empty() ? nullptr : mBytes.data();
    args.objectIds = &mObjectIds;
    return args;
}
