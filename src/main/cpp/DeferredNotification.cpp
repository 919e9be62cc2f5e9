#include "DeferredNotification.h"

NotificationArgs NotificationArgs::event(int32_t msgType, int32_t ext1, int32_t ext2,
                                         const char* text) {
    NotificationArgs args;
    args.kind = kEvent;
    args.msgType = msgType;
    args.ext1 = ext1;
    args.ext2 = ext2;
    args.text = text;
    return args;
}

NotificationArgs NotificationArgs::block(int32_t ext1, int32_t ext2, size_t size,
                                         const void* data) {
    NotificationArgs args;
    args.kind = kData;
    args.ext1 = ext1;
    args.ext2 = ext2;
    args.size = size;
    args.data = data;
    return args;
}

NotificationArgs NotificationArgs::deathNotices(const std::vector<int>* objectIds,
                                                const char* text) {
    NotificationArgs args;
    args.kind = kDeathNotices;
    args.objectIds = objectIds;
    args.text = text;
    return args;
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
