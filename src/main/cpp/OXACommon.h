// Shared declarations of the module contract: the export macro and the
// transport switch argument. Nothing here runs code.
#ifndef OXA_COMMON_H
#define OXA_COMMON_H

// Marks what the library exports to module libraries and to Java. Everything
// else is built with hidden visibility.
#define OXA_EXPORT __attribute__((visibility("default")))
// Keeps a member of an exported class out of the dynamic symbol table.
#define OXA_HIDDEN __attribute__((visibility("hidden")))

namespace android {

// Argument of IJackClientInterface::transport. Fixed at 32 bits because module
// libraries are compiled separately.
typedef enum _transport_type {
    TRANSPORT_OFF = 0,
    TRANSPORT_ON = 1,
} TransportType;

}  // namespace android

#endif  // OXA_COMMON_H
