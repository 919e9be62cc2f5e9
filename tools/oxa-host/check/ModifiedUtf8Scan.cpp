#include "ModifiedUtf8Scan.h"

namespace oxahost {

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xc0) == 0x80;
}

}  // namespace

long ModifiedUtf8Scan::firstInvalid(const char* text) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    long i = 0;
    while (bytes[i] != 0) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            ++i;
        } else if ((lead & 0xe0) == 0xc0) {
            // Two bytes: C0 80 is the NUL character; other C0 and C1 forms
            // are overlong.
            if (!isContinuation(bytes[i + 1])) return i;
            if (lead < 0xc2 && !(lead == 0xc0 && bytes[i + 1] == 0x80)) return i;
            i += 2;
        } else if ((lead & 0xf0) == 0xe0) {
            if (!isContinuation(bytes[i + 1]) || !isContinuation(bytes[i + 2])) return i;
            if (lead == 0xe0 && bytes[i + 1] < 0xa0) return i;
            i += 3;
        } else {
            // Continuation bytes without a lead, and the 4-byte forms.
            return i;
        }
    }
    return -1;
}

}  // namespace oxahost
