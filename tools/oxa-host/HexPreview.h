#ifndef OXA_HOST_HEX_PREVIEW_H
#define OXA_HOST_HEX_PREVIEW_H

#include <stddef.h>

#include <string>

namespace oxahost {

// The first `maxBytes` bytes as space-separated lower-case hex pairs, with
// " ..." when there are more. Empty for no bytes or a null pointer.
std::string hexPreview(const void* data, size_t size, size_t maxBytes);

}  // namespace oxahost

#endif  // OXA_HOST_HEX_PREVIEW_H
