#include "BridgeTest.h"

#include <stdio.h>

#include "OvikServiceJni.h"

const char kScriptedModule[] = "libfakejni_scripted_wave.so";
const char kJoiningModule[] = "libfakejni_joining_wave.so";

std::function<void()> onJavaThread(std::function<void()> body) {
    return [body = std::move(body)] {
        FakeJvm::instance().makeJavaThread();
        body();
    };
}

void BridgeTest::SetUp() {
    LogCaptureTest::SetUp();
    fake().reset();
    ASSERT_EQ(JNI_VERSION_1_4, JNI_OnLoad(fake().vm(), nullptr));
    OXAClientLoader::deleteAllClients(nullptr);
    fake().reset();
    LogCapture::clear();
}

void BridgeTest::TearDown() {
    fake().setCallbackHook(nullptr);
    OXAClientLoader::deleteAllClients(nullptr);
    EXPECT_EQ(std::vector<std::string>(), fake().violations());
    EXPECT_EQ(0, fake().unreleasedUtfChars());
}

jint BridgeTest::setup(const std::string& name, jint objectId) {
    return NATIVE(nativeSetup)(env(), fake().newObject(), fake().newObject(),
                               fake().newString(name), objectId);
}

jint BridgeTest::command(jint objectId, const std::string& text) {
    return NATIVE(nativeSendCommand)(env(), fake().newObject(), objectId, fake().newString(text));
}

void BridgeTest::loadModule(const std::string& name, jint objectId, const std::string& fileName) {
    ASSERT_EQ(0, setup(name, objectId));
    ASSERT_EQ(0, command(objectId,
                         name + "!init_client:fake:" + fileName + ":" + OVIK_FAKEJNI_MODULE_DIR));
    ASSERT_EQ(0, command(objectId, name + "!start_client"));
}

void BridgeTest::loadScripted(const std::string& name, jint objectId) {
    loadModule(name, objectId, kScriptedModule);
}

void BridgeTest::removeListener() {
    delete JNIOXAUserContext::mJNIOXAUserContext;
    ASSERT_EQ(nullptr, JNIOXAUserContext::mJNIOXAUserContext);
}

std::vector<CallbackCall> BridgeTest::callsWithType(jint msgType) {
    std::vector<CallbackCall> result;
    for (const CallbackCall& call : fake().calls()) {
        if (call.msgType == msgType) result.push_back(call);
    }
    return result;
}

std::vector<std::string> BridgeTest::texts() {
    std::vector<std::string> result;
    for (const CallbackCall& call : fake().calls()) {
        if (call.method == fake().eventMethod()) result.push_back(call.text);
    }
    return result;
}

std::vector<std::string> BridgeTest::bridgeLines(int priority) {
    std::vector<std::string> result;
    for (const LogLine& line : LogCapture::linesWithTag(kBridgeTag)) {
        if (line.priority == priority) result.push_back(line.message);
    }
    return result;
}

std::string BridgeTest::pointerText(const void* pointer) {
    char text[32];
    snprintf(text, sizeof(text), "%p", pointer);
    return text;
}

std::vector<std::string> BridgeTest::stepsOn(std::thread::id thread) {
    std::vector<std::string> result;
    for (const std::string& event : fake().eventsOn(thread)) {
        if (event != "check") result.push_back(event);
    }
    return result;
}

void BridgeTest::ensureListener() {
    if (JNIOXAUserContext::mJNIOXAUserContext != nullptr) return;
    ASSERT_EQ(0, setup("listener_0", 0));
    OXAClientLoader::deleteAllClients(nullptr);
    ASSERT_NE(nullptr, JNIOXAUserContext::mJNIOXAUserContext);
}
