#include "MagicCheck.h"

#include <string>

#include "MagicProbe.h"

namespace oxahost {

namespace {

void judge(const char* what, const MagicProbe::Object& object, CheckOutcome* outcome) {
    const std::string magic = std::to_string(object.magic);
    const std::string head = std::string(what) + " (magic " + magic + "): ";
    if (object.magic != 1 && object.magic != 2) {
        outcome->warn(std::string(what) + " has the magic number " + magic +
                      ", neither 1 nor 2; the host takes it for version " +
                      (object.magic >= 2 ? "2" : "1"));
    }
    if (object.magic >= 2) {
        switch (object.table.finding) {
            case VtableExaminer::kHasSlots:
                outcome->note(head + object.table.evidence);
                break;
            case VtableExaminer::kLacksSlots:
                outcome->fail(head + "claims version 2, but " + object.table.evidence);
                break;
            case VtableExaminer::kUnknown:
                outcome->warn(head + "claims version 2 and the slots cannot be confirmed: " +
                              object.table.evidence);
                break;
        }
    } else if (object.table.derivesFromV2) {
        outcome->warn(head +
                      "is a version-2 class that claims version 1: the host never calls "
                      "its version-2 operations");
    } else {
        outcome->note(head + "version 1");
    }
}

}  // namespace

CheckOutcome MagicCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    MagicProbe probe;
    if (!probe.runFor(context, &outcome)) return outcome;
    judge("the processing object", probe.processing, &outcome);
    if (probe.jackClient.present) {
        judge("its JACK client", probe.jackClient, &outcome);
    } else {
        outcome.note("no JACK client");
    }
    return outcome;
}

}  // namespace oxahost
