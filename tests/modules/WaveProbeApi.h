// The C functions every test module exports so that a test can configure it
// and read what the host did to it. A test finds them with dlsym on the
// module's own handle; the names are the same in every module, and dlsym on
// a handle looks in that module first.
#ifndef OVIK_TEST_WAVE_PROBE_API_H
#define OVIK_TEST_WAVE_PROBE_API_H

#include <stddef.h>

// The tag of every line a test module writes to the Android log: one line per
// call the host makes into the module, so tests can see the module's calls in
// order with the host's own lines.
#define WAVE_PROBE_LOG_TAG "OXATestWave"

extern "C" {
// Number of calls recorded since the last reset.
typedef int (*WaveProbeCallCount)();
// Copies call `index` into `buffer` (at most capacity - 1 bytes and a zero)
// and gives its full length, or -1 when there is no such call.
typedef int (*WaveProbeCall)(int index, char* buffer, int capacity);
// Forgets the calls, the overlap count and every setting.
typedef void (*WaveProbeReset)();
// Sets a number the module acts on: the result of an operation (its name,
// e.g. "activate"), "requestFill" (bytes a request writes, -1 leaves the
// count alone), "jackClient" (1 the first JACK client, 2 a second one, 0
// none), "delayUs" (time every call stays inside the module).
typedef void (*WaveProbeSetValue)(const char* key, long value);
// Sets a text the module acts on: "ctorAnswer" (answered through the
// process-wide handle from the constructor), "initAnswer" (answered from
// init()), "jackName" (the JACK client name; unset gives null).
typedef void (*WaveProbeSetText)(const char* key, const char* text);
// Calls that started while another thread was inside the module.
typedef int (*WaveProbeOverlaps)();
// Processing objects constructed and not yet destroyed.
typedef int (*WaveProbeLiveObjects)();
}

#endif  // OVIK_TEST_WAVE_PROBE_API_H
