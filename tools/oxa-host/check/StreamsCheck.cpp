#include "StreamsCheck.h"

#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "AnswerLog.h"
#include "CallClock.h"
#include "ChildChannel.h"
#include "DirectModule.h"
#include "GuardedBlock.h"
#include "HostedModule.h"
#include "IOXAInterfaceV2.h"
#include "MagicProbe.h"

namespace oxahost {

namespace {

const long kStreamLengths[] = {0, 1, 7919, 65521, 8L * 1024 * 1024};
// The host's own request size, and prime and tiny ones.
const long kRequestCapacities[] = {0, 1, 7919, 200000};
// Time for module threads to use what they should not have kept.
const int kAfterCallsMs = 50;

void requests(android::IOXAInterface* object, std::mt19937& random, CheckOutcome* outcome) {
    std::vector<std::string> whats = {"", "x", std::string(300, 'w')};
    std::uniform_int_distribution<int> letter('a', 'z');
    for (int i = 0; i < 3; ++i) {
        std::string what;
        for (int j = 0; j < 8; ++j) what += static_cast<char>(letter(random));
        whats.push_back(what);
    }
    int overreported = 0;
    std::string first;
    for (long capacity : kRequestCapacities) {
        for (const std::string& what : whats) {
            for (long ext1 : {0L, capacity, -1L, capacity + 1}) {
                GuardedBlock block(static_cast<size_t>(capacity));
                if (block.data() == nullptr) continue;
                size_t used = static_cast<size_t>(capacity);
                ChildChannel::step("request(\"" + what.substr(0, 16) + "\", " +
                                   std::to_string(ext1) + ", " + std::to_string(capacity) + ")");
                const int result =
                    object->request(what.c_str(), ext1, capacity, used, block.data());
                block.poison();
                if (result == 0 && used > static_cast<size_t>(capacity)) {
                    if (overreported++ == 0) {
                        first = "request(\"" + what.substr(0, 16) + "\", ext1 " +
                                std::to_string(ext1) + ") reported " + std::to_string(used) +
                                " bytes of a " + std::to_string(capacity) + "-byte block";
                    }
                }
            }
        }
    }
    if (overreported > 0) {
        outcome->fail(std::to_string(overreported) +
                      " requests reported more bytes than their block holds, the first: " + first);
    }
}

void streams(android::IOXAInterface* object, std::mt19937& random) {
    android::IOXAInterfaceV2* v2 = static_cast<android::IOXAInterfaceV2*>(object);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> id(-5, 1000);
    for (long length : kStreamLengths) {
        GuardedBlock block(static_cast<size_t>(length));
        if (block.data() == nullptr) continue;
        for (long i = 0; i < length; ++i)
            block.data()[i] = static_cast<unsigned char>(byte(random));
        ChildChannel::step("sendStream of " + std::to_string(length) + " bytes");
        v2->sendStream(block.data(), length, id(random));
        block.poison();
    }
}

}  // namespace

CheckOutcome StreamsCheck::run(const CheckContext& context) {
    CheckOutcome outcome;
    MagicProbe probe;
    if (!probe.runFor(context, &outcome)) return outcome;
    std::mt19937 random(context.seed);
    {
        DirectModule module(context);
        std::string error;
        if (!module.open(&error)) {
            outcome.fail("cannot make the module's object: " + error);
            return outcome;
        }
        requests(module.object(), random, &outcome);
        if (probe.processing.magic >= 2 && !probe.processing.claimUnsafe()) {
            streams(module.object(), random);
            outcome.note("streams of 0, 1, 7919, 65521 and 8388608 bytes");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kAfterCallsMs));
    }
    if (probe.processing.claimUnsafe()) {
        outcome.note("no streams sent: the version-2 claim is not borne out (see magic)");
    } else if (probe.processing.magic < 2) {
        // A version-1 object receives streams as text commands, from the host.
        AnswerLog answers;
        CallClock clock;
        HostedModule hosted(context, answers, clock);
        if (!hosted.load()) {
            outcome.fail("the host does not load the module");
            return outcome;
        }
        for (long length : {0L, 1L, 7919L}) {
            const std::vector<unsigned char> bytes(static_cast<size_t>(length), 0xa5);
            hosted.stream(bytes.data(), length, 1);
        }
        hosted.destroy();
        outcome.note("streams of 0, 1 and 7919 bytes as text (a version-1 object)");
    }
    outcome.note("requests of 0, 1, 7919 and 200000 bytes, each against a guard page");
    return outcome;
}

}  // namespace oxahost
