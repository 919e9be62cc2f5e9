// The order of the virtual slots as a separately compiled module sees it:
// each slot, called through a base-class pointer, must reach the member of
// the same name in the module, and each response slot the library or a
// module calls must reach the overload of the same meaning.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "IJackClientInterfaceV2.h"
#include "IOXAInterfaceV2.h"
#include "LoadedProbeClient.h"
#include "ProbeLibrary.h"
#include "ProbeModuleApi.h"
#include "RecordingResponse.h"

namespace {

using android::IJackClientInterface;
using android::IJackClientInterfaceV2;
using android::IOXAInterface;
using android::IOXAInterfaceV2;
using ::testing::ElementsAre;

typedef IOXAInterface* (*CreateFunction)();
typedef void (*DestroyFunction)(IOXAInterface*);

class ModuleSlots : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mProbe.isOpen()) << mProbe.error();
        CreateFunction create = mProbe.function<CreateFunction>("oxa_create");
        mDestroy = mProbe.function<DestroyFunction>("oxa_destroy");
        ASSERT_NE(create, nullptr);
        ASSERT_NE(mDestroy, nullptr);
        mProcessing = create();
        ASSERT_NE(mProcessing, nullptr);
        mProcessing->setResponseInterface(&mResponse);
    }

    void TearDown() override {
        if (mProcessing == nullptr) return;
        mProcessing->setResponseInterface(nullptr);
        mDestroy(mProcessing);
    }

    // The answers since the last call, emptied.
    std::vector<std::string> takeCalls() {
        std::vector<std::string> calls = mResponse.answers();
        mResponse.clear();
        return calls;
    }

    ProbeLibrary mProbe;
    DestroyFunction mDestroy = nullptr;
    IOXAInterface* mProcessing = nullptr;
    RecordingResponse<> mResponse;
};

TEST_F(ModuleSlots, EachProcessingSlotReachesTheModuleMemberOfTheSameName) {
    EXPECT_EQ(0, mProcessing->init());
    EXPECT_THAT(takeCalls(), ElementsAre("init()"));

    EXPECT_EQ(11, mProcessing->sendCommand("hello"));
    EXPECT_THAT(takeCalls(), ElementsAre("sendCommand(hello)"));

    IJackClientInterface* jack = mProcessing->getJackClientInterface();
    ASSERT_NE(jack, nullptr);
    EXPECT_EQ(23, jack->activate());
    EXPECT_THAT(takeCalls(), ElementsAre("activate()"));

    char block[64];
    size_t used = sizeof(block);
    EXPECT_EQ(0, mProcessing->request("what", 5, sizeof(block), used, block));
    EXPECT_EQ("request(what,5,64,64)", std::string(block, used));

    IOXAInterfaceV2* second = static_cast<IOXAInterfaceV2*>(mProcessing);
    const unsigned char stream[3] = {1, 2, 3};
    EXPECT_EQ(41, second->sendStream(stream, 3, 9));
    char expected[96];
    snprintf(expected, sizeof(expected), "sendStream(%p,3,9)", static_cast<const void*>(stream));
    EXPECT_THAT(takeCalls(), ElementsAre(expected));
}

TEST_F(ModuleSlots, EachJackClientSlotReachesTheModuleMemberOfTheSameName) {
    IJackClientInterface* jack = mProcessing->getJackClientInterface();
    ASSERT_NE(jack, nullptr);
    std::string name = "abi_1", first = "-a", second = "-b";
    char* argv[] = {&name[0], &first[0], &second[0]};
    std::string midi = "90 40 7f";

    EXPECT_EQ(21, jack->setUp(3, argv));
    EXPECT_EQ(22, jack->tearDown());
    EXPECT_EQ(23, jack->activate());
    EXPECT_EQ(24, jack->deactivate());
    EXPECT_EQ(25, jack->transport(android::TRANSPORT_ON));
    EXPECT_EQ(25, jack->transport(android::TRANSPORT_OFF));
    EXPECT_EQ(26, jack->sendMidi(&midi[0]));
    EXPECT_THAT(takeCalls(),
                ElementsAre("setUp(3,abi_1,-a,-b)", "tearDown()", "activate()", "deactivate()",
                            "transport(1)", "transport(0)", "sendMidi(90 40 7f)"));

    ASSERT_EQ(2, jack->getMagicNumber());
    IJackClientInterfaceV2* jack2 = static_cast<IJackClientInterfaceV2*>(jack);
    EXPECT_STREQ("probe-x", jack2->getJackClientName("x"));
    jack2->setByPassEnabled(true);
    jack2->setByPassEnabled(false);
    EXPECT_THAT(takeCalls(), ElementsAre("getJackClientName(x)", "setByPassEnabled(true)",
                                         "setByPassEnabled(false)"));
}

TEST_F(ModuleSlots, TheVirtualDestructorsAreReachedThroughBasePointers) {
    ProbeNewJackFunction newJack = mProbe.function<ProbeNewJackFunction>("probe_new_jack");
    ASSERT_NE(newJack, nullptr);
    IJackClientInterface* jack = newJack(mProcessing);
    ASSERT_NE(jack, nullptr);
    delete jack;
    EXPECT_THAT(takeCalls(), ElementsAre("~ProbeJack()"));

    // The module's own JACK client goes with its processing object.
    IOXAInterface* processing = mProcessing;
    mProcessing = nullptr;
    delete processing;
    EXPECT_THAT(takeCalls(), ElementsAre("~ProbeProcessing()", "~ProbeJack()"));
}

// IOXAInterface::response is the library's code; the response interface is
// compiled in the test binary.
TEST_F(ModuleSlots, TheLibrarysResponseMembersReachEachSlotOfAResponseInterfaceCompiledApart) {
    EXPECT_EQ(0, mProcessing->sendCommand("answer:each"));
    EXPECT_THAT(takeCalls(), ElementsAre("each:text", "data:6:3:102030", "id:7:each:tagged"));
}

// The module's own code calls each slot of the host's client.
TEST(HostResponseSlots, AModuleCallingEachSlotOfAClientReachesTheMatchingOverload) {
    ProbeLibrary probe;
    ASSERT_TRUE(probe.isOpen()) << probe.error();
    ProbeAnswerFunction answer = probe.function<ProbeAnswerFunction>("probe_answer_through");
    ASSERT_NE(answer, nullptr);
    LoadedProbeClient loaded(3);
    ASSERT_TRUE(loaded.isLoaded());

    EXPECT_EQ(4, answer(&loaded.client()));

    std::vector<std::string> texts;
    for (const Notification& text : loaded.listener().notifications()) {
        texts.push_back(std::to_string(text.msgType) + ":" + std::to_string(text.ext1) + ":" +
                        std::to_string(text.ext2) + ":" + text.text);
    }
    EXPECT_THAT(texts, ElementsAre("0:0:3:one", "0:9:3:nine"));
    const std::vector<DataNotification> data = loaded.listener().dataNotifications();
    ASSERT_EQ(1u, data.size());
    EXPECT_EQ(4, data[0].ext1);
    EXPECT_EQ(3, data[0].ext2);
    EXPECT_EQ(std::string("\x00\x01\x02\x03\x04\x05\x06\x07", 8), data[0].bytes);
}

}  // namespace
