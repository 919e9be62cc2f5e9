// Marks an entry point of a test module library: a C name in the dynamic
// symbol table, whatever visibility the rest of the module has.
#ifndef OVIK_TEST_WAVE_EXPORT_H
#define OVIK_TEST_WAVE_EXPORT_H

#include "OXACommon.h"

#define WAVE_EXPORT extern "C" OXA_EXPORT

#endif  // OVIK_TEST_WAVE_EXPORT_H
