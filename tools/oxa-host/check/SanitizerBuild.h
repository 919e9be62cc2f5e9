// Which sanitizer this oxa-host is built with, as 0 or 1 for #if: the parts
// of the validator that rest on calls a sanitizer's runtime owns (the
// allocator, the thread calls) ask here. GCC defines __SANITIZE_*__, clang
// answers __has_feature.
#ifndef OXA_HOST_SANITIZER_BUILD_H
#define OXA_HOST_SANITIZER_BUILD_H

#if defined(__has_feature)
#define OXA_HOST_HAS_FEATURE(feature) __has_feature(feature)
#else
#define OXA_HOST_HAS_FEATURE(feature) 0
#endif

#if defined(__SANITIZE_ADDRESS__) || OXA_HOST_HAS_FEATURE(address_sanitizer)
#define OXA_HOST_ADDRESS_SANITIZER 1
#else
#define OXA_HOST_ADDRESS_SANITIZER 0
#endif

#if defined(__SANITIZE_THREAD__) || OXA_HOST_HAS_FEATURE(thread_sanitizer)
#define OXA_HOST_THREAD_SANITIZER 1
#else
#define OXA_HOST_THREAD_SANITIZER 0
#endif

#if OXA_HOST_HAS_FEATURE(memory_sanitizer)
#define OXA_HOST_MEMORY_SANITIZER 1
#else
#define OXA_HOST_MEMORY_SANITIZER 0
#endif

#endif  // OXA_HOST_SANITIZER_BUILD_H
