#include "Adler32.h"

namespace wavedemo {

uint32_t adler32(const void* data, size_t length) {
    const uint32_t kModulus = 65521;
    // 5552 bytes is the longest run whose sums cannot overflow 32 bits.
    const size_t kRun = 5552;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    uint32_t a = 1;
    uint32_t b = 0;
    while (length > 0) {
        const size_t run = length < kRun ? length : kRun;
        for (size_t i = 0; i < run; ++i) {
            a += bytes[i];
            b += a;
        }
        a %= kModulus;
        b %= kModulus;
        bytes += run;
        length -= run;
    }
    return (b << 16) | a;
}

}  // namespace wavedemo
