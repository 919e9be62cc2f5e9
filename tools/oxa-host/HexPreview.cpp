#include "HexPreview.h"

#include <stdint.h>

namespace oxahost {

std::string hexPreview(const void* data, size_t size, size_t maxBytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    if (data == nullptr) return text;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    const size_t shown = size < maxBytes ? size : maxBytes;
    for (size_t i = 0; i < shown; ++i) {
        if (i > 0) text += ' ';
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 0xf];
    }
    if (shown < size) text += " ...";
    return text;
}

}  // namespace oxahost
