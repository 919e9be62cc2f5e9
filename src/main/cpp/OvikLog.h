// The library's log tags and the ALOG* macros. A source defines LOG_TAG as
// one of the tags before it logs; headers name their tag outright.
#ifndef OVIK_LOG_H
#define OVIK_LOG_H

#include <android/log.h>

// The client host and the module contract's host side.
#define OVIK_HOST_LOG_TAG "VAD-OXAClient"
// The Java service bridge.
#define OVIK_BRIDGE_LOG_TAG "ZEZE-OvikServiceJNI"

#define ALOGD(...) __android_log_print(ANDROID_LOG_DEBUG, LOG_TAG, __VA_ARGS__)
#define ALOGI(...) __android_log_print(ANDROID_LOG_INFO, LOG_TAG, __VA_ARGS__)
#define ALOGE(...) __android_log_print(ANDROID_LOG_ERROR, LOG_TAG, __VA_ARGS__)

#endif  // OVIK_LOG_H
