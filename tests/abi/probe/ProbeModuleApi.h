// What the layout probe module exports beyond the module library contract
// (oxa_create, oxa_destroy, oxa_get_api_level), for the tests that look at the
// contract as a separately compiled module sees it. The tests find these by
// name with dlsym.
#ifndef OVIK_ABI_PROBE_MODULE_API_H
#define OVIK_ABI_PROBE_MODULE_API_H

#include "IJackClientInterface.h"
#include "IOXAInterface.h"
#include "IOXAResponseInterfaceV2.h"

extern "C" {
// "probe_fact": a size, offset or width as the module's compiler sees it, by
// name ("sizeof IOXAInterface", "offsetof IOXAInterface::mMagicNumber",
// "sizeof long", "char is signed", ...); -1 for an unknown name.
typedef long long (*ProbeFactFunction)(const char* name);
// "probe_answer_through": calls each slot of `itf` from module code:
// responseToService("one"), responseToService(4, the 8 bytes 0..7),
// responseToService(9, "nine"), and gives back getTargetAPILevel().
typedef int (*ProbeAnswerFunction)(IOXAResponseInterfaceV2* itf);
// "probe_new_jack": a new JACK client of the module, owned by the caller; it
// reports each call as a text answer through `owner`.
typedef android::IJackClientInterface* (*ProbeNewJackFunction)(android::IOXAInterface* owner);
}

#endif  // OVIK_ABI_PROBE_MODULE_API_H
