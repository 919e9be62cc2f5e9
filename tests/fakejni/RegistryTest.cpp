// The client registry: both maps, its lines, and who destroys a client.
#include <android/log.h>
#include <gtest/gtest.h>

#include "BridgeTest.h"
#include "OvikServiceJni.h"

namespace {

class ClientRegistry : public BridgeTest {
protected:
    static std::vector<int> allIds() {
        std::vector<int> ids;
        OXAClientLoader::getAllObjectIds(&ids);
        return ids;
    }

    static std::string destructorLine(const void* client) {
        return "(in)OXAClient destructor is called this=" + pointerText(client);
    }
};

TEST_F(ClientRegistry, NewClientRegistersTheClientUnderItsObjectId) {
    EXPECT_EQ(0, OXAClientLoader::newClient("demo_7", 1, 7));
    EXPECT_EQ(std::vector<std::string>{"Loader: OXAClient[demo_7][7] is starting"},
              bridgeLines(ANDROID_LOG_INFO));
    EXPECT_NE(nullptr, OXAClientLoader::getClient(7));
    EXPECT_EQ(1, OXAClientLoader::getClientCount());
}

TEST_F(ClientRegistry, ASecondNewClientWithTheSameIdCreatesNothingAndRecordsNoName) {
    ASSERT_EQ(0, OXAClientLoader::newClient("demo_7", 1, 7));
    const OXAClientLoader::ClientRef first = OXAClientLoader::getClient(7);
    LogCapture::clear();
    EXPECT_EQ(0, OXAClientLoader::newClient("other_7", 1, 7));
    EXPECT_EQ((std::vector<std::string>{"Loader: OXAClient[other_7][7] is starting",
                                        "Loader: already exist"}),
              bridgeLines(ANDROID_LOG_INFO));
    EXPECT_EQ(first, OXAClientLoader::getClient(7));
    EXPECT_EQ(1, OXAClientLoader::getClientCount());
    OXAClientLoader::deleteClient("other_7");
    EXPECT_TRUE(
        LogCapture::contains(ANDROID_LOG_INFO, kBridgeTag, "Loader: OXAClient is not existed"));
    EXPECT_EQ(first, OXAClientLoader::getClient(7));
}

TEST_F(ClientRegistry, TheSameNameWithTwoIdsMakesTwoClientsAndTheNameKeepsTheFirstId) {
    ASSERT_EQ(0, OXAClientLoader::newClient("same_1", 1, 1));
    ASSERT_EQ(0, OXAClientLoader::newClient("same_1", 1, 2));
    EXPECT_EQ((std::vector<int>{1, 2}), allIds());
    EXPECT_EQ(0, OXAClientLoader::deleteClient("same_1"));
    EXPECT_EQ(std::vector<int>{2}, allIds());
    EXPECT_NE(nullptr, OXAClientLoader::getClient(2));
    OXAClientLoader::deleteAllClients(nullptr);
    EXPECT_EQ(std::vector<int>(), allIds());
}

TEST_F(ClientRegistry, DeletingByAnUnknownNameLogsAndReturnsZero) {
    ASSERT_EQ(0, OXAClientLoader::newClient("kept_3", 1, 3));
    LogCapture::clear();
    EXPECT_EQ(0, OXAClientLoader::deleteClient("nobody_1"));
    EXPECT_EQ((std::vector<std::string>{"Loader: OXAClient[nobody_1] is deleting",
                                        "Loader: OXAClient is not existed"}),
              bridgeLines(ANDROID_LOG_INFO));
    EXPECT_EQ(1, OXAClientLoader::getClientCount());
}

TEST_F(ClientRegistry, DeletingByNameRemovesBothEntries) {
    ASSERT_EQ(0, OXAClientLoader::newClient("gone_3", 1, 3));
    EXPECT_EQ(0, OXAClientLoader::deleteClient("gone_3"));
    EXPECT_EQ(nullptr, OXAClientLoader::getClient(3));
    LogCapture::clear();
    EXPECT_EQ(0, OXAClientLoader::deleteClient("gone_3"));
    EXPECT_TRUE(
        LogCapture::contains(ANDROID_LOG_INFO, kBridgeTag, "Loader: OXAClient is not existed"));
}

TEST_F(ClientRegistry, GetClientOfAnUnknownIdIsEmptyAndLogsNotFound) {
    EXPECT_EQ(nullptr, OXAClientLoader::getClient(12));
    EXPECT_EQ(std::vector<std::string>{"Loader: OXAClient[id:12] is not found"},
              bridgeLines(ANDROID_LOG_INFO));
}

TEST_F(ClientRegistry, DeleteAllClientsAppendsTheDeletedIdsInAscendingOrder) {
    for (int id : {7, 3, 5}) {
        ASSERT_EQ(0, OXAClientLoader::newClient("c_" + std::to_string(id), 1, id));
    }
    std::vector<int> ids{42};
    OXAClientLoader::deleteAllClients(&ids);
    EXPECT_EQ((std::vector<int>{42, 3, 5, 7}), ids);
    EXPECT_EQ(0, OXAClientLoader::getClientCount());
}

TEST_F(ClientRegistry, DeleteAllClientsWithANullVectorStillDeletesEveryClient) {
    ASSERT_EQ(0, OXAClientLoader::newClient("a_1", 1, 1));
    ASSERT_EQ(0, OXAClientLoader::newClient("b_2", 1, 2));
    OXAClientLoader::deleteAllClients(nullptr);
    EXPECT_EQ(0, OXAClientLoader::getClientCount());
    EXPECT_EQ(2, LogCapture::count(ANDROID_LOG_INFO, kHostTag,
                                   "(in)OXAClient teardown is NOT called. Because your client is "
                                   "null"));
}

TEST_F(ClientRegistry, DeleteAllClientsOnAnEmptyRegistryLogsTheListFrame) {
    OXAClientLoader::deleteAllClients(nullptr);
    EXPECT_EQ((std::vector<std::string>{"Loader: All OXAClient was deleted",
                                        "******************* OXAClient list*******************\n",
                                        "*****************************************************\n"}),
              bridgeLines(ANDROID_LOG_INFO));
}

TEST_F(ClientRegistry, DeleteAllClientsForgetsTheNamesToo) {
    ASSERT_EQ(0, OXAClientLoader::newClient("name_4", 1, 4));
    OXAClientLoader::deleteAllClients(nullptr);
    LogCapture::clear();
    OXAClientLoader::deleteClient("name_4");
    EXPECT_TRUE(
        LogCapture::contains(ANDROID_LOG_INFO, kBridgeTag, "Loader: OXAClient is not existed"));
}

TEST_F(ClientRegistry, PrintMapForDebugListsEveryClientBetweenTheFrameLines) {
    ASSERT_EQ(0, OXAClientLoader::newClient("p_2", 1, 2));
    const OXAClientLoader::ClientRef client = OXAClientLoader::getClient(2);
    LogCapture::clear();
    OXAClientLoader::printMapForDebug();
    char entry[64];
    snprintf(entry, sizeof(entry), "OXAClient[id:2] = %x\n",
             static_cast<unsigned int>(reinterpret_cast<uintptr_t>(client.get())));
    EXPECT_EQ(
        (std::vector<std::string>{"******************* OXAClient list*******************\n", entry,
                                  "*****************************************************\n"}),
        bridgeLines(ANDROID_LOG_INFO));
}

TEST_F(ClientRegistry, GetAllObjectIdsAppendsWithoutClearingAndChangesNothing) {
    ASSERT_EQ(0, OXAClientLoader::newClient("n_9", 1, 9));
    ASSERT_EQ(0, OXAClientLoader::newClient("n_4", 1, 4));
    std::vector<int> ids{-5};
    OXAClientLoader::getAllObjectIds(&ids);
    EXPECT_EQ((std::vector<int>{-5, 4, 9}), ids);
    OXAClientLoader::getAllObjectIds(nullptr);
    EXPECT_EQ(2, OXAClientLoader::getClientCount());
}

TEST_F(ClientRegistry, TheNoObjectIdIsAcceptedAsAKey) {
    EXPECT_EQ(0, OXAClientLoader::newClient("none_-1", 1, OXAControl::NOT_EXIST_OBJECT_ID));
    EXPECT_NE(nullptr, OXAClientLoader::getClient(-1));
}

TEST_F(ClientRegistry, ANameWithoutUnderscoreIsRefusedAndNothingIsRegistered) {
    EXPECT_EQ(1, OXAClientLoader::newClient("nounderscore", 1, 8));
    EXPECT_TRUE(LogCapture::contains(ANDROID_LOG_ERROR, kHostTag, "invalid client name"));
    EXPECT_EQ(0, OXAClientLoader::getClientCount());
    LogCapture::clear();
    OXAClientLoader::deleteClient("nounderscore");
    EXPECT_TRUE(
        LogCapture::contains(ANDROID_LOG_INFO, kBridgeTag, "Loader: OXAClient is not existed"));
}

TEST_F(ClientRegistry, AClientDeletedWhileHeldIsDestroyedWhenTheHolderLetsGo) {
    ASSERT_EQ(0, OXAClientLoader::newClient("held_6", 1, 6));
    OXAClientLoader::ClientRef held = OXAClientLoader::getClient(6);
    const std::string line = destructorLine(held.get());
    ASSERT_EQ(0, OXAClientLoader::deleteClient("held_6"));
    EXPECT_EQ(nullptr, OXAClientLoader::getClient(6));
    EXPECT_FALSE(LogCapture::contains(ANDROID_LOG_INFO, kHostTag, line));
    held.reset();
    EXPECT_TRUE(LogCapture::contains(ANDROID_LOG_INFO, kHostTag, line));
}

TEST_F(ClientRegistry, AClientSweptWhileHeldIsDestroyedWhenTheHolderLetsGo) {
    ASSERT_EQ(0, OXAClientLoader::newClient("held_6", 1, 6));
    OXAClientLoader::ClientRef held = OXAClientLoader::getClient(6);
    const std::string line = destructorLine(held.get());
    OXAClientLoader::deleteAllClients(nullptr);
    EXPECT_FALSE(LogCapture::contains(ANDROID_LOG_INFO, kHostTag, line));
    held.reset();
    EXPECT_TRUE(LogCapture::contains(ANDROID_LOG_INFO, kHostTag, line));
}

}  // namespace
