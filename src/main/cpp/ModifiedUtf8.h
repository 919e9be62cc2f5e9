// Makes a native text safe for NewStringUTF, which takes modified UTF-8 only:
// Android's checked JNI aborts the process on anything else and HotSpot
// silently garbles it.
#ifndef MODIFIED_UTF8_H
#define MODIFIED_UTF8_H

#include <string>

class ModifiedUtf8 {
public:
    // True when `text` is modified UTF-8 (one pass, no copy).
    static bool isValid(const char* text);
    // `text` itself when it is valid; otherwise a converted copy in
    // `storage`: a standard 4-byte sequence becomes its surrogate pair in the
    // 3+3-byte form, and every other invalid byte becomes U+FFFD.
    static const char* makeValid(const char* text, std::string& storage);
};

#endif  // MODIFIED_UTF8_H
