// Sizes and field places of the module contract, as the test binary, a
// separately compiled module and the library itself see them.
#include <gtest/gtest.h>
#include <string.h>

#include <memory>
#include <type_traits>

#include "AbiExpectations.h"
#include "IJackClientInterfaceV2.h"
#include "IOXAInterfaceV2.h"
#include "IOXAResponseInterfaceV2.h"
#include "OXACommon.h"
#include "ProbeLibrary.h"
#include "ProbeModuleApi.h"
#include "RecordingResponse.h"

namespace {

using android::IJackClientInterface;
using android::IJackClientInterfaceV2;
using android::IOXAInterface;
using android::IOXAInterfaceV2;

typedef IOXAInterface* (*CreateFunction)();
typedef void (*DestroyFunction)(IOXAInterface*);

int intAt(const void* object, size_t offset) {
    int value = 0;
    memcpy(&value, static_cast<const char*>(object) + offset, sizeof(value));
    return value;
}

const void* pointerAt(const void* object, size_t offset) {
    const void* value = nullptr;
    memcpy(&value, static_cast<const char*>(object) + offset, sizeof(value));
    return value;
}

class ContractLayout : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mProbe.isOpen()) << mProbe.error();
        mFact = mProbe.function<ProbeFactFunction>("probe_fact");
        mCreate = mProbe.function<CreateFunction>("oxa_create");
        mDestroy = mProbe.function<DestroyFunction>("oxa_destroy");
        mNewJack = mProbe.function<ProbeNewJackFunction>("probe_new_jack");
        ASSERT_NE(mFact, nullptr);
        ASSERT_NE(mCreate, nullptr);
        ASSERT_NE(mDestroy, nullptr);
        ASSERT_NE(mNewJack, nullptr);
    }

    ProbeLibrary mProbe;
    ProbeFactFunction mFact = nullptr;
    CreateFunction mCreate = nullptr;
    DestroyFunction mDestroy = nullptr;
    ProbeNewJackFunction mNewJack = nullptr;
};

TEST_F(ContractLayout, BasicTypesHaveTheWidthsOfTheTargetInTheTestAndInTheModule) {
    EXPECT_EQ(contract::kPointerBytes, sizeof(void*));
    EXPECT_EQ(contract::kLongBytes, sizeof(long));
    EXPECT_EQ(contract::kSizeBytes, sizeof(size_t));
    EXPECT_EQ(contract::kIntBytes, sizeof(int));
    EXPECT_EQ(contract::kBoolBytes, sizeof(bool));
    EXPECT_EQ(contract::kTransportTypeBytes, sizeof(android::TransportType));

    EXPECT_EQ(static_cast<long long>(contract::kPointerBytes), mFact("sizeof void*"));
    EXPECT_EQ(static_cast<long long>(contract::kLongBytes), mFact("sizeof long"));
    EXPECT_EQ(static_cast<long long>(contract::kSizeBytes), mFact("sizeof size_t"));
    EXPECT_EQ(static_cast<long long>(contract::kBoolBytes), mFact("sizeof bool"));
    EXPECT_EQ(static_cast<long long>(contract::kTransportTypeBytes), mFact("sizeof TransportType"));
}

TEST_F(ContractLayout, EveryContractClassHasTheSizeOfItsFieldsAfterTheVtablePointer) {
    const struct {
        const char* fact;
        size_t inTest;
        size_t expected;
    } classes[] = {
        {"sizeof IOXAInterface", sizeof(IOXAInterface), contract::kProcessingBytes},
        {"sizeof IOXAInterfaceV2", sizeof(IOXAInterfaceV2), contract::kProcessingBytes},
        {"sizeof IJackClientInterface", sizeof(IJackClientInterface),
         contract::kSmallInterfaceBytes},
        {"sizeof IJackClientInterfaceV2", sizeof(IJackClientInterfaceV2),
         contract::kSmallInterfaceBytes},
        {"sizeof IOXAResponseInterface", sizeof(IOXAResponseInterface),
         contract::kSmallInterfaceBytes},
        {"sizeof IOXAResponseInterfaceV2", sizeof(IOXAResponseInterfaceV2),
         contract::kSmallInterfaceBytes},
    };
    for (const auto& c : classes) {
        EXPECT_EQ(c.expected, c.inTest) << c.fact << " in the test";
        EXPECT_EQ(static_cast<long long>(c.expected), mFact(c.fact)) << c.fact << " in the module";
    }
}

TEST_F(ContractLayout, TheModulePlacesTheVersionNumberRightAfterTheVtablePointer) {
    EXPECT_EQ(static_cast<long long>(contract::kMagicOffset),
              mFact("offsetof IOXAInterface::mMagicNumber"));
    EXPECT_EQ(static_cast<long long>(contract::kMagicOffset),
              mFact("offsetof IJackClientInterface::mMagicNumber"));
}

// The library's constructors write the version numbers; the bytes they wrote
// must sit where the module and the test expect them.
TEST_F(ContractLayout, TheLibraryWritesEachVersionNumberRightAfterTheVtablePointer) {
    IOXAInterface* processing = mCreate();
    ASSERT_NE(processing, nullptr);
    std::unique_ptr<IJackClientInterface> jack(mNewJack(processing));
    RecordingResponse<> response;

    EXPECT_EQ(2, intAt(processing, contract::kMagicOffset));
    EXPECT_EQ(2, intAt(jack.get(), contract::kMagicOffset));
    EXPECT_EQ(2, intAt(&response, contract::kMagicOffset));
    jack.reset();
    mDestroy(processing);
}

// The module's own code overwrites its version number; the library reads it
// back through getMagicNumber() from its own idea of the field's place.
TEST_F(ContractLayout, TheLibraryReadsTheVersionNumberTheModuleWrote) {
    IOXAInterface* processing = mCreate();
    ASSERT_NE(processing, nullptr);
    EXPECT_EQ(2, processing->getMagicNumber());
    EXPECT_EQ(0, processing->sendCommand("version:1"));
    EXPECT_EQ(1, processing->getMagicNumber());
    EXPECT_EQ(1, intAt(processing, contract::kMagicOffset));
    mDestroy(processing);
}

TEST_F(ContractLayout, TheLibraryKeepsTheResponseInterfaceAfterTheVersionNumber) {
    IOXAInterface* processing = mCreate();
    ASSERT_NE(processing, nullptr);
    RecordingResponse<> response;
    EXPECT_EQ(nullptr, pointerAt(processing, contract::kResponseOffset));

    processing->setResponseInterface(&response);
    EXPECT_EQ(static_cast<const void*>(static_cast<IOXAResponseInterface*>(&response)),
              pointerAt(processing, contract::kResponseOffset));

    processing->setResponseInterface(nullptr);
    EXPECT_EQ(nullptr, pointerAt(processing, contract::kResponseOffset));
    mDestroy(processing);
}

}  // namespace
