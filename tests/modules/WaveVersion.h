// Which version of the contract a test module implements: WAVE_VERSION is 2
// (IOXAInterfaceV2 and IJackClientInterfaceV2) unless the build sets 1.
#ifndef OVIK_TEST_WAVE_VERSION_H
#define OVIK_TEST_WAVE_VERSION_H

#include "IJackClientInterface.h"
#include "IJackClientInterfaceV2.h"
#include "IOXAInterface.h"
#include "IOXAInterfaceV2.h"

#ifndef WAVE_VERSION
#define WAVE_VERSION 2
#endif

namespace testwave {

#if WAVE_VERSION >= 2
typedef android::IOXAInterfaceV2 WaveBase;
typedef android::IJackClientInterfaceV2 JackClientBase;
#else
typedef android::IOXAInterface WaveBase;
typedef android::IJackClientInterface JackClientBase;
#endif

}  // namespace testwave

#endif  // OVIK_TEST_WAVE_VERSION_H
