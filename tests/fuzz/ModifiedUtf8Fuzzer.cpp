// Any native text made safe for NewStringUTF comes out as modified UTF-8,
// valid text comes out untouched, and a second pass changes nothing.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "FuzzClient.h"
#include "ModifiedUtf8.h"

namespace {

bool continues(const unsigned char* p, size_t count) {
    for (size_t i = 1; i <= count; ++i) {
        if ((p[i] & 0xC0) != 0x80) return false;
    }
    return true;
}

// Modified UTF-8 as checked JNI reads it: ASCII without zero, or a lead byte
// of a 2- or 3-byte sequence with its continuation bytes. No 4-byte form.
bool referenceValid(const std::string& text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.c_str());
    const unsigned char* end = p + text.size();
    while (p < end) {
        size_t extra = 0;
        if (*p >= 0x01 && *p <= 0x7F) {
            extra = 0;
        } else if (*p >= 0xC0 && *p <= 0xDF) {
            extra = 1;
        } else if (*p >= 0xE0 && *p <= 0xEF) {
            extra = 2;
        } else {
            return false;
        }
        if (static_cast<size_t>(end - p) <= extra || !continues(p, extra)) return false;
        p += extra + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzz::textOf(data, size);
    std::string storage;
    const char* once = ModifiedUtf8::makeValid(text.c_str(), storage);
    const std::string result(once);
    if (!referenceValid(result)) fuzz::fail("invalid result");
    if (referenceValid(text) && once != text.c_str()) fuzz::fail("valid text was changed");
    std::string secondStorage;
    if (ModifiedUtf8::makeValid(result.c_str(), secondStorage) != result.c_str()) {
        fuzz::fail("a second pass changed the text");
    }
    return 0;
}
