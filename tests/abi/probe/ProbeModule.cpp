// Entry points of the layout probe module: the module library contract, and
// the few functions the layout and slot-order tests call directly.
#include <string.h>

#include <type_traits>

#include "IJackClientInterfaceV2.h"
#include "IOXAInterfaceV2.h"
#include "IOXAResponseInterfaceV2.h"
#include "OXACommon.h"
#include "ProbeJack.h"
#include "ProbeModuleApi.h"
#include "ProbeProcessing.h"

namespace {

struct Fact {
    const char* name;
    long long value;
};

long long processingMagicOffset() {
    ProbeProcessing probe;
    return probe.magicNumberOffset();
}

long long jackMagicOffset() {
    ProbeJack probe(nullptr);
    return probe.magicNumberOffset();
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) android::IOXAInterface* oxa_create() {
    return new ProbeProcessing();
}

__attribute__((visibility("default"))) void oxa_destroy(android::IOXAInterface* object) {
    delete static_cast<ProbeProcessing*>(object);
}

__attribute__((visibility("default"))) int oxa_get_api_level() {
    return 4;
}

__attribute__((visibility("default"))) long long probe_fact(const char* name) {
    const Fact facts[] = {
        {"sizeof IOXAInterface", sizeof(android::IOXAInterface)},
        {"sizeof IOXAInterfaceV2", sizeof(android::IOXAInterfaceV2)},
        {"sizeof IJackClientInterface", sizeof(android::IJackClientInterface)},
        {"sizeof IJackClientInterfaceV2", sizeof(android::IJackClientInterfaceV2)},
        {"sizeof IOXAResponseInterface", sizeof(IOXAResponseInterface)},
        {"sizeof IOXAResponseInterfaceV2", sizeof(IOXAResponseInterfaceV2)},
        {"sizeof TransportType", sizeof(android::TransportType)},
        {"sizeof long", sizeof(long)},
        {"sizeof size_t", sizeof(size_t)},
        {"sizeof bool", sizeof(bool)},
        {"sizeof void*", sizeof(void*)},
        {"offsetof IOXAInterface::mMagicNumber", processingMagicOffset()},
        {"offsetof IJackClientInterface::mMagicNumber", jackMagicOffset()},
        {"char is signed", std::is_signed<char>::value ? 1 : 0},
    };
    for (const Fact& fact : facts) {
        if (strcmp(fact.name, name) == 0) return fact.value;
    }
    return -1;
}

__attribute__((visibility("default"))) int probe_answer_through(IOXAResponseInterfaceV2* itf) {
    static const unsigned char kBlock[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    itf->responseToService("one");
    itf->responseToService(static_cast<int32_t>(4), sizeof(kBlock), kBlock);
    itf->responseToService(9, "nine");
    return itf->getTargetAPILevel();
}

__attribute__((visibility("default"))) android::IJackClientInterface* probe_new_jack(
    android::IOXAInterface* owner) {
    return new ProbeJack(owner);
}

}  // extern "C"
