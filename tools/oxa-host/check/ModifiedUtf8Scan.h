// Finds where a text stops being modified UTF-8, the encoding Java's
// NewStringUTF takes: a NUL only as C0 80, no 4-byte sequences (characters
// beyond U+FFFF come as two 3-byte surrogates), no other overlong forms.
#ifndef OXA_HOST_MODIFIED_UTF8_SCAN_H
#define OXA_HOST_MODIFIED_UTF8_SCAN_H

namespace oxahost {

class ModifiedUtf8Scan {
public:
    // The byte offset of the first byte that is not modified UTF-8, or -1.
    static long firstInvalid(const char* text);
};

}  // namespace oxahost

#endif  // OXA_HOST_MODIFIED_UTF8_SCAN_H
