#include "MagicProbe.h"

#include "ChildChannel.h"
#include "DirectModule.h"
#include "IJackClientInterfaceV2.h"
#include "IOXAInterfaceV2.h"

namespace oxahost {

namespace {

bool objectDerivesFromV2(const void* object) {
    const android::IOXAInterface* base = static_cast<const android::IOXAInterface*>(object);
    return dynamic_cast<const android::IOXAInterfaceV2*>(base) != nullptr;
}

bool jackDerivesFromV2(const void* object) {
    const android::IJackClientInterface* base =
        static_cast<const android::IJackClientInterface*>(object);
    return dynamic_cast<const android::IJackClientInterfaceV2*>(base) != nullptr;
}

}  // namespace

bool MagicProbe::runFor(const CheckContext& context, CheckOutcome* outcome) {
    std::string error;
    if (run(context, &error)) return true;
    outcome->fail("cannot make the module's object: " + error);
    return false;
}

bool MagicProbe::run(const CheckContext& context, std::string* error) {
    DirectModule module(context);
    if (!module.open(error)) return false;
    android::IOXAInterface* object = module.object();
    processing.present = true;
    processing.magic = object->getMagicNumber();
    processing.table = VtableExaminer::examine(object, kSendStreamSlot, 1, objectDerivesFromV2);
    ChildChannel::step("getJackClientInterface()");
    android::IJackClientInterface* jack = object->getJackClientInterface();
    if (jack != nullptr) {
        jackClient.present = true;
        jackClient.magic = jack->getMagicNumber();
        jackClient.table =
            VtableExaminer::examine(jack, kGetJackClientNameSlot, 2, jackDerivesFromV2);
    }
    return true;
}

}  // namespace oxahost
