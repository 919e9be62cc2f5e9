// Notifications that need the listener while a party that waits for them
// holds it: each case runs on a thread of its own and must finish in time.
#include <android/log.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "BridgeTest.h"
#include "Deadline.h"
#include "OvikServiceJni.h"

namespace {

const std::chrono::seconds kLimit(20);

class NoSelfDeadlock : public BridgeTest {
protected:
    JNIOXAUserContext* listener() { return JNIOXAUserContext::mJNIOXAUserContext; }

    // Has the module of client `name` answer "bye" from its own thread, and
    // the Java callback of that answer delete the client once the command
    // has returned (the command's own end would destroy it otherwise).
    void deleteFromItsModuleThread(const std::string& name, jint objectId) {
        fake().setCallbackHook([this, name](const CallbackCall& call) {
            if (call.text != "bye") return;
            while (!mCommandReturned) std::this_thread::yield();
            NATIVE(nativeDeleteClient)(env(), fake().newObject(), fake().newString(name));
            mDeleted = true;
        });
        ASSERT_EQ(0, command(objectId, name + "!thread_say:1:bye"));
        mCommandReturned = true;
        while (!mDeleted) std::this_thread::yield();
    }

private:
    std::atomic<bool> mCommandReturned{false};
    std::atomic<bool> mDeleted{false};
};

TEST_F(NoSelfDeadlock, ACallbackThatCommandsAModuleAnsweringAtOnceIsDeliveredOnTheSameThread) {
    loadScripted("echo_1", 1);
    fake().reset();
    fake().setCallbackHook([this](const CallbackCall& call) {
        if (call.text == "first") command(1, "echo_1!say:second");
    });
    joinWithin(kLimit, "a command from inside a callback",
               onJavaThread([this] { EXPECT_EQ(0, command(1, "echo_1!say:first")); }));
    const std::vector<CallbackCall> calls = fake().calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("first", calls[0].text);
    EXPECT_EQ("second", calls[1].text);
    EXPECT_EQ(calls[0].thread, calls[1].thread);
}

TEST_F(NoSelfDeadlock, AModuleAnsweringFromItsTeardownAndDestructionDuringTheSweepIsHeard) {
    loadScripted("echo_2", 2);
    ASSERT_EQ(0, command(2, "echo_2!farewell"));
    fake().reset();
    joinWithin(kLimit, "a sweep over a module that answers while it goes",
               onJavaThread([this] { listener()->notify(100, 2, 0, "T"); }));
    EXPECT_EQ((std::vector<std::string>{"teardown", "destroyed", "T"}), texts());
    const std::vector<CallbackCall> calls = fake().calls();
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(100, calls[2].msgType);
    EXPECT_EQ(2, calls[2].ext2);
}

TEST_F(NoSelfDeadlock, AModuleAnsweringWhileItGoesIsHeardWhenANativeThreadSweeps) {
    loadScripted("echo_2", 2);
    ASSERT_EQ(0, command(2, "echo_2!farewell"));
    fake().reset();
    joinWithin(kLimit, "a sweep from a native thread",
               [this] { listener()->notify(100, 2, 0, "T"); });
    EXPECT_EQ((std::vector<std::string>{"teardown", "destroyed", "T"}), texts());
}

TEST_F(NoSelfDeadlock, AModuleWhoseTeardownWaitsForItsAnsweringThreadSurvivesTheSweep) {
    loadModule("join_4", 4, kJoiningModule);
    fake().reset();
    joinWithin(kLimit, "a sweep over a module that joins its answering thread",
               onJavaThread([this] { listener()->notify(100, 2, 0, "T"); }));
    EXPECT_EQ((std::vector<std::string>{"last word", "T"}), texts());
    const std::vector<CallbackCall> calls = fake().calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_NE(calls[0].thread, calls[1].thread);
}

TEST_F(NoSelfDeadlock, AModuleWhoseTeardownWaitsForItsAnsweringThreadCanBeDeleted) {
    loadModule("join_4", 4, kJoiningModule);
    fake().reset();
    joinWithin(kLimit, "deleting a module that joins its answering thread", onJavaThread([this] {
                   EXPECT_EQ(0, NATIVE(nativeDeleteClient)(env(), fake().newObject(),
                                                           fake().newString("join_4")));
               }));
    EXPECT_EQ(std::vector<std::string>{"last word"}, texts());
}

TEST_F(NoSelfDeadlock, AModuleThatForcesDeathFromItsOwnCommandGoesAfterTheCommandReturns) {
    loadScripted("echo_5", 5);
    loadScripted("echo_6", 6);
    ASSERT_EQ(0, command(6, "echo_6!farewell"));
    fake().reset();
    joinWithin(kLimit, "a forced death raised inside a command",
               onJavaThread([this] { EXPECT_EQ(0, command(6, "echo_6!raise:100:2:0:bye")); }));
    EXPECT_EQ(0, OXAClientLoader::getClientCount());
    // The notices follow the deletions; the commanding client goes last,
    // when the command lets go of it.
    EXPECT_EQ((std::vector<std::string>{"bye", "bye", "teardown", "destroyed"}), texts());
    const std::vector<CallbackCall> calls = fake().calls();
    ASSERT_EQ(4u, calls.size());
    EXPECT_EQ(5, calls[0].ext2);
    EXPECT_EQ(6, calls[1].ext2);
}

TEST_F(NoSelfDeadlock, AModuleThatBroadcastsAUsbChangeFromItsOwnCommandReachesEveryClient) {
    loadScripted("echo_5", 5);
    loadScripted("echo_6", 6);
    fake().reset();
    joinWithin(kLimit, "a broadcast raised inside a command",
               onJavaThread([this] { EXPECT_EQ(0, command(6, "echo_6!raise:1123:1:0:usb")); }));
    const std::vector<CallbackCall> calls = fake().calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(1123, calls[0].msgType);
    EXPECT_EQ(5, calls[0].ext2);
    EXPECT_EQ(6, calls[1].ext2);
    EXPECT_EQ(2, OXAClientLoader::getClientCount());
}

TEST_F(NoSelfDeadlock, ASweepWhileAModuleThreadAnswersEndsWithTheThreadJoined) {
    loadScripted("echo_7", 7);
    fake().reset();
    ASSERT_EQ(0, command(7, "echo_7!thread_say:200:tick"));
    joinWithin(kLimit, "a sweep racing a module thread",
               onJavaThread([this] { listener()->notify(100, 2, 0, "T"); }));
    EXPECT_EQ(0, OXAClientLoader::getClientCount());
    const std::vector<std::string> all = texts();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ("T", all.back());
}

TEST_F(NoSelfDeadlock, AClientDeletedFromACallbackOnItsOwnModuleThreadGoesAtTheNextNativeMethod) {
    loadScripted("echo_8", 8);
    fake().reset();
    const std::string destroyed = "(in)OXAClient destructor is called this=";
    joinWithin(kLimit, "a client deleted under its module thread's answer", onJavaThread([&] {
                   deleteFromItsModuleThread("echo_8", 8);
                   // The module thread cannot destroy its own client (its module would
                   // join that very thread); the next native method on Java's side does,
                   // whether or not it reaches the registry.
                   EXPECT_EQ(0, LogCapture::countContaining(ANDROID_LOG_INFO, kHostTag, destroyed));
                   NATIVE(nativeGetTargetAPILevel)(env(), fake().newObject());
                   EXPECT_EQ(1, LogCapture::countContaining(ANDROID_LOG_INFO, kHostTag, destroyed));
               }));
    EXPECT_EQ(std::vector<std::string>{"bye"}, texts());
}

// With no further call from Java, the exit is the deleted client's last
// chance, as it is for one still registered; the log goes to stderr just
// before it, where the parent reads it.
TEST_F(NoSelfDeadlock,
       AClientDeletedFromACallbackOnItsOwnModuleThreadGoesAtExitWhenJavaCallsNoMore) {
    EXPECT_EXIT(
        {
            loadScripted("kept_10", 10);
            loadScripted("echo_9", 9);
            deleteFromItsModuleThread("echo_9", 9);
            __android_log_set_logger(__android_log_stderr_logger);
            exit(0);
        },
        ::testing::ExitedWithCode(0), "(OXAClient destructor is called.*){2}");
}

// A callback that ends the process while a module's thread waits for the
// listener it holds: the exit destroys that module, which joins the thread.
// An alarm ends a child that hangs, which fails the row.
TEST_F(NoSelfDeadlock, AnExitFromInsideACallbackDoesNotWaitForAThreadWaitingForTheListener) {
    EXPECT_EXIT(
        {
            alarm(static_cast<unsigned>(kLimit.count()));
            loadScripted("echo_13", 13);
            loadScripted("echo_14", 14);
            fake().setCallbackHook([this](const CallbackCall& call) {
                if (call.text != "exit") return;
                command(13, "echo_13!thread_say:1:late");
                // Lets the module's thread reach the listener and wait.
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                __android_log_set_logger(__android_log_stderr_logger);
                exit(0);
            });
            command(14, "echo_14!say:exit");
        },
        // echo_14 stays: the native method inside it never returns.
        ::testing::ExitedWithCode(0), "OXAClient destructor is called");
}

// A set-up that destroyed a waiting client under the set-up lock waited for
// that client's module thread, which waited for the listener lock that a
// callback held while it waited for the set-up lock.
TEST_F(NoSelfDeadlock, ASetUpDuringACallbackThatSetsUpDoesNotWaitForADeletedClientsThread) {
    loadModule("join_4", 4, kJoiningModule);
    loadScripted("echo_5", 5);
    fake().reset();
    std::atomic<bool> deleted(false);
    std::atomic<bool> callbackHoldsTheListener(false);
    fake().setCallbackHook([&](const CallbackCall& call) {
        if (call.text == "kill") {
            NATIVE(nativeDeleteClient)(env(), fake().newObject(), fake().newString("join_4"));
            deleted = true;
        } else if (call.text == "setup") {
            callbackHoldsTheListener = true;
            // Lets the other set-up take the set-up lock first.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            EXPECT_EQ(0, setup("cb_11", 11));
        }
    });
    ASSERT_EQ(0, command(5, "echo_5!thread_say:1:kill"));
    while (!deleted) std::this_thread::yield();
    JNIOXAUserContext* target = listener();
    runTogether(2, kLimit, "two set-ups while a deleted client waits", [&](int i) {
        if (i == 0) {
            target->notify(0, 0, 5, "setup");
        } else {
            fake().makeJavaThread();
            while (!callbackHoldsTheListener) std::this_thread::yield();
            EXPECT_EQ(0, setup("java_12", 12));
        }
    });
    EXPECT_EQ(1, LogCapture::countContaining(ANDROID_LOG_INFO, kHostTag,
                                             "(in)OXAClient destructor is called"));
}

}  // namespace
