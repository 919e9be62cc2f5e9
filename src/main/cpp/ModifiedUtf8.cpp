#include "ModifiedUtf8.h"

#include <stdint.h>
#include <string.h>

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the modified UTF-8 sequence at `p`, or 0 when it is not one.
size_t sequenceLength(const unsigned char* p) {
    if (p[0] < 0x80) return 1;
    if ((p[0] & 0xE0) == 0xC0) return isContinuation(p[1]) ? 2 : 0;
    if ((p[0] & 0xF0) == 0xE0) return isContinuation(p[1]) && isContinuation(p[2]) ? 3 : 0;
    return 0;
}

// The code point of a standard 4-byte sequence at `p` (U+10000 to
// U+10FFFF), or 0 when there is none.
uint32_t fourByteCodePoint(const unsigned char* p) {
    if ((p[0] & 0xF8) != 0xF0) return 0;
    if (!isContinuation(p[1]) || !isContinuation(p[2]) || !isContinuation(p[3])) return 0;
    const uint32_t codePoint = (static_cast<uint32_t>(p[0] & 0x07) << 18) |
                               (static_cast<uint32_t>(p[1] & 0x3F) << 12) |
                               (static_cast<uint32_t>(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
    return codePoint >= 0x10000 && codePoint <= 0x10FFFF ? codePoint : 0;
}

void appendThreeByte(uint32_t unit, std::string& out) {
    out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
    out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
}

}  // namespace

bool ModifiedUtf8::isValid(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* const end = p + strlen(text);
    for (;;) {
        // ASCII, the common case, is passed eight bytes at a time; no read
        // goes past the terminator.
        while (end - p >= 8) {
            uint64_t word;
            memcpy(&word, p, sizeof(word));
            if ((word & UINT64_C(0x8080808080808080)) != 0) break;
            p += 8;
        }
        while (p < end && *p < 0x80) ++p;
        if (p == end) return true;
        // A continuation byte is never 0, so a sequence ends by `end`.
        const size_t length = sequenceLength(p);
        if (length == 0) return false;
        p += length;
    }
}

const char* ModifiedUtf8::makeValid(const char* text, std::string& storage) {
    if (text == nullptr || isValid(text)) return text;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    storage.clear();
    storage.reserve(strlen(text) * 3);
    while (*p != 0) {
        const size_t length = sequenceLength(p);
        if (length != 0) {
            storage.append(reinterpret_cast<const char*>(p), length);
            p += length;
        } else if (const uint32_t codePoint = fourByteCodePoint(p)) {
            const uint32_t offset = codePoint - 0x10000;
            appendThreeByte(0xD800 | (offset >> 10), storage);
            appendThreeByte(0xDC00 | (offset & 0x3FF), storage);
            p += 4;
        } else {
            appendThreeByte(0xFFFD, storage);
            p += 1;
        }
    }
    return storage.c_str();
}
