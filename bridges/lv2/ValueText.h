// Texts the audio thread answers, made without printf (whose locale and
// buffers are no business of a process callback).
#ifndef WAVE_LV2_VALUE_TEXT_H
#define WAVE_LV2_VALUE_TEXT_H

#include <stddef.h>

namespace wavelv2 {

// Writes `prefix`, `symbol`, a space and `value` with three decimals
// ("out level -12.500") into `out` of `room` bytes, cut to fit and always
// terminated. NaN and infinities are written as "nan", "inf" and "-inf".
void formatControl(char* out, size_t room, const char* prefix, const char* symbol, float value);

}  // namespace wavelv2

#endif  // WAVE_LV2_VALUE_TEXT_H
