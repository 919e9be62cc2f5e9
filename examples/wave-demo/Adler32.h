// Adler-32 as zlib and java.util.zip.Adler32 compute it, so the Java side can
// check that a stream arrived intact.
#ifndef WAVE_DEMO_ADLER32_H
#define WAVE_DEMO_ADLER32_H

#include <stddef.h>
#include <stdint.h>

namespace wavedemo {

uint32_t adler32(const void* data, size_t length);

}  // namespace wavedemo

#endif  // WAVE_DEMO_ADLER32_H
