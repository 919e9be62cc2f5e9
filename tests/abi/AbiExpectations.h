// The layout of the module contract on each processor the library is built
// for. Module libraries are compiled apart from the library, so these values
// are part of the binary contract: on 32-bit ARM, the device's processor, a
// processing object is the vtable pointer, mMagicNumber and mResponse in 12
// bytes; on x86-64 the same fields take their natural 64-bit places.
#ifndef OVIK_ABI_EXPECTATIONS_H
#define OVIK_ABI_EXPECTATIONS_H

#include <stddef.h>

namespace contract {

#if defined(__arm__)
constexpr size_t kPointerBytes = 4;
constexpr size_t kLongBytes = 4;
constexpr size_t kSizeBytes = 4;
constexpr size_t kProcessingBytes = 12;
constexpr size_t kResponseOffset = 8;
constexpr size_t kSmallInterfaceBytes = 8;
constexpr bool kCharIsSigned = false;
#elif defined(__x86_64__)
constexpr size_t kPointerBytes = 8;
constexpr size_t kLongBytes = 8;
constexpr size_t kSizeBytes = 8;
constexpr size_t kProcessingBytes = 24;
constexpr size_t kResponseOffset = 16;
constexpr size_t kSmallInterfaceBytes = 16;
constexpr bool kCharIsSigned = true;
#else
#error "No contract layout is written down for this processor"
#endif

// The version number follows the vtable pointer in every contract class.
constexpr size_t kMagicOffset = kPointerBytes;
constexpr size_t kIntBytes = 4;
constexpr size_t kTransportTypeBytes = 4;
constexpr size_t kBoolBytes = 1;

}  // namespace contract

#endif  // OVIK_ABI_EXPECTATIONS_H
